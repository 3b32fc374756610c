// The module's string table: page strings, the effects' display names and every
// preset name. LoadStringA answers from this table once the module registered it
// with its resources (platform/ui/resource.h).
//
// Id ranges:
//   102..104        page strings (title, help file, doc string)
//   10010..10070    display names, one per effect: 10000 + 10 * k, where k is the
//                   hundreds digit of that effect's preset range
//   10100 + i ...   preset names: row i of an effect's preset table is its first id + i
//                   (10100 Air Brush, 10200 Colorize, 10300 Pastel Sketch, 10400 Dream
//                   Glow, 10500 Metallic, 10600 Duo Chrome, 10700 Line Drawing)
#pragma once

#include <cstddef>

#include "platform/ui/resource.h"

// Strings a property page hands to its host.
constexpr UINT IDS_PAGE_TITLE = 102;      // "Quillet Brushwerk"
constexpr UINT IDS_PAGE_HELPFILE = 103;
constexpr UINT IDS_PAGE_DOCSTRING = 104;

// Display names of the seven effects ("Quillet Air Brush", ...).
constexpr UINT IDS_DISPLAYNAME_AIRBRUSH = 10010;
constexpr UINT IDS_DISPLAYNAME_COLORIZE = 10020;
constexpr UINT IDS_DISPLAYNAME_PASTELSKETCH = 10030;
constexpr UINT IDS_DISPLAYNAME_DREAMGLOW = 10040;
constexpr UINT IDS_DISPLAYNAME_METALLIC = 10050;
constexpr UINT IDS_DISPLAYNAME_DUOCHROME = 10060;
constexpr UINT IDS_DISPLAYNAME_LINEDRAWING = 10070;

// First preset name of each effect (row 0); row i is this id + i.
constexpr UINT IDS_PRESETS_AIRBRUSH = 10100;
constexpr UINT IDS_PRESETS_COLORIZE = 10200;
constexpr UINT IDS_PRESETS_PASTELSKETCH = 10300;
constexpr UINT IDS_PRESETS_DREAMGLOW = 10400;
constexpr UINT IDS_PRESETS_METALLIC = 10500;
constexpr UINT IDS_PRESETS_DUOCHROME = 10600;
constexpr UINT IDS_PRESETS_LINEDRAWING = 10700;

// The table, ordered by id, for the module's resource registration.
extern const ModuleStringResource g_moduleStringTable[];
extern const size_t g_moduleStringTableSize;
