// GDI objects and device contexts, the fixed classic colour scheme, and the pixel
// calls: FillRect, GetPixel, SetPixel, BitBlt.
#include <algorithm>
#include <cstring>

#include "platform/ui/display.h"
#include "platform/ui/gdi_objects.h"

namespace {

// The classic scheme, by system colour index.
constexpr COLORREF kSystemColors[31] = {
    RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(192, 192, 192), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(0, 0, 0),       RGB(0, 0, 255),     RGB(16, 132, 208),  RGB(181, 181, 181), RGB(0, 0, 128),
    RGB(192, 192, 192)};
constexpr int kSystemColorCount = int(sizeof kSystemColors / sizeof kSystemColors[0]);

BrushObject* SystemBrushes() {
    static BrushObject* brushes = [] {
        auto* b = static_cast<BrushObject*>(::operator new(sizeof(BrushObject) * kSystemColorCount));
        for (int i = 0; i < kSystemColorCount; ++i) {
            new (b + i) BrushObject(kSystemColors[i]);
            b[i].stock = true;
        }
        return b;
    }();
    return brushes;
}

RECT Intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

}  // namespace

bool BrushColor(HBRUSH brush, COLORREF* color) {
    uintptr_t value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= uintptr_t(kSystemColorCount)) {
        *color = kSystemColors[value - 1];
        return true;
    }
    if (!brush || brush->kind != GdiObject::Kind::Brush) return false;
    *color = static_cast<BrushObject*>(brush)->color;
    return true;
}

extern "C" DWORD GetSysColor(int index) { return index >= 0 && index < kSystemColorCount ? kSystemColors[index] : 0; }

extern "C" HBRUSH GetSysColorBrush(int index) {
    return index >= 0 && index < kSystemColorCount ? &SystemBrushes()[index] : nullptr;
}

extern "C" HBRUSH CreateSolidBrush(COLORREF color) { return new BrushObject(color & 0xFFFFFF); }

extern "C" HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS) return nullptr;
    const auto& h = info->bmiHeader;
    const int64_t height = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
    // 32-bit uncompressed only, and a size that fits comfortably in memory.
    if (h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0 || height <= 0 ||
        int64_t(h.biWidth) * height > (int64_t(1) << 26))
        return nullptr;
    auto* bitmap = new BitmapObject(h.biWidth, int(height), h.biHeight > 0);
    if (bits) *bits = bitmap->pixels.data();
    return bitmap;
}

extern "C" HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
    if (width <= 0 || height <= 0 || int64_t(width) * height > (int64_t(1) << 26)) return nullptr;
    return new BitmapObject(width, height, false);
}

extern "C" int GetObjectA(HGDIOBJ object, int size, void* out) {
    if (!object || object->kind != GdiObject::Kind::Bitmap || !out || size < int(sizeof(BITMAP))) return 0;
    auto* b = static_cast<BitmapObject*>(object);
    BITMAP info{0, b->width, b->height, b->width * 4, 1, 32, b->pixels.data()};
    std::memcpy(out, &info, sizeof info);
    return sizeof info;
}

extern "C" HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (!dc || !object) return nullptr;
    HGDIOBJ previous = nullptr;
    switch (object->kind) {
    case GdiObject::Kind::Bitmap:
        if (dc->kind != DeviceContext::Kind::Memory) return nullptr;
        previous = dc->selectedBitmap;
        dc->selectedBitmap = object;
        dc->target = static_cast<BitmapObject*>(object);
        dc->clip = RECT{0, 0, dc->target->width, dc->target->height};
        break;
    case GdiObject::Kind::Brush:
        previous = dc->brush;
        dc->brush = object;
        break;
    case GdiObject::Kind::Font:
        previous = dc->font;
        dc->font = object;
        break;
    }
    return previous;
}

extern "C" BOOL DeleteObject(HGDIOBJ object) {
    if (!object) return FALSE;
    if (!object->stock) delete object;
    return TRUE;
}

extern "C" HDC CreateCompatibleDC(HDC) {
    auto* dc = new DeviceContext;
    dc->font = DefaultGuiFont();
    return dc;
}

extern "C" BOOL DeleteDC(HDC dc) {
    delete dc;
    return dc ? TRUE : FALSE;
}

extern "C" int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    COLORREF color;
    if (!dc || !rect || !dc->target || !BrushColor(brush, &color)) return 0;
    RECT r = Intersect(RECT{rect->left + dc->origin.x, rect->top + dc->origin.y, rect->right + dc->origin.x,
                            rect->bottom + dc->origin.y},
                       dc->clip);
    const uint32_t pixel = PixelFromColor(color);
    for (LONG y = r.top; y < r.bottom; ++y) std::fill(dc->target->Row(y) + r.left, dc->target->Row(y) + r.right, pixel);
    return 1;
}

extern "C" COLORREF GetPixel(HDC dc, int x, int y) {
    if (!dc) return CLR_INVALID;
    if (dc->kind == DeviceContext::Kind::Screen) {
        COLORREF color;
        return ActiveDisplay().ReadScreenPixel(x, y, &color) ? color : CLR_INVALID;
    }
    x += dc->origin.x, y += dc->origin.y;
    if (!dc->target || x < dc->clip.left || y < dc->clip.top || x >= dc->clip.right || y >= dc->clip.bottom)
        return CLR_INVALID;
    return ColorFromPixel(dc->target->Row(y)[x]);
}

extern "C" COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    if (!dc || !dc->target) return CLR_INVALID;
    x += dc->origin.x, y += dc->origin.y;
    if (x < dc->clip.left || y < dc->clip.top || x >= dc->clip.right || y >= dc->clip.bottom) return CLR_INVALID;
    dc->target->Row(y)[x] = PixelFromColor(color);
    return color & 0xFFFFFF;
}

// The rectangle both DCs can serve: destination clipped, source kept inside its bitmap.
bool BlitArea(HDC dst, int& x, int& y, int& width, int& height, HDC src, int& srcX, int& srcY) {
    if (!dst || !src || !dst->target || !src->target || width <= 0 || height <= 0) return false;
    x += dst->origin.x, y += dst->origin.y, srcX += src->origin.x, srcY += src->origin.y;
    RECT d = Intersect(RECT{x, y, x + width, y + height}, dst->clip);
    RECT s = Intersect(RECT{srcX, srcY, srcX + width, srcY + height}, src->clip);
    // Shift the destination to the source's usable part and back.
    d = Intersect(d, RECT{s.left - srcX + x, s.top - srcY + y, s.right - srcX + x, s.bottom - srcY + y});
    if (d.right <= d.left || d.bottom <= d.top) return false;
    srcX += d.left - x, srcY += d.top - y;
    x = d.left, y = d.top, width = d.right - d.left, height = d.bottom - d.top;
    return true;
}

extern "C" BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    if (rop != SRCCOPY) return FALSE;
    if (!BlitArea(dst, x, y, width, height, src, srcX, srcY)) return dst && src;
    for (int row = 0; row < height; ++row)
        std::memmove(dst->target->Row(y + row) + x, src->target->Row(srcY + row) + srcX, size_t(width) * 4);
    return TRUE;
}
