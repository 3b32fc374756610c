// The cached class factory: the cache's own reference never holds the module, a
// client's reference does, and instances come from the entry's creator.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/classfactory.h"

QUILLET_INTERFACE_ID(ICountedThing, "3e0c2a51-6f0b-4c8e-9d2a-7b1f00c0ffee");
struct ICountedThing : IUnknown {
    virtual int Value() = 0;
};

namespace {

class CountedThing : public ComObjectRoot, public ICountedThing {
public:
    static REFIID PrimaryInterfaceId() { return IID_ICountedThing; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_ICountedThing) {
            *object = static_cast<ICountedThing*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    int Value() override { return 7; }
};

ComPtr<IClassFactory> MakeCachedFactory(InstanceCreator creator) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(CachedClassFactory::Create(creator, IID_IClassFactory, factory.ReleaseAndGetVoidAddress()), S_OK);
    return factory;
}

TEST(ModuleCachedFactory, CacheReferenceAloneDoesNotLockTheModule) {
    const long base = ModuleLock::Count();
    IClassFactory* cached = nullptr;
    ASSERT_EQ(CachedClassFactory::Create(&CreateComInstance<CountedThing>, IID_IClassFactory,
                                         reinterpret_cast<void**>(&cached)),
              S_OK);
    EXPECT_EQ(ModuleLock::Count(), base);

    // A client's reference (count 1 -> 2) locks; giving it back (2 -> 1) unlocks.
    cached->AddRef();
    EXPECT_EQ(ModuleLock::Count(), base + 1);
    cached->AddRef();
    EXPECT_EQ(ModuleLock::Count(), base + 1);
    cached->Release();
    EXPECT_EQ(ModuleLock::Count(), base + 1);
    cached->Release();
    EXPECT_EQ(ModuleLock::Count(), base);

    EXPECT_EQ(cached->Release(), 0u);  // the cache lets go: the factory is gone, nothing leaks
    EXPECT_EQ(ModuleLock::Count(), base);
}

TEST(ModuleCachedFactory, LockServerCountsInTheModuleLock) {
    const long base = ModuleLock::Count();
    ComPtr<IClassFactory> factory = MakeCachedFactory(&CreateComInstance<CountedThing>);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(ModuleLock::Count(), base + 1);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(ModuleLock::Count(), base);
}

TEST(ModuleCachedFactory, CreatesInstancesThatHoldTheModule) {
    const long base = ModuleLock::Count();
    ComPtr<IClassFactory> factory = MakeCachedFactory(&CreateComInstance<CountedThing>);
    ComPtr<ICountedThing> thing;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ICountedThing, thing.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(thing->Value(), 7);
    EXPECT_EQ(ModuleLock::Count(), base + 1);
    thing.Reset();
    EXPECT_EQ(ModuleLock::Count(), base);
}

TEST(ModuleCachedFactory, AnswersOnlyItsOwnInterfaces) {
    ComPtr<IClassFactory> factory = MakeCachedFactory(&CreateComInstance<CountedThing>);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(IID_ICountedThing, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    // A factory asked for under a foreign interface is never made.
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(CachedClassFactory::Create(&CreateComInstance<CountedThing>, IID_ICountedThing, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(CachedClassFactory::Create(nullptr, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
}

TEST(ModuleCachedFactory, AggregationOnlyThroughIUnknown) {
    ComPtr<IClassFactory> factory = MakeCachedFactory(&CreateComInstance<CountedThing>);
    ComPtr<ICountedThing> outer;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ICountedThing, outer.ReleaseAndGetVoidAddress()), S_OK);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_ICountedThing, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICountedThing, nullptr), E_POINTER);
}

TEST(ModuleCachedFactory, ConcurrentClientsThreadsLeaveTheLockBalanced) {
    const long base = ModuleLock::Count();
    ComPtr<IClassFactory> factory = MakeCachedFactory(&CreateComInstance<CountedThing>);
    std::vector<std::thread> clients;
    for (int t = 0; t < 4; ++t)
        clients.emplace_back([&factory] {
            for (int i = 0; i < 20000; ++i) {
                ComPtr<IClassFactory> held(factory.Get());
                ComPtr<ICountedThing> thing;
                if (i % 64 == 0) held->CreateInstance(nullptr, IID_ICountedThing, thing.ReleaseAndGetVoidAddress());
            }
        });
    for (std::thread& t : clients) t.join();
    EXPECT_EQ(ModuleLock::Count(), base);
}

}  // namespace
