// The component loader: finds a class's module through the registry, loads it, and
// asks it for class objects; unloads modules that say they can go.
//
// A module is loaded once per file (the cache key is the resolved path, so two
// spellings of one file are one module) with dlopen(RTLD_NOW | RTLD_LOCAL), and its
// DllMain sees DLL_PROCESS_ATTACH exactly once per load and DLL_PROCESS_DETACH when
// CoFreeUnusedLibraries unloads it. The handle a module receives in DllMain is the
// loader's handle: a number from a table, never reused, which GetModuleFileNameA and
// GetProcAddress accept and which stops being valid once the module is unloaded.
//
// One recursive lock guards the table and is held around DllMain, as the platform's
// loader lock is (a DllMain may itself call GetModuleFileNameA). DllGetClassObject runs
// outside the lock; a module is marked busy meanwhile so that CoFreeUnusedLibraries on
// another thread cannot unload it under the call.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com/combase.h"
#include "platform/com/comcat.h"
#include "platform/com/debug.h"
#include "platform/com/registry.h"
#include "platform/ui/resource.h"
#include "platform/ui/resource_table.h"

namespace {

constexpr int kMaximumCurVerHops = 8;

struct LoadedModule {
    std::string path;
    void* library = nullptr;
    HMODULE handle = nullptr;
    PFN_DllMain main = nullptr;
    PFN_DllGetClassObject getClassObject = nullptr;
    PFN_DllCanUnloadNow canUnloadNow = nullptr;
    int busy = 0;  // calls into DllGetClassObject in progress
};

struct LoaderTable {
    std::recursive_mutex mutex;
    std::map<std::string, std::shared_ptr<LoadedModule>> byPath;
    std::map<uintptr_t, std::shared_ptr<LoadedModule>> byHandle;
    uintptr_t nextHandle = 0x10000000;
};

// Never destroyed: modules may still call in during process exit.
LoaderTable& Loader() {
    static auto* table = new LoaderTable;
    return *table;
}

void Trace(const std::string& text) { OutputDebugStringA((text + "\n").c_str()); }

template <class F>
F Export(void* library, const char* name) {
    return reinterpret_cast<F>(::dlsym(library, name));
}

// Caller holds the loader lock.
std::shared_ptr<LoadedModule> FindByHandle(HMODULE handle) {
    auto& loader = Loader();
    auto it = loader.byHandle.find(reinterpret_cast<uintptr_t>(handle));
    return it == loader.byHandle.end() ? nullptr : it->second;
}

// Caller holds the loader lock.
void Forget(const LoadedModule& module) {
    auto& loader = Loader();
    loader.byPath.erase(module.path);
    loader.byHandle.erase(reinterpret_cast<uintptr_t>(module.handle));
}

// Loads path (or finds it loaded). Caller holds the loader lock.
HRESULT LoadModule(const char* path, std::shared_ptr<LoadedModule>* result) {
    if (!path || !*path) return CO_E_DLLNOTFOUND;
    char resolved[PATH_MAX];
    if (!::realpath(path, resolved)) {
        Trace(std::string("Loader: cannot load ") + path + ": " + std::strerror(errno));
        return CO_E_DLLNOTFOUND;
    }
    auto& loader = Loader();
    if (auto it = loader.byPath.find(resolved); it != loader.byPath.end()) {
        *result = it->second;
        return S_OK;
    }
    ::dlerror();
    void* library = ::dlopen(resolved, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = ::dlerror();
        Trace(std::string("Loader: cannot load ") + resolved + ": " + (why ? why : "unknown error"));
        return CO_E_DLLNOTFOUND;
    }
    auto module = std::make_shared<LoadedModule>();
    module->path = resolved;
    module->library = library;
    module->handle = reinterpret_cast<HMODULE>(loader.nextHandle);
    loader.nextHandle += 0x10000;
    module->main = Export<PFN_DllMain>(library, "DllMain");
    module->getClassObject = Export<PFN_DllGetClassObject>(library, "DllGetClassObject");
    module->canUnloadNow = Export<PFN_DllCanUnloadNow>(library, "DllCanUnloadNow");
    // In the table before DllMain runs, so that the module can ask for its own file name.
    loader.byPath[module->path] = module;
    loader.byHandle[reinterpret_cast<uintptr_t>(module->handle)] = module;
    if (module->main && !module->main(module->handle, DLL_PROCESS_ATTACH, nullptr)) {
        Trace("Loader: DllMain of " + module->path + " refused to attach");
        Forget(*module);
        ::dlclose(library);
        return CO_E_DLLNOTFOUND;
    }
    *result = std::move(module);
    return S_OK;
}

// Reads the default value of HKCR\subKey as a string.
LSTATUS ReadDefaultString(const std::string& subKey, std::string* value) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) return status;
    DWORD type = REG_NONE, size = 0;
    status = RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS && type != REG_SZ) status = ERROR_FILE_NOT_FOUND;
    if (status == ERROR_SUCCESS) {
        std::vector<char> buffer(size + 1, '\0');
        status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_SUCCESS) *value = buffer.data();
    }
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && value->empty()) status = ERROR_FILE_NOT_FOUND;
    return status;
}

HRESULT ClassModulePath(REFCLSID clsid, std::string* path) {
    LSTATUS status = ReadDefaultString("CLSID\\" + GuidToString(clsid) + "\\InprocServer32", path);
    if (status == ERROR_SUCCESS) return S_OK;
    return status == ERROR_FILE_NOT_FOUND ? REGDB_E_CLASSNOTREG : REGDB_E_READREGDB;
}

// The platform's own classes, answered without a module.
bool IsPlatformClass(REFCLSID clsid) { return clsid == CLSID_StdComponentCategoriesMgr; }

class PlatformClassFactory final : public IClassFactory {
public:
    explicit PlatformClassFactory(HRESULT (*create)(IUnknown*, REFIID, void**)) : m_create(create) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // Static lifetime: the count is not kept.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        return m_create(outer, iid, object);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    HRESULT (*m_create)(IUnknown*, REFIID, void**);
};

PlatformClassFactory g_categoryManagerFactory(&CreateStdComponentCategoriesMgr);

thread_local int t_initializeCount = 0;

}  // namespace

extern "C" HRESULT CoInitializeEx(void* /*reserved*/, DWORD /*flags*/) {
    return t_initializeCount++ == 0 ? S_OK : S_FALSE;
}

extern "C" void CoUninitialize() {
    if (t_initializeCount > 0) --t_initializeCount;
}

extern "C" HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* /*serverInfo*/, REFIID iid, void** object) {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    if (IsPlatformClass(clsid)) return g_categoryManagerFactory.QueryInterface(iid, object);
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    std::string path;
    if (HRESULT hr = ClassModulePath(clsid, &path); FAILED(hr)) return hr;

    auto& loader = Loader();
    std::shared_ptr<LoadedModule> module;
    {
        std::lock_guard lock(loader.mutex);
        if (HRESULT hr = LoadModule(path.c_str(), &module); FAILED(hr)) return hr;
        if (!module->getClassObject) {
            Trace("Loader: " + module->path + " has no DllGetClassObject");
            return CO_E_ERRORINDLL;
        }
        ++module->busy;
    }
    HRESULT hr = module->getClassObject(clsid, iid, object);
    {
        std::lock_guard lock(loader.mutex);
        --module->busy;
    }
    return hr;
}

extern "C" HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object) {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    if (IsPlatformClass(clsid)) return CreateStdComponentCategoriesMgr(outer, iid, object);
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, iid, object);
    factory->Release();
    return hr;
}

extern "C" HRESULT CLSIDFromProgIDA(const char* progId, CLSID* clsid) {
    if (!progId || !clsid) return E_INVALIDARG;
    *clsid = GUID_NULL;
    std::string name = progId;
    for (int hop = 0; hop <= kMaximumCurVerHops; ++hop) {
        // A name with a backslash would address some other key.
        if (name.empty() || name.find('\\') != std::string::npos) return CO_E_CLASSSTRING;
        std::string text;
        if (ReadDefaultString(name + "\\CLSID", &text) == ERROR_SUCCESS) {
            auto parsed = GuidFromString(text);
            if (!parsed) return CO_E_CLASSSTRING;
            *clsid = *parsed;
            return S_OK;
        }
        std::string next;
        if (ReadDefaultString(name + "\\CurVer", &next) != ERROR_SUCCESS) return CO_E_CLASSSTRING;
        name = next;
    }
    return CO_E_CLASSSTRING;  // a CurVer cycle
}

extern "C" HRESULT CLSIDFromProgID(const wchar_t* progId, CLSID* clsid) {
    if (!progId || !clsid) return E_INVALIDARG;
    std::string narrow;
    for (const wchar_t* p = progId; *p; ++p) {
        if (*p <= 0 || *p > 0x7F) return CO_E_CLASSSTRING;  // program identifiers are ASCII
        narrow.push_back(static_cast<char>(*p));
    }
    return CLSIDFromProgIDA(narrow.c_str(), clsid);
}

extern "C" void CoFreeUnusedLibraries() {
    auto& loader = Loader();
    std::lock_guard lock(loader.mutex);
    std::vector<std::shared_ptr<LoadedModule>> modules;
    for (const auto& [path, module] : loader.byPath) modules.push_back(module);
    for (const auto& module : modules) {
        // A module without DllCanUnloadNow never says it may go.
        if (module->busy > 0 || !module->canUnloadNow || module->canUnloadNow() != S_OK) continue;
        if (module->main) module->main(module->handle, DLL_PROCESS_DETACH, nullptr);
        // A resource table left behind would point into unmapped memory.
        if (ModuleHasResources(module->handle)) {
            Trace("Loader: " + module->path + " left its resources registered; withdrawn");
            UnregisterModuleResources(module->handle);
        }
        Forget(*module);
        ::dlclose(module->library);
    }
}

extern "C" BOOL DisableThreadLibraryCalls(HMODULE /*module*/) {
    return TRUE;  // the loader never sends thread notifications
}

extern "C" DWORD GetModuleFileNameA(HMODULE module, char* path, DWORD capacity) {
    if (!path || capacity == 0) return 0;
    std::string name;
    if (!module) {
        char buffer[PATH_MAX];
        ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n <= 0) return 0;
        name.assign(buffer, static_cast<size_t>(n));
    } else {
        auto& loader = Loader();
        std::lock_guard lock(loader.mutex);
        auto found = FindByHandle(module);
        if (!found) return 0;
        name = found->path;
    }
    // Too small a buffer: the name is cut, terminated, and the capacity returned.
    if (name.size() >= capacity) {
        std::memcpy(path, name.data(), capacity - 1);
        path[capacity - 1] = '\0';
        return capacity;
    }
    std::memcpy(path, name.c_str(), name.size() + 1);
    return static_cast<DWORD>(name.size());
}

HRESULT CoLoadModuleByPath(const char* path, HMODULE* module) {
    if (!module) return E_POINTER;
    *module = nullptr;
    auto& loader = Loader();
    std::lock_guard lock(loader.mutex);
    std::shared_ptr<LoadedModule> loaded;
    if (HRESULT hr = LoadModule(path, &loaded); FAILED(hr)) return hr;
    *module = loaded->handle;
    return S_OK;
}

void* GetProcAddress(HMODULE module, const char* name) {
    if (!name) return nullptr;
    auto& loader = Loader();
    std::lock_guard lock(loader.mutex);
    auto found = FindByHandle(module);
    return found ? ::dlsym(found->library, name) : nullptr;
}
