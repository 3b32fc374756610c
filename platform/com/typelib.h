// Type-library registration. A module describes its library with TypeLibDescription
// (carried as its "TYPELIB" resource); RegisterTypeLib writes the keys the platform
// writes for it:
//   HKCR\TypeLib\{libid}\<major>.<minor>            = help string
//   HKCR\TypeLib\{libid}\<major>.<minor>\0\win32    = module path
//   HKCR\TypeLib\{libid}\<major>.<minor>\FLAGS      = "0"
//   HKCR\TypeLib\{libid}\<major>.<minor>\HELPDIR    = module folder
//   HKCR\Interface\{iid}                             = interface name
//   HKCR\Interface\{iid}\ProxyStubClsid32            = {00020424-0000-0000-C000-000000000046}
//   HKCR\Interface\{iid}\TypeLib                     = {libid}, val Version = "<major>.<minor>"
// and UnRegisterTypeLib removes them again.
#pragma once

#include "platform/com/oaidl.h"

struct TypeLibProperty {
    const char* name;
    DISPID dispid;
    VARTYPE type;
    bool writable;
};

struct TypeLibInterface {
    const char* name;
    GUID iid;
    const char* helpString;
    const char* baseName;  // the interface it derives from
    bool dual;
    const TypeLibProperty* properties;
    size_t propertyCount;
};

struct TypeLibClass {
    const char* name;
    GUID clsid;
    const char* helpString;  // may be null
};

struct TypeLibDescription {
    const char* name;  // "MAINLib"
    GUID libid;
    WORD majorVersion;
    WORD minorVersion;
    const char* helpString;
    const TypeLibInterface* interfaces;
    size_t interfaceCount;
    const TypeLibClass* classes;
    size_t classCount;
};

HRESULT RegisterTypeLib(const TypeLibDescription* lib, const char* modulePath);
HRESULT UnRegisterTypeLib(const TypeLibDescription* lib);
