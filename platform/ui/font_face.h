// Internal to the platform: a font at one pixel size, drawn with FreeType from the font
// file fontconfig picks for the requested face (or for its metric-compatible substitute).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct FontMetrics {
    int ascent = 0, descent = 0;  // pixels above and below the baseline, as the cell uses them
    int internalLeading = 0;
    int averageCharWidth = 0;
    int maxCharWidth = 0;
};

// A glyph's coverage, 0..255 per pixel, placed relative to the pen on the baseline.
struct GlyphImage {
    int left = 0, top = 0, width = 0, height = 0, advance = 0;
    std::vector<uint8_t> coverage;
};

class FontFace {
public:
    // Null when no font file can be found or read.
    static std::shared_ptr<FontFace> Open(const std::string& face, int height, int weight, bool italic, bool antialiased);
    ~FontFace();
    const FontMetrics& Metrics() const { return m_metrics; }
    int Advance(unsigned char c);
    const GlyphImage& Glyph(unsigned char c);
    const std::string& File() const { return m_file; }

private:
    FontFace() = default;
    void* m_face = nullptr;  // FT_Face
    std::string m_file;
    bool m_antialiased = true;
    FontMetrics m_metrics;
    std::map<unsigned char, GlyphImage> m_glyphs;
    std::mutex m_mutex;  // a FreeType face serves one caller at a time
};

// The family fontconfig is asked for: metric-compatible substitutes from Debian's fonts
// for the faces the dialogs and controls name.
std::string SubstituteFamily(const std::string& face);
