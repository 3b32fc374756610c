// Colour references as the records hold them: red in the low byte, green in the
// next, blue in the third, top byte 0.
#pragma once

#include "platform/com/wintypes.h"

constexpr COLORREF MakeColorRef(BYTE red, BYTE green, BYTE blue) {
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) | (static_cast<COLORREF>(blue) << 16);
}
constexpr BYTE RedOf(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GreenOf(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE BlueOf(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
