#include "platform/com/kit/module.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <string>

#include "platform/com/combase.h"
#include "platform/com/regscript.h"
#include "platform/ui/resource.h"

namespace {
std::atomic<HINSTANCE> g_instance{nullptr};

// The module's own type library, loaded for one instance handle.
struct TypeLibCache {
    std::mutex mutex;
    HINSTANCE instance = nullptr;
    ITypeLib* lib = nullptr;
} g_typeLib;

void ReleaseTypeLib() {
    std::lock_guard lock(g_typeLib.mutex);
    if (g_typeLib.lib) g_typeLib.lib->Release();
    g_typeLib.lib = nullptr;
}
}  // namespace

namespace ComModule {

void Init(HINSTANCE instance) { g_instance = instance; }
void Term() {
    ReleaseTypeLib();
    g_instance = nullptr;
}
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

HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    std::lock_guard lock(g_typeLib.mutex);
    if (!g_typeLib.lib || g_typeLib.instance != Instance()) {
        if (g_typeLib.lib) g_typeLib.lib->Release();
        g_typeLib.lib = nullptr;
        g_typeLib.instance = Instance();
        if (HRESULT hr = LoadTypeLibFromModule(g_typeLib.instance, &g_typeLib.lib); FAILED(hr)) return hr;
    }
    return g_typeLib.lib->GetTypeInfoOfGuid(guid, info);
}

}  // namespace ComModule
