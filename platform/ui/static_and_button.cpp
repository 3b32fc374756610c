// The "Static" text and the "Button" class (push button, check box): classic drawing in
// the system colours; a button clicks when the left button is released over it (or Space
// is pressed while it has the focus) and tells its parent with WM_COMMAND / BN_CLICKED.
#include <string>

#include "platform/ui/gdi_objects.h"

#include "platform/ui/standard_controls.h"

namespace {

constexpr int kStateOffset = 8;  // extra bytes: font at 0, button state at 8
constexpr LONG_PTR kChecked = 1, kPressed = 2;

RECT Client(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

std::string Text(HWND hwnd) {
    char text[260] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

void PaintStatic(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    RECT r = Client(hwnd);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    SelectObject(dc, ControlFont(hwnd));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(hwnd) ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT));
    std::string text = Text(hwnd);
    DrawTextA(dc, text.c_str(), int(text.size()), &r, (GetWindowLongA(hwnd, GWL_STYLE) & SS_CENTER) ? DT_CENTER : DT_LEFT);
    EndPaint(hwnd, &ps);
}

bool IsCheckBox(HWND hwnd) {
    DWORD kind = DWORD(GetWindowLongA(hwnd, GWL_STYLE)) & 0xF;
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX;
}

void PaintButton(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    const LONG_PTR state = GetWindowLongPtrA(hwnd, kStateOffset);
    RECT r = Client(hwnd);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    SelectObject(dc, ControlFont(hwnd));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(hwnd) ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT));
    std::string text = Text(hwnd);
    if (IsCheckBox(hwnd)) {
        const int top = (r.bottom - 13) / 2;
        RECT box{0, top, 13, top + 13};
        DrawEdge3D(dc, box, true);
        RECT inside{2, top + 2, 11, top + 11};
        FillRect(dc, &inside, GetSysColorBrush((state & kPressed) ? COLOR_BTNFACE : COLOR_WINDOW));
        if (state & kChecked) {
            // The tick: a short stroke down to the right, then a long one up.
            const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
            for (int i = 0; i < 7; ++i)
                for (int t = 0; t < 3; ++t) {
                    int x = 3 + i, y = i < 2 ? top + 5 + i + t : top + 7 - (i - 2) + t;
                    SetPixel(dc, x, y, ink);
                }
        }
        RECT label{17, 0, r.right, r.bottom};
        DrawTextA(dc, text.c_str(), int(text.size()), &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    } else {
        DrawEdge3D(dc, r, (state & kPressed) != 0);
        RECT label = r;
        if (state & kPressed) label.left += 2, label.top += 2;
        DrawTextA(dc, text.c_str(), int(text.size()), &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    EndPaint(hwnd, &ps);
}

void SetState(HWND hwnd, LONG_PTR state) {
    if (GetWindowLongPtrA(hwnd, kStateOffset) == state) return;
    SetWindowLongPtrA(hwnd, kStateOffset, state);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Click(HWND hwnd) {
    if ((DWORD(GetWindowLongA(hwnd, GWL_STYLE)) & 0xF) == BS_AUTOCHECKBOX)
        SetState(hwnd, GetWindowLongPtrA(hwnd, kStateOffset) ^ kChecked);
    NotifyParent(hwnd, BN_CLICKED);
}

bool Inside(HWND hwnd, LPARAM lParam) {
    RECT r = Client(hwnd);
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

HFONT ControlFont(HWND hwnd) {
    auto font = reinterpret_cast<HFONT>(GetWindowLongPtrA(hwnd, 0));
    return font ? font : DefaultGuiFont();
}

void DrawEdge3D(HDC dc, RECT r, bool sunken) {
    const int outerLight = sunken ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT, outerDark = sunken ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW;
    const int innerLight = sunken ? COLOR_3DDKSHADOW : COLOR_BTNFACE, innerDark = sunken ? COLOR_BTNFACE : COLOR_BTNSHADOW;
    for (int ring = 0; ring < 2; ++ring) {
        HBRUSH light = GetSysColorBrush(ring ? innerLight : outerLight), dark = GetSysColorBrush(ring ? innerDark : outerDark);
        RECT top{r.left, r.top, r.right - 1, r.top + 1}, left{r.left, r.top, r.left + 1, r.bottom - 1};
        RECT bottom{r.left, r.bottom - 1, r.right, r.bottom}, right{r.right - 1, r.top, r.right, r.bottom};
        FillRect(dc, &top, light), FillRect(dc, &left, light), FillRect(dc, &bottom, dark), FillRect(dc, &right, dark);
        r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
}

void NotifyParent(HWND control, WORD code) {
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

LRESULT StaticProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFONT: SetWindowLongPtrA(hwnd, 0, LONG_PTR(wParam)); return 0;
    case WM_GETFONT: return GetWindowLongPtrA(hwnd, 0);
    case WM_PAINT: PaintStatic(hwnd); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT ButtonProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LONG_PTR state = GetWindowLongPtrA(hwnd, kStateOffset);
    switch (msg) {
    case WM_SETFONT: SetWindowLongPtrA(hwnd, 0, LONG_PTR(wParam)); return 0;
    case WM_GETFONT: return GetWindowLongPtrA(hwnd, 0);
    case WM_PAINT: PaintButton(hwnd); return 0;
    case BM_GETCHECK: return (state & kChecked) ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK: SetState(hwnd, wParam == BST_CHECKED ? state | kChecked : state & ~kChecked); return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        SetCapture(hwnd);
        SetState(hwnd, state | kPressed);
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == hwnd) SetState(hwnd, Inside(hwnd, lParam) ? state | kPressed : state & ~kPressed);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() != hwnd) return 0;
        SetState(hwnd, state & ~kPressed);
        ReleaseCapture();
        if (Inside(hwnd, lParam)) Click(hwnd);
        return 0;
    case WM_CAPTURECHANGED: SetState(hwnd, state & ~kPressed); return 0;
    case WM_CHAR:
        if (wParam == ' ') Click(hwnd);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}
