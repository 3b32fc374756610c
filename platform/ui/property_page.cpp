#include "platform/ui/property_page.h"

#include <cstring>

#include "platform/com/objidl.h"
#include "platform/ui/resource.h"

namespace {

// A module string as a task-allocated wide string; the strings are ASCII.
wchar_t* TaskString(HINSTANCE instance, UINT id) {
    char text[260] = {};
    const int length = LoadStringA(instance, id, text, sizeof text);
    auto* wide = static_cast<wchar_t*>(CoTaskMemAlloc((size_t(length) + 1) * sizeof(wchar_t)));
    if (!wide) return nullptr;
    for (int i = 0; i <= length; ++i) wide[i] = static_cast<unsigned char>(text[i]);
    return wide;
}

bool IsKeyboardOrMouse(UINT msg) { return (msg >= WM_KEYDOWN && msg <= 0x0109) || (msg >= WM_MOUSEMOVE && msg <= 0x020E); }

}  // namespace

CPropertyPageImpl::~CPropertyPageImpl() {
    // A page released without FinalRelease (never handed out): its window must not call
    // back into a page that is gone.
    if (m_hWnd) {
        SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        DestroyWindow(m_hWnd);
    }
    ReleaseObjects();
    if (m_pPageSite) m_pPageSite->Release();
}

void CPropertyPageImpl::FinalRelease() {
    Deactivate();
    ReleaseObjects();
    SetPageSite(nullptr);
}

void CPropertyPageImpl::ReleaseObjects() {
    std::vector<IUnknown*> held;
    held.swap(m_ppUnk);
    for (IUnknown* object : held) object->Release();
}

HRESULT CPropertyPageImpl::SetPageSite(IPropertyPageSite* site) {
    if (site && m_pPageSite) return E_UNEXPECTED;
    if (site) site->AddRef();
    if (m_pPageSite) m_pPageSite->Release();
    m_pPageSite = site;
    return S_OK;
}

HRESULT CPropertyPageImpl::Activate(HWND parent, const RECT* rect, BOOL /*modal*/) {
    if (!rect) return E_POINTER;
    if (m_hWnd) return E_UNEXPECTED;
    HWND dialog = CreateDialogParamA(m_resources.instance, MAKEINTRESOURCEA(m_resources.dialogId), parent,
                                     &DialogProcedure, reinterpret_cast<LPARAM>(this));
    if (!dialog) return E_FAIL;
    return Move(rect);
}

HRESULT CPropertyPageImpl::Deactivate() {
    if (m_hWnd) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return S_OK;
}

HRESULT CPropertyPageImpl::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    PROPPAGEINFO page{};
    page.cb = sizeof page;
    if (!GetDialogResourceSize(m_resources.instance, MAKEINTRESOURCEA(m_resources.dialogId), &page.size)) return E_FAIL;
    page.pszTitle = TaskString(m_resources.instance, m_resources.titleId);
    page.pszDocString = TaskString(m_resources.instance, m_resources.docStringId);
    page.pszHelpFile = TaskString(m_resources.instance, m_resources.helpFileId);
    page.dwHelpContext = m_resources.helpContext;
    if (!page.pszTitle || !page.pszDocString || !page.pszHelpFile) {
        CoTaskMemFree(page.pszTitle);
        CoTaskMemFree(page.pszDocString);
        CoTaskMemFree(page.pszHelpFile);
        return E_OUTOFMEMORY;
    }
    *info = page;
    return S_OK;
}

HRESULT CPropertyPageImpl::SetObjects(ULONG count, IUnknown** objects) {
    if (count && !objects) return E_POINTER;
    for (ULONG i = 0; i < count; ++i)
        if (!objects[i]) return E_POINTER;
    ReleaseObjects();
    for (ULONG i = 0; i < count; ++i) {
        objects[i]->AddRef();
        m_ppUnk.push_back(objects[i]);
    }
    return S_OK;
}

HRESULT CPropertyPageImpl::Show(UINT command) {
    if (!m_hWnd) return E_UNEXPECTED;
    ShowWindow(m_hWnd, int(command));
    return S_OK;
}

HRESULT CPropertyPageImpl::Move(const RECT* rect) {
    if (!rect) return E_POINTER;
    if (!m_hWnd) return E_UNEXPECTED;
    MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

HRESULT CPropertyPageImpl::IsPageDirty() { return m_bDirty ? S_OK : S_FALSE; }

HRESULT CPropertyPageImpl::TranslateAccelerator(MSG* msg) {
    if (!msg) return E_POINTER;
    if (!m_hWnd || !IsKeyboardOrMouse(msg->message)) return S_FALSE;
    return IsDialogMessageA(m_hWnd, msg) ? S_OK : S_FALSE;
}

void CPropertyPageImpl::SetDirty(BOOL dirty) {
    if (!m_bDirty == !dirty) return;
    m_bDirty = dirty;
    if (m_pPageSite) m_pPageSite->OnStatusChange(dirty ? PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE : PROPPAGESTATUS_CLEAN);
}

intptr_t CPropertyPageImpl::DialogProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<CPropertyPageImpl*>(lParam)->m_hWnd = dialog;
    }
    auto* page = reinterpret_cast<CPropertyPageImpl*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!page) return FALSE;
    const intptr_t result = page->OnDialogMessage(msg, wParam, lParam);
    if (msg == WM_DESTROY) {
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        if (page->m_hWnd == dialog) page->m_hWnd = nullptr;
    }
    return result;
}
