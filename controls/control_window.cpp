#include "controls/control_window.h"

#include "controls/bit_button.h"
#include "controls/color_button.h"
#include "controls/dropper.h"
#include "controls/knob.h"
#include "controls/title.h"
#include "platform/ui/dialog.h"

namespace {

// The value the classes' background brush has always had: the system colour index 14
// plus one. The controls paint their whole face themselves, so it shows only between an
// erase and the paint that follows it.
constexpr intptr_t kBackgroundBrushValue = 15;

const char* const kClassNames[] = {CKnob::kClassName, CTitle::kClassName, CBitButton::kClassName,
                                   CColorButton::kClassName, CDropper::kClassName};

}  // namespace

bool RegisterControlClass(HINSTANCE module, const char* className, WNDPROC procedure) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = module;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(kBackgroundBrushValue);
    wc.lpszClassName = className;
    return RegisterClassA(&wc) != 0;
}

bool RegisterControlClasses(HINSTANCE module) {
    // Each one is tried, so that one refusal does not leave the others missing.
    bool all = CKnob::Register(module);
    all &= CTitle::Register(module);
    all &= CBitButton::Register(module);
    all &= CColorButton::Register(module);
    all &= CDropper::Register(module);
    return all;
}

void UnregisterControlClasses(HINSTANCE module) {
    for (const char* name : kClassNames) UnregisterClassA(name, module);
}

POINT PositionInDialog(HWND dialog, HWND item) {
    RECT d{}, r{};
    GetWindowRect(dialog, &d);
    GetWindowRect(item, &r);
    return {r.left - d.left, r.top - d.top};
}

void CreateCaptionLabel(HWND dialog, HWND item, int x, int y, int width, int height) {
    char caption[260] = {};
    GetWindowTextA(item, caption, sizeof caption);
    HWND label = CreateWindowExA(0, "Static", caption, WS_CHILD | WS_VISIBLE | SS_CENTER, x, y, width, height, dialog,
                                 nullptr, nullptr, nullptr);
    if (label) SendMessageA(label, WM_SETFONT, WPARAM(SendMessageA(dialog, WM_GETFONT, 0, 0)), FALSE);
}

void DrawStripFrame(HDC dc, HBITMAP strip, int width, int height, int frame) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(source, strip);
    AlphaBlend(dc, 0, 0, width, height, source, 0, frame * height, width, height, {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
    SelectObject(source, previous);
    DeleteDC(source);
}

void DetachControl(HWND hwnd, const void* control) {
    if (hwnd && IsWindow(hwnd) && GetWindowLongPtrA(hwnd, 0) == reinterpret_cast<LONG_PTR>(control))
        SetWindowLongPtrA(hwnd, 0, 0);
}
