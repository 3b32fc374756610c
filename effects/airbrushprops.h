// Air Brush: record interpolation (the record and its presets are published with its descriptor).
#pragma once

#include "sdk/airbrush.h"

constexpr int kAirBrushPresetCount = kAirBrush.presetCount;
constexpr UINT kAirBrushFirstPresetStringId = kAirBrush.firstPresetStringId;
constexpr DWORD kAirBrushEffectCode = kAirBrush.effectCode;

// out = a..b at t (clamped into 0..1), each float rounded once to single precision.
// Air Brush writes no preset row to the debug channel.
HRESULT InterpolateProps(tAIR_BRUSH_PROPS* out, const tAIR_BRUSH_PROPS* a, const tAIR_BRUSH_PROPS* b, double t);
