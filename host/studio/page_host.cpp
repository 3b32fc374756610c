#include "host/studio/page_host.h"

#include <atomic>

#include "platform/com/combase.h"

namespace brushwerk::studio {

// The studio's site for the page. A page that reports itself dirty is applied at once,
// so that every change reaches the effect and the picture follows.
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
    HRESULT OnStatusChange(DWORD flags) override {
        if ((flags & PROPPAGESTATUS_DIRTY) && m_page) m_page->Apply();
        return S_OK;
    }
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

    // Not counted: the page holds the site, so a counted page here would keep both alive.
    IPropertyPage* m_page = nullptr;

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
    site->m_page = page.Get();
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
    if (m_site) static_cast<Site*>(m_site.Get())->m_page = nullptr;
    m_page = nullptr;
    m_site = nullptr;
}

bool PageHost::TakesMessage(MSG* msg) { return m_page && m_page->TranslateAccelerator(msg) == S_OK; }

}  // namespace brushwerk::studio
