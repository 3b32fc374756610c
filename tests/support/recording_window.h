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
};

// A window of the recording class (button-face background, 16 extra bytes) at rect,
// relative to the parent, or to the screen without one; shown unless style says otherwise.
HWND MakeRecordingWindow(HWND parent, int id, RECT rect, DWORD style = WS_VISIBLE);
// The messages a window received (all windows when null), optionally only those listed.
std::vector<SeenMessage> SeenBy(HWND hwnd, std::vector<UINT> only = {});
void ForgetSeenMessages();
// The colour at a screen point, read as the eyedropper reads it.
COLORREF ScreenPixel(int x, int y);

}  // namespace testsupport
