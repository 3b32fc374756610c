// Property pages as the platform's frames host them: the page, the frame's site for it,
// and the page information a frame reads before it lays pages out.
#pragma once

#include "platform/com/unknown.h"
#include "platform/ui/wingdi.h"

QUILLET_INTERFACE_ID(IPropertyPage, "B196B28D-BAB4-101A-B69C-00AA00341D07");
QUILLET_INTERFACE_ID(IPropertyPageSite, "B196B28C-BAB4-101A-B69C-00AA00341D07");

using LCID = DWORD;

// What a page tells its site through OnStatusChange.
constexpr DWORD PROPPAGESTATUS_DIRTY = 0x1;
constexpr DWORD PROPPAGESTATUS_VALIDATE = 0x2;
constexpr DWORD PROPPAGESTATUS_CLEAN = 0x4;

// The strings are the caller's to free with CoTaskMemFree.
struct PROPPAGEINFO {
    ULONG cb;
    wchar_t* pszTitle;
    SIZE size;  // pixels
    wchar_t* pszDocString;
    wchar_t* pszHelpFile;
    DWORD dwHelpContext;
};

struct IPropertyPageSite : IUnknown {
    virtual HRESULT OnStatusChange(DWORD flags) = 0;
    virtual HRESULT GetLocaleID(LCID* locale) = 0;
    virtual HRESULT GetPageContainer(IUnknown** container) = 0;
    virtual HRESULT TranslateAccelerator(MSG* msg) = 0;
};

struct IPropertyPage : IUnknown {
    virtual HRESULT SetPageSite(IPropertyPageSite* site) = 0;
    // Makes the page's window, a child of parent, at rect.
    virtual HRESULT Activate(HWND parent, const RECT* rect, BOOL modal) = 0;
    virtual HRESULT Deactivate() = 0;
    virtual HRESULT GetPageInfo(PROPPAGEINFO* info) = 0;
    virtual HRESULT SetObjects(ULONG count, IUnknown** objects) = 0;
    virtual HRESULT Show(UINT command) = 0;
    virtual HRESULT Move(const RECT* rect) = 0;
    // S_OK when dirty, S_FALSE when not.
    virtual HRESULT IsPageDirty() = 0;
    virtual HRESULT Apply() = 0;
    virtual HRESULT Help(const wchar_t* helpDir) = 0;
    // S_OK when the page used the message, S_FALSE when the frame should.
    virtual HRESULT TranslateAccelerator(MSG* msg) = 0;
};
