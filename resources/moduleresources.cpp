// Gathers the module's resources into the one table the platform answers
// LoadStringA and LoadModuleResource from. Built once, on first use, and kept for the
// life of the process: the platform holds pointers into it while the module is attached.
#include "resources/moduleresources.h"

#include <algorithm>
#include <vector>

#include "resources/stringtable.h"
#include "sdk/effects.h"

namespace {

struct ResourceTable {
    std::vector<ModuleStringResource> strings;
    std::vector<ModuleBinaryResource> binaries;
    ModuleResources table{};

    ResourceTable() {
        strings.assign(g_moduleStringTable, g_moduleStringTable + g_moduleStringTableSize);
        for (const EffectDescriptor* effect : kEffectDescriptors)
            strings.push_back({effect->displayNameStringId, effect->displayName});
        std::sort(strings.begin(), strings.end(),
                  [](const ModuleStringResource& a, const ModuleStringResource& b) { return a.id < b.id; });
        for (const ModuleBinaryResource& script : RegistryScriptResources()) binaries.push_back(script);
        for (const ModuleBinaryResource& dialog : DialogResources()) binaries.push_back(dialog);
        for (const ModuleBinaryResource& skin : SkinResources()) binaries.push_back(skin);
        const std::string_view typeLib = MainTypeLibraryResource();
        binaries.push_back({kTypeLibResourceType, kTypeLibResourceId, typeLib.data(), typeLib.size()});
        table = {strings.data(), strings.size(), binaries.data(), binaries.size()};
    }
};

}  // namespace

const ModuleResources& BrushwerkModuleResources() {
    static const ResourceTable resources;
    return resources.table;
}
