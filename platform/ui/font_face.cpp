// Fonts through fontconfig and FreeType. A height below zero is the character height
// (the em size) in pixels, above zero the cell height (ascent + descent), as CreateFont
// takes them; the cell comes from the font's OS/2 Windows ascent and descent, which is
// what the substitutes were made metric-compatible with.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "platform/ui/font_face.h"

namespace {

struct FreeType {
    FT_Library library = nullptr;
    std::mutex mutex;  // guards the library: faces are opened and closed one at a time
};
FreeType& Library() {
    static auto* ft = [] {
        auto* f = new FreeType;
        if (FT_Init_FreeType(&f->library)) f->library = nullptr;
        return f;
    }();
    return *ft;
}

bool SameName(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) &&
           std::equal(a.begin(), a.end(), b, [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

std::string MatchFile(const std::string& family, int weight, bool italic, int* index) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    FcInit();
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight ? weight : 400, 1, 1000)));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    if (match) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

}  // namespace

std::string SubstituteFamily(const std::string& face) {
    static const char* const kTable[][2] = {
        {"MS Sans Serif", "Liberation Sans"}, {"Microsoft Sans Serif", "Liberation Sans"},
        {"MS Shell Dlg", "Liberation Sans"},  {"Arial", "Liberation Sans"},
        {"Tahoma", "DejaVu Sans"},            {"Verdana", "DejaVu Sans"},
        {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
    };
    for (const auto& row : kTable)
        if (SameName(face, row[0])) return row[1];
    return face.empty() ? "Liberation Sans" : face;
}

std::shared_ptr<FontFace> FontFace::Open(const std::string& face, int height, int weight, bool italic,
                                         bool antialiased) {
    int index = 0;
    std::string file = MatchFile(SubstituteFamily(face), weight, italic, &index);
    auto& ft = Library();
    if (file.empty() || !ft.library) return nullptr;
    std::shared_ptr<FontFace> font(new FontFace);
    FT_Face ftFace = nullptr;
    {
        std::lock_guard lock(ft.mutex);
        if (FT_New_Face(ft.library, file.c_str(), index, &ftFace)) return nullptr;
    }
    font->m_face = ftFace;
    font->m_file = file;
    font->m_antialiased = antialiased;
    const double unitsPerEm = ftFace->units_per_EM ? ftFace->units_per_EM : 2048;
    double cellAscent = ftFace->ascender, cellDescent = -double(ftFace->descender);
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) cellAscent = os2->usWinAscent, cellDescent = os2->usWinDescent;
    // Height 0 asks for the default size.
    double em = height < 0 ? -height : height > 0 ? height * unitsPerEm / (cellAscent + cellDescent) : 12;
    int pixels = std::max(1, int(std::lround(em)));
    FT_Set_Pixel_Sizes(ftFace, 0, FT_UInt(pixels));
    const double scale = pixels / unitsPerEm;
    auto& m = font->m_metrics;
    m.ascent = int(std::ceil(cellAscent * scale - 1e-9));
    m.descent = int(std::ceil(cellDescent * scale - 1e-9));
    m.internalLeading = std::max(0, m.ascent + m.descent - pixels);
    m.averageCharWidth = os2 ? int(std::lround(os2->xAvgCharWidth * scale)) : font->Advance('x');
    m.maxCharWidth = int(std::lround((ftFace->bbox.xMax - ftFace->bbox.xMin) * scale));
    return font;
}

FontFace::~FontFace() {
    auto& ft = Library();
    std::lock_guard lock(ft.mutex);
    FT_Done_Face(static_cast<FT_Face>(m_face));
}

int FontFace::Advance(unsigned char c) { return Glyph(c).advance; }

const GlyphImage& FontFace::Glyph(unsigned char c) {
    std::lock_guard lock(m_mutex);
    auto it = m_glyphs.find(c);
    if (it != m_glyphs.end()) return it->second;
    GlyphImage& g = m_glyphs[c];
    auto face = static_cast<FT_Face>(m_face);
    // Text is Latin-1: each byte is its own code point.
    FT_Int32 flags = FT_LOAD_RENDER | (m_antialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME);
    if (FT_Load_Char(face, c, flags)) return g;
    const FT_GlyphSlot slot = face->glyph;
    g.advance = int((slot->advance.x + 32) >> 6);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = int(slot->bitmap.width);
    g.height = int(slot->bitmap.rows);
    g.coverage.assign(size_t(g.width) * size_t(g.height), 0);
    for (int y = 0; y < g.height; ++y) {
        const unsigned char* row = slot->bitmap.buffer + y * slot->bitmap.pitch;
        for (int x = 0; x < g.width; ++x)
            g.coverage[size_t(y) * g.width + x] = slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                                       ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255
                                                       : row[x];
    }
    return g;
}
