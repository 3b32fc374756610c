#include "resources/stringtable.h"

#include "sdk/effects.h"

// The effects' display names are written with their descriptors; the module's table
// adds them (moduleresources.cpp).

// Two names end in a blank ("Black Light ", "Lemon Jello "): the blank belongs to the name.
const ModuleStringResource g_moduleStringTable[] = {
    {IDS_PAGE_TITLE, "Quillet Brushwerk"},
    {IDS_PAGE_HELPFILE, "CHANGE_THIS_HELPFILE"},
    {IDS_PAGE_DOCSTRING, "CHANGE_THIS_DOCSTRING"},

    {IDS_PRESETS_AIRBRUSH + 0, "Air Brushed"},
    {IDS_PRESETS_AIRBRUSH + 1, "Dream"},
    {IDS_PRESETS_AIRBRUSH + 2, "Fog"},
    {IDS_PRESETS_AIRBRUSH + 3, "Out Of Focus"},
    {IDS_PRESETS_AIRBRUSH + 4, "Reset To None"},
    {IDS_PRESETS_AIRBRUSH + 5, "Touch Up"},

    {IDS_PRESETS_COLORIZE + 0, "Blue & Red"},
    {IDS_PRESETS_COLORIZE + 1, "Cheap Postcard"},
    {IDS_PRESETS_COLORIZE + 2, "Bad Smog"},
    {IDS_PRESETS_COLORIZE + 3, "DayGlo"},
    {IDS_PRESETS_COLORIZE + 4, "Faded Primary Colors"},
    {IDS_PRESETS_COLORIZE + 5, "Gray People"},
    {IDS_PRESETS_COLORIZE + 6, "People Outdoors"},
    {IDS_PRESETS_COLORIZE + 7, "Pink!"},
    {IDS_PRESETS_COLORIZE + 8, "Purple Yellow"},
    {IDS_PRESETS_COLORIZE + 9, "Reset To None"},
    {IDS_PRESETS_COLORIZE + 10, "Skin Tone"},
    {IDS_PRESETS_COLORIZE + 11, "Sodium Lights"},

    {IDS_PRESETS_PASTELSKETCH + 0, "Cartoon"},
    {IDS_PRESETS_PASTELSKETCH + 1, "Heat"},
    {IDS_PRESETS_PASTELSKETCH + 2, "Lemon Meringue"},
    {IDS_PRESETS_PASTELSKETCH + 3, "Light Shading"},
    {IDS_PRESETS_PASTELSKETCH + 4, "Night"},
    {IDS_PRESETS_PASTELSKETCH + 5, "Pepper"},
    {IDS_PRESETS_PASTELSKETCH + 6, "Reset To None"},
    {IDS_PRESETS_PASTELSKETCH + 7, "Salt"},
    {IDS_PRESETS_PASTELSKETCH + 8, "Subtle"},

    {IDS_PRESETS_DREAMGLOW + 0, "Afterlife"},
    {IDS_PRESETS_DREAMGLOW + 1, "Aqua"},
    {IDS_PRESETS_DREAMGLOW + 2, "Black Light "},
    {IDS_PRESETS_DREAMGLOW + 3, "Darkroom"},
    {IDS_PRESETS_DREAMGLOW + 4, "Gray Dream"},
    {IDS_PRESETS_DREAMGLOW + 5, "Lemon Jello "},
    {IDS_PRESETS_DREAMGLOW + 6, "Night Vision"},
    {IDS_PRESETS_DREAMGLOW + 7, "Poltergeist"},
    {IDS_PRESETS_DREAMGLOW + 8, "Reset To None"},
    {IDS_PRESETS_DREAMGLOW + 9, "Soft Glow"},
    {IDS_PRESETS_DREAMGLOW + 10, "Strong Glow"},

    {IDS_PRESETS_METALLIC + 0, "Bronze"},
    {IDS_PRESETS_METALLIC + 1, "Cool Steel"},
    {IDS_PRESETS_METALLIC + 2, "Copper"},
    {IDS_PRESETS_METALLIC + 3, "Gold"},
    {IDS_PRESETS_METALLIC + 4, "Halloween"},
    {IDS_PRESETS_METALLIC + 5, "Pink Wash"},
    {IDS_PRESETS_METALLIC + 6, "Platinum"},
    {IDS_PRESETS_METALLIC + 7, "Radiant Lemon"},
    {IDS_PRESETS_METALLIC + 8, "Reset To None"},
    {IDS_PRESETS_METALLIC + 9, "Silver"},

    {IDS_PRESETS_DUOCHROME + 0, "Acid Trip"},
    {IDS_PRESETS_DUOCHROME + 1, "Black & White"},
    {IDS_PRESETS_DUOCHROME + 2, "Dayglo Highlights"},
    {IDS_PRESETS_DUOCHROME + 3, "Fire Glow"},
    {IDS_PRESETS_DUOCHROME + 4, "Light Haze"},
    {IDS_PRESETS_DUOCHROME + 5, "Negative"},
    {IDS_PRESETS_DUOCHROME + 6, "Radioactive Olive"},
    {IDS_PRESETS_DUOCHROME + 7, "Reset To None"},
    {IDS_PRESETS_DUOCHROME + 8, "Sepia Tint"},
    {IDS_PRESETS_DUOCHROME + 9, "Yellow - Blue"},

    {IDS_PRESETS_LINEDRAWING + 0, "Chalkboard"},
    {IDS_PRESETS_LINEDRAWING + 1, "Gray Fog"},
    {IDS_PRESETS_LINEDRAWING + 2, "Holiday Season"},
    {IDS_PRESETS_LINEDRAWING + 3, "Nightmare"},
    {IDS_PRESETS_LINEDRAWING + 4, "Pen and Paper"},
    {IDS_PRESETS_LINEDRAWING + 5, "Reset To None"},
    {IDS_PRESETS_LINEDRAWING + 6, "Rust"},
    {IDS_PRESETS_LINEDRAWING + 7, "Sky Gazing"},
    {IDS_PRESETS_LINEDRAWING + 8, "Valentine"},
    {IDS_PRESETS_LINEDRAWING + 9, "Wood Carving"},
    {IDS_PRESETS_LINEDRAWING + 10, "Yellow On Green"},
};
const size_t g_moduleStringTableSize = sizeof g_moduleStringTable / sizeof g_moduleStringTable[0];
