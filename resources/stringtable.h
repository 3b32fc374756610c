// The module's string table: page strings, the effects' display names and every
// preset name. LoadStringA answers from this table once the module registered it
// with its resources (platform/ui/resource.h).
//
// Id ranges:
//   102..104        page strings (title, help file, doc string)
//   10010..10070    display names, one per effect: 10000 + 10 * k, where k is the
//                   hundreds digit of that effect's preset range (held by the descriptors)
//   10100 + i ...   preset names: row i of an effect's preset table is its first id + i
//                   (10100 Air Brush, 10200 Colorize, 10300 Pastel Sketch, 10400 Dream
//                   Glow, 10500 Metallic, 10600 Duo Chrome, 10700 Line Drawing)
#pragma once

#include <cstddef>

#include "platform/ui/resource.h"
#include "sdk/effects.h"

// Strings a property page hands to its host.
constexpr UINT IDS_PAGE_TITLE = 102;      // "Quillet Brushwerk"
constexpr UINT IDS_PAGE_HELPFILE = 103;
constexpr UINT IDS_PAGE_DOCSTRING = 104;

// First preset name of each effect (row 0); row i is this id + i. The ids, like the
// display names' ids, are written with the effects' descriptors.
constexpr UINT IDS_PRESETS_AIRBRUSH = kAirBrush.firstPresetStringId;
constexpr UINT IDS_PRESETS_COLORIZE = kColorize.firstPresetStringId;
constexpr UINT IDS_PRESETS_PASTELSKETCH = kPastelSketch.firstPresetStringId;
constexpr UINT IDS_PRESETS_DREAMGLOW = kDreamGlow.firstPresetStringId;
constexpr UINT IDS_PRESETS_METALLIC = kMetallic.firstPresetStringId;
constexpr UINT IDS_PRESETS_DUOCHROME = kDuoChrome.firstPresetStringId;
constexpr UINT IDS_PRESETS_LINEDRAWING = kLineDrawing.firstPresetStringId;

// The page strings and preset names, ordered by id; the module's table adds the
// effects' display names from their descriptors.
extern const ModuleStringResource g_moduleStringTable[];
extern const size_t g_moduleStringTableSize;
