// Colorize: its record, its preset table and its descriptor.
#pragma once

#include <iterator>

#include "sdk/colorref.h"
#include "sdk/effect_descriptor.h"

// 36 bytes; its bytes, padding included, are the effect's stored state.
struct tCOLORIZE_PROPS {
    COLORREF color1;  // key colours
    COLORREF color2;
    COLORREF color3;
    float strength1;  // hue window of each key colour
    float strength2;
    float strength3;
    float smoothing;   // passes over the hue plane
    float saturation;  // saturation gain
    BYTE flag;         // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];   // zero
};
static_assert(std::is_standard_layout_v<tCOLORIZE_PROPS> && std::is_trivially_copyable_v<tCOLORIZE_PROPS>);
static_assert(sizeof(tCOLORIZE_PROPS) == 36);
static_assert(offsetof(tCOLORIZE_PROPS, color1) == 0);
static_assert(offsetof(tCOLORIZE_PROPS, color2) == 4);
static_assert(offsetof(tCOLORIZE_PROPS, color3) == 8);
static_assert(offsetof(tCOLORIZE_PROPS, strength1) == 12);
static_assert(offsetof(tCOLORIZE_PROPS, strength2) == 16);
static_assert(offsetof(tCOLORIZE_PROPS, strength3) == 20);
static_assert(offsetof(tCOLORIZE_PROPS, smoothing) == 24);
static_assert(offsetof(tCOLORIZE_PROPS, saturation) == 28);
static_assert(offsetof(tCOLORIZE_PROPS, flag) == 32);
static_assert(offsetof(tCOLORIZE_PROPS, padding) == 33);

// Row i is named by string kColorize.firstPresetStringId + i; the order is the ids',
// not alphabetical.
inline constexpr tCOLORIZE_PROPS g_colorizePresets[] = {
    // Blue & Red
    {MakeColorRef(255, 190, 76), MakeColorRef(79, 82, 64), MakeColorRef(168, 33, 9), 0.44f, 0.41f, 0.00f, 0.10f, 0.75f, 0, {}},
    // Cheap Postcard
    {MakeColorRef(0, 0, 255), MakeColorRef(79, 82, 64), MakeColorRef(255, 0, 0), 0.44f, 0.00f, 0.35f, 0.05f, 0.75f, 0, {}},
    // Bad Smog
    {MakeColorRef(90, 71, 199), MakeColorRef(244, 104, 0), MakeColorRef(0, 0, 0), 0.58f, 0.56f, 0.00f, 0.12f, 0.63f, 0, {}},
    // DayGlo
    {MakeColorRef(128, 255, 0), MakeColorRef(255, 255, 0), MakeColorRef(0, 0, 0), 1.00f, 1.00f, 0.00f, 0.21f, 1.00f, 0, {}},
    // Faded Primary Colors
    {MakeColorRef(210, 130, 130), MakeColorRef(73, 105, 148), MakeColorRef(66, 111, 84), 0.44f, 0.44f, 0.44f, 0.28f, 0.42f, 0, {}},
    // Gray People
    {MakeColorRef(177, 203, 245), MakeColorRef(73, 86, 45), MakeColorRef(0, 0, 0), 0.47f, 0.30f, 0.00f, 0.12f, 0.76f, 0, {}},
    // People Outdoors
    {MakeColorRef(128, 138, 77), MakeColorRef(228, 187, 177), MakeColorRef(177, 202, 241), 0.61f, 0.61f, 0.61f, 0.19f, 0.51f, 0, {}},
    // Pink!
    {MakeColorRef(255, 128, 255), MakeColorRef(244, 104, 0), MakeColorRef(0, 0, 0), 1.00f, 0.00f, 0.00f, 0.00f, 0.81f, 0, {}},
    // Purple Yellow
    {MakeColorRef(234, 228, 36), MakeColorRef(121, 84, 158), MakeColorRef(0, 0, 0), 1.00f, 1.00f, 0.00f, 0.08f, 1.00f, 0, {}},
    // Reset To None
    {MakeColorRef(255, 255, 255), MakeColorRef(255, 255, 255), MakeColorRef(255, 255, 255), 0.00f, 0.00f, 0.00f, 0.00f, 0.50f, 0, {}},
    // Skin Tone
    {MakeColorRef(193, 157, 135), MakeColorRef(121, 132, 57), MakeColorRef(125, 135, 145), 0.80f, 0.80f, 0.53f, 0.20f, 0.53f, 0, {}},
    // Sodium Lights
    {MakeColorRef(180, 172, 13), MakeColorRef(244, 104, 0), MakeColorRef(0, 0, 0), 1.00f, 0.00f, 0.00f, 0.00f, 0.46f, 0, {}},
};

inline constexpr CLSID CLSID_Colorize = MakeGuid("3DF0A492-F601-463F-A6AA-358B5A3CA376");
inline constexpr CLSID CLSID_ColorizePP = MakeGuid("2FC6216B-8324-4B5A-BDF0-2DA166D44C7A");

inline constexpr RecordFieldDescriptor kColorizeFields[] = {
    BRUSHWERK_RECORD_FIELD(tCOLORIZE_PROPS, color1, "Color 1", nullptr, 214, 215),
    BRUSHWERK_RECORD_FIELD(tCOLORIZE_PROPS, color2, "Color 2", nullptr, 216, 217),
    BRUSHWERK_RECORD_FIELD(tCOLORIZE_PROPS, color3, "Color 3", nullptr, 218, 219),
    BRUSHWERK_RECORD_FIELD(tCOLORIZE_PROPS, strength1, "Strength", "Color 1", 201, 202),
    BRUSHWERK_RECORD_FIELD(tCOLORIZE_PROPS, strength2, "Strength", "Color 2", 205, 206),
    BRUSHWERK_RECORD_FIELD(tCOLORIZE_PROPS, strength3, "Strength", "Color 3", 204, 209),
    BRUSHWERK_RECORD_FIELD(tCOLORIZE_PROPS, smoothing, "Smoothing", nullptr, 211, 212),
    BRUSHWERK_RECORD_FIELD(tCOLORIZE_PROPS, saturation, "Saturation", nullptr, 213, 222),
};

inline constexpr EffectDescriptor kColorize = {
    .shortName = "colorize",
    .className = "Colorize",
    .pageClassName = "ColorizePP",
    .displayName = "Quillet Colorize",
    .displayNameStringId = 10020,
    .pageTitle = "Colorize",
    .summary = "keeps up to three chosen hues and greys the rest",
    .clsid = CLSID_Colorize,
    .pageClsid = CLSID_ColorizePP,
    .progId = kEffectProgId,
    .versionIndependentProgId = kEffectVersionIndependentProgId,
    .pageProgId = kPageProgId,
    .pageVersionIndependentProgId = kPageVersionIndependentProgId,
    .scriptId = 111,
    .pageScriptId = 110,
    .scriptTypeLib = MakeGuid("7d6a1a4d-5331-42d4-be02-c18a24250d15"),
    .effectCode = 0x401,
    .recordSize = sizeof(tCOLORIZE_PROPS),
    .presets = g_colorizePresets,
    .presetCount = static_cast<int>(std::size(g_colorizePresets)),
    .firstPresetStringId = 10200,
    .dialogId = 109,
    .helpContext = 3,
    .fields = kColorizeFields,
};
static_assert(FieldsFitRecord(kColorize));
