// Module resources: each module hands its table to the platform when it attaches and
// withdraws it when it detaches; lookups answer by instance handle, as the platform
// answers from a module's resource section.
//
// The table entries are copied (the strings and binary data themselves stay in the
// module, which keeps them for as long as it is loaded). Resource types compare without
// regard to case, as the platform's named types do.
#include "platform/ui/resource.h"

#include <cstring>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "platform/ui/resource_table.h"

namespace {

bool SameType(const char* a, const char* b) {
    if (!a || !b) return false;
    for (; *a && *b; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? char(*a - 32) : *a;
        char y = (*b >= 'a' && *b <= 'z') ? char(*b - 32) : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

struct ModuleTable {
    std::map<UINT, const char*> strings;
    std::vector<ModuleBinaryResource> binaries;
};

struct ResourceRegistry {
    std::shared_mutex mutex;
    std::map<HINSTANCE, ModuleTable> modules;
};

// Never destroyed: modules may withdraw their tables during process exit.
ResourceRegistry& Registry() {
    static auto* registry = new ResourceRegistry;
    return *registry;
}

}  // namespace

extern "C" void RegisterModuleResources(HINSTANCE module, const ModuleResources* resources) {
    ModuleTable table;
    if (resources) {
        for (size_t i = 0; resources->strings && i < resources->stringCount; ++i)
            if (resources->strings[i].text) table.strings[resources->strings[i].id] = resources->strings[i].text;
        for (size_t i = 0; resources->binaries && i < resources->binaryCount; ++i)
            if (resources->binaries[i].type) table.binaries.push_back(resources->binaries[i]);
    }
    auto& registry = Registry();
    std::unique_lock lock(registry.mutex);
    registry.modules[module] = std::move(table);
}

extern "C" void UnregisterModuleResources(HINSTANCE module) {
    auto& registry = Registry();
    std::unique_lock lock(registry.mutex);
    registry.modules.erase(module);
}

extern "C" int LoadStringA(HINSTANCE module, UINT id, char* buffer, int capacity) {
    if (!buffer || capacity <= 0) return 0;
    buffer[0] = '\0';
    auto& registry = Registry();
    std::shared_lock lock(registry.mutex);
    auto m = registry.modules.find(module);
    if (m == registry.modules.end()) return 0;
    auto s = m->second.strings.find(id);
    if (s == m->second.strings.end()) return 0;
    size_t length = std::strlen(s->second);
    size_t copied = length < size_t(capacity - 1) ? length : size_t(capacity - 1);
    std::memcpy(buffer, s->second, copied);
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

extern "C" const void* LoadModuleResource(HINSTANCE module, const char* type, UINT id, size_t* size) {
    if (size) *size = 0;
    if (!type) return nullptr;
    auto& registry = Registry();
    std::shared_lock lock(registry.mutex);
    auto m = registry.modules.find(module);
    if (m == registry.modules.end()) return nullptr;
    for (const auto& binary : m->second.binaries) {
        if (binary.id == id && SameType(binary.type, type)) {
            if (size) *size = binary.size;
            return binary.data;
        }
    }
    return nullptr;
}

bool ModuleHasResources(HINSTANCE module) {
    auto& registry = Registry();
    std::shared_lock lock(registry.mutex);
    return registry.modules.count(module) != 0;
}
