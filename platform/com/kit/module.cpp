#include "platform/com/kit/module.h"

#include <dlfcn.h>

#include <atomic>
#include <string>

#include "platform/com/combase.h"
#include "platform/com/regscript.h"
#include "platform/ui/resource.h"

namespace {
std::atomic<HINSTANCE> g_instance{nullptr};
}

namespace ComModule {

void Init(HINSTANCE instance) { g_instance = instance; }
void Term() { g_instance = nullptr; }
HINSTANCE Instance() { return g_instance; }

std::string Path() {
    char buffer[4096];
    if (HINSTANCE h = g_instance.load()) {
        DWORD n = GetModuleFileNameA(h, buffer, sizeof buffer);
        if (n > 0 && n < sizeof buffer) return std::string(buffer, n);
    }
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&Path), &info) && info.dli_fname) {
        char resolved[4096];
        if (realpath(info.dli_fname, resolved)) return resolved;
        return info.dli_fname;
    }
    return {};
}

HRESULT UpdateRegistryFromResource(UINT scriptId, BOOL doRegister) {
    size_t size = 0;
    const void* data = LoadModuleResource(Instance(), "REGISTRY", scriptId, &size);
    if (!data) return E_FAIL;
    std::string script(static_cast<const char*>(data), size);
    std::string path = Path();
    RegistryReplacement module{"MODULE", path.c_str()};
    return RegistryScriptRun(script.c_str(), doRegister, &module, 1);
}

}  // namespace ComModule
