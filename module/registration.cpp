#include "module/registration.h"

#include <string>

#include "module/objectmap.h"
#include "transform/dtbase.h"
#include "platform/com/comcat.h"
#include "platform/com/kit/module.h"
#include "platform/dx/dxtrans.h"
#include "platform/com/typelib.h"

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

// The library carried as the module's "TYPELIB" resource.
HRESULT CarriedTypeLibrary(ComPtr<ITypeLib>* lib) {
    return LoadTypeLibFromModule(ComModule::Instance(), lib->ReleaseAndGetAddressOf());
}

}  // namespace

HRESULT RegisterModuleTypeLibrary() {
    ComPtr<ITypeLib> lib;
    if (HRESULT hr = CarriedTypeLibrary(&lib); FAILED(hr)) return hr;
    // Help files live beside the module.
    const std::string path = ComModule::Path();
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return RegisterTypeLib(lib.Get(), path.c_str(), folder.c_str());
}

HRESULT UnregisterModuleTypeLibrary() {
    ComPtr<ITypeLib> lib;
    if (HRESULT hr = CarriedTypeLibrary(&lib); FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    if (HRESULT hr = lib->GetLibAttr(&attr); FAILED(hr)) return hr;
    HRESULT hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    lib->ReleaseTLibAttr(attr);
    return hr;
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
