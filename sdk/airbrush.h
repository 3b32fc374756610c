// Air Brush: its record, its preset table and its descriptor.
#pragma once

#include <iterator>

#include "sdk/colorref.h"
#include "sdk/effect_descriptor.h"

// 8 bytes, no padding; its bytes are the effect's stored state.
struct tAIR_BRUSH_PROPS {
    float spray;  // blur length as a fraction of the band's height
    float edge;   // lowers the level below which a pixel is lifted
};
static_assert(std::is_standard_layout_v<tAIR_BRUSH_PROPS> && std::is_trivially_copyable_v<tAIR_BRUSH_PROPS>);
static_assert(sizeof(tAIR_BRUSH_PROPS) == 8);
static_assert(offsetof(tAIR_BRUSH_PROPS, spray) == 0);
static_assert(offsetof(tAIR_BRUSH_PROPS, edge) == 4);

// Row i is named by string kAirBrush.firstPresetStringId + i.
inline constexpr tAIR_BRUSH_PROPS g_airBrushPresets[] = {
    {0.35f, 1.00f},  // Air Brushed
    {0.51f, 0.27f},  // Dream
    {0.81f, 0.00f},  // Fog
    {0.27f, 0.15f},  // Out Of Focus
    {0.00f, 0.00f},  // Reset To None
    {0.00f, 0.57f},  // Touch Up
};

inline constexpr CLSID CLSID_AirBrush = MakeGuid("952FB6E1-477A-4770-AF38-661F9AF5AB8D");
inline constexpr CLSID CLSID_AirBrushPP = MakeGuid("B415FD10-ED21-4620-A41A-554613DB1A84");

inline constexpr RecordFieldDescriptor kAirBrushFields[] = {
    BRUSHWERK_RECORD_FIELD(tAIR_BRUSH_PROPS, spray, "Spray", nullptr, 201, 202),
    BRUSHWERK_RECORD_FIELD(tAIR_BRUSH_PROPS, edge, "Edge", nullptr, 205, 206),
};

inline constexpr EffectDescriptor kAirBrush = {
    .shortName = "airbrush",
    .className = "AirBrush",
    .pageClassName = "AirBrushPP",
    .displayName = "Quillet Air Brush",
    .displayNameStringId = 10010,
    .pageTitle = "Air Brush",
    .summary = "a soft, sprayed look that keeps dark lines",
    .clsid = CLSID_AirBrush,
    .pageClsid = CLSID_AirBrushPP,
    .progId = kEffectProgId,
    .versionIndependentProgId = kEffectVersionIndependentProgId,
    .pageProgId = kPageProgId,
    .pageVersionIndependentProgId = kPageVersionIndependentProgId,
    .scriptId = 109,
    .pageScriptId = 108,
    .scriptTypeLib = MakeGuid("65bcee9e-5221-44dd-a0aa-ff375e3dfbce"),
    .effectCode = 0x440,
    .recordSize = sizeof(tAIR_BRUSH_PROPS),
    .presets = g_airBrushPresets,
    .presetCount = static_cast<int>(std::size(g_airBrushPresets)),
    .firstPresetStringId = 10100,
    .dialogId = 108,
    .helpContext = 2,
    .fields = kAirBrushFields,
};
static_assert(FieldsFitRecord(kAirBrush));
