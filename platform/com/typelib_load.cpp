// Loading a type library: from a module's "TYPELIB" resource 1, from a module file (loaded
// by the loader, so that its resources are registered), or through the registry's
// TypeLib keys. The library is copied out of the module, so it stays valid when the
// module is unloaded.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/combase.h"
#include "platform/com/registry.h"
#include "platform/com/typelib_data.h"
#include "platform/ui/resource.h"

namespace {

constexpr UINT kTypeLibResourceId = 1;

// The string value of HKCR\path, or empty.
std::string ReadClassesString(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char buffer[4096] = {};
    DWORD type = REG_NONE, size = sizeof buffer - 1;
    LSTATUS status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::string(buffer) : std::string();
}

// The registered minor versions of libid within major ("<major>.<minor>" in hexadecimal).
std::vector<WORD> RegisteredMinors(const std::string& libKey, WORD major) {
    std::vector<WORD> minors;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, libKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return minors;
    for (DWORD i = 0;; ++i) {
        char name[64];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        unsigned keyMajor = 0, keyMinor = 0;
        int used = 0;
        if (std::sscanf(name, "%x.%x%n", &keyMajor, &keyMinor, &used) == 2 && name[used] == '\0' &&
            keyMajor == major && keyMinor <= 0xFFFF)
            minors.push_back(static_cast<WORD>(keyMinor));
    }
    RegCloseKey(key);
    return minors;
}

}  // namespace

extern "C" HRESULT LoadTypeLibFromModule(HMODULE module, ITypeLib** lib) {
    if (!lib) return E_POINTER;
    *lib = nullptr;
    size_t size = 0;
    const void* data = LoadModuleResource(module, "TYPELIB", kTypeLibResourceId, &size);
    if (!data) return TYPE_E_CANTLOADLIBRARY;
    auto parsed = quillet::tlb::ParseLibrary(std::string_view(static_cast<const char*>(data), size));
    if (!parsed) return TYPE_E_INVDATAREAD;
    *lib = quillet::tlb::CreateTypeLibObject(std::move(*parsed));
    return S_OK;
}

extern "C" HRESULT LoadTypeLib(const char* path, ITypeLib** lib) {
    if (!lib) return E_POINTER;
    *lib = nullptr;
    HMODULE module = nullptr;
    if (FAILED(CoLoadModuleByPath(path, &module))) return TYPE_E_CANTLOADLIBRARY;
    return LoadTypeLibFromModule(module, lib);
}

extern "C" HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID /*lcid*/, ITypeLib** lib) {
    if (!lib) return E_POINTER;
    *lib = nullptr;
    const std::string libKey = "TypeLib\\" + GuidToString(libid);
    int best = -1;
    for (WORD found : RegisteredMinors(libKey, major))
        if (found >= minor && found > best) best = found;
    if (best < 0) return TYPE_E_LIBNOTREGISTERED;
    char version[16];
    std::snprintf(version, sizeof version, "%x.%x", unsigned(major), unsigned(best));
    const std::string path = ReadClassesString(libKey + "\\" + version + "\\0\\win32");
    if (path.empty()) return TYPE_E_LIBNOTREGISTERED;
    return LoadTypeLib(path.c_str(), lib);
}
