// Line Drawing: its record, its preset table and its descriptor.
#pragma once

#include <iterator>

#include "sdk/colorref.h"
#include "sdk/effect_descriptor.h"

// 20 bytes; its bytes, padding included, are the effect's stored state.
struct tLINE_DRAWING_PROPS {
    COLORREF paper;   // background colour
    COLORREF ink;     // line colour
    float density;    // edge filter strength
    float contrast;   // steepness of the contrast curve
    BYTE flag;        // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];  // zero
};
static_assert(std::is_standard_layout_v<tLINE_DRAWING_PROPS> && std::is_trivially_copyable_v<tLINE_DRAWING_PROPS>);
static_assert(sizeof(tLINE_DRAWING_PROPS) == 20);
static_assert(offsetof(tLINE_DRAWING_PROPS, paper) == 0);
static_assert(offsetof(tLINE_DRAWING_PROPS, ink) == 4);
static_assert(offsetof(tLINE_DRAWING_PROPS, density) == 8);
static_assert(offsetof(tLINE_DRAWING_PROPS, contrast) == 12);
static_assert(offsetof(tLINE_DRAWING_PROPS, flag) == 16);
static_assert(offsetof(tLINE_DRAWING_PROPS, padding) == 17);

// Row i is named by string kLineDrawing.firstPresetStringId + i.
inline constexpr tLINE_DRAWING_PROPS g_lineDrawingPresets[] = {
    {MakeColorRef(0, 0, 0), MakeColorRef(188, 199, 222), 0.44f, 0.74f, 0, {}},        // Chalkboard
    {MakeColorRef(192, 192, 192), MakeColorRef(115, 132, 148), 0.47f, 0.42f, 0, {}},  // Gray Fog
    {MakeColorRef(0, 128, 64), MakeColorRef(236, 0, 0), 0.47f, 0.64f, 0, {}},         // Holiday Season
    {MakeColorRef(77, 28, 89), MakeColorRef(240, 202, 51), 1.00f, 0.91f, 0, {}},      // Nightmare
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.54f, 0.78f, 0, {}},        // Pen and Paper
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.00f, 0.00f, 0, {}},        // Reset To None
    {MakeColorRef(179, 104, 104), MakeColorRef(48, 47, 44), 0.71f, 0.37f, 0, {}},     // Rust
    {MakeColorRef(156, 181, 206), MakeColorRef(255, 255, 255), 0.52f, 0.44f, 0, {}},  // Sky Gazing
    {MakeColorRef(252, 158, 177), MakeColorRef(211, 29, 162), 0.41f, 0.41f, 0, {}},   // Valentine
    {MakeColorRef(140, 115, 78), MakeColorRef(69, 44, 34), 0.49f, 0.74f, 0, {}},      // Wood Carving
    {MakeColorRef(68, 148, 62), MakeColorRef(255, 255, 0), 0.52f, 0.73f, 0, {}},      // Yellow On Green
};

inline constexpr CLSID CLSID_LineDrawing = MakeGuid("67ECEFFC-0DD6-4F9D-A709-1CE0F0DBED2A");
inline constexpr CLSID CLSID_LineDrawingPP = MakeGuid("DF6FA19A-06BA-477D-8276-665276D0C297");

inline constexpr RecordFieldDescriptor kLineDrawingFields[] = {
    BRUSHWERK_RECORD_FIELD(tLINE_DRAWING_PROPS, paper, "Paper", nullptr, 214, 215),
    BRUSHWERK_RECORD_FIELD(tLINE_DRAWING_PROPS, ink, "Ink", nullptr, 216, 217),
    BRUSHWERK_RECORD_FIELD(tLINE_DRAWING_PROPS, density, "Density", nullptr, 208, 209),
    BRUSHWERK_RECORD_FIELD(tLINE_DRAWING_PROPS, contrast, "Contrast", nullptr, 210, 211),
};

inline constexpr EffectDescriptor kLineDrawing = {
    .shortName = "linedrawing",
    .className = "LineDrawing",
    .pageClassName = "LineDrawingPP",
    .displayName = "Quillet Line Drawing",
    .displayNameStringId = 10070,
    .pageTitle = "Line Drawing",
    .summary = "ink lines on paper from the picture's edges",
    .clsid = CLSID_LineDrawing,
    .pageClsid = CLSID_LineDrawingPP,
    .progId = kEffectProgId,
    .versionIndependentProgId = kEffectVersionIndependentProgId,
    .pageProgId = kPageProgId,
    .pageVersionIndependentProgId = kPageVersionIndependentProgId,
    .scriptId = 117,
    .pageScriptId = 116,
    .scriptTypeLib = MakeGuid("c501f4cd-9c4b-4ad0-9943-f899ee8f3ad8"),
    .effectCode = 0x441,
    .recordSize = sizeof(tLINE_DRAWING_PROPS),
    .presets = g_lineDrawingPresets,
    .presetCount = static_cast<int>(std::size(g_lineDrawingPresets)),
    .firstPresetStringId = 10700,
    .dialogId = 112,
    .helpContext = 6,
    .fields = kLineDrawingFields,
};
static_assert(FieldsFitRecord(kLineDrawing));
