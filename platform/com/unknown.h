// IUnknown, IClassFactory and the counted interface pointer.
#pragma once

#include <utility>

#include "platform/com/guid.h"

QUILLET_INTERFACE_ID(IUnknown, "00000000-0000-0000-C000-000000000046");
QUILLET_INTERFACE_ID(IClassFactory, "00000001-0000-0000-C000-000000000046");
QUILLET_INTERFACE_ID(IMarshal, "00000003-0000-0000-C000-000000000046");

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;  // objects die through Release, never through delete
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};

// The marshalling interface; only its identity matters here (the free-threaded
// marshaler answers it), so it carries no operations of its own.
struct IMarshal : IUnknown {};

// A counted reference to an interface: AddRef on copy, Release on destruction.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(T* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    ComPtr(const ComPtr& o) : ComPtr(o.m_p) {}
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr& operator=(const ComPtr& o) { ComPtr(o).Swap(*this); return *this; }
    ComPtr& operator=(ComPtr&& o) noexcept { ComPtr(std::move(o)).Swap(*this); return *this; }
    ComPtr& operator=(T* p) { ComPtr(p).Swap(*this); return *this; }
    ComPtr& operator=(std::nullptr_t) { Reset(); return *this; }

    // Takes over a reference the caller already owns.
    static ComPtr Adopt(T* p) { ComPtr c; c.m_p = p; return c; }

    void Reset() { if (T* p = std::exchange(m_p, nullptr)) p->Release(); }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // Out-parameter: releases what is held and hands out the slot.
    T** ReleaseAndGetAddressOf() { Reset(); return &m_p; }
    void** ReleaseAndGetVoidAddress() { Reset(); return reinterpret_cast<void**>(&m_p); }
    // Gives the reference to the caller.
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Swap(ComPtr& o) noexcept { std::swap(m_p, o.m_p); }

    template <class U>
    HRESULT As(ComPtr<U>* out) const {
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(__uuidof(U), out->ReleaseAndGetVoidAddress());
    }
    // Hands out a new reference through an out-pointer.
    HRESULT CopyTo(T** out) const {
        if (!out) return E_POINTER;
        *out = m_p;
        if (m_p) m_p->AddRef();
        return S_OK;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_p == b.m_p; }

private:
    T* m_p = nullptr;
};
