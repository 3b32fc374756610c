// Pastel Sketch: record interpolation (the record and its presets are published with its descriptor).
#pragma once

#include "sdk/pastelsketch.h"

constexpr int kPastelSketchPresetCount = kPastelSketch.presetCount;
constexpr UINT kPastelSketchFirstPresetStringId = kPastelSketch.firstPresetStringId;
constexpr DWORD kPastelSketchEffectCode = kPastelSketch.effectCode;

// Colours and floats from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tPASTEL_SKETCHPROPS* out, const tPASTEL_SKETCHPROPS* a, const tPASTEL_SKETCHPROPS* b,
                         double t);
