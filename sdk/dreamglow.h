// Dream Glow: its record, its preset table and its descriptor.
#pragma once

#include <iterator>

#include "sdk/colorref.h"
#include "sdk/effect_descriptor.h"

// 16 bytes; its bytes, padding included, are the effect's stored state.
struct tDREAM_GLOW_PROPS {
    COLORREF color;   // glow colour, also the per-channel ceiling of the output
    float blur;       // blur length as a fraction of one fifth of the band's height
    float glow;       // glow gain
    BYTE flag;        // boolean (non-zero set); flipped by the page around eyedropper sampling
    BYTE padding[3];  // zero
};
static_assert(std::is_standard_layout_v<tDREAM_GLOW_PROPS> && std::is_trivially_copyable_v<tDREAM_GLOW_PROPS>);
static_assert(sizeof(tDREAM_GLOW_PROPS) == 16);
static_assert(offsetof(tDREAM_GLOW_PROPS, color) == 0);
static_assert(offsetof(tDREAM_GLOW_PROPS, blur) == 4);
static_assert(offsetof(tDREAM_GLOW_PROPS, glow) == 8);
static_assert(offsetof(tDREAM_GLOW_PROPS, flag) == 12);
static_assert(offsetof(tDREAM_GLOW_PROPS, padding) == 13);

// Row i is named by string kDreamGlow.firstPresetStringId + i.
inline constexpr tDREAM_GLOW_PROPS g_dreamGlowPresets[] = {
    {MakeColorRef(255, 255, 255), 1.00f, 0.84f, 0, {}},  // Afterlife
    {MakeColorRef(97, 236, 252), 0.83f, 0.59f, 0, {}},   // Aqua
    {MakeColorRef(159, 0, 159), 0.40f, 0.61f, 0, {}},    // Black Light
    {MakeColorRef(255, 0, 0), 0.10f, 0.74f, 0, {}},      // Darkroom
    {MakeColorRef(156, 167, 180), 0.48f, 1.00f, 0, {}},  // Gray Dream
    {MakeColorRef(255, 255, 0), 1.00f, 0.89f, 0, {}},    // Lemon Jello
    {MakeColorRef(0, 255, 64), 0.08f, 0.74f, 0, {}},     // Night Vision
    {MakeColorRef(255, 255, 255), 0.19f, 1.00f, 0, {}},  // Poltergeist
    {MakeColorRef(255, 255, 255), 0.00f, 0.00f, 0, {}},  // Reset To None
    {MakeColorRef(255, 255, 255), 0.46f, 0.45f, 0, {}},  // Soft Glow
    {MakeColorRef(255, 255, 255), 0.71f, 0.58f, 0, {}},  // Strong Glow
};

inline constexpr CLSID CLSID_DreamGlow = MakeGuid("DBB1EF99-3DEB-4BBA-8461-A4226CACB4C5");
inline constexpr CLSID CLSID_DreamGlowPP = MakeGuid("7A82782A-B3B2-435D-81E2-18C6E4AC574B");

inline constexpr RecordFieldDescriptor kDreamGlowFields[] = {
    BRUSHWERK_RECORD_FIELD(tDREAM_GLOW_PROPS, color, "Color", nullptr, 214, 215),
    BRUSHWERK_RECORD_FIELD(tDREAM_GLOW_PROPS, blur, "Blur", nullptr, 201, 202),
    BRUSHWERK_RECORD_FIELD(tDREAM_GLOW_PROPS, glow, "Glow", nullptr, 205, 206),
};

inline constexpr EffectDescriptor kDreamGlow = {
    .shortName = "dreamglow",
    .className = "DreamGlow",
    .pageClassName = "DreamGlowPP",
    .displayName = "Quillet Dream Glow",
    .displayNameStringId = 10040,
    .pageTitle = "Dream Glow",
    .summary = "a soft, coloured halo over the bright parts",
    .clsid = CLSID_DreamGlow,
    .pageClsid = CLSID_DreamGlowPP,
    .progId = kEffectProgId,
    .versionIndependentProgId = kEffectVersionIndependentProgId,
    .pageProgId = kPageProgId,
    .pageVersionIndependentProgId = kPageVersionIndependentProgId,
    .scriptId = 113,
    .pageScriptId = 112,
    .scriptTypeLib = MakeGuid("3c61d9f2-c1c8-41a4-907b-0995258ca4c9"),
    .effectCode = 0x400,
    .recordSize = sizeof(tDREAM_GLOW_PROPS),
    .presets = g_dreamGlowPresets,
    .presetCount = static_cast<int>(std::size(g_dreamGlowPresets)),
    .firstPresetStringId = 10400,
    .dialogId = 110,
    .helpContext = 4,
    .fields = kDreamGlowFields,
};
static_assert(FieldsFitRecord(kDreamGlow));
