// Internal to the platform: the table of live windows, shared by the window functions
// and the message queues.
#pragma once

#include "platform/ui/winuser.h"

struct WindowInfo {
    WNDPROC proc = nullptr;
    DWORD thread = 0;
};

// False for a handle that names no live window (destroyed, never made, or made up).
bool LookupWindow(HWND hwnd, WindowInfo* info);
// Calls the window procedure if the window is still alive; 0 otherwise.
LRESULT CallWindowProcIfAlive(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Forgets every window of a thread that is ending (no messages are sent: the thread
// can no longer run its procedures).
void DropWindowsOfThread(DWORD thread);
