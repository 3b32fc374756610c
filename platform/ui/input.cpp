// Mouse and keyboard input: the capture, the focus, mouse-leave tracking and the
// cursor, shared by every back end. Mouse messages go to the capturing window, else to
// the front-most window under the pointer, in that window's client coordinates; key
// strokes go to the focus window. Messages about the state itself (WM_CAPTURECHANGED,
// WM_KILLFOCUS, WM_SETFOCUS) are sent, input is posted, as on the platform.
#include <mutex>

#include "platform/ui/display.h"
#include "platform/ui/input.h"
#include "platform/ui/window_table.h"

namespace {

struct InputState {
    std::mutex mutex;
    HWND capture = nullptr;
    HWND focus = nullptr;
    HWND tracked = nullptr;  // the window that asked for WM_MOUSELEAVE
    POINT cursorPosition{0, 0};
    HCURSOR cursor = nullptr;
    WPARAM buttons = 0;
};

InputState& State() {
    static auto* state = new InputState;
    return *state;
}

WPARAM ButtonsAfter(WPARAM buttons, UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN: return buttons | MK_LBUTTON;
    case WM_LBUTTONUP: return buttons & ~MK_LBUTTON;
    case WM_RBUTTONDOWN: return buttons | MK_RBUTTON;
    case WM_RBUTTONUP: return buttons & ~MK_RBUTTON;
    default: return buttons;
    }
}

}  // namespace

void ForgetInputWindow(HWND hwnd) {
    auto& s = State();
    bool grabbed = false;
    {
        std::lock_guard lock(s.mutex);
        if (s.capture == hwnd) s.capture = nullptr, grabbed = true;
        if (s.focus == hwnd) s.focus = nullptr;
        if (s.tracked == hwnd) s.tracked = nullptr;
    }
    if (grabbed && DisplayIfStarted()) ActiveDisplay().GrabPointer(nullptr);
}

extern "C" void InjectMouseInput(int screenX, int screenY, UINT message) {
    auto& s = State();
    const POINT at{screenX, screenY};
    HWND under = WindowFromScreenPoint(at);
    HWND target, left = nullptr;
    WPARAM buttons;
    {
        std::lock_guard lock(s.mutex);
        s.cursorPosition = at;
        s.buttons = ButtonsAfter(s.buttons, message);
        buttons = s.buttons;
        target = s.capture ? s.capture : under;
        if (s.tracked && s.tracked != under) left = s.tracked, s.tracked = nullptr;
    }
    if (left) PostMessageA(left, WM_MOUSELEAVE, 0, 0);
    if (!target) return;
    if (message == WM_MOUSEMOVE && GetCapture() == nullptr)
        SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(1, WM_MOUSEMOVE));
    POINT client = at;
    ScreenToClient(target, &client);
    PostMessageA(target, message, buttons, MAKELPARAM(client.x, client.y));
}

extern "C" void InjectKeyInput(UINT virtualKey, char character) {
    HWND focus = GetFocus();
    if (!focus) return;
    PostMessageA(focus, WM_KEYDOWN, virtualKey, 1);
    if (character) PostMessageA(focus, WM_CHAR, WPARAM(BYTE(character)), 1);
    PostMessageA(focus, WM_KEYUP, virtualKey, LPARAM(0xC0000001u));
}

extern "C" int PumpWaitingMessages() {
    MSG msg;
    int count = 0;
    // Bounded, so that a window that never validates itself cannot hang a test.
    while (count < 100000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        ++count;
    }
    return count;
}

// The display already delivers WM_CHAR with each key stroke (see InjectKeyInput).
extern "C" BOOL TranslateMessage(const MSG* msg) { return msg && msg->message == WM_KEYDOWN; }

extern "C" HWND SetCapture(HWND hwnd) {
    if (!IsWindow(hwnd)) return nullptr;
    auto& s = State();
    HWND previous;
    {
        std::lock_guard lock(s.mutex);
        previous = s.capture;
        s.capture = hwnd;
    }
    if (previous && previous != hwnd) SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    ActiveDisplay().GrabPointer(TopLevelOf(hwnd));
    return previous;
}

extern "C" BOOL ReleaseCapture() {
    auto& s = State();
    HWND previous;
    {
        std::lock_guard lock(s.mutex);
        previous = s.capture;
        s.capture = nullptr;
    }
    if (previous) {
        ActiveDisplay().GrabPointer(nullptr);
        SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

extern "C" HWND GetCapture() {
    auto& s = State();
    std::lock_guard lock(s.mutex);
    return s.capture;
}

extern "C" BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT) || !IsWindow(track->hwndTrack)) return FALSE;
    auto& s = State();
    POINT at;
    {
        std::lock_guard lock(s.mutex);
        if (track->dwFlags & TME_CANCEL) {
            if (s.tracked == track->hwndTrack) s.tracked = nullptr;
            return TRUE;
        }
        if (!(track->dwFlags & TME_LEAVE)) return TRUE;
        at = s.cursorPosition;
    }
    // Asked while the pointer is already elsewhere: the leave comes at once.
    if (WindowFromScreenPoint(at) != track->hwndTrack) return PostMessageA(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
    std::lock_guard lock(s.mutex);
    s.tracked = track->hwndTrack;
    return TRUE;
}

extern "C" HWND SetFocus(HWND hwnd) {
    if (hwnd && !IsWindow(hwnd)) return nullptr;
    auto& s = State();
    HWND previous;
    {
        std::lock_guard lock(s.mutex);
        previous = s.focus;
        if (previous == hwnd) return previous;
        s.focus = hwnd;
    }
    if (previous) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && GetFocus() == hwnd) SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

extern "C" HWND GetFocus() {
    auto& s = State();
    std::lock_guard lock(s.mutex);
    return s.focus;
}

extern "C" BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    auto& s = State();
    std::lock_guard lock(s.mutex);
    *point = s.cursorPosition;
    return TRUE;
}

extern "C" HCURSOR SetCursor(HCURSOR cursor) {
    auto& s = State();
    HCURSOR previous;
    {
        std::lock_guard lock(s.mutex);
        previous = s.cursor;
        s.cursor = cursor;
    }
    if (cursor != previous && DisplayIfStarted()) ActiveDisplay().ShowCursorShape(cursor);
    return previous;
}

extern "C" HCURSOR LoadCursorA(HINSTANCE module, const char* name) {
    static CursorObject arrow{IDC_ARROW, 0, 0, 0, 0, {}}, ibeam{IDC_IBEAM, 0, 0, 0, 0, {}}, cross{IDC_CROSS, 0, 0, 0, 0, {}};
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (module) return id < 0x10000 ? LoadModuleCursor(module, UINT(id)) : nullptr;
    if (name == IDC_ARROW) return &arrow;
    if (name == IDC_IBEAM) return &ibeam;
    if (name == IDC_CROSS) return &cross;
    return nullptr;
}

// The system cursors are shared and never destroyed; a module's cursor is freed.
extern "C" BOOL DestroyCursor(HCURSOR cursor) {
    if (!cursor) return FALSE;
    if (!cursor->systemName) delete cursor;
    return TRUE;
}
