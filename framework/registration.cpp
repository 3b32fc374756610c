#include "framework/registration.h"

#include <string>

#include "framework/objectmap.h"
#include "transform/dtbase.h"
#include "platform/com/comcat.h"
#include "platform/com/kit/module.h"
#include "platform/dx/dxtrans.h"
#include "resources/moduleresources.h"

HRESULT UpdateEffectRegistry(REFCLSID clsid, UINT scriptId, BOOL doRegister) {
    // One implemented category, the image-transform one, and no required categories.
    return CDXBaseNTo1::RegisterTransform(clsid, static_cast<int>(scriptId), 1, &CATID_DXImageTransform, 0, nullptr,
                                          doRegister);
}

HRESULT UpdatePageRegistry(UINT scriptId, BOOL doRegister) {
    return ComModule::UpdateRegistryFromResource(scriptId, doRegister);
}

// No class of this module has a category map (effects add their category in their
// register operation), so this only walks an empty list; it is kept so that a class
// that gains one is registered like any other.
HRESULT RegisterClassCategories(const ObjectMapEntry& entry, BOOL doRegister) {
    if (!entry.categoryMap) return S_OK;
    const CategoryMapEntry* categories = entry.categoryMap();
    if (!categories) return S_OK;
    ComPtr<ICatRegister> registrar;
    HRESULT hr = CreateStdComponentCategoriesMgr(nullptr, IID_ICatRegister, registrar.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) return hr;
    for (const CategoryMapEntry* c = categories; c->catid; ++c) {
        if (c->required)
            hr = doRegister ? registrar->RegisterClassReqCategories(*entry.clsid, 1, c->catid)
                            : registrar->UnRegisterClassReqCategories(*entry.clsid, 1, c->catid);
        else
            hr = doRegister ? registrar->RegisterClassImplCategories(*entry.clsid, 1, c->catid)
                            : registrar->UnRegisterClassImplCategories(*entry.clsid, 1, c->catid);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

namespace {

// The description carried as the "TYPELIB" resource of the loaded module.
const TypeLibDescription* CarriedTypeLibrary() {
    size_t size = 0;
    const void* data = LoadModuleResource(ComModule::Instance(), kTypeLibResourceType, kTypeLibResourceId, &size);
    if (!data || size != sizeof(TypeLibDescription)) return nullptr;
    return static_cast<const TypeLibDescription*>(data);
}

}  // namespace

HRESULT RegisterModuleTypeLibrary() {
    const TypeLibDescription* lib = CarriedTypeLibrary();
    if (!lib) return TYPE_E_ELEMENTNOTFOUND;
    const std::string path = ComModule::Path();
    return RegisterTypeLib(lib, path.c_str());
}

HRESULT UnregisterModuleTypeLibrary() {
    const TypeLibDescription* lib = CarriedTypeLibrary();
    if (!lib) return TYPE_E_ELEMENTNOTFOUND;
    return UnRegisterTypeLib(lib);
}

HRESULT RegisterServer() {
    for (const ObjectMapEntry& entry : ObjectMap()) {
        HRESULT hr = entry.updateRegistry(TRUE);
        if (SUCCEEDED(hr)) hr = RegisterClassCategories(entry, TRUE);
        if (FAILED(hr)) return hr;
    }
    return RegisterModuleTypeLibrary();
}

HRESULT UnregisterServer() {
    for (const ObjectMapEntry& entry : ObjectMap()) {
        HRESULT hr = RegisterClassCategories(entry, FALSE);
        if (SUCCEEDED(hr)) hr = entry.updateRegistry(FALSE);
        if (FAILED(hr)) return hr;
    }
    return UnregisterModuleTypeLibrary();
}
