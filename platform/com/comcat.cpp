// The component-category manager: each call is one registry transaction that adds or
// removes HKCR\CLSID\{clsid}\<Implemented|Required> Categories\{catid} keys.
#include "platform/com/comcat.h"

#include <atomic>
#include <new>

#include "platform/com/registry_store.h"

namespace {

using quillet::reg::Key;
using quillet::reg::KeyPath;
using quillet::reg::Root;
using quillet::reg::Store;
using quillet::reg::Tree;

constexpr const char* kImplemented = "Implemented Categories";
constexpr const char* kRequired = "Required Categories";

HRESULT AddCategories(REFCLSID clsid, const char* kind, ULONG count, const CATID* catids) {
    if (count == 0) return S_OK;
    if (!catids) return E_POINTER;
    LSTATUS status = Store::Instance().Write([&](Tree& tree, bool& changed) {
        for (ULONG i = 0; i < count; ++i) {
            bool created = false;
            tree.Create(Root::ClassesRoot, KeyPath{"CLSID", GuidToString(clsid), kind, GuidToString(catids[i])},
                        &created);
            changed |= created;
        }
        return ERROR_SUCCESS;
    });
    return HRESULT_FROM_WIN32(status);
}

// Removes the category keys, then the category folder once it holds nothing else.
HRESULT RemoveCategories(REFCLSID clsid, const char* kind, ULONG count, const CATID* catids) {
    if (count == 0) return S_OK;
    if (!catids) return E_POINTER;
    LSTATUS status = Store::Instance().Write([&](Tree& tree, bool& changed) {
        KeyPath folder{"CLSID", GuidToString(clsid), kind};
        Key* key = tree.Find(Root::ClassesRoot, folder);
        if (!key) return ERROR_SUCCESS;
        for (ULONG i = 0; i < count; ++i) changed |= key->RemoveChild(GuidToString(catids[i]));
        if (key->ChildCount() == 0 && key->ValueCount() == 0) changed |= tree.DeleteTree(Root::ClassesRoot, folder);
        return ERROR_SUCCESS;
    });
    return HRESULT_FROM_WIN32(status);
}

class StdComponentCategoriesMgr final : public ICatRegister {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ICatRegister) {
            *object = static_cast<ICatRegister*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

    HRESULT RegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids) override {
        return AddCategories(clsid, kImplemented, count, catids);
    }
    HRESULT UnRegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids) override {
        return RemoveCategories(clsid, kImplemented, count, catids);
    }
    HRESULT RegisterClassReqCategories(REFCLSID clsid, ULONG count, const CATID* catids) override {
        return AddCategories(clsid, kRequired, count, catids);
    }
    HRESULT UnRegisterClassReqCategories(REFCLSID clsid, ULONG count, const CATID* catids) override {
        return RemoveCategories(clsid, kRequired, count, catids);
    }

private:
    ~StdComponentCategoriesMgr() = default;
    std::atomic<ULONG> m_refs{1};
};

}  // namespace

HRESULT CreateStdComponentCategoriesMgr(IUnknown* outer, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* manager = new (std::nothrow) StdComponentCategoriesMgr;
    if (!manager) return E_OUTOFMEMORY;
    HRESULT hr = manager->QueryInterface(iid, object);
    manager->Release();
    return hr;
}
