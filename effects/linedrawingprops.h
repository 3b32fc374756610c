// Line Drawing: record interpolation (the record and its presets are published with its descriptor).
#pragma once

#include "sdk/linedrawing.h"

constexpr int kLineDrawingPresetCount = kLineDrawing.presetCount;
constexpr UINT kLineDrawingFirstPresetStringId = kLineDrawing.firstPresetStringId;
constexpr DWORD kLineDrawingEffectCode = kLineDrawing.effectCode;

// Colours and floats from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tLINE_DRAWING_PROPS* out, const tLINE_DRAWING_PROPS* a, const tLINE_DRAWING_PROPS* b,
                         double t);
