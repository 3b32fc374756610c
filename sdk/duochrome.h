// Duo Chrome: its record, its preset table and its descriptor.
#pragma once

#include <iterator>

#include "sdk/colorref.h"
#include "sdk/effect_descriptor.h"

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

// Row i is named by string kDuoChrome.firstPresetStringId + i.
inline constexpr tDUOCHROME_PROPS g_duoChromePresets[] = {
    {MakeColorRef(255, 255, 0), MakeColorRef(255, 0, 255), 1.00f, 0, {}},      // Acid Trip
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 1.00f, 0, {}},        // Black & White
    {MakeColorRef(128, 255, 0), MakeColorRef(147, 147, 147), 0.67f, 0, {}},    // Dayglo Highlights
    {MakeColorRef(255, 185, 40), MakeColorRef(255, 70, 70), 0.81f, 0, {}},     // Fire Glow
    {MakeColorRef(128, 128, 128), MakeColorRef(192, 192, 192), 0.36f, 0, {}},  // Light Haze
    {MakeColorRef(10, 128, 128), MakeColorRef(255, 214, 170), 1.00f, 0, {}},   // Negative
    {MakeColorRef(128, 128, 0), MakeColorRef(248, 250, 216), 1.00f, 0, {}},    // Radioactive Olive
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.00f, 0, {}},        // Reset To None
    {MakeColorRef(185, 124, 70), MakeColorRef(0, 0, 0), 0.41f, 0, {}},        // Sepia Tint
    {MakeColorRef(234, 227, 104), MakeColorRef(98, 145, 191), 1.00f, 0, {}},   // Yellow - Blue
};

inline constexpr CLSID CLSID_DuoChrome = MakeGuid("BEFBEEC5-6BAE-426B-B2E8-76D19B37810E");
inline constexpr CLSID CLSID_DuoChromePP = MakeGuid("84943F77-8EF0-4989-A5EB-B63C2381C1F5");

inline constexpr RecordFieldDescriptor kDuoChromeFields[] = {
    BRUSHWERK_RECORD_FIELD(tDUOCHROME_PROPS, paper, "Paper", nullptr, 214, 215),
    BRUSHWERK_RECORD_FIELD(tDUOCHROME_PROPS, ink, "Ink", nullptr, 216, 217),
    BRUSHWERK_RECORD_FIELD(tDUOCHROME_PROPS, blend, "Blend", nullptr, 205, 206),
};

inline constexpr EffectDescriptor kDuoChrome = {
    .shortName = "duochrome",
    .className = "DuoChrome",
    .pageClassName = "DuoChromePP",
    .displayName = "Quillet DuoChrome",
    .displayNameStringId = 10060,
    .pageTitle = "Duochrome",
    .summary = "repaints the picture with two colours along its luminance",
    .clsid = CLSID_DuoChrome,
    .pageClsid = CLSID_DuoChromePP,
    .progId = kEffectProgId,
    .versionIndependentProgId = kEffectVersionIndependentProgId,
    .pageProgId = kPageProgId,
    .pageVersionIndependentProgId = kPageVersionIndependentProgId,
    .scriptId = 115,
    .pageScriptId = 114,
    .scriptTypeLib = MakeGuid("c86526ea-902d-4432-b27c-c59c729e75b2"),
    .effectCode = 0x4C1,
    .recordSize = sizeof(tDUOCHROME_PROPS),
    .presets = g_duoChromePresets,
    .presetCount = static_cast<int>(std::size(g_duoChromePresets)),
    .firstPresetStringId = 10600,
    .dialogId = 111,
    .helpContext = 5,
    .fields = kDuoChromeFields,
};
static_assert(FieldsFitRecord(kDuoChrome));
