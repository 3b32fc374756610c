// Pastel Sketch: parameter record, preset table and record interpolation.
#pragma once

#include <cstddef>
#include <type_traits>

#include "effects/colorref.h"
#include "resources/stringtable.h"

// 20 bytes; its bytes, padding included, are the effect's stored state.
struct tPASTEL_SKETCHPROPS {
    COLORREF paper;   // colour mixed into pixels off the edges
    COLORREF ink;     // colour mixed into pixels on strong edges
    float density;    // edge filter strength
    float blend;      // weight of the input picture
    BYTE flag;        // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];  // zero
};
static_assert(std::is_standard_layout_v<tPASTEL_SKETCHPROPS> && std::is_trivially_copyable_v<tPASTEL_SKETCHPROPS>);
static_assert(sizeof(tPASTEL_SKETCHPROPS) == 20);
static_assert(offsetof(tPASTEL_SKETCHPROPS, paper) == 0);
static_assert(offsetof(tPASTEL_SKETCHPROPS, ink) == 4);
static_assert(offsetof(tPASTEL_SKETCHPROPS, density) == 8);
static_assert(offsetof(tPASTEL_SKETCHPROPS, blend) == 12);
static_assert(offsetof(tPASTEL_SKETCHPROPS, flag) == 16);
static_assert(offsetof(tPASTEL_SKETCHPROPS, padding) == 17);

constexpr int kPastelSketchPresetCount = 9;
constexpr UINT kPastelSketchFirstPresetStringId = IDS_PRESETS_PASTELSKETCH;
constexpr DWORD kPastelSketchEffectCode = 0x441;
extern const tPASTEL_SKETCHPROPS g_pastelSketchPresets[kPastelSketchPresetCount];

// Colours and floats from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tPASTEL_SKETCHPROPS* out, const tPASTEL_SKETCHPROPS* a, const tPASTEL_SKETCHPROPS* b,
                         double t);
