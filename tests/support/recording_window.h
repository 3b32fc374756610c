// Windows for the window-system tests: a class whose procedure records every message it
// receives and then does what the default procedure does, on the headless display.
#pragma once

#include <vector>

#include "platform/ui/input.h"
#include "platform/ui/wingdi.h"

namespace testsupport {

struct SeenMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread;  // the thread it was dispatched on
};

// A window of the recording class (button-face background, 16 extra bytes) at rect,
// relative to the parent, or to the screen without one; shown unless style says otherwise.
HWND MakeRecordingWindow(HWND parent, int id, RECT rect, DWORD style = WS_VISIBLE);
// The messages a window received (all windows when null), optionally only those listed.
std::vector<SeenMessage> SeenBy(HWND hwnd, std::vector<UINT> only = {});
void ForgetSeenMessages();
// The colour at a screen point, read as the eyedropper reads it.
COLORREF ScreenPixel(int x, int y);

// A person on another thread than the dialog's: a click in the middle of a window, or in
// cell (column, row) of a grid of 8 columns, returning once the clicked window has let go
// of the mouse (input sent sooner would go to it still).
void Click(HWND window);
void ClickCell(HWND grid, int column, int row, int rows);
// The dialog holding the focus once it is on screen with item dialogItem (and, when
// given, the focus on focusItem); null after 30 s. A fresh process loads its fonts
// first, which takes a while on a busy machine.
HWND WaitForDialogWith(int dialogItem, int focusItem = 0);

}  // namespace testsupport
