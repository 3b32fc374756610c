// The module's type library, MAINLib: the effects' dual interface IDXEffect, IPlugin
// (the same interface under the identifier hosts know it by) and the fourteen classes,
// each effect followed by its page as the object map registers them, taken from the
// effects' published descriptors.
#include <vector>

#include "resources/moduleresources.h"
#include "sdk/effects.h"
#include "sdk/plugininterfaces.h"

namespace {

const TypeLibProperty kEffectProperties[] = {
    {"Capabilities", DISPID_DXE_CAPABILITIES, VT_I4, false},
    {"Progress", DISPID_DXE_PROGRESS, VT_R4, true},
    {"StepResolution", DISPID_DXE_STEPRESOLUTION, VT_R4, false},
    {"Duration", DISPID_DXE_DURATION, VT_R4, true},
};

const TypeLibInterface kInterfaces[] = {
    {"IDXEffect", IID_IDXEffect, "IDXEffect Interface", "IDispatch", true,
     kEffectProperties, std::size(kEffectProperties)},
    {"IPlugin", IID_IPlugin, "IPlugin Interface", "IDXEffect", true, nullptr,
     0},
};

// Every class of the module; effects carry their display names as help strings, pages none.
std::vector<TypeLibClass> LibraryClasses() {
    std::vector<TypeLibClass> classes;
    for (const EffectDescriptor* effect : EffectDescriptors()) {
        classes.push_back({effect->className, effect->clsid, effect->displayName});
        classes.push_back({effect->pageClassName, effect->pageClsid, nullptr});
    }
    return classes;
}

TypeLibDescription Describe() {
    static const std::vector<TypeLibClass> classes = LibraryClasses();
    return {
        "MAINLib",
        MakeGuid("75C20786-10F9-43F2-B35F-36ECB32C51D1"),
        1,
        0,
        "Main 1.0 Type Library",
        kInterfaces,
        std::size(kInterfaces),
        classes.data(),
        classes.size(),
    };
}

}  // namespace

const TypeLibDescription& MainTypeLibrary() {
    static const TypeLibDescription lib = Describe();
    return lib;
}

std::string_view MainTypeLibraryResource() {
    static const std::string text = TypeLibResourceText(MainTypeLibrary());
    return text;
}
