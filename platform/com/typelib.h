// Type libraries as modules carry them, and their registration.
//
// A module describes its library with TypeLibDescription and carries
// TypeLibResourceText(description) as its "TYPELIB" resource 1; LoadTypeLib and
// LoadRegTypeLib (oaidl.h) read that resource back. The text is one record a line,
// fields separated by tabs:
//   QuilletTypeLib 1
//   library   {libid}  <major>.<minor>  name  help
//   interface {iid}    name  help  base  dual|-      (base: IDispatch or an interface above)
//   property  dispid   long|float  get|get put  name (belongs to the interface above)
//   coclass   {clsid}  name  help
//
// RegisterTypeLib writes the keys the platform writes for a library:
//   HKCR\TypeLib\{libid}\<major>.<minor>            = help string
//   HKCR\TypeLib\{libid}\<major>.<minor>\0\win32    = module path
//   HKCR\TypeLib\{libid}\<major>.<minor>\FLAGS      = "0"
//   HKCR\TypeLib\{libid}\<major>.<minor>\HELPDIR    = help folder (when given)
//   HKCR\Interface\{iid}                             = interface name
//   HKCR\Interface\{iid}\ProxyStubClsid32            = {00020424-0000-0000-C000-000000000046}
//   HKCR\Interface\{iid}\TypeLib                     = {libid}, val Version = "<major>.<minor>"
// and UnRegisterTypeLib removes them again.
#pragma once

#include <string>

#include "platform/com/oaidl.h"

struct TypeLibProperty {
    const char* name;
    DISPID dispid;
    VARTYPE type;  // VT_I4 or VT_R4
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

// The resource text of lib; empty when lib cannot be written (a missing name, a text
// with tabs, line breaks or characters beyond printable ASCII, an unknown base or type).
std::string TypeLibResourceText(const TypeLibDescription& lib);

extern "C" {
// Registers the library found at fullPath; helpDir may be null.
HRESULT RegisterTypeLib(ITypeLib* lib, const char* fullPath, const char* helpDir);
// Removes the library's version key (and the library's key once no version is left)
// and the interface keys that still name this library and version.
HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);
}
