// Internal to the platform: the table of live windows, shared by the window functions,
// the message queues, painting and input.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/winuser.h"

struct WindowInfo {
    WNDPROC proc = nullptr;
    DWORD thread = 0;
};

// Everything the platform keeps about one window.
struct WindowState {
    WNDPROC proc = nullptr;
    DWORD thread = 0;
    HWND parent = nullptr;
    bool destroying = false;
    UINT classStyle = 0;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    RECT rect{};  // relative to the parent's client area, or to the screen for a top-level window
    std::vector<BYTE> extra;
    std::string text;
    RECT update{};  // client coordinates; empty when nothing waits to be painted
    bool erase = false;
    uint64_t zOrder = 0;  // top-level windows: higher is in front
};

// False for a handle that names no live window (destroyed, never made, or made up).
bool LookupWindow(HWND hwnd, WindowInfo* info);
bool ReadWindowState(HWND hwnd, WindowState* copy);
// Runs change on the window's state under the table lock; false when the window is gone.
bool ChangeWindowState(HWND hwnd, const std::function<void(WindowState&)>& change);
// The children of parent (null: the top-level windows), back to front.
std::vector<HWND> ChildWindows(HWND parent);
HWND TopLevelOf(HWND hwnd);
// Visible itself and all its ancestors.
bool IsShownOnScreen(HWND hwnd);
// The window's client rectangle within its top-level window, clipped by its ancestors.
bool VisibleRectInTopLevel(HWND hwnd, POINT* origin, RECT* clip);
// The front-most shown and enabled window under a screen point, deepest child first.
HWND WindowFromScreenPoint(POINT point);
// The first window of thread (parents before children) that waits for WM_PAINT.
HWND FindWindowToPaint(DWORD thread, HWND filter);
// Puts a top-level window in front of the others.
void BringToFront(HWND hwnd);
// Calls the window procedure if the window is still alive; 0 otherwise.
LRESULT CallWindowProcIfAlive(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Forgets every window of a thread that is ending (no messages are sent: the thread
// can no longer run its procedures).
void DropWindowsOfThread(DWORD thread);
