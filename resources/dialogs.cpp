// The dialog templates the module carries, in dialog units, built once in the
// platform's template layout.
#include <vector>

#include "platform/ui/dialog.h"
#include "resources/moduleresources.h"

namespace {

// The options dialog: the maker's logo button, the product's name, the knob setting,
// and OK, Cancel and Help.
DialogTemplateBuilder OptionsDialog() {
    DialogTemplateBuilder d(WS_POPUP | WS_CAPTION | DS_MODALFRAME | WS_VISIBLE, 0, 40, 30, 220, 96, "Options",
                            "MS Sans Serif", 8);
    d.Item("Quillet BitButton", "", 232, WS_VISIBLE, 8, 8, 40, 40)
        .Item("Static", "", 234, SS_LEFT | WS_VISIBLE, 56, 10, 156, 10)
        .Item("Button", "Up / Down mouse control of circular knobs", 230, BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE,
              56, 30, 156, 10)
        .Item("Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 56, 72, 50, 14)
        .Item("Button", "Cancel", IDCANCEL, WS_TABSTOP | WS_VISIBLE, 110, 72, 50, 14)
        .Item("Button", "Help", 9, WS_TABSTOP | WS_VISIBLE, 164, 72, 48, 14);
    return d;
}

}  // namespace

std::span<const ModuleBinaryResource> DialogResources() {
    static const DialogTemplateBuilder options = OptionsDialog();
    static const ModuleBinaryResource resources[] = {
        {"DIALOG", 115, options.Words().data(), options.Words().size() * sizeof(WORD)},
    };
    return resources;
}
