#include "host/frei0r/module_connection.h"

#include <cstdio>

#include "platform/com/combase.h"
#include "platform/com/registry.h"
#include "platform/ui/resource.h"

namespace brushwerk::frei0r {

std::string DescribeResult(HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    const char* words = nullptr;
    switch (hr) {
        case E_NOTIMPL: words = "not implemented"; break;
        case E_OUTOFMEMORY: words = "out of memory"; break;
        case E_INVALIDARG: words = "invalid argument"; break;
        case E_POINTER: words = "null pointer"; break;
        case E_FAIL: words = "failed"; break;
        case E_NOINTERFACE: words = "no such interface"; break;
        case CO_E_DLLNOTFOUND: words = "module cannot be loaded"; break;
        case CLASS_E_CLASSNOTAVAILABLE: words = "class not in the module"; break;
        default: break;
    }
    return words ? std::string(code) + " (" + words + ")" : std::string(code);
}

HRESULT ModuleConnection::Open(const std::string& modulePath, const common::EffectInfo& effect) {
    Close();
    // Nothing is registered here, so the module's own registry writes at load (its
    // diagnostics word) stay in this process instead of changing the person's file.
    RegistryKeepInMemory();
    HRESULT hr = CoLoadModuleByPath(modulePath.c_str(), &m_module);
    if (FAILED(hr)) {
        m_error = "cannot load " + modulePath + ": " + DescribeResult(hr);
        return hr;
    }
    auto getClassObject = reinterpret_cast<PFN_DllGetClassObject>(GetProcAddress(m_module, "DllGetClassObject"));
    if (!getClassObject) {
        m_error = modulePath + " exports no DllGetClassObject";
        return CO_E_ERRORINDLL;
    }
    hr = getClassObject(effect.clsid, IID_IClassFactory, m_factory.ReleaseAndGetVoidAddress());
    if (FAILED(hr) || !m_factory) {
        m_factory.Reset();
        m_error = modulePath + " has no class object for " + effect.shortName + ": " + DescribeResult(hr);
        return FAILED(hr) ? hr : E_FAIL;
    }
    m_factory->LockServer(TRUE);
    m_error.clear();
    return S_OK;
}

void ModuleConnection::Close() {
    if (m_factory) {
        m_factory->LockServer(FALSE);
        m_factory.Reset();
    }
    m_module = nullptr;
}

HRESULT ModuleConnection::CreateEffect(IUnknown** object) const {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!m_factory) return E_UNEXPECTED;
    return m_factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object));
}

std::string ModuleConnection::LoadText(UINT id) const {
    char text[260] = "";
    if (!m_module || LoadStringA(m_module, id, text, static_cast<int>(sizeof text)) <= 0) return {};
    return text;
}

}  // namespace brushwerk::frei0r
