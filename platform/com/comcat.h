// The component-category manager: records which categories a class implements or
// requires, under HKCR\CLSID\{clsid}\Implemented Categories\{catid} and
// "Required Categories", as the platform does.
#pragma once

#include "platform/com/unknown.h"

QUILLET_INTERFACE_ID(ICatRegister, "0002E012-0000-0000-C000-000000000046");
inline constexpr GUID CLSID_StdComponentCategoriesMgr = MakeGuid("0002E005-0000-0000-C000-000000000046");

struct ICatRegister : IUnknown {
    virtual HRESULT RegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids) = 0;
    virtual HRESULT UnRegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids) = 0;
    virtual HRESULT RegisterClassReqCategories(REFCLSID clsid, ULONG count, const CATID* catids) = 0;
    virtual HRESULT UnRegisterClassReqCategories(REFCLSID clsid, ULONG count, const CATID* catids) = 0;
};

// Creates the platform's category manager (CoCreateInstance also answers
// CLSID_StdComponentCategoriesMgr through this).
HRESULT CreateStdComponentCategoriesMgr(IUnknown* outer, REFIID iid, void** object);
