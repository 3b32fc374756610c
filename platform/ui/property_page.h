// The platform's implementation of a property page around a child dialog: the frame's
// site, the objects the page edits, activation (the dialog made from the module's
// template), showing, moving, dirtiness and the dialog keyboard. A page adds its dialog's
// messages, Apply and Help.
#pragma once

#include <vector>

#include "platform/com/object.h"
#include "platform/ui/dialog.h"
#include "platform/ui/ocidl.h"

// Where a page's dialog and page information come from.
struct PropertyPageResources {
    HINSTANCE instance;  // the module holding the dialog and the strings
    UINT dialogId;
    UINT titleId, helpFileId, docStringId;  // module strings
    DWORD helpContext;
};

class CPropertyPageImpl : public ComObjectRoot, public IPropertyPage {
public:
    // A second site while one is held is refused (E_UNEXPECTED); null lets go of it.
    HRESULT SetPageSite(IPropertyPageSite* site) override;
    HRESULT Activate(HWND parent, const RECT* rect, BOOL modal) override;
    HRESULT Deactivate() override;
    HRESULT GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT Show(UINT command) override;
    HRESULT Move(const RECT* rect) override;
    HRESULT IsPageDirty() override;
    HRESULT Apply() override { return S_OK; }
    HRESULT Help(const wchar_t*) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG* msg) override;

    // The object's end, while it is still whole: the window goes (its WM_DESTROY still
    // reaches the page), then the objects and the site.
    void FinalRelease();

protected:
    explicit CPropertyPageImpl(const PropertyPageResources& resources) : m_resources(resources) {}
    ~CPropertyPageImpl();
    CPropertyPageImpl(const CPropertyPageImpl&) = delete;
    CPropertyPageImpl& operator=(const CPropertyPageImpl&) = delete;

    // Tells the site when the page becomes dirty (dirty and to be validated) or clean.
    void SetDirty(BOOL dirty);
    // The page's dialog messages, from WM_INITDIALOG to WM_DESTROY; FALSE leaves a
    // message to the platform's dialog handling.
    virtual intptr_t OnDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

    PropertyPageResources m_resources;
    HWND m_hWnd = nullptr;  // the dialog, between activation and deactivation
    IPropertyPageSite* m_pPageSite = nullptr;
    std::vector<IUnknown*> m_ppUnk;  // the objects, each with a reference
    BOOL m_bDirty = FALSE;

private:
    static intptr_t DialogProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    void ReleaseObjects();
};
