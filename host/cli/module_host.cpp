#include "host/cli/module_host.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "host/cli/cli_error.h"
#include "host/cli/result_words.h"
#include "platform/com/registry.h"
#include "platform/ui/resource.h"

namespace brushwerk::cli {
namespace {

constexpr const char* kModuleFileName = "libquillet_brushwerk.so";

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
bool IsDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Absolute(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
    return path;
}

std::string ProgramDirectory() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string exe(buf, static_cast<size_t>(n));
    size_t slash = exe.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

// The build tree the program was built in, when it still exists.
std::string BuildDirectory() {
#ifdef QUILLET_BUILD_DIR
    if (IsDirectory(QUILLET_BUILD_DIR)) return QUILLET_BUILD_DIR;
#endif
    return {};
}

std::string ReadDefaultValue(HKEY root, const std::string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    std::vector<char> data(4096);
    DWORD type = 0, size = static_cast<DWORD>(data.size());
    LSTATUS status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return {};
    return std::string(data.data(), size > 0 && data[size - 1] == '\0' ? size - 1 : size);
}

}  // namespace

void ChooseRegistryFile() {
    const char* current = std::getenv("QUILLET_REGISTRY");
    if (current && *current) return;
    const std::string build = BuildDirectory();
    if (!build.empty()) ::setenv("QUILLET_REGISTRY", (build + "/brushwerk-registry.reg").c_str(), 1);
}

std::string FindModuleFile(const std::string& explicitPath) {
    if (!explicitPath.empty()) {
        if (!IsFile(explicitPath)) throw CliError("module not found: " + explicitPath);
        return Absolute(explicitPath);
    }
    const char* env = std::getenv("QUILLET_MODULE");
    if (env && *env) {
        if (!IsFile(env)) throw CliError(std::string("module not found: ") + env + " (from $QUILLET_MODULE)");
        return Absolute(env);
    }
    std::vector<std::string> tried;
#ifdef QUILLET_DEFAULT_MODULE_PATH
    tried.push_back(QUILLET_DEFAULT_MODULE_PATH);
#endif
    const std::string programDir = ProgramDirectory();
    if (!programDir.empty()) {
        tried.push_back(programDir + "/" + kModuleFileName);
        tried.push_back(programDir + "/../lib/" + kModuleFileName);
        tried.push_back(programDir + "/../../" + kModuleFileName);  // build/host/cli/brushwerk
    }
    for (const std::string& path : tried)
        if (IsFile(path)) return Absolute(path);
    std::string list;
    for (const std::string& path : tried) list += "\n  " + path;
    throw CliError("cannot find " + std::string(kModuleFileName) + "; give --module PATH or set QUILLET_MODULE. Tried:" +
                   list);
}

ModuleHost::ModuleHost(const ModuleLocation& where) {
    ChooseRegistryFile();
    m_path = FindModuleFile(where.modulePath);
    HRESULT hr = CoInitializeEx(nullptr, 0);
    m_comInitialised = SUCCEEDED(hr);
    hr = CoLoadModuleByPath(m_path.c_str(), &m_module);
    if (FAILED(hr) || !m_module) throw CliError("cannot load module " + m_path + ": " + ResultInWords(hr));
    const std::string registryError = RegistryLastError();
    if (!registryError.empty()) throw CliError("registry: " + registryError);
    if (where.registerWhenNeeded && NeedsRegistration()) Register();
}

ModuleHost::~ModuleHost() {
    // Every effect object is gone by now: let the module unload (its DllMain detaches).
    CoFreeUnusedLibraries();
    if (m_comInitialised) CoUninitialize();
}

bool ModuleHost::NeedsRegistration() const {
    for (const EffectInfo& e : AllEffects()) {
        const std::string server = ReadDefaultValue(HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(e.clsid) + "\\InprocServer32");
        if (server.empty() || Absolute(server) != m_path) return true;
    }
    return false;
}

void ModuleHost::CallServerExport(const char* name, const char* doing) const {
    auto entry = reinterpret_cast<PFN_DllRegisterServer>(GetProcAddress(m_module, name));
    if (!entry) throw CliError("module " + m_path + " exports no " + name);
    const HRESULT hr = entry();
    if (FAILED(hr)) {
        std::string detail = RegistryLastError();
        throw CliError(std::string(doing) + " " + m_path + " in " + RegistryFilePath() + " failed: " + ResultInWords(hr) +
                       (detail.empty() ? "" : ": " + detail));
    }
}

void ModuleHost::Register() {
    CallServerExport("DllRegisterServer", "registering");
    m_registered = true;
}

void ModuleHost::Unregister() { CallServerExport("DllUnregisterServer", "unregistering"); }

std::string ModuleHost::DisplayName(const EffectInfo& effect) const {
    char text[260] = "";
    if (LoadStringA(m_module, effect.displayNameStringId, text, sizeof text) > 0) return text;
    return effect.displayName;
}

ComPtr<IUnknown> ModuleHost::CreateEffect(const EffectInfo& effect) const {
    ComPtr<IUnknown> object;
    HRESULT hr = CoCreateInstance(effect.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  object.ReleaseAndGetVoidAddress());
    // Another process may have unregistered the classes since this one looked: register
    // them again, as rendering promises, and try once more.
    if (hr == REGDB_E_CLASSNOTREG) {
        CallServerExport("DllRegisterServer", "registering");
        m_registered = true;
        hr = CoCreateInstance(effect.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              object.ReleaseAndGetVoidAddress());
    }
    if (FAILED(hr) || !object)
        throw CliError("cannot create " + std::string(effect.shortName) + " " + GuidToString(effect.clsid) + ": " +
                       ResultInWords(hr));
    return object;
}

}  // namespace brushwerk::cli
