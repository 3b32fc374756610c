// Text: fonts as CreateFont describes them, measuring, and drawing with the DC's text
// colour, blended by each glyph's coverage (anti-aliased unless the font asked for
// non-antialiased quality). Text is a single line of Latin-1 characters.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/ui/font_face.h"
#include "platform/ui/gdi_objects.h"

namespace {

FontFace* FaceOf(HDC dc) {
    if (!dc || !dc->font || dc->font->kind != GdiObject::Kind::Font) return nullptr;
    return static_cast<FontObject*>(dc->font)->face.get();
}

int Length(const char* text, int length) { return !text ? 0 : length < 0 ? int(std::strlen(text)) : length; }

int Width(FontFace& face, const char* text, int length) {
    int width = 0;
    for (int i = 0; i < length; ++i) width += face.Advance(static_cast<unsigned char>(text[i]));
    return width;
}

inline uint32_t Mix(uint32_t color, uint32_t dst, uint32_t a) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= ((((color >> shift) & 255) * a + ((dst >> shift) & 255) * (255 - a) + 127) / 255) << shift;
    return out;  // alpha 0, as for every colour drawn
}

// Draws the line with its cell's top-left at (x, y) in DC coordinates.
void DrawLine(HDC dc, FontFace& face, int x, int y, const char* text, int length) {
    if (!dc->target) return;
    const RECT& clip = dc->clip;
    x += dc->origin.x, y += dc->origin.y;
    const FontMetrics& m = face.Metrics();
    if (dc->backMode == OPAQUE) {
        RECT box{std::max<LONG>(x, clip.left), std::max<LONG>(y, clip.top),
                 std::min<LONG>(x + Width(face, text, length), clip.right),
                 std::min<LONG>(y + m.ascent + m.descent, clip.bottom)};
        for (LONG row = box.top; row < box.bottom; ++row)
            std::fill(dc->target->Row(row) + box.left, dc->target->Row(row) + std::max(box.left, box.right),
                      PixelFromColor(dc->backColor));
    }
    const uint32_t color = PixelFromColor(dc->textColor);
    const int baseline = y + m.ascent;
    for (int i = 0; i < length; ++i) {
        const GlyphImage& g = face.Glyph(static_cast<unsigned char>(text[i]));
        for (int gy = 0; gy < g.height; ++gy) {
            const int py = baseline - g.top + gy;
            if (py < clip.top || py >= clip.bottom) continue;
            uint32_t* row = dc->target->Row(py);
            for (int gx = 0; gx < g.width; ++gx) {
                const int px = x + g.left + gx;
                const uint32_t a = g.coverage[size_t(gy) * g.width + gx];
                if (a && px >= clip.left && px < clip.right) row[px] = Mix(color, row[px], a);
            }
        }
        x += g.advance;
    }
}

}  // namespace

extern "C" HFONT CreateFontA(int height, int /*width*/, int /*escapement*/, int /*orientation*/, int weight,
                             DWORD italic, DWORD /*underline*/, DWORD /*strikeOut*/, DWORD /*charSet*/,
                             DWORD /*outPrecision*/, DWORD /*clipPrecision*/, DWORD quality,
                             DWORD /*pitchAndFamily*/, const char* faceName) {
    const bool antialiased = quality != NONANTIALIASED_QUALITY;
    auto face = FontFace::Open(faceName ? faceName : "", height, weight, italic != 0, antialiased);
    if (!face) return nullptr;
    auto* font = new FontObject;
    font->face = std::move(face);
    font->weight = weight;
    font->antialiased = antialiased;
    return font;
}

HFONT DefaultGuiFont() {
    static HFONT font = [] {
        HFONT f = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
        if (f) f->stock = true;
        return f;
    }();
    return font;
}

extern "C" int SetBkMode(HDC dc, int mode) {
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(dc->backMode, mode);
}

extern "C" COLORREF SetTextColor(HDC dc, COLORREF color) {
    return dc ? std::exchange(dc->textColor, color & 0xFFFFFF) : CLR_INVALID;
}

extern "C" COLORREF SetBkColor(HDC dc, COLORREF color) {
    return dc ? std::exchange(dc->backColor, color & 0xFFFFFF) : CLR_INVALID;
}

extern "C" BOOL GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size) {
    FontFace* face = FaceOf(dc);
    if (!face || !size || (!text && length)) return FALSE;
    length = Length(text, length);
    size->cx = Width(*face, text, length);
    size->cy = face->Metrics().ascent + face->Metrics().descent;
    return TRUE;
}

extern "C" BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
    FontFace* face = FaceOf(dc);
    if (!face || !metrics) return FALSE;
    const FontMetrics& m = face->Metrics();
    *metrics = TEXTMETRICA{m.ascent + m.descent, m.ascent, m.descent, m.internalLeading, 0,
                           m.averageCharWidth, m.maxCharWidth, static_cast<FontObject*>(dc->font)->weight};
    return TRUE;
}

extern "C" BOOL TextOutA(HDC dc, int x, int y, const char* text, int length) {
    FontFace* face = FaceOf(dc);
    if (!face) return FALSE;
    DrawLine(dc, *face, x, y, text, Length(text, length));
    return TRUE;
}

extern "C" int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format) {
    FontFace* face = FaceOf(dc);
    if (!face || !rect) return 0;
    length = Length(text, length);
    const int width = Width(*face, text, length);
    const int height = face->Metrics().ascent + face->Metrics().descent;
    if (format & DT_CALCRECT) {
        rect->right = rect->left + width;
        rect->bottom = rect->top + height;
        return height;
    }
    int x = rect->left, y = rect->top;
    if (format & DT_CENTER) x = rect->left + (rect->right - rect->left - width) / 2;
    else if (format & DT_RIGHT) x = rect->right - width;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - height) / 2;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) y = rect->bottom - height;
    DrawLine(dc, *face, x, y, text, length);
    return height;
}
