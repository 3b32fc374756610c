// Persistence companions of an effect object, built on its stream persistence:
// the storage form (one stream "Contents" holding the record), the property-bag form
// (driven by the property map, which names only the effect's page, so nothing is
// read or written), the page list (ISpecifyPropertyPages) and the safety options
// (IObjectSafety over a four-entry table).
//
// Each helper implements one interface. The object combining them supplies
//     static const PropertyMapEntry* PropertyMap();     // ends with an all-null entry
//     const CLSID* PersistClassId() const;
// and answers IPersistStreamInit through its own QueryInterface.
#pragma once

#include <atomic>
#include <cstring>

#include "platform/com/debug.h"
#include "platform/com/oaidl.h"
#include "platform/com/objidl.h"

// One entry of an object's property map: a named property (read through the dispatch
// interface and persisted in property bags) or, with no name, just a property page.
struct PropertyMapEntry {
    const wchar_t* name;    // property name; null for a page-only entry
    DISPID dispid;          // dispatch id of the property
    const CLSID* page;      // the page that edits it; null for none
    const IID* dispatchId;  // dispatch interface the property is reached through
    DWORD offset;           // data offset, size and variant type of a data property
    DWORD size;
    VARTYPE type;
};
constexpr PropertyMapEntry PropertyPageEntry(const CLSID& page) { return {nullptr, 0, &page, nullptr, 0, 0, 0}; }
constexpr PropertyMapEntry PropertyMapEnd() { return {nullptr, 0, nullptr, nullptr, 0, 0, 0}; }
constexpr bool IsPropertyMapEnd(const PropertyMapEntry& e) { return e.name == nullptr && e.page == nullptr && e.dispatchId == nullptr; }

// Stream name and modes of the storage form.
inline constexpr wchar_t kContentsStreamName[] = L"Contents";
constexpr DWORD kContentsOpenMode = STGM_READ | STGM_SHARE_EXCLUSIVE;                      // 0x10
constexpr DWORD kContentsCreateMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE;  // 0x1012

namespace dxatlpb_detail {
// The object's own IPersistStreamInit, reached through its controlling QueryInterface.
inline ComPtr<IPersistStreamInit> StreamPersistenceOf(IUnknown* self) {
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(self->QueryInterface(IID_IPersistStreamInit, persist.ReleaseAndGetVoidAddress()))) persist = nullptr;
    return persist;
}
inline HRESULT CopyClassId(const CLSID* source, CLSID* id) {
    if (!id) return E_POINTER;
    if (!source) return E_FAIL;
    *id = *source;
    return S_OK;
}
}  // namespace dxatlpb_detail

// ---- IPersistStorage: the record in the stream "Contents" ---------------------------------

template <class Derived>
class CPersistStorageImpl : public IPersistStorage {
public:
    HRESULT GetClassID(CLSID* id) override {
        return dxatlpb_detail::CopyClassId(static_cast<const Derived*>(this)->PersistClassId(), id);
    }
    HRESULT IsDirty() override {
        auto persist = dxatlpb_detail::StreamPersistenceOf(this);
        return persist ? persist->IsDirty() : E_FAIL;
    }
    // The storage is not used: a new object starts from its first preset.
    HRESULT InitNew(IStorage* /*storage*/) override {
        auto persist = dxatlpb_detail::StreamPersistenceOf(this);
        return persist ? persist->InitNew() : E_FAIL;
    }
    HRESULT Load(IStorage* storage) override {
        if (!storage) return E_INVALIDARG;
        ComPtr<IStream> stream;
        HRESULT hr = storage->OpenStream(kContentsStreamName, nullptr, kContentsOpenMode, 0,
                                         stream.ReleaseAndGetAddressOf());
        if (FAILED(hr)) return hr;
        if (!stream) return E_FAIL;
        auto persist = dxatlpb_detail::StreamPersistenceOf(this);
        return persist ? persist->Load(stream.Get()) : E_FAIL;
    }
    HRESULT Save(IStorage* storage, BOOL sameAsLoad) override {
        if (!storage) return E_INVALIDARG;
        ComPtr<IStream> stream;
        HRESULT hr = storage->CreateStream(kContentsStreamName, kContentsCreateMode, 0, 0, stream.ReleaseAndGetAddressOf());
        if (FAILED(hr)) return hr;
        if (!stream) return E_FAIL;
        auto persist = dxatlpb_detail::StreamPersistenceOf(this);
        return persist ? persist->Save(stream.Get(), sameAsLoad) : E_FAIL;
    }
    HRESULT SaveCompleted(IStorage* /*storage*/) override { return S_OK; }
    HRESULT HandsOffStorage() override { return S_OK; }
};

// ---- IPersistPropertyBag: the properties the map names (none for an effect) ---------------

template <class Derived>
class CPersistPropertyBagImpl : public IPersistPropertyBag {
public:
    HRESULT GetClassID(CLSID* id) override {
        return dxatlpb_detail::CopyClassId(static_cast<const Derived*>(this)->PersistClassId(), id);
    }
    // The record is not touched.
    HRESULT InitNew() override { return S_OK; }
    // Named properties would be read through the dispatch interface; page entries carry
    // none, so an effect reads nothing from the bag.
    HRESULT Load(IPropertyBag* /*bag*/, IErrorLog* /*log*/) override {
        for (const PropertyMapEntry* e = Derived::PropertyMap(); e && !IsPropertyMapEnd(*e); ++e)
            if (e->name) return E_NOTIMPL;  // no object here maps data properties
        return S_OK;
    }
    HRESULT Save(IPropertyBag* bag, BOOL /*clearDirty*/, BOOL /*saveAll*/) override {
        if (!bag) {
            OutputDebugStringA("PropBag pointer passed in was invalid\n");
            return E_INVALIDARG;
        }
        for (const PropertyMapEntry* e = Derived::PropertyMap(); e && !IsPropertyMapEnd(*e); ++e)
            if (e->name) return E_NOTIMPL;
        return S_OK;
    }
};

// ---- ISpecifyPropertyPages: the pages of the property map ---------------------------------

template <class Derived>
class CSpecifyPropertyPagesImpl : public ISpecifyPropertyPages {
public:
    // The caller frees pages->pElems with CoTaskMemFree.
    HRESULT GetPages(CAUUID* pages) override {
        if (!pages) return E_POINTER;
        pages->cElems = 0;
        pages->pElems = nullptr;
        const PropertyMapEntry* map = Derived::PropertyMap();
        ULONG entries = 0;
        for (const PropertyMapEntry* e = map; e && !IsPropertyMapEnd(*e); ++e) ++entries;
        if (entries == 0) return S_OK;
        auto* ids = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID) * entries));
        if (!ids) return E_OUTOFMEMORY;
        ULONG count = 0;
        for (const PropertyMapEntry* e = map; !IsPropertyMapEnd(*e); ++e) {
            if (!e->page || *e->page == GUID_NULL) continue;
            bool seen = false;
            for (ULONG i = 0; i < count && !seen; ++i) seen = ids[i] == *e->page;
            if (!seen) ids[count++] = *e->page;
        }
        if (count == 0) {
            CoTaskMemFree(ids);
            return S_OK;
        }
        pages->cElems = count;
        pages->pElems = ids;
        return S_OK;
    }
};

// ---- IObjectSafety: four interfaces, each safe for untrusted callers ----------------------

class CObjectSafetyImpl : public IObjectSafety {
public:
    static constexpr DWORD kSupportedOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
    static constexpr int kSafetyEntries = 4;
    // The interfaces of the table, in order.
    static const IID& SafetyInterface(int i) {
        static const IID* const ids[kSafetyEntries] = {&IID_IDispatch, &IID_IPersistPropertyBag, &IID_IPersistStorage,
                                                       &IID_IPersistStream};
        return *ids[i];
    }

    HRESULT GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override {
        if (!supported || !enabled) return E_POINTER;
        int i = Find(iid);
        if (i < 0) {
            *supported = 0;
            *enabled = 0;
            return E_NOINTERFACE;
        }
        *supported = kSupportedOptions;
        *enabled = m_enabled[i].load(std::memory_order_relaxed) & kSupportedOptions;
        return S_OK;
    }
    HRESULT SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override {
        int i = Find(iid);
        if (i < 0) return E_NOINTERFACE;
        m_enabled[i].store(enabled & mask, std::memory_order_relaxed);
        return S_OK;
    }

private:
    static int Find(REFIID iid) {
        for (int i = 0; i < kSafetyEntries; ++i)
            if (SafetyInterface(i) == iid) return i;
        return -1;
    }
    std::atomic<DWORD> m_enabled[kSafetyEntries] = {0, 0, 0, 0};
};
