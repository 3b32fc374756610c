// Line Drawing: parameter record, preset table and record interpolation.
#pragma once

#include <cstddef>
#include <type_traits>

#include "effects/colorref.h"
#include "resources/stringtable.h"

// 20 bytes; its bytes, padding included, are the effect's stored state.
struct tLINE_DRAWING_PROPS {
    COLORREF paper;   // background colour
    COLORREF ink;     // line colour
    float density;    // edge filter strength
    float contrast;   // steepness of the contrast curve
    BYTE flag;        // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];  // zero
};
static_assert(std::is_standard_layout_v<tLINE_DRAWING_PROPS> && std::is_trivially_copyable_v<tLINE_DRAWING_PROPS>);
static_assert(sizeof(tLINE_DRAWING_PROPS) == 20);
static_assert(offsetof(tLINE_DRAWING_PROPS, paper) == 0);
static_assert(offsetof(tLINE_DRAWING_PROPS, ink) == 4);
static_assert(offsetof(tLINE_DRAWING_PROPS, density) == 8);
static_assert(offsetof(tLINE_DRAWING_PROPS, contrast) == 12);
static_assert(offsetof(tLINE_DRAWING_PROPS, flag) == 16);
static_assert(offsetof(tLINE_DRAWING_PROPS, padding) == 17);

constexpr int kLineDrawingPresetCount = 11;
constexpr UINT kLineDrawingFirstPresetStringId = IDS_PRESETS_LINEDRAWING;
constexpr DWORD kLineDrawingEffectCode = 0x441;
extern const tLINE_DRAWING_PROPS g_lineDrawingPresets[kLineDrawingPresetCount];

// Colours and floats from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tLINE_DRAWING_PROPS* out, const tLINE_DRAWING_PROPS* a, const tLINE_DRAWING_PROPS* b,
                         double t);
