// Air Brush: parameter record, preset table and record interpolation.
#pragma once

#include <cstddef>
#include <type_traits>

#include "effects/colorref.h"
#include "resources/stringtable.h"

// 8 bytes, no padding; its bytes are the effect's stored state.
struct tAIR_BRUSH_PROPS {
    float spray;  // blur length as a fraction of the band's height
    float edge;   // lowers the level below which a pixel is lifted
};
static_assert(std::is_standard_layout_v<tAIR_BRUSH_PROPS> && std::is_trivially_copyable_v<tAIR_BRUSH_PROPS>);
static_assert(sizeof(tAIR_BRUSH_PROPS) == 8);
static_assert(offsetof(tAIR_BRUSH_PROPS, spray) == 0);
static_assert(offsetof(tAIR_BRUSH_PROPS, edge) == 4);

constexpr int kAirBrushPresetCount = 6;
constexpr UINT kAirBrushFirstPresetStringId = IDS_PRESETS_AIRBRUSH;
constexpr DWORD kAirBrushEffectCode = 0x440;
extern const tAIR_BRUSH_PROPS g_airBrushPresets[kAirBrushPresetCount];

// out = a..b at t (clamped into 0..1), each float rounded once to single precision.
// Air Brush writes no preset row to the debug channel.
HRESULT InterpolateProps(tAIR_BRUSH_PROPS* out, const tAIR_BRUSH_PROPS* a, const tAIR_BRUSH_PROPS* b, double t);
