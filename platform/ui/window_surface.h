// Internal to the platform: every top-level window is composed into one 32-bit surface
// of its size, which the display back end shows.
#pragma once

#include "platform/ui/gdi_objects.h"

// The surface of a top-level window, resized to the window when its size changed.
BitmapObject* TopLevelSurface(HWND top);
// Copies of the surface's pixel rows for a back end, with the window's size.
bool ReadTopLevelPixel(HWND top, int x, int y, uint32_t* pixel);
void DropTopLevelSurface(HWND top);
