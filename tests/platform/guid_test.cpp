#include <gtest/gtest.h>

#include "platform/com/guid.h"
#include "platform/com/object.h"

TEST(Guid, ParsesAndFormatsLowerCase) {
    constexpr GUID g = MakeGuid("952FB6E1-477A-4770-AF38-661F9AF5AB8D");
    EXPECT_EQ(GuidToString(g), "{952fb6e1-477a-4770-af38-661f9af5ab8d}");
    auto back = GuidFromString("{952fb6e1-477a-4770-af38-661f9af5ab8d}");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, g);
    EXPECT_FALSE(GuidFromString("952fb6e1-477a-4770-af38-661f9af5ab8").has_value());
    EXPECT_FALSE(GuidFromString("{952fb6e1-477a-4770-af38-661f9af5ab8g}").has_value());
    EXPECT_FALSE(GuidFromString("952fb6e1x477a-4770-af38-661f9af5ab8d").has_value());
}

QUILLET_INTERFACE_ID(ITestThing, "11111111-2222-3333-4444-555555555555");
struct ITestThing : IUnknown {
    virtual int Value() = 0;
};
namespace {
class TestThing : public ComObjectRoot, public ITestThing {
public:
    static REFIID PrimaryInterfaceId() { return IID_ITestThing; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_ITestThing) { *object = static_cast<ITestThing*>(this); return S_OK; }
        return E_NOINTERFACE;
    }
    int Value() override { return 42; }
};
struct Outer final : IUnknown {
    ComPtr<IUnknown> inner;
    ULONG refs = 1;
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown) { *object = this; AddRef(); return S_OK; }
        return inner->QueryInterface(iid, object);
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
};
}  // namespace

TEST(ComObject, StandAloneAndAggregatedLifetimesKeepTheModuleLocked) {
    long before = ModuleLock::Count();
    ComPtr<ITestThing> thing;
    ASSERT_EQ(CreateComInstance<TestThing>(nullptr, IID_ITestThing, thing.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(thing->Value(), 42);
    EXPECT_EQ(ModuleLock::Count(), before + 1);
    thing.Reset();
    EXPECT_EQ(ModuleLock::Count(), before);

    Outer outer;
    void* p = nullptr;
    EXPECT_EQ(CreateComInstance<TestThing>(&outer, IID_ITestThing, &p), CLASS_E_NOAGGREGATION);
    ASSERT_EQ(CreateComInstance<TestThing>(&outer, IID_IUnknown, outer.inner.ReleaseAndGetVoidAddress()), S_OK);
    ComPtr<ITestThing> viaOuter;
    ASSERT_EQ(outer.QueryInterface(IID_ITestThing, viaOuter.ReleaseAndGetVoidAddress()), S_OK);
    // The inner interface's IUnknown is the outer's.
    ComPtr<IUnknown> identity;
    ASSERT_EQ(viaOuter->QueryInterface(IID_IUnknown, identity.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    identity.Reset();
    viaOuter.Reset();
    EXPECT_EQ(outer.refs, 1u);
    outer.inner.Reset();
    EXPECT_EQ(ModuleLock::Count(), before);
}
