// Internal to the platform: what GDI handles point at, and a device context's target.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/wingdi.h"

class FontFace;

struct GdiObject {
    enum class Kind { Brush, Bitmap, Font };
    explicit GdiObject(Kind kind) : kind(kind) {}
    virtual ~GdiObject() = default;
    const Kind kind;
    bool stock = false;  // system brushes: DeleteObject leaves them alone
};

struct BrushObject : GdiObject {
    explicit BrushObject(COLORREF color) : GdiObject(Kind::Brush), color(color) {}
    COLORREF color;
};

// 32-bit pixels, top-down or bottom-up as the creator asked.
struct BitmapObject : GdiObject {
    BitmapObject(int width, int height, bool bottomUp)
        : GdiObject(Kind::Bitmap), width(width), height(height), bottomUp(bottomUp),
          pixels(size_t(width) * size_t(height), 0) {}
    uint32_t* Row(int y) { return pixels.data() + size_t(bottomUp ? height - 1 - y : y) * size_t(width); }
    int width, height;
    bool bottomUp;
    std::vector<uint32_t> pixels;
};

struct FontObject : GdiObject {
    FontObject() : GdiObject(Kind::Font) {}
    std::shared_ptr<FontFace> face;
    int weight = 400;
    bool antialiased = true;
};

struct DeviceContext {
    enum class Kind { Window, Memory, Screen } kind = Kind::Memory;
    HWND window = nullptr;
    BitmapObject* target = nullptr;  // the drawing surface (a window's top-level surface or the selected bitmap)
    POINT origin{0, 0};  // where the DC's (0, 0) lies on the target
    RECT clip{0, 0, 0, 0};  // in target coordinates
    HBITMAP selectedBitmap = nullptr;
    HFONT font = nullptr;
    HBRUSH brush = nullptr;
    COLORREF textColor = 0;
    COLORREF backColor = 0xFFFFFF;
    int backMode = OPAQUE;
};

// The colour of a brush handle, which may be a system colour index + 1 (class backgrounds).
bool BrushColor(HBRUSH brush, COLORREF* color);
// Pixel helpers: COLORREF <-> B, G, R, A words. Like the platform's drawing calls, a
// colour drawn into a 32-bit bitmap leaves its alpha byte 0.
inline uint32_t PixelFromColor(COLORREF c) {
    return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}
inline COLORREF ColorFromPixel(uint32_t p) { return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255); }
// A device context for a window's client area (clipped to rect when given, client coordinates).
HDC MakeWindowDC(HWND hwnd, const RECT* clipTo);
// The default GUI font a new DC starts with.
HFONT DefaultGuiFont();
