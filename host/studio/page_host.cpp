#include "host/studio/page_host.h"

#include <atomic>

#include "platform/com/combase.h"

namespace brushwerk::studio {

// The studio's site for the page: the locale, and no keys of its own to offer the page.
class PageHost::Site final : public IPropertyPageSite {
public:
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IPropertyPageSite)) return E_NOINTERFACE;
        *out = static_cast<IPropertyPageSite*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        const ULONG left = --m_references;
        if (!left) delete this;
        return left;
    }
    // The page applies every finished change itself, and the studio reads the record after
    // each message; applying here again would answer the page's own refresh with a change.
    HRESULT OnStatusChange(DWORD) override { return S_OK; }
    HRESULT GetLocaleID(LCID* locale) override {
        if (!locale) return E_POINTER;
        *locale = 0x0409;  // English (United States)
        return S_OK;
    }
    HRESULT GetPageContainer(IUnknown** container) override {
        if (container) *container = nullptr;
        return E_NOTIMPL;
    }
    HRESULT TranslateAccelerator(MSG*) override { return S_FALSE; }

private:
    std::atomic<ULONG> m_references{1};
};

bool PageHost::Show(HWND parent, const RECT& area, const cli::EffectInfo& effect, IUnknown* object) {
    Hide();
    ComPtr<IPropertyPage> page;
    if (FAILED(CoCreateInstance(effect.pageClsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IPropertyPage),
                                page.ReleaseAndGetVoidAddress())))
        return false;
    auto* site = new Site;
    m_site = ComPtr<IPropertyPageSite>::Adopt(site);
    m_page = page;
    IUnknown* objects[] = {object};
    if (FAILED(page->SetPageSite(site)) || FAILED(page->SetObjects(1, objects)) ||
        FAILED(page->Activate(parent, &area, FALSE)) || FAILED(page->Show(SW_SHOW))) {
        Hide();
        return false;
    }
    return true;
}

void PageHost::Hide() {
    if (m_page) {
        m_page->Show(SW_HIDE);
        m_page->Deactivate();
        m_page->SetObjects(0, nullptr);
        m_page->SetPageSite(nullptr);
    }
    m_page = nullptr;
    m_site = nullptr;
}

bool PageHost::TakesMessage(MSG* msg) { return m_page && m_page->TranslateAccelerator(msg) == S_OK; }

}  // namespace brushwerk::studio
