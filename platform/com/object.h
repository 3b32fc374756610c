// The building blocks of a component object inside a module: a reference count
// that keeps the module loaded, the final IUnknown of a stand-alone object, the
// delegating IUnknown of an aggregated one, and a creator usable by class factories.
//
// A class T lists its interfaces in
//     HRESULT InternalQueryInterface(REFIID iid, void** object);
// returning the right static_cast of this (without AddRef) or E_NOINTERFACE,
// and may define HRESULT FinalConstruct(IUnknown* controllingUnknown) and
// void FinalRelease(). ComObject<T> / ComAggObject<T> supply IUnknown.
#pragma once

#include <atomic>
#include <new>

#include "platform/com/unknown.h"

// The module's count of live objects and explicit locks (`DllCanUnloadNow`).
// Each module that links the kit has its own count.
namespace ModuleLock {
long Lock();
long Unlock();
long Count();
}  // namespace ModuleLock

class ComObjectRoot {
public:
    HRESULT FinalConstruct(IUnknown* /*controllingUnknown*/) { return S_OK; }
    void FinalRelease() {}

protected:
    ComObjectRoot() = default;
    ~ComObjectRoot() = default;
};

// A stand-alone object: owns its reference count.
template <class T>
class ComObject final : public T {
public:
    template <class... Args>
    explicit ComObject(Args&&... args) : T(std::forward<Args>(args)...) { ModuleLock::Lock(); }
    ~ComObject() { ModuleLock::Unlock(); }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown) {
            void* first = nullptr;
            HRESULT hr = T::InternalQueryInterface(T::PrimaryInterfaceId(), &first);
            if (FAILED(hr)) return hr;
            *object = first;
        } else {
            HRESULT hr = T::InternalQueryInterface(iid, object);
            if (FAILED(hr)) return hr;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) {
            m_refs = 1;  // guard against re-entry while tearing down
            T::FinalRelease();
            delete this;
        }
        return n;
    }

private:
    std::atomic<ULONG> m_refs{0};
};

// An object living inside an outer object: its interfaces delegate IUnknown to
// the outer, while the outer holds the inner, non-delegating IUnknown.
template <class T>
class ComAggObject final : public T {
public:
    template <class... Args>
    explicit ComAggObject(IUnknown* outer, Args&&... args)
        : T(std::forward<Args>(args)...), m_outer(outer), m_inner(this) { ModuleLock::Lock(); }
    ~ComAggObject() { ModuleLock::Unlock(); }

    HRESULT QueryInterface(REFIID iid, void** object) override { return m_outer->QueryInterface(iid, object); }
    ULONG AddRef() override { return m_outer->AddRef(); }
    ULONG Release() override { return m_outer->Release(); }

    IUnknown* Inner() { return &m_inner; }
    IUnknown* Outer() { return m_outer; }

private:
    struct InnerUnknown final : IUnknown {
        explicit InnerUnknown(ComAggObject* o) : owner(o) {}
        HRESULT QueryInterface(REFIID iid, void** object) override {
            if (!object) return E_POINTER;
            *object = nullptr;
            if (iid == IID_IUnknown) {
                *object = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            HRESULT hr = owner->T::InternalQueryInterface(iid, object);
            if (SUCCEEDED(hr)) owner->AddRef();  // counted on the outer, as the interface delegates
            return hr;
        }
        ULONG AddRef() override { return ++refs; }
        ULONG Release() override {
            ULONG n = --refs;
            if (n == 0) {
                refs = 1;
                owner->T::FinalRelease();
                delete owner;
            }
            return n;
        }
        ComAggObject* owner;
        std::atomic<ULONG> refs{0};
    };

    IUnknown* m_outer;
    InnerUnknown m_inner;
};

// Creates a T, alone or aggregated, and queries it for iid; the class-factory
// creator of every class. Aggregation requires iid to be IID_IUnknown.
template <class T, class... Args>
HRESULT CreateComInstance(IUnknown* outer, REFIID iid, void** object, Args&&... args) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) {
        if (iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
        auto* p = new (std::nothrow) ComAggObject<T>(outer, std::forward<Args>(args)...);
        if (!p) return E_OUTOFMEMORY;
        IUnknown* inner = p->Inner();
        inner->AddRef();
        HRESULT hr = p->FinalConstruct(p->Outer());
        if (SUCCEEDED(hr)) hr = inner->QueryInterface(iid, object);
        inner->Release();
        return hr;
    }
    auto* p = new (std::nothrow) ComObject<T>(std::forward<Args>(args)...);
    if (!p) return E_OUTOFMEMORY;
    p->AddRef();
    IUnknown* self = nullptr;
    HRESULT hr = p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self));
    if (SUCCEEDED(hr)) {
        self->Release();
        hr = p->FinalConstruct(self);
        if (SUCCEEDED(hr)) hr = p->QueryInterface(iid, object);
    }
    p->Release();
    return hr;
}

// The class factory every map entry uses: creates T, counts LockServer in the module lock.
template <class T>
class ComClassFactory : public ComObjectRoot, public IClassFactory {
public:
    static REFIID PrimaryInterfaceId() { return IID_IClassFactory; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_IClassFactory) { *object = static_cast<IClassFactory*>(this); return S_OK; }
        return E_NOINTERFACE;
    }
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        return CreateComInstance<T>(outer, iid, object);
    }
    HRESULT LockServer(BOOL lock) override {
        if (lock) ModuleLock::Lock(); else ModuleLock::Unlock();
        return S_OK;
    }
};
