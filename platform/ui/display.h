// Internal to the platform: the display back end below the window tree. The window
// manager and painting are written once; a back end only shows the composed top-level
// windows, reads the screen, grabs the pointer and feeds input back (InjectMouseInput,
// InjectKeyInput). Chosen once per process: QUILLET_DISPLAY=headless, else X11 when
// DISPLAY is set, else headless.
#pragma once

#include "platform/ui/winuser.h"

#include <cstdint>
#include <vector>

struct CursorObject {
    const char* systemName;  // IDC_ARROW and friends; null for a cursor of a module
    // A module's cursor: its picture (top-down rows of premultiplied B, G, R, A) and hot spot.
    int width = 0, height = 0, hotX = 0, hotY = 0;
    std::vector<uint32_t> pixels;
};

// A "CURSOR" resource of a module (hot spot x and y as two WORDs, then a 32-bit packed
// bitmap); null when absent or malformed. DestroyCursor frees it.
HCURSOR LoadModuleCursor(HINSTANCE module, UINT id);

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;
    virtual const char* Name() const = 0;
    // A top-level window was shown, hidden, moved, resized or repainted.
    virtual void TopLevelChanged(HWND top) = 0;
    virtual void TopLevelDestroyed(HWND top) = 0;
    // The colour on screen at (x, y); false outside the screen.
    virtual bool ReadScreenPixel(int x, int y, COLORREF* color) = 0;
    // Capture: the pointer's events go to top until released (null).
    virtual void GrabPointer(HWND top) = 0;
    virtual void ShowCursorShape(HCURSOR cursor) = 0;
    // Turns pending events of the real display into input; false when there is no display.
    virtual void ProcessEvents() = 0;
};

DisplayBackend& ActiveDisplay();
// Null until a window first needed the display (threads that only pass messages never start one).
DisplayBackend* DisplayIfStarted();
// The back end made by the chooser, for the X11 back end's own use.
DisplayBackend* MakeX11Display();
DisplayBackend* MakeHeadlessDisplay();
