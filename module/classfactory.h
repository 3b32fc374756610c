// The class object every entry of the object map hands out: a factory that the
// module caches after the first request and keeps until process detach.
//
// The cache's own reference must not keep the module loaded, or DllCanUnloadNow could
// never answer S_OK once any class had been asked for. So the factory counts in the
// module lock only while some client holds it: it locks when its count goes from 1
// (the cache alone) to 2, and unlocks when it falls back from 2 to 1. LockServer
// counts in the module lock as usual.
#pragma once

#include <atomic>
#include <new>

#include "platform/com/object.h"

// Creates one instance of a class, alone or inside an outer object; the map's
// instance creator (CreateComInstance<T> for every class).
using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID iid, void** object);

class CachedClassFactory final : public IClassFactory {
public:
    // The map's class-object creator: a new factory for creator, queried for iid.
    // The reference handed out is the one the cache keeps.
    static HRESULT Create(InstanceCreator creator, REFIID iid, void** object) {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!creator) return CLASS_E_CLASSNOTAVAILABLE;
        auto* factory = new (std::nothrow) CachedClassFactory(creator);
        if (!factory) return E_OUTOFMEMORY;
        HRESULT hr = factory->QueryInterface(iid, object);
        if (FAILED(hr)) delete factory;  // nobody ever held it
        return hr;
    }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override {
        ULONG n = ++m_refs;
        if (n == 2) ModuleLock::Lock();
        return n;
    }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 1) ModuleLock::Unlock();
        else if (n == 0) delete this;
        return n;
    }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        // An aggregated object can only be handed out through its inner IUnknown.
        if (outer && iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
        return m_creator(outer, iid, object);
    }
    HRESULT LockServer(BOOL lock) override {
        if (lock) ModuleLock::Lock();
        else ModuleLock::Unlock();
        return S_OK;
    }

private:
    explicit CachedClassFactory(InstanceCreator creator) : m_creator(creator) {}
    ~CachedClassFactory() = default;

    InstanceCreator m_creator;
    std::atomic<ULONG> m_refs{0};
};
