// Colorize: record interpolation (the record and its presets are published with its descriptor).
#pragma once

#include "sdk/colorize.h"

constexpr int kColorizePresetCount = kColorize.presetCount;
constexpr UINT kColorizeFirstPresetStringId = kColorize.firstPresetStringId;
constexpr DWORD kColorizeEffectCode = kColorize.effectCode;

// Floats and colours from a to b at t (clamped into 0..1); the flag is a's. Writes
// record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tCOLORIZE_PROPS* out, const tCOLORIZE_PROPS* a, const tCOLORIZE_PROPS* b, double t);
