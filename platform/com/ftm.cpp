// The free-threaded marshaler: an object that an outer object aggregates so that it
// answers IMarshal, telling the platform that its interface pointers may be used from
// any thread as they are.
//
// The outer keeps the inner (non-delegating) unknown returned here; the IMarshal
// interface delegates its IUnknown to the outer, so a caller holding IMarshal keeps
// the whole outer object alive. Without an outer the object stands alone.
#include <atomic>
#include <new>

#include "platform/com/combase.h"

namespace {

class FreeThreadedMarshaler final : public IUnknown {
public:
    explicit FreeThreadedMarshaler(IUnknown* outer) : m_marshal(this), m_outer(outer ? outer : this) {}

    // The inner unknown: its own count, its own identity.
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        if (iid == IID_IMarshal) {
            *object = static_cast<IMarshal*>(&m_marshal);
            m_marshal.AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) delete this;
        return n;
    }

private:
    ~FreeThreadedMarshaler() = default;

    // IMarshal as seen by everyone: every IUnknown call goes to the controlling unknown.
    struct Marshal final : IMarshal {
        explicit Marshal(FreeThreadedMarshaler* owner) : owner(owner) {}
        HRESULT QueryInterface(REFIID iid, void** object) override {
            return owner->m_outer->QueryInterface(iid, object);
        }
        ULONG AddRef() override { return owner->m_outer->AddRef(); }
        ULONG Release() override { return owner->m_outer->Release(); }
        FreeThreadedMarshaler* owner;
    };

    Marshal m_marshal;
    IUnknown* m_outer;  // not counted: the outer owns us
    std::atomic<ULONG> m_refs{1};
};

}  // namespace

extern "C" HRESULT CoCreateFreeThreadedMarshaler(IUnknown* outer, IUnknown** marshaler) {
    if (!marshaler) return E_INVALIDARG;
    *marshaler = nullptr;
    auto* object = new (std::nothrow) FreeThreadedMarshaler(outer);
    if (!object) return E_OUTOFMEMORY;
    *marshaler = object;  // carries the initial reference
    return S_OK;
}
