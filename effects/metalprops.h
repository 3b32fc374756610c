// Metallic: parameter record, preset table and record interpolation.
#pragma once

#include <cstddef>
#include <type_traits>

#include "effects/colorref.h"
#include "resources/stringtable.h"

// 28 bytes; its bytes, padding included, are the effect's stored state.
struct tMETALLIC_PROPS {
    COLORREF color;    // the metal's colour
    float shine;       // depth of the sine modulation
    float highlights;  // number of reflection bands
    float calibrate;   // phase of the wave
    float metal;       // strength of the metal colour
    float picture;     // share of the source picture
    BYTE flag;         // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];   // zero
};
static_assert(std::is_standard_layout_v<tMETALLIC_PROPS> && std::is_trivially_copyable_v<tMETALLIC_PROPS>);
static_assert(sizeof(tMETALLIC_PROPS) == 28);
static_assert(offsetof(tMETALLIC_PROPS, color) == 0);
static_assert(offsetof(tMETALLIC_PROPS, shine) == 4);
static_assert(offsetof(tMETALLIC_PROPS, highlights) == 8);
static_assert(offsetof(tMETALLIC_PROPS, calibrate) == 12);
static_assert(offsetof(tMETALLIC_PROPS, metal) == 16);
static_assert(offsetof(tMETALLIC_PROPS, picture) == 20);
static_assert(offsetof(tMETALLIC_PROPS, flag) == 24);
static_assert(offsetof(tMETALLIC_PROPS, padding) == 25);

constexpr int kMetallicPresetCount = 10;
constexpr UINT kMetallicFirstPresetStringId = IDS_PRESETS_METALLIC;
constexpr DWORD kMetallicEffectCode = 0x4C1;
extern const tMETALLIC_PROPS g_metallicPresets[kMetallicPresetCount];

// Colour and floats from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tMETALLIC_PROPS* out, const tMETALLIC_PROPS* a, const tMETALLIC_PROPS* b, double t);
