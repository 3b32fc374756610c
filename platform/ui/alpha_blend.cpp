// AlphaBlend as the platform defines it, on premultiplied B, G, R, A sources:
//   with a constant alpha SCA < 255 every source channel is first scaled, s' = s * SCA / 255;
//   without AC_SRC_ALPHA:  d = s' + d * (255 - SCA) / 255;
//   with AC_SRC_ALPHA:     d = s' + d * (255 - a') / 255, a' the scaled source alpha;
// each division by 255 rounded to nearest (x / 255 is never exactly half way), each
// result saturated at 255 (a source that is not really premultiplied can exceed it).
// Stretching is not offered: the controls draw frames at their own size.
#include <algorithm>

#include "platform/ui/gdi_objects.h"

bool BlitArea(HDC dst, int& x, int& y, int& width, int& height, HDC src, int& srcX, int& srcY);

namespace {

inline uint32_t Div255(uint32_t v) { return (v + 127) / 255; }

uint32_t BlendPixel(uint32_t s, uint32_t d, uint32_t constantAlpha, bool perPixel) {
    if (constantAlpha != 255) {
        uint32_t scaled = 0;
        for (int shift = 0; shift < 32; shift += 8) scaled |= Div255(((s >> shift) & 255) * constantAlpha) << shift;
        s = scaled;
    }
    const uint32_t keep = 255 - (perPixel ? s >> 24 : constantAlpha);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t v = ((s >> shift) & 255) + Div255(((d >> shift) & 255) * keep);
        out |= std::min<uint32_t>(v, 255) << shift;
    }
    return out;
}

}  // namespace

extern "C" BOOL AlphaBlend(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                           int srcHeight, BLENDFUNCTION blend) {
    if (blend.BlendOp != AC_SRC_OVER || srcWidth != width || srcHeight != height || srcX < 0 || srcY < 0) return FALSE;
    if (!src || !src->target || srcX + srcWidth > src->target->width || srcY + srcHeight > src->target->height)
        return FALSE;
    if (!BlitArea(dst, x, y, width, height, src, srcX, srcY)) return dst != nullptr;
    const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    for (int row = 0; row < height; ++row) {
        const uint32_t* s = src->target->Row(srcY + row) + srcX;
        uint32_t* d = dst->target->Row(y + row) + x;
        for (int i = 0; i < width; ++i) d[i] = BlendPixel(s[i], d[i], blend.SourceConstantAlpha, perPixel);
    }
    return TRUE;
}
