// Input as a display delivers it: mouse events at screen positions and key strokes go to
// the window under the pointer (or the capturing window) and to the focus window, as
// posted messages in client coordinates. Back ends call these; headless tests call them
// directly.
#pragma once

#include "platform/ui/winuser.h"

extern "C" {
// message is WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN or WM_RBUTTONUP.
void InjectMouseInput(int screenX, int screenY, UINT message);
// A key stroke: WM_KEYDOWN with the virtual key, WM_CHAR with the character when it has one
// (TranslateMessage's work done by the display, which knows the keyboard layout), WM_KEYUP.
void InjectKeyInput(UINT virtualKey, char character);
// Dispatches every message waiting for the calling thread, paints included; returns how many.
int PumpWaitingMessages();
}

// Internal: the window is being destroyed; capture, focus and tracking let go of it.
void ForgetInputWindow(HWND hwnd);
