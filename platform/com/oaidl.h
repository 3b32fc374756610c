// Automation: the dispatch interface, the type library and type information a
// late-bound client reads, with the few variant kinds the effects' dual interface
// needs (long and float properties).
#pragma once

#include "platform/com/unknown.h"

QUILLET_INTERFACE_ID(IDispatch, "00020400-0000-0000-C000-000000000046");
QUILLET_INTERFACE_ID(ITypeInfo, "00020401-0000-0000-C000-000000000046");
QUILLET_INTERFACE_ID(ITypeLib, "00020402-0000-0000-C000-000000000046");

using DISPID = LONG;
using MEMBERID = DISPID;
using HREFTYPE = DWORD;
using LCID = DWORD;
using SCODE = LONG;
using VARTYPE = uint16_t;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_R4 = 4;
constexpr VARTYPE VT_R8 = 5;
constexpr VARTYPE VT_VOID = 24;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr MEMBERID MEMBERID_NIL = DISPID_UNKNOWN;

// Strings handed across the boundary: allocated by the platform, freed by the
// receiver with SysFreeString. The length is kept in front of the characters.
using BSTR = wchar_t*;
extern "C" {
BSTR SysAllocString(const wchar_t* text);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
}

struct VARIANT {
    VARTYPE vt;
    union {
        LONG lVal;
        float fltVal;
        double dblVal;
    };
};

struct DISPPARAMS {
    VARIANT* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

// What a failing member reported; Invoke then returns DISP_E_EXCEPTION.
struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    void* pfnDeferredFillIn;
    SCODE scode;
};

enum TYPEKIND { TKIND_ENUM, TKIND_RECORD, TKIND_MODULE, TKIND_INTERFACE, TKIND_DISPATCH, TKIND_COCLASS };
enum FUNCKIND { FUNC_VIRTUAL, FUNC_PUREVIRTUAL, FUNC_NONVIRTUAL, FUNC_STATIC, FUNC_DISPATCH };
enum INVOKEKIND { INVOKE_FUNC = 1, INVOKE_PROPERTYGET = 2, INVOKE_PROPERTYPUT = 4, INVOKE_PROPERTYPUTREF = 8 };
enum SYSKIND { SYS_WIN16, SYS_WIN32, SYS_MAC, SYS_WIN64 };

constexpr WORD TYPEFLAG_FCANCREATE = 0x2;
constexpr WORD TYPEFLAG_FDUAL = 0x40;
constexpr WORD TYPEFLAG_FOLEAUTOMATION = 0x100;
constexpr WORD TYPEFLAG_FDISPATCHABLE = 0x1000;

struct TYPEDESC {
    VARTYPE vt;
};
struct ELEMDESC {
    TYPEDESC tdesc;
};

struct TYPEATTR {
    GUID guid;
    LCID lcid;
    TYPEKIND typekind;
    WORD cFuncs;       // the type's own functions (a property's get and put count apart)
    WORD cVars;
    WORD cImplTypes;   // the base interface, for an interface
    WORD cbSizeVft;    // the whole table of virtual functions, base included
    WORD wTypeFlags;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
};

struct FUNCDESC {
    MEMBERID memid;
    ELEMDESC* lprgelemdescParam;
    FUNCKIND funckind;
    INVOKEKIND invkind;
    short cParams;
    short oVft;             // byte offset of the function in the virtual table
    ELEMDESC elemdescFunc;  // the property's type for a get, VT_VOID for a put
    WORD wFuncFlags;
};

struct TLIBATTR {
    GUID guid;
    LCID lcid;
    SYSKIND syskind;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    WORD wLibFlags;
};

struct ITypeLib;

struct ITypeInfo : IUnknown {
    virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
    virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) = 0;
    virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) = 0;
    // Names are matched without regard to case; names after the first are the
    // member's parameter names.
    virtual HRESULT GetIDsOfNames(const wchar_t* const* names, UINT count, MEMBERID* ids) = 0;
    // Calls the member on instance, a pointer to the interface this type describes.
    virtual HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT* argError) = 0;
    // MEMBERID_NIL describes the type itself. Any out-pointer may be null.
    virtual HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* helpContext, BSTR* helpFile) = 0;
    virtual HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) = 0;
    virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
    virtual void ReleaseFuncDesc(FUNCDESC* desc) = 0;
};

struct ITypeLib : IUnknown {
    virtual UINT GetTypeInfoCount() = 0;
    virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** info) = 0;
    virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) = 0;
    virtual HRESULT GetLibAttr(TLIBATTR** attr) = 0;
    // Index -1 describes the library itself.
    virtual HRESULT GetDocumentation(INT index, BSTR* name, BSTR* doc, DWORD* helpContext, BSTR* helpFile) = 0;
    virtual void ReleaseTLibAttr(TLIBATTR* attr) = 0;
};

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID iid, const wchar_t* const* names, UINT count, LCID lcid, DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exceptionInfo, UINT* argError) = 0;
};

// Loading a type library. Paths are the file system's own bytes, as everywhere in this
// platform. A module's library is its "TYPELIB" resource 1.
extern "C" {
// Loads the module at path (as the loader does) and reads its library.
HRESULT LoadTypeLib(const char* path, ITypeLib** lib);
// Finds the file through HKCR\TypeLib\{libid}\<major>.<minor>\0\win32, taking the
// highest registered minor version at or above minor within major.
HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib);
// Reads the library of a module already loaded (its resources registered).
HRESULT LoadTypeLibFromModule(HMODULE module, ITypeLib** lib);
}
