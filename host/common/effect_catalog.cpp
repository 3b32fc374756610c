// The published record layouts and string ids (display name 10000 + 10 k, where k is the
// hundreds digit of the effect's preset-name range). Record layouts: colour references
// first, then single-precision floats; the trailing flag byte and its padding belong to
// the pages and are not listed.
#include "host/common/effect_catalog.h"

#include <array>
#include <cctype>

#include "framework/clsids.h"

namespace brushwerk::common {
namespace {

constexpr FieldKind C = FieldKind::Colour;
constexpr FieldKind N = FieldKind::Number;

constexpr RecordField kAirBrushFields[] = {
    {"spray", 0, N, "Spray", nullptr},
    {"edge", 4, N, "Edge", nullptr},
};
constexpr RecordField kColorizeFields[] = {
    {"color1", 0, C, "Color 1", nullptr},
    {"color2", 4, C, "Color 2", nullptr},
    {"color3", 8, C, "Color 3", nullptr},
    {"strength1", 12, N, "Strength", "Color 1"},
    {"strength2", 16, N, "Strength", "Color 2"},
    {"strength3", 20, N, "Strength", "Color 3"},
    {"smoothing", 24, N, "Smoothing", nullptr},
    {"saturation", 28, N, "Saturation", nullptr},
};
constexpr RecordField kDreamGlowFields[] = {
    {"color", 0, C, "Color", nullptr},
    {"blur", 4, N, "Blur", nullptr},
    {"glow", 8, N, "Glow", nullptr},
};
constexpr RecordField kDuoChromeFields[] = {
    {"paper", 0, C, "Paper", nullptr},
    {"ink", 4, C, "Ink", nullptr},
    {"blend", 8, N, "Blend", nullptr},
};
constexpr RecordField kLineDrawingFields[] = {
    {"paper", 0, C, "Paper", nullptr},
    {"ink", 4, C, "Ink", nullptr},
    {"density", 8, N, "Density", nullptr},
    {"contrast", 12, N, "Contrast", nullptr},
};
constexpr RecordField kMetallicFields[] = {
    {"color", 0, C, "Color", nullptr},
    {"shine", 4, N, "Shine", nullptr},
    {"highlights", 8, N, "Highlights", nullptr},
    {"calibrate", 12, N, "Calibrate", nullptr},
    {"metal", 16, N, "Metal", nullptr},
    {"picture", 20, N, "Picture", nullptr},
};
constexpr RecordField kPastelSketchFields[] = {
    {"paper", 0, C, "Paper", nullptr},
    {"ink", 4, C, "Ink", nullptr},
    {"density", 8, N, "Density", nullptr},
    {"blend", 12, N, "Blend", nullptr},
};

const std::array<EffectInfo, 7> kEffects = {{
    {"airbrush", "Quillet Air Brush", "Air Brush",
     "a soft, sprayed look that keeps dark lines", CLSID_AirBrush, 10010, 8,
     kAirBrushFields},
    {"colorize", "Quillet Colorize", "Colorize",
     "keeps up to three chosen hues and greys the rest", CLSID_Colorize, 10020, 36,
     kColorizeFields},
    {"dreamglow", "Quillet Dream Glow", "Dream Glow",
     "a soft, coloured halo over the bright parts", CLSID_DreamGlow, 10040, 16,
     kDreamGlowFields},
    {"duochrome", "Quillet Duo Chrome", "Duochrome",
     "repaints the picture with two colours along its luminance", CLSID_DuoChrome, 10060, 16,
     kDuoChromeFields},
    {"linedrawing", "Quillet Line Drawing", "Line Drawing",
     "ink lines on paper from the picture's edges", CLSID_LineDrawing, 10070, 20, kLineDrawingFields},
    {"metallic", "Quillet Metallic", "Metallic",
     "tinted, polished metal", CLSID_Metallic, 10050, 28,
     kMetallicFields},
    {"pastelsketch", "Quillet Pastel Sketch", "Pastel Sketch",
     "washes edges towards an ink colour and the rest towards a paper colour", CLSID_PastelSketch, 10030, 20, kPastelSketchFields},
}};

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::span<const EffectInfo> AllEffects() { return kEffects; }

std::string NormaliseEffectName(std::string_view name) {
    std::string out;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (out.starts_with("quillet") && out.size() > 7) out.erase(0, 7);
    return out;
}

const EffectInfo* FindEffect(std::string_view name) {
    const std::string wanted = NormaliseEffectName(name);
    if (wanted.empty()) return nullptr;
    for (const EffectInfo& e : kEffects) {
        if (wanted == e.shortName || wanted == NormaliseEffectName(e.displayName) ||
            wanted == NormaliseEffectName(e.pageTitle))
            return &e;
    }
    // The module's sources call Metallic "metal".
    if (wanted == "metal") return &kEffects[5];
    return nullptr;
}

const RecordField* FindField(const EffectInfo& effect, std::string_view name) {
    for (const RecordField& f : effect.fields)
        if (EqualIgnoringCase(f.name, name)) return &f;
    return nullptr;
}

const char* FieldKindName(FieldKind kind) { return kind == FieldKind::Colour ? "colour" : "number"; }

}  // namespace brushwerk::common
