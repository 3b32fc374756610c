// Dream Glow: record interpolation (the record and its presets are published with its descriptor).
#pragma once

#include "sdk/dreamglow.h"

constexpr int kDreamGlowPresetCount = kDreamGlow.presetCount;
constexpr UINT kDreamGlowFirstPresetStringId = kDreamGlow.firstPresetStringId;
constexpr DWORD kDreamGlowEffectCode = kDreamGlow.effectCode;

// Colour and floats from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tDREAM_GLOW_PROPS* out, const tDREAM_GLOW_PROPS* a, const tDREAM_GLOW_PROPS* b, double t);
