// Internal to the platform: the standard control classes ("Static", "Button", "Edit")
// and the dialog class, registered once before the first window is made.
#pragma once

#include "platform/ui/dialog.h"

void RegisterStandardClasses();
LRESULT StaticProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ButtonProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT EditProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DialogProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Controls keep their font in their first extra bytes (WM_SETFONT / WM_GETFONT).
constexpr int kControlExtraBytes = 16;
HFONT ControlFont(HWND hwnd);
// The classic sunken (edit) or raised (button) 3-D frame, two pixels wide.
void DrawEdge3D(HDC dc, RECT r, bool sunken);
// A parent's WM_COMMAND from a control.
void NotifyParent(HWND control, WORD code);
