// The effect module as one plugin reaches it: the file loaded through the component
// loader by path, and the effect's class object taken straight from the module's
// DllGetClassObject. No registry is involved, so a plugin works without any
// registration step and always uses the module file it found.
//
// The class object is held with LockServer(TRUE) while the connection is open, so the
// module stays loaded even when another part of the process asks the loader to free
// unused modules. The module is never unloaded by the bridge itself: several plugins of
// ours may share it in one process, and none knows when the others are done.
#pragma once

#include <string>

#include "host/common/effect_catalog.h"
#include "platform/com/unknown.h"

namespace brushwerk::frei0r {

class ModuleConnection {
public:
    ModuleConnection() = default;
    ~ModuleConnection() { Close(); }
    ModuleConnection(const ModuleConnection&) = delete;
    ModuleConnection& operator=(const ModuleConnection&) = delete;

    // Loads modulePath and takes the effect's class object. On failure Error() says why.
    HRESULT Open(const std::string& modulePath, const common::EffectInfo& effect);
    void Close();
    bool IsOpen() const { return m_factory != nullptr; }

    // A new effect object (its IUnknown).
    HRESULT CreateEffect(IUnknown** object) const;
    // A string of the module's string table; empty when it has none under that id.
    std::string LoadText(UINT id) const;

    const std::string& Error() const { return m_error; }

private:
    HMODULE m_module = nullptr;
    ComPtr<IClassFactory> m_factory;
    std::string m_error;
};

// "0x80004001 (not implemented)" and the like, for messages.
std::string DescribeResult(HRESULT hr);

}  // namespace brushwerk::frei0r
