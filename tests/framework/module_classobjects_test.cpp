// Class objects of the real module: which classes it hands out, what they make, and
// when the module may be unloaded.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/clsids.h"
#include "framework/objectmap.h"
#include "framework/plugininterfaces.h"
#include "tests/framework/module_testsupport.h"

namespace {

using namespace module_test;

class ModuleClassObjects : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadModule();
        ASSERT_NE(m_module.getClassObject, nullptr);
        ASSERT_NE(m_module.canUnloadNow, nullptr);
    }
    ComPtr<IClassFactory> Factory(const CLSID& clsid) {
        ComPtr<IClassFactory> factory;
        m_module.getClassObject(clsid, IID_IClassFactory, factory.ReleaseAndGetVoidAddress());
        return factory;
    }

    TemporaryRegistry m_registry;
    ModuleExports m_module;
};

TEST_F(ModuleClassObjects, UnknownClassesAreNotAvailable) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_module.getClassObject(GUID_NULL, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    // The two carried scripts that no class uses name no class of the module.
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_module.getClassObject(MakeGuid("b9407b6b-d813-493b-8c1d-1a7a275601ba"), IID_IClassFactory, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(m_module.getClassObject(CLSID_DuoChrome, IID_IClassFactory, nullptr), E_POINTER);
}

// Every entry either hands out its class object or says the class is not available;
// nothing else, and never an object under a foreign interface.
TEST_F(ModuleClassObjects, EveryEntryAnswersAsAClassFactory) {
    for (const ObjectMapEntry& entry : ObjectMap()) {
        SCOPED_TRACE(entry.displayName);
        ComPtr<IUnknown> object;
        HRESULT hr = m_module.getClassObject(*entry.clsid, IID_IUnknown, object.ReleaseAndGetVoidAddress());
        if (hr == CLASS_E_CLASSNOTAVAILABLE) {
            EXPECT_FALSE(object);
            continue;
        }
        ASSERT_EQ(hr, S_OK);
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(object.As(&factory), S_OK);
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(m_module.getClassObject(*entry.clsid, IID_IDXTransform, &p), E_NOINTERFACE);
        EXPECT_EQ(p, nullptr);
    }
}

TEST_F(ModuleClassObjects, ClassObjectsAreCachedPerClass) {
    ComPtr<IClassFactory> first = Factory(CLSID_Metallic);
    ASSERT_TRUE(first);
    EXPECT_EQ(Factory(CLSID_Metallic), first);
    EXPECT_NE(Factory(CLSID_DuoChrome), first);
}

TEST_F(ModuleClassObjects, ConcurrentThreadsShareOneClassObject) {
    std::vector<IClassFactory*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                ComPtr<IClassFactory> f = Factory(CLSID_DreamGlow);
                ComPtr<IUnknown> object;
                if (f) f->CreateInstance(nullptr, IID_IUnknown, object.ReleaseAndGetVoidAddress());
                seen[t] = f.Get();
            }
        });
    for (std::thread& t : threads) t.join();
    for (IClassFactory* f : seen) EXPECT_EQ(f, seen[0]);
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);
}

// A page's class object makes pages, never effects; an effect's makes effects.
TEST_F(ModuleClassObjects, PagesAreNeverEffects) {
    for (const ObjectMapEntry& entry : ObjectMap()) {
        SCOPED_TRACE(entry.displayName);
        ComPtr<IClassFactory> factory = Factory(*entry.clsid);
        if (!factory) continue;
        ComPtr<IUnknown> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.ReleaseAndGetVoidAddress()), S_OK);
        const bool effect = entry.kind == ObjectKind::Effect;
        ComPtr<IDXTransform> transform;
        EXPECT_EQ(SUCCEEDED(object.As(&transform)), effect);
        ComPtr<IDXEffect> dxEffect;
        EXPECT_EQ(SUCCEEDED(object.As(&dxEffect)), effect);
        void* exchange = nullptr;
        EXPECT_EQ(SUCCEEDED(object->QueryInterface(IID_ISfExchangeProps, &exchange)), effect);
        if (exchange) static_cast<IUnknown*>(exchange)->Release();
    }
}

TEST_F(ModuleClassObjects, CanUnloadOnlyWhenNothingIsHeld) {
    ASSERT_TRUE(Factory(CLSID_DreamGlow));
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);  // the cache's own reference holds nothing

    ComPtr<IClassFactory> factory = Factory(CLSID_DreamGlow);
    ASSERT_TRUE(factory);
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);  // a client holds the class object

    ComPtr<IUnknown> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.ReleaseAndGetVoidAddress()), S_OK);
    factory.Reset();
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);  // an object is alive
    object.Reset();
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);

    factory = Factory(CLSID_DreamGlow);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);  // an explicit lock
    factory = Factory(CLSID_DreamGlow);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);
}

// The effects read their preset names from the module's own string table, which the
// module hands to the platform when it is loaded.
TEST_F(ModuleClassObjects, EffectsNameTheirPresetsFromTheModulesStrings) {
    ComPtr<IClassFactory> factory = Factory(CLSID_AirBrush);
    ASSERT_TRUE(factory);
    ComPtr<IStaticFilterPreset> presets;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IStaticFilterPreset, presets.ReleaseAndGetVoidAddress()), S_OK);
    wchar_t name[64] = {};
    ASSERT_EQ(presets->GetPresetName(0, name, 64), S_OK);
    EXPECT_EQ(std::wstring(name), L"Air Brushed");
}

// A host may build an effect into an object of its own; the effect's interfaces then
// count on the outer object, and the module stays loaded while the inner one lives.
class OuterObject final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, object) : E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }  // lives on the test's stack

    ComPtr<IUnknown> inner;
    ULONG refs = 1;
};

TEST_F(ModuleClassObjects, EffectsCanBeAggregated) {
    ComPtr<IClassFactory> factory = Factory(CLSID_Colorize);
    ASSERT_TRUE(factory);
    OuterObject outer;
    void* refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IDXTransform, &refused), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(refused, nullptr);

    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, outer.inner.ReleaseAndGetVoidAddress()), S_OK);
    factory.Reset();
    EXPECT_EQ(outer.refs, 1u);
    {
        ComPtr<IDXTransform> transform;
        ASSERT_EQ(outer.QueryInterface(IID_IDXTransform, transform.ReleaseAndGetVoidAddress()), S_OK);
        EXPECT_EQ(outer.refs, 2u);  // the effect's interface counts on the outer object
        ComPtr<IUnknown> identity;
        ASSERT_EQ(transform->QueryInterface(IID_IUnknown, identity.ReleaseAndGetVoidAddress()), S_OK);
        EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    }
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);
    outer.inner.Reset();
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);
}

// Registered, a class reaches a host through the registry alone.
TEST_F(ModuleClassObjects, RegisteredEffectIsCreatedThroughTheRegistry) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgIDA("Main.Plugin", &clsid), S_OK);
    ComPtr<IDXTransform> transform;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDXTransform,
                                  transform.ReleaseAndGetVoidAddress());
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);
    transform.Reset();
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);
}

}  // namespace
