// Dream Glow: parameter record, preset table and record interpolation.
#pragma once

#include <cstddef>
#include <type_traits>

#include "effects/colorref.h"
#include "resources/stringtable.h"

// 16 bytes; its bytes, padding included, are the effect's stored state.
struct tDREAM_GLOW_PROPS {
    COLORREF color;   // glow colour, also the per-channel ceiling of the output
    float blur;       // blur length as a fraction of one fifth of the band's height
    float glow;       // glow gain
    BYTE flag;        // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];  // zero
};
static_assert(std::is_standard_layout_v<tDREAM_GLOW_PROPS> && std::is_trivially_copyable_v<tDREAM_GLOW_PROPS>);
static_assert(sizeof(tDREAM_GLOW_PROPS) == 16);
static_assert(offsetof(tDREAM_GLOW_PROPS, color) == 0);
static_assert(offsetof(tDREAM_GLOW_PROPS, blur) == 4);
static_assert(offsetof(tDREAM_GLOW_PROPS, glow) == 8);
static_assert(offsetof(tDREAM_GLOW_PROPS, flag) == 12);
static_assert(offsetof(tDREAM_GLOW_PROPS, padding) == 13);

constexpr int kDreamGlowPresetCount = 11;
constexpr UINT kDreamGlowFirstPresetStringId = IDS_PRESETS_DREAMGLOW;
constexpr DWORD kDreamGlowEffectCode = 0x400;
extern const tDREAM_GLOW_PROPS g_dreamGlowPresets[kDreamGlowPresetCount];

// Colour and floats from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tDREAM_GLOW_PROPS* out, const tDREAM_GLOW_PROPS* a, const tDREAM_GLOW_PROPS* b, double t);
