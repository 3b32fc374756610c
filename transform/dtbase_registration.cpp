// Class-wide parts of the transform base: the debug-flags word read from the registry
// at module load, and the registration of an effect class (script, then categories).
#include <memory>

#include "transform/dtbase.h"
#include "platform/com/combase.h"
#include "platform/com/comcat.h"
#include "platform/com/kit/module.h"
#include "platform/com/registry.h"

std::atomic<DWORD> CDXBaseNTo1::s_dwDebugFlags{0};

DWORD CDXBaseNTo1::LoadDebugFlags() {
    DWORD flags = 0;
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, "DXTDbgFlags", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) == ERROR_SUCCESS) {
        DWORD type = REG_NONE, value = 0, size = sizeof value;
        LSTATUS status = RegQueryValueExA(key, "Flags", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        if (status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value) {
            flags = value;
        } else if (status == ERROR_FILE_NOT_FOUND) {
            const DWORD zero = 0;
            RegSetValueExA(key, "Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
        }
        RegCloseKey(key);
    }
    SetDebugFlags(flags);
    return flags;
}

namespace {

ComPtr<ICatRegister> CreateCategoryManager() {
    ComPtr<ICatRegister> manager;
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                manager.ReleaseAndGetVoidAddress())))
        manager = nullptr;
    return manager;
}

}  // namespace

// The category steps' failures are not part of the result: registering answers with
// the script's result, unregistering with S_OK.
HRESULT CDXBaseNTo1::RegisterTransform(REFCLSID clsid, int scriptId, ULONG implCount, const CATID* impl,
                                       ULONG reqCount, const CATID* req, BOOL doRegister) {
    if (doRegister) {
        HRESULT hr = ComModule::UpdateRegistryFromResource(static_cast<UINT>(scriptId), TRUE);
        if (FAILED(hr)) return hr;
        if (ComPtr<ICatRegister> categories = CreateCategoryManager()) {
            HRESULT hrCat = categories->RegisterClassImplCategories(clsid, implCount, impl);
            if (SUCCEEDED(hrCat) && reqCount && req) categories->RegisterClassReqCategories(clsid, reqCount, req);
        }
        return hr;
    }
    if (ComPtr<ICatRegister> categories = CreateCategoryManager()) {
        HRESULT hrCat = categories->UnRegisterClassImplCategories(clsid, implCount, impl);
        if (SUCCEEDED(hrCat) && reqCount && req) categories->UnRegisterClassReqCategories(clsid, reqCount, req);
    }
    ComModule::UpdateRegistryFromResource(static_cast<UINT>(scriptId), FALSE);
    return S_OK;
}
