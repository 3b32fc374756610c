// Reaching the effect module as a host does: a registry file of our own, the module
// found on disk and registered there when its classes are not (or point elsewhere),
// then effect objects made through the loader by class identifier.
#pragma once

#include <string>

#include "host/cli/effect_catalog.h"
#include "platform/com/combase.h"

namespace brushwerk::cli {

// Where the module and the registry file come from. Empty fields are looked up.
struct ModuleLocation {
    std::string modulePath;  // --module; else $QUILLET_MODULE, the build tree, beside the program
    bool registerWhenNeeded = true;  // register the classes when they are missing or point elsewhere
};

// Points QUILLET_REGISTRY at "<build dir>/brushwerk-registry.reg" when it is unset and
// the program runs from its build tree; elsewhere the registry's own default applies.
void ChooseRegistryFile();

// The module file to load: explicit, $QUILLET_MODULE, the build tree's, or one beside
// the program. Throws CliError naming the places tried.
std::string FindModuleFile(const std::string& explicitPath);

class ModuleHost {
public:
    explicit ModuleHost(const ModuleLocation& where);
    ~ModuleHost();
    ModuleHost(const ModuleHost&) = delete;
    ModuleHost& operator=(const ModuleHost&) = delete;

    const std::string& ModulePath() const { return m_path; }
    HMODULE Module() const { return m_module; }
    // True when this run had to register the module's classes.
    bool Registered() const { return m_registered; }
    // What a registration tool does: the module's own DllRegisterServer / DllUnregisterServer.
    void Register();
    void Unregister();

    // The effect's display name from the module's string table (the catalog's when absent).
    std::string DisplayName(const EffectInfo& effect) const;
    // A new effect object (its IUnknown); throws CliError with the loader's result code.
    // Registers the module again when its class is found unregistered (another process
    // may unregister it at any moment) and tries once more.
    ComPtr<IUnknown> CreateEffect(const EffectInfo& effect) const;

private:
    bool NeedsRegistration() const;
    void CallServerExport(const char* name, const char* doing) const;

    std::string m_path;
    HMODULE m_module = nullptr;
    mutable bool m_registered = false;
    bool m_comInitialised = false;
};

}  // namespace brushwerk::cli
