// Class-wide part of the transform base: the registration of an effect class (script,
// then categories).
#include <memory>

#include "transform/dtbase.h"
#include "platform/com/combase.h"
#include "platform/com/comcat.h"
#include "platform/com/kit/module.h"

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
