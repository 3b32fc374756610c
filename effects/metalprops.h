// Metallic: record interpolation (the record and its presets are published with its descriptor).
#pragma once

#include "sdk/metallic.h"

constexpr int kMetallicPresetCount = kMetallic.presetCount;
constexpr UINT kMetallicFirstPresetStringId = kMetallic.firstPresetStringId;
constexpr DWORD kMetallicEffectCode = kMetallic.effectCode;

// Colour and floats from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tMETALLIC_PROPS* out, const tMETALLIC_PROPS* a, const tMETALLIC_PROPS* b, double t);
