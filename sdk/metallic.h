// Metallic: its record, its preset table and its descriptor.
#pragma once

#include <iterator>

#include "sdk/colorref.h"
#include "sdk/effect_descriptor.h"

// 28 bytes; its bytes, padding included, are the effect's stored state.
struct tMETALLIC_PROPS {
    COLORREF color;    // the metal's colour
    float shine;       // depth of the sine modulation
    float highlights;  // number of reflection bands
    float calibrate;   // phase of the wave
    float metal;       // strength of the metal colour
    float picture;     // share of the source picture
    BYTE flag;         // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];   // zero
};
static_assert(std::is_standard_layout_v<tMETALLIC_PROPS> && std::is_trivially_copyable_v<tMETALLIC_PROPS>);
static_assert(sizeof(tMETALLIC_PROPS) == 28);
static_assert(offsetof(tMETALLIC_PROPS, color) == 0);
static_assert(offsetof(tMETALLIC_PROPS, shine) == 4);
static_assert(offsetof(tMETALLIC_PROPS, highlights) == 8);
static_assert(offsetof(tMETALLIC_PROPS, calibrate) == 12);
static_assert(offsetof(tMETALLIC_PROPS, metal) == 16);
static_assert(offsetof(tMETALLIC_PROPS, picture) == 20);
static_assert(offsetof(tMETALLIC_PROPS, flag) == 24);
static_assert(offsetof(tMETALLIC_PROPS, padding) == 25);

// Row i is named by string kMetallic.firstPresetStringId + i.
inline constexpr tMETALLIC_PROPS g_metallicPresets[] = {
    {MakeColorRef(140, 120, 83), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},   // Bronze
    {MakeColorRef(73, 65, 122), 1.00f, 0.56f, 0.74f, 0.57f, 0.58f, 0, {}},    // Cool Steel
    {MakeColorRef(184, 115, 51), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},   // Copper
    {MakeColorRef(223, 175, 32), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},   // Gold
    {MakeColorRef(255, 128, 0), 1.00f, 1.00f, 0.74f, 0.82f, 0.25f, 0, {}},    // Halloween
    {MakeColorRef(251, 0, 125), 0.57f, 0.16f, 0.65f, 0.62f, 0.48f, 0, {}},    // Pink Wash
    {MakeColorRef(222, 222, 222), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},  // Platinum
    {MakeColorRef(255, 255, 0), 1.00f, 0.62f, 0.74f, 0.20f, 1.00f, 0, {}},    // Radiant Lemon
    {MakeColorRef(255, 255, 255), 0.00f, 0.00f, 0.00f, 0.00f, 1.00f, 0, {}},  // Reset To None
    {MakeColorRef(230, 232, 250), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},  // Silver
};

inline constexpr CLSID CLSID_Metallic = MakeGuid("E3A00D06-4EB9-4B50-A817-86AACA4FF114");
inline constexpr CLSID CLSID_MetallicPP = MakeGuid("D027EEF8-922D-4E4F-B6B8-C1D1470648F3");

inline constexpr RecordFieldDescriptor kMetallicFields[] = {
    BRUSHWERK_RECORD_FIELD(tMETALLIC_PROPS, color, "Color", nullptr, 214, 215),
    BRUSHWERK_RECORD_FIELD(tMETALLIC_PROPS, shine, "Shine", nullptr, 205, 206),
    BRUSHWERK_RECORD_FIELD(tMETALLIC_PROPS, highlights, "Highlights", nullptr, 208, 209),
    BRUSHWERK_RECORD_FIELD(tMETALLIC_PROPS, calibrate, "Calibrate", nullptr, 210, 211),
    BRUSHWERK_RECORD_FIELD(tMETALLIC_PROPS, metal, "Metal", nullptr, 216, 217),
    BRUSHWERK_RECORD_FIELD(tMETALLIC_PROPS, picture, "Picture", nullptr, 212, 213),
};

inline constexpr EffectDescriptor kMetallic = {
    .shortName = "metallic",
    .className = "Metallic",
    .pageClassName = "MetallicPP",
    .displayName = "Quillet Metallic",
    .displayNameStringId = 10050,
    .pageTitle = "Metallic",
    .summary = "tinted, polished metal",
    .clsid = CLSID_Metallic,
    .pageClsid = CLSID_MetallicPP,
    .progId = kEffectProgId,
    .versionIndependentProgId = kEffectVersionIndependentProgId,
    .pageProgId = kPageProgId,
    .pageVersionIndependentProgId = kPageVersionIndependentProgId,
    .scriptId = 119,
    .pageScriptId = 118,
    .scriptTypeLib = MakeGuid("fa1eaa6b-d6de-4b7f-9e70-db81c5f0dafd"),
    .effectCode = 0x4C1,
    .recordSize = sizeof(tMETALLIC_PROPS),
    .presets = g_metallicPresets,
    .presetCount = static_cast<int>(std::size(g_metallicPresets)),
    .firstPresetStringId = 10500,
    .dialogId = 113,
    .helpContext = 7,
    .fields = kMetallicFields,
};
static_assert(FieldsFitRecord(kMetallic));
