// Duo Chrome: record interpolation (the record and its presets are published with its descriptor).
#pragma once

#include "sdk/duochrome.h"

constexpr int kDuoChromePresetCount = kDuoChrome.presetCount;
constexpr UINT kDuoChromeFirstPresetStringId = kDuoChrome.firstPresetStringId;
constexpr DWORD kDuoChromeEffectCode = kDuoChrome.effectCode;

// Colours and blend from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tDUOCHROME_PROPS* out, const tDUOCHROME_PROPS* a, const tDUOCHROME_PROPS* b, double t);
