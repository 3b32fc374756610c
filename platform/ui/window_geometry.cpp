// Window geometry, visibility, enabling, item identifiers, extra window bytes and text,
// and the default window procedure.
#include <algorithm>
#include <cstring>

#include "platform/ui/display.h"
#include "platform/ui/gdi_objects.h"
#include "platform/ui/window_table.h"

namespace {

RECT Size(const RECT& r) { return RECT{0, 0, r.right - r.left, r.bottom - r.top}; }

// Top-level windows tell the display about every change it shows.
void TellDisplay(HWND hwnd) {
    WindowState w;
    if (ReadWindowState(hwnd, &w) && !w.parent) ActiveDisplay().TopLevelChanged(hwnd);
}

POINT ClientOrigin(HWND hwnd) {
    POINT o{0, 0};
    WindowState w;
    while (ReadWindowState(hwnd, &w)) {
        o.x += w.rect.left;
        o.y += w.rect.top;
        hwnd = w.parent;
        if (!hwnd) break;
    }
    return o;
}

}  // namespace

extern "C" HWND GetParent(HWND hwnd) {
    WindowState w;
    return ReadWindowState(hwnd, &w) ? w.parent : nullptr;
}

extern "C" HWND GetDlgItem(HWND dialog, int id) {
    for (HWND child : ChildWindows(dialog)) {
        WindowState w;
        if (ReadWindowState(child, &w) && w.id == id) return child;
    }
    return nullptr;
}

extern "C" int GetDlgCtrlID(HWND hwnd) {
    WindowState w;
    return ReadWindowState(hwnd, &w) ? w.id : 0;
}

extern "C" BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    WindowState before;
    if (!ReadWindowState(hwnd, &before)) return FALSE;
    RECT after{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    ChangeWindowState(hwnd, [&](WindowState& w) { w.rect = after; });
    if (before.rect.left != after.left || before.rect.top != after.top)
        SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    if (before.rect.right - before.rect.left != after.right - after.left ||
        before.rect.bottom - before.rect.top != after.bottom - after.top)
        SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(after.right - after.left, after.bottom - after.top));
    if (repaint) {
        if (before.parent && (before.style & WS_VISIBLE)) InvalidateRect(before.parent, &before.rect, TRUE);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    TellDisplay(hwnd);
    return TRUE;
}

extern "C" BOOL GetClientRect(HWND hwnd, RECT* rect) {
    WindowState w;
    if (!rect || !ReadWindowState(hwnd, &w)) return FALSE;
    *rect = Size(w.rect);
    return TRUE;
}

extern "C" BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    WindowState w;
    if (!rect || !ReadWindowState(hwnd, &w)) return FALSE;
    POINT o = ClientOrigin(hwnd);
    *rect = RECT{o.x, o.y, o.x + w.rect.right - w.rect.left, o.y + w.rect.bottom - w.rect.top};
    return TRUE;
}

extern "C" BOOL ClientToScreen(HWND hwnd, POINT* point) {
    if (!point || !IsWindow(hwnd)) return FALSE;
    POINT o = ClientOrigin(hwnd);
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

extern "C" BOOL ScreenToClient(HWND hwnd, POINT* point) {
    if (!point || !IsWindow(hwnd)) return FALSE;
    POINT o = ClientOrigin(hwnd);
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

extern "C" BOOL ShowWindow(HWND hwnd, int command) {
    WindowState w;
    if (!ReadWindowState(hwnd, &w)) return FALSE;
    const bool wasVisible = (w.style & WS_VISIBLE) != 0;
    const bool show = command != SW_HIDE;
    if (wasVisible != show) {
        SendMessageA(hwnd, WM_SHOWWINDOW, show, 0);
        ChangeWindowState(hwnd, [show](WindowState& s) { s.style = show ? s.style | WS_VISIBLE : s.style & ~WS_VISIBLE; });
        if (show) {
            if (!w.parent) BringToFront(hwnd);
            InvalidateRect(hwnd, nullptr, TRUE);
        } else if (w.parent) {
            InvalidateRect(w.parent, &w.rect, TRUE);
        }
        TellDisplay(hwnd);
    }
    return wasVisible ? TRUE : FALSE;
}

extern "C" BOOL IsWindowVisible(HWND hwnd) { return IsShownOnScreen(hwnd) ? TRUE : FALSE; }

extern "C" BOOL EnableWindow(HWND hwnd, BOOL enable) {
    WindowState w;
    if (!ReadWindowState(hwnd, &w)) return FALSE;
    const bool wasDisabled = (w.style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    ChangeWindowState(hwnd, [enable](WindowState& s) { s.style = enable ? s.style & ~WS_DISABLED : s.style | WS_DISABLED; });
    // A window that loses its enabling loses the keyboard focus too.
    if (!enable && GetFocus() == hwnd) SetFocus(nullptr);
    SendMessageA(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

extern "C" BOOL IsWindowEnabled(HWND hwnd) {
    WindowState w;
    return ReadWindowState(hwnd, &w) && !(w.style & WS_DISABLED);
}

extern "C" LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    WindowState w;
    if (!ReadWindowState(hwnd, &w)) return 0;
    if (index == GWL_STYLE) return LONG_PTR(LONG(w.style));
    if (index == GWL_ID) return w.id;
    if (index < 0 || size_t(index) + sizeof(LONG_PTR) > w.extra.size()) return 0;
    LONG_PTR value;
    std::memcpy(&value, w.extra.data() + index, sizeof value);
    return value;
}

extern "C" LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    LONG_PTR old = 0;
    bool fits = false;
    ChangeWindowState(hwnd, [&](WindowState& w) {
        if (index == GWL_STYLE) {
            old = LONG(w.style), w.style = DWORD(value), fits = true;
        } else if (index == GWL_ID) {
            old = w.id, w.id = int(value), fits = true;
        } else if (index >= 0 && size_t(index) + sizeof(LONG_PTR) <= w.extra.size()) {
            std::memcpy(&old, w.extra.data() + index, sizeof old);
            std::memcpy(w.extra.data() + index, &value, sizeof value);
            fits = true;
        }
    });
    return fits ? old : 0;
}

// The 32-bit forms read and write four bytes; on this 64-bit system a pointer needs the
// Ptr forms and eight extra bytes.
extern "C" LONG GetWindowLongA(HWND hwnd, int index) {
    if (index < 0) return LONG(GetWindowLongPtrA(hwnd, index));
    WindowState w;
    if (!ReadWindowState(hwnd, &w) || size_t(index) + 4 > w.extra.size()) return 0;
    LONG value;
    std::memcpy(&value, w.extra.data() + index, 4);
    return value;
}

extern "C" LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
    if (index < 0) return LONG(SetWindowLongPtrA(hwnd, index, value));
    LONG old = 0;
    ChangeWindowState(hwnd, [&](WindowState& w) {
        if (size_t(index) + 4 > w.extra.size()) return;
        std::memcpy(&old, w.extra.data() + index, 4);
        std::memcpy(w.extra.data() + index, &value, 4);
    });
    return old;
}

extern "C" BOOL SetWindowTextA(HWND hwnd, const char* text) {
    return IsWindow(hwnd) && SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

extern "C" int GetWindowTextA(HWND hwnd, char* buffer, int capacity) {
    if (!buffer || capacity <= 0) return 0;
    buffer[0] = 0;
    return int(SendMessageA(hwnd, WM_GETTEXT, WPARAM(capacity), reinterpret_cast<LPARAM>(buffer)));
}

extern "C" int GetWindowTextLengthA(HWND hwnd) { return int(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

extern "C" BOOL SetDlgItemTextA(HWND dialog, int id, const char* text) {
    return SetWindowTextA(GetDlgItem(dialog, id), text);
}

extern "C" UINT GetDlgItemTextA(HWND dialog, int id, char* buffer, int capacity) {
    return UINT(GetWindowTextA(GetDlgItem(dialog, id), buffer, capacity));
}

extern "C" LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SETTEXT: {
        const char* text = reinterpret_cast<const char*>(lParam);
        bool ok = ChangeWindowState(hwnd, [text](WindowState& w) { w.text = text ? text : ""; });
        InvalidateRect(hwnd, nullptr, TRUE);
        return ok;
    }
    case WM_GETTEXT: {
        WindowState w;
        char* out = reinterpret_cast<char*>(lParam);
        if (!out || wParam == 0 || !ReadWindowState(hwnd, &w)) return 0;
        size_t n = std::min(w.text.size(), size_t(wParam) - 1);
        std::memcpy(out, w.text.data(), n);
        out[n] = 0;
        return LRESULT(n);
    }
    case WM_GETTEXTLENGTH: {
        WindowState w;
        return ReadWindowState(hwnd, &w) ? LRESULT(w.text.size()) : 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        WindowState w;
        if (!ReadWindowState(hwnd, &w) || !w.background) return 0;
        RECT r = Size(w.rect);
        FillRect(reinterpret_cast<HDC>(wParam), &r, w.background);
        return 1;
    }
    case WM_SETCURSOR: {
        WindowState w;
        if (ReadWindowState(hwnd, &w) && w.cursor) SetCursor(w.cursor);
        return w.cursor ? 1 : 0;
    }
    default:
        return 0;
    }
}
