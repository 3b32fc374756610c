// The dialog templates the module carries, in dialog units, built once in the
// platform's template layout: the options dialog and the seven property pages. A page's
// items, captions and title come from its effect's descriptor; only where each item
// stands is written here.
#include <algorithm>
#include <vector>

#include "controls/bit_button.h"
#include "controls/color_button.h"
#include "controls/dropper.h"
#include "controls/knob.h"
#include "controls/title.h"
#include "platform/ui/dialog.h"
#include "resources/moduleresources.h"
#include "sdk/effects.h"

namespace {

// The options dialog: the maker's logo button, the product's name, the knob setting,
// and OK, Cancel and Help.
DialogTemplateBuilder OptionsDialog() {
    DialogTemplateBuilder d(WS_POPUP | WS_CAPTION | DS_MODALFRAME | WS_VISIBLE, 0, 40, 30, 220, 80, "Options",
                            "MS Sans Serif", 8);
    d.Item(CBitButton::kClassName, "", 232, WS_VISIBLE, 8, 8, 40, 40)
        .Item("Static", "", 234, SS_LEFT | WS_VISIBLE, 56, 12, 156, 10)
        .Item("Button", "Up / Down mouse control of circular knobs", 230, BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE,
              56, 30, 156, 10)
        .Item("Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 56, 58, 50, 14)
        .Item("Button", "Cancel", IDCANCEL, WS_TABSTOP | WS_VISIBLE, 110, 58, 50, 14)
        .Item("Button", "Help", 9, WS_TABSTOP | WS_VISIBLE, 164, 58, 48, 14);
    return d;
}

// ---- the property pages --------------------------------------------------------------

constexpr WORD kTitleItem = 203, kHelpItem = 207, kInfoItem = 223;

struct PlacedItem {
    WORD id;
    short x, y;
};

// One page: its size, the title's and the edit boxes' widths, and its items in tab order.
struct PageLayout {
    const EffectDescriptor* effect;
    short cx, cy;
    short titleWidth, editWidth;
    std::vector<PlacedItem> items;
};

const std::vector<PageLayout>& PageLayouts() {
    static const std::vector<PageLayout> layouts = {
        {&kAirBrush, 139, 99, 87, 29,
         {{203, 8, 4}, {201, 8, 25}, {205, 52, 25}, {202, 8, 57}, {206, 53, 57}, {207, 114, 4}, {223, 96, 4}}},
        {&kColorize, 185, 155, 126, 29,
         {{203, 8, 4},    {214, 8, 25},    {216, 52, 25},  {218, 96, 25},  {215, 8, 56},   {217, 53, 56},
          {219, 99, 56},  {201, 8, 82},    {205, 52, 82},  {204, 96, 82},  {202, 9, 114},  {206, 54, 114},
          {209, 100, 114}, {211, 140, 25}, {212, 144, 57}, {213, 140, 82}, {222, 144, 114}, {207, 154, 4},
          {223, 136, 4}}},
        {&kDreamGlow, 139, 98, 87, 29,
         {{201, 54, 25}, {205, 100, 25}, {202, 52, 57}, {206, 104, 57}, {203, 8, 4}, {214, 8, 25}, {215, 7, 56},
          {207, 114, 4}, {223, 96, 4}}},
        {&kDuoChrome, 144, 97, 83, 29,
         {{203, 8, 4}, {214, 8, 25}, {215, 7, 56}, {216, 54, 25}, {217, 51, 56}, {205, 100, 25}, {206, 97, 56},
          {207, 114, 4}, {223, 96, 4}}},
        {&kLineDrawing, 173, 97, 119, 31,
         {{203, 8, 4}, {214, 8, 25}, {215, 7, 56}, {208, 96, 25}, {209, 91, 57}, {216, 52, 25}, {217, 49, 56},
          {210, 140, 25}, {211, 133, 57}, {207, 154, 4}, {223, 136, 4}}},
        {&kMetallic, 134, 154, 81, 31,
         {{203, 8, 4},   {214, 8, 25},   {215, 7, 56},   {205, 52, 25},  {206, 53, 56},  {208, 95, 25},
          {209, 96, 56}, {210, 8, 82},   {211, 7, 114},  {216, 52, 82},  {217, 53, 114}, {212, 96, 82},
          {213, 96, 114}, {207, 109, 4}, {223, 91, 4}}},
        {&kPastelSketch, 178, 100, 125, 29,
         {{205, 140, 25}, {203, 8, 4}, {206, 141, 57}, {214, 8, 25}, {215, 7, 56}, {208, 96, 25}, {209, 97, 57},
          {216, 52, 25}, {217, 52, 56}, {223, 136, 4}, {207, 154, 4}}},
    };
    return layouts;
}

// A child dialog in the pages' font whose tab order descends into it; knobs and swatches
// 31 x 28, droppers 31 x 12, bit buttons 17 x 14, centred bordered edit boxes. A knob's or
// swatch's caption becomes the label under it.
DialogTemplateBuilder PageDialog(const PageLayout& page) {
    const EffectDescriptor& effect = *page.effect;
    DialogTemplateBuilder d(WS_CHILD, WS_EX_CONTROLPARENT, 0, 0, page.cx, page.cy, "", "MS Sans Serif", 8);
    for (const PlacedItem& item : page.items) {
        const auto field = std::find_if(effect.fields.begin(), effect.fields.end(), [&](const RecordFieldDescriptor& f) {
            return f.controlItem == item.id || f.entryItem == item.id;
        });
        if (item.id == kTitleItem) {
            d.Item(CTitle::kClassName, effect.pageTitle, item.id, WS_VISIBLE, item.x, item.y, page.titleWidth, 16);
        } else if (item.id == kHelpItem || item.id == kInfoItem) {
            d.Item(CBitButton::kClassName, item.id == kHelpItem ? "Help" : "Info", item.id, WS_VISIBLE, item.x, item.y, 17, 14);
        } else if (field == effect.fields.end()) {
            continue;  // the layout names no item the descriptor does not (checked by the tests)
        } else if (field->controlItem == item.id) {
            const bool knob = field->kind == FieldKind::Number;
            d.Item(knob ? CKnob::kClassName : CColorButton::kClassName, field->label, item.id, WS_VISIBLE, item.x, item.y, 31, 28);
        } else if (field->kind == FieldKind::Number) {
            d.Item("Edit", "", item.id, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE, item.x,
                   item.y, page.editWidth, 12);
        } else {
            d.Item(CDropper::kClassName, "", item.id, WS_VISIBLE, item.x, item.y, 31, 12);
        }
    }
    return d;
}

struct DialogTable {
    std::vector<DialogTemplateBuilder> templates;
    std::vector<ModuleBinaryResource> resources;
    DialogTable() {
        templates.push_back(OptionsDialog());
        resources.push_back({"DIALOG", 115, nullptr, 0});
        for (const PageLayout& page : PageLayouts()) {
            templates.push_back(PageDialog(page));
            resources.push_back({"DIALOG", page.effect->dialogId, nullptr, 0});
        }
        for (size_t i = 0; i < templates.size(); ++i) {
            resources[i].data = templates[i].Words().data();
            resources[i].size = templates[i].Words().size() * sizeof(WORD);
        }
    }
};

}  // namespace

std::span<const ModuleBinaryResource> DialogResources() {
    static const DialogTable table;
    return table.resources;
}
