// Colorize: parameter record, preset table and record interpolation.
#pragma once

#include <cstddef>
#include <type_traits>

#include "effects/colorref.h"
#include "resources/stringtable.h"

// 36 bytes; its bytes, padding included, are the effect's stored state.
struct tCOLORIZE_PROPS {
    COLORREF color1;  // key colours
    COLORREF color2;
    COLORREF color3;
    float strength1;  // hue window of each key colour
    float strength2;
    float strength3;
    float smoothing;   // passes over the hue plane
    float saturation;  // saturation gain
    BYTE flag;         // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];   // zero
};
static_assert(std::is_standard_layout_v<tCOLORIZE_PROPS> && std::is_trivially_copyable_v<tCOLORIZE_PROPS>);
static_assert(sizeof(tCOLORIZE_PROPS) == 36);
static_assert(offsetof(tCOLORIZE_PROPS, color1) == 0);
static_assert(offsetof(tCOLORIZE_PROPS, color2) == 4);
static_assert(offsetof(tCOLORIZE_PROPS, color3) == 8);
static_assert(offsetof(tCOLORIZE_PROPS, strength1) == 12);
static_assert(offsetof(tCOLORIZE_PROPS, strength2) == 16);
static_assert(offsetof(tCOLORIZE_PROPS, strength3) == 20);
static_assert(offsetof(tCOLORIZE_PROPS, smoothing) == 24);
static_assert(offsetof(tCOLORIZE_PROPS, saturation) == 28);
static_assert(offsetof(tCOLORIZE_PROPS, flag) == 32);
static_assert(offsetof(tCOLORIZE_PROPS, padding) == 33);

constexpr int kColorizePresetCount = 12;
constexpr UINT kColorizeFirstPresetStringId = IDS_PRESETS_COLORIZE;
constexpr DWORD kColorizeEffectCode = 0x401;
extern const tCOLORIZE_PROPS g_colorizePresets[kColorizePresetCount];

// Floats and colours from a to b at t (clamped into 0..1); the flag is a's. Writes
// record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tCOLORIZE_PROPS* out, const tCOLORIZE_PROPS* a, const tCOLORIZE_PROPS* b, double t);
