// Pastel Sketch: its record, its preset table and its descriptor.
#pragma once

#include <iterator>

#include "sdk/colorref.h"
#include "sdk/effect_descriptor.h"

// 20 bytes; its bytes, padding included, are the effect's stored state.
struct tPASTEL_SKETCHPROPS {
    COLORREF paper;   // colour mixed into pixels off the edges
    COLORREF ink;     // colour mixed into pixels on strong edges
    float density;    // edge filter strength
    float blend;      // weight of the input picture
    BYTE flag;        // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];  // zero
};
static_assert(std::is_standard_layout_v<tPASTEL_SKETCHPROPS> && std::is_trivially_copyable_v<tPASTEL_SKETCHPROPS>);
static_assert(sizeof(tPASTEL_SKETCHPROPS) == 20);
static_assert(offsetof(tPASTEL_SKETCHPROPS, paper) == 0);
static_assert(offsetof(tPASTEL_SKETCHPROPS, ink) == 4);
static_assert(offsetof(tPASTEL_SKETCHPROPS, density) == 8);
static_assert(offsetof(tPASTEL_SKETCHPROPS, blend) == 12);
static_assert(offsetof(tPASTEL_SKETCHPROPS, flag) == 16);
static_assert(offsetof(tPASTEL_SKETCHPROPS, padding) == 17);

// Row i is named by string kPastelSketch.firstPresetStringId + i.
inline constexpr tPASTEL_SKETCHPROPS g_pastelSketchPresets[] = {
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.50f, 0.57f, 0, {}},        // Cartoon
    {MakeColorRef(254, 35, 0), MakeColorRef(0, 0, 0), 0.62f, 0.33f, 0, {}},           // Heat
    {MakeColorRef(255, 255, 0), MakeColorRef(86, 84, 41), 0.43f, 0.63f, 0, {}},       // Lemon Meringue
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.42f, 0.24f, 0, {}},        // Light Shading
    {MakeColorRef(115, 117, 185), MakeColorRef(0, 0, 0), 0.50f, 0.21f, 0, {}},        // Night
    {MakeColorRef(143, 143, 143), MakeColorRef(0, 0, 0), 1.00f, 0.43f, 0, {}},        // Pepper
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.04f, 1.00f, 0, {}},        // Reset To None
    {MakeColorRef(93, 93, 93), MakeColorRef(255, 255, 255), 1.00f, 0.43f, 0, {}},     // Salt
    {MakeColorRef(201, 201, 201), MakeColorRef(0, 0, 0), 0.44f, 0.79f, 0, {}},        // Subtle
};

inline constexpr CLSID CLSID_PastelSketch = MakeGuid("7DF87C52-E6EE-483B-86D0-BBEB9AACE01A");
inline constexpr CLSID CLSID_PastelSketchPP = MakeGuid("402DEBAD-CCC3-4DE6-9348-C7FE5A3BA39A");

inline constexpr RecordFieldDescriptor kPastelSketchFields[] = {
    BRUSHWERK_RECORD_FIELD(tPASTEL_SKETCHPROPS, paper, "Paper", nullptr, 214, 215),
    BRUSHWERK_RECORD_FIELD(tPASTEL_SKETCHPROPS, ink, "Ink", nullptr, 216, 217),
    BRUSHWERK_RECORD_FIELD(tPASTEL_SKETCHPROPS, density, "Density", nullptr, 208, 209),
    BRUSHWERK_RECORD_FIELD(tPASTEL_SKETCHPROPS, blend, "Blend", nullptr, 205, 206),
};

inline constexpr EffectDescriptor kPastelSketch = {
    .shortName = "pastelsketch",
    .className = "PastelSketch",
    .pageClassName = "PastelSketchPP",
    .displayName = "Quillet Pastel Sketch",
    .displayNameStringId = 10030,
    .pageTitle = "Pastel Sketch",
    .summary = "washes edges towards an ink colour and the rest towards a paper colour",
    .clsid = CLSID_PastelSketch,
    .pageClsid = CLSID_PastelSketchPP,
    .progId = kEffectProgId,
    .versionIndependentProgId = kEffectVersionIndependentProgId,
    .pageProgId = kPageProgId,
    .pageVersionIndependentProgId = kPageVersionIndependentProgId,
    .scriptId = 107,
    .pageScriptId = 106,
    .scriptTypeLib = MakeGuid("bec30f5e-ffa1-4769-b12c-11b8d6611c67"),
    .effectCode = 0x441,
    .recordSize = sizeof(tPASTEL_SKETCHPROPS),
    .presets = g_pastelSketchPresets,
    .presetCount = static_cast<int>(std::size(g_pastelSketchPresets)),
    .firstPresetStringId = 10300,
    .dialogId = 107,
    .helpContext = 8,
    .fields = kPastelSketchFields,
};
static_assert(FieldsFitRecord(kPastelSketch));
