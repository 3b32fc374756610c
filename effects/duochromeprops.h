// Duo Chrome: parameter record, preset table and record interpolation.
#pragma once

#include <cstddef>
#include <type_traits>

#include "effects/colorref.h"
#include "resources/stringtable.h"

// 16 bytes; its bytes, padding included, are the effect's stored state.
struct tDUOCHROME_PROPS {
    COLORREF paper;   // the light colour of the ramp
    COLORREF ink;     // the dark colour of the ramp
    float blend;      // share of the ramp colour in the output
    BYTE flag;        // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];  // zero
};
static_assert(std::is_standard_layout_v<tDUOCHROME_PROPS> && std::is_trivially_copyable_v<tDUOCHROME_PROPS>);
static_assert(sizeof(tDUOCHROME_PROPS) == 16);
static_assert(offsetof(tDUOCHROME_PROPS, paper) == 0);
static_assert(offsetof(tDUOCHROME_PROPS, ink) == 4);
static_assert(offsetof(tDUOCHROME_PROPS, blend) == 8);
static_assert(offsetof(tDUOCHROME_PROPS, flag) == 12);
static_assert(offsetof(tDUOCHROME_PROPS, padding) == 13);

constexpr int kDuoChromePresetCount = 10;
constexpr UINT kDuoChromeFirstPresetStringId = IDS_PRESETS_DUOCHROME;
constexpr DWORD kDuoChromeEffectCode = 0x4C1;
extern const tDUOCHROME_PROPS g_duoChromePresets[kDuoChromePresetCount];

// Colours and blend from a to b at t (clamped into 0..1); the flag is set only when
// both are. Writes record a to the debug channel as a preset-table row.
HRESULT InterpolateProps(tDUOCHROME_PROPS* out, const tDUOCHROME_PROPS* a, const tDUOCHROME_PROPS* b, double t);
