// The free-threaded marshaler aggregated by an outer object, as every effect does at
// creation, and the task allocator.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/combase.h"
#include "platform/com/object.h"
#include "platform/com/objidl.h"

QUILLET_INTERFACE_ID(IMarshalTestThing, "2B7F0C44-1D3E-4A59-8B6C-7E9D0A1B2C3D");
struct IMarshalTestThing : IUnknown {
    virtual int Value() = 0;
};

namespace {

// An outer object keeping the marshaler's inner unknown and answering IMarshal from it.
class Outer : public ComObjectRoot, public IMarshalTestThing {
public:
    static REFIID PrimaryInterfaceId() { return IID_IMarshalTestThing; }
    HRESULT FinalConstruct(IUnknown* controlling) {
        return CoCreateFreeThreadedMarshaler(controlling, &m_marshaler);
    }
    void FinalRelease() {
        if (m_marshaler) m_marshaler->Release();
        m_marshaler = nullptr;
    }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_IMarshalTestThing) {
            *object = static_cast<IMarshalTestThing*>(this);
            return S_OK;
        }
        if (iid == IID_IMarshal && m_marshaler) {
            // The marshaler's interface comes counted; the caller's ComObject counts again.
            HRESULT hr = m_marshaler->QueryInterface(iid, object);
            if (SUCCEEDED(hr)) static_cast<IUnknown*>(*object)->Release();
            return hr;
        }
        return E_NOINTERFACE;
    }
    int Value() override { return 7; }

private:
    IUnknown* m_marshaler = nullptr;
};

ULONG RefCount(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

TEST(FreeThreadedMarshaler, AnswersMarshalForTheOuterObject) {
    IMarshalTestThing* thing = nullptr;
    ASSERT_EQ(CreateComInstance<Outer>(nullptr, IID_IMarshalTestThing, reinterpret_cast<void**>(&thing)), S_OK);
    ASSERT_EQ(RefCount(thing), 1u);

    IMarshal* marshal = nullptr;
    ASSERT_EQ(thing->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(&marshal)), S_OK);
    // The reference is counted on the outer object.
    EXPECT_EQ(RefCount(thing), 2u);

    // Through IMarshal the whole outer object answers, with the outer's identity.
    IMarshalTestThing* back = nullptr;
    ASSERT_EQ(marshal->QueryInterface(IID_IMarshalTestThing, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, thing);
    EXPECT_EQ(back->Value(), 7);
    back->Release();
    IUnknown* id1 = nullptr;
    IUnknown* id2 = nullptr;
    ASSERT_EQ(marshal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&id1)), S_OK);
    ASSERT_EQ(thing->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&id2)), S_OK);
    EXPECT_EQ(id1, id2);
    id1->Release();
    id2->Release();

    // Releasing the caller's object last through IMarshal tears everything down.
    thing->Release();
    EXPECT_EQ(marshal->Release(), 0u);
}

// An outer that only counts, to see which unknown each call reaches.
struct CountingOuter final : IUnknown {
    HRESULT QueryInterface(REFIID iid, void** object) override {
        ++queries;
        *object = nullptr;
        if (iid != IID_IUnknown) return E_NOINTERFACE;
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    ULONG refs = 1;
    int queries = 0;
};

TEST(FreeThreadedMarshaler, DelegatesToTheOuterButKeepsItsInnerIdentity) {
    CountingOuter outer;
    IUnknown* inner = nullptr;
    ASSERT_EQ(CoCreateFreeThreadedMarshaler(&outer, &inner), S_OK);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(outer.refs, 1u);  // the outer owns the inner, not the other way round

    // The inner unknown is the marshaler's own: it answers for itself.
    IUnknown* self = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self)), S_OK);
    EXPECT_EQ(self, inner);
    EXPECT_EQ(outer.refs, 1u);
    self->Release();

    IMarshal* marshal = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(&marshal)), S_OK);
    EXPECT_EQ(outer.refs, 2u);
    IUnknown* identity = nullptr;
    ASSERT_EQ(marshal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, &outer);
    EXPECT_EQ(outer.queries, 1);
    identity->Release();
    marshal->Release();
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(inner->Release(), 0u);
}

TEST(FreeThreadedMarshaler, StandsAloneWithoutAnOuter) {
    IUnknown* inner = nullptr;
    ASSERT_EQ(CoCreateFreeThreadedMarshaler(nullptr, &inner), S_OK);
    IMarshal* marshal = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(&marshal)), S_OK);
    IUnknown* identity = nullptr;
    ASSERT_EQ(marshal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, inner);
    identity->Release();
    void* other = nullptr;
    EXPECT_EQ(inner->QueryInterface(IID_IStream, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    marshal->Release();
    EXPECT_EQ(inner->Release(), 0u);
    EXPECT_EQ(CoCreateFreeThreadedMarshaler(nullptr, nullptr), E_INVALIDARG);
}

TEST(TaskAllocator, HandsOutUsableMemoryAndFreesNull) {
    void* empty = CoTaskMemAlloc(0);
    EXPECT_NE(empty, nullptr);
    CoTaskMemFree(empty);
    auto* guids = static_cast<GUID*>(CoTaskMemAlloc(3 * sizeof(GUID)));
    ASSERT_NE(guids, nullptr);
    for (int i = 0; i < 3; ++i) guids[i] = IID_IMarshal;
    EXPECT_EQ(guids[2], IID_IMarshal);
    CoTaskMemFree(guids);
    CoTaskMemFree(nullptr);
}

}  // namespace
