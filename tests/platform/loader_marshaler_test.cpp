// The free-threaded marshaler aggregated by an outer object, as every effect does at
// creation.
#include <gtest/gtest.h>

#include "platform/com/combase.h"
#include "platform/com/objidl.h"

namespace {

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
    EXPECT_EQ(CoCreateFreeThreadedMarshaler(nullptr, nullptr), E_INVALIDARG);
}

}  // namespace
