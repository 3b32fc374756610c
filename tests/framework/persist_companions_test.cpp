// The interfaces a host asks for beside persistence: the property bag (which carries
// nothing), the page list, the safety options; and the effect object's interface
// lookup, alone and aggregated, with the free-threaded marshaler.
#include "tests/support/environment.h"
#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

// A property bag that records every call.
class RecordingBag : public ComObjectRoot, public IPropertyBag {
public:
    static REFIID PrimaryInterfaceId() { return IID_IPropertyBag; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_IPropertyBag) {
            *object = static_cast<IPropertyBag*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    HRESULT Read(const wchar_t*, std::wstring*, IErrorLog*) override {
        ++calls;
        return E_INVALIDARG;
    }
    HRESULT Write(const wchar_t*, const std::wstring&) override {
        ++calls;
        return S_OK;
    }
    int calls = 0;
};

template <class Case>
class PersistCompanions : public ::testing::Test {
protected:
    ModuleStrings strings;
};
TYPED_TEST_SUITE(PersistCompanions, AllEffects);

TYPED_TEST(PersistCompanions, PropertyBagCarriesNothingAndNewObjectsStayAtPresetZero) {
    using T = typename TypeParam::Props;
    auto effect = CreateEffect<typename TypeParam::Class>();
    const T changed = PatternRecord<T>(9);
    Exchange<T>(effect)->SetProps(&changed);

    ComPtr<IPropertyBag> bag;
    ASSERT_EQ(CreateComInstance<RecordingBag>(nullptr, IID_IPropertyBag, bag.ReleaseAndGetVoidAddress()), S_OK);
    auto* recording = static_cast<RecordingBag*>(bag.Get());
    ASSERT_EQ(Query<IPersistPropertyBag>(effect)->Save(bag.Get(), TRUE, TRUE), S_OK);
    EXPECT_EQ(recording->calls, 0);

    auto restored = CreateEffect<typename TypeParam::Class>();
    ASSERT_EQ(Query<IPersistPropertyBag>(restored)->InitNew(), S_OK);
    ASSERT_EQ(Query<IPersistPropertyBag>(restored)->Load(bag.Get(), nullptr), S_OK);
    EXPECT_EQ(recording->calls, 0);
    EXPECT_TRUE(SameBytes(PropsOf<T>(restored), TypeParam::Presets()[0]));

    ASSERT_EQ(Query<IPersistPropertyBag>(effect)->InitNew(), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), changed)) << "the bag's InitNew leaves the record alone";
}

TYPED_TEST(PersistCompanions, PagesNameExactlyTheEffectsOwnPage) {
    auto effect = CreateEffect<typename TypeParam::Class>();
    CAUUID pages{123, nullptr};
    ASSERT_EQ(Query<ISpecifyPropertyPages>(effect)->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    ASSERT_NE(pages.pElems, nullptr);
    EXPECT_EQ(pages.pElems[0], TypeParam::PageId());
    CoTaskMemFree(pages.pElems);
    EXPECT_EQ(Query<ISpecifyPropertyPages>(effect)->GetPages(nullptr), E_POINTER);
}

TYPED_TEST(PersistCompanions, StorageInitNewAndDirtyGoThroughTheStreamForm) {
    using T = typename TypeParam::Props;
    auto effect = CreateEffect<typename TypeParam::Class>();
    const T changed = PatternRecord<T>(5);
    Exchange<T>(effect)->SetProps(&changed);
    Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), TRUE);
    auto storage = Query<IPersistStorage>(effect);
    EXPECT_EQ(storage->IsDirty(), S_FALSE);
    ASSERT_EQ(storage->InitNew(nullptr), S_OK);
    EXPECT_EQ(storage->IsDirty(), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Presets()[0]));
    EXPECT_EQ(storage->SaveCompleted(nullptr), S_OK);
    EXPECT_EQ(storage->HandsOffStorage(), S_OK);
}

TEST(PersistPropertyBag, SaveToNullBagIsRefusedWithItsDiagnostic) {
    ModuleStrings strings;
    testsupport::DebugOutputCapture capture;
    auto effect = CreateEffect<CDuoChrome>();
    EXPECT_EQ(Query<IPersistPropertyBag>(effect)->Save(nullptr, TRUE, FALSE), E_INVALIDARG);
    EXPECT_EQ(capture.Text(), "PropBag pointer passed in was invalid\n");
}

// ---- safety options ----------------------------------------------------------------------

TEST(PersistObjectSafety, FourInterfacesSafeForUntrustedCallersEachWithItsWord) {
    ModuleStrings strings;
    auto safety = Query<IObjectSafety>(CreateEffect<CLineDrawing>());
    for (const IID* iid : {&IID_IDispatch, &IID_IPersistPropertyBag, &IID_IPersistStorage, &IID_IPersistStream}) {
        DWORD supported = 99, enabled = 99;
        ASSERT_EQ(safety->GetInterfaceSafetyOptions(*iid, &supported, &enabled), S_OK);
        EXPECT_EQ(supported, 1u);
        EXPECT_EQ(enabled, 0u) << "options start disabled";
    }
    DWORD supported = 99, enabled = 99;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistStreamInit, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(supported, 0u);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, nullptr), E_POINTER);

    ASSERT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1), S_OK);
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 1u);
    EXPECT_EQ(enabled, 1u);
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistStorage, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 0u) << "each interface has its own word";

    ASSERT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistStorage, 0, 1), S_OK);  // masked away
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistStorage, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 0u);
    ASSERT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistStream, 3, 3), S_OK);
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistStream, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 1u) << "only the supported option is reported";
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IMarshal, 1, 1), E_NOINTERFACE);
}

// ---- interface lookup ---------------------------------------------------------------------

const IID* const kEffectInterfaces[] = {
    &IID_ISfVideoPluginExtension, &IID_IDXTSfAutomation, &IID_IStaticFilterPreset, &IID_IPersistStreamInit,
    &IID_ISfExchangeProps,        &IID_IPlugin,          &IID_IDispatch,           &IID_IMarshal,
    &IID_IDXEffect,               &IID_IObjectSafety,    &IID_IPersistStorage,     &IID_ISpecifyPropertyPages,
    &IID_IPersistPropertyBag,     &IID_IDXTransform,     &IID_IDXBaseObject,       &IID_IObjectWithSite,
};

TYPED_TEST(PersistCompanions, EveryInterfaceAnswersWithOneIdentity) {
    auto effect = CreateEffect<typename TypeParam::Class>();
    for (const IID* iid : kEffectInterfaces) {
        ComPtr<IUnknown> itf;
        ASSERT_EQ(effect->QueryInterface(*iid, itf.ReleaseAndGetVoidAddress()), S_OK) << GuidToString(*iid);
        ComPtr<IUnknown> identity;
        ASSERT_EQ(itf->QueryInterface(IID_IUnknown, identity.ReleaseAndGetVoidAddress()), S_OK);
        EXPECT_EQ(identity.Get(), effect.Get()) << GuidToString(*iid);
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(effect->QueryInterface(IID_IClassFactory, none.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
}

TEST(PersistInterfaces, PluginDispatchAndEffectAreOneInterface) {
    ModuleStrings strings;
    auto effect = CreateEffect<CColorize>();
    void* plugin = nullptr;
    void* dispatch = nullptr;
    void* dxEffect = nullptr;
    ASSERT_EQ(effect->QueryInterface(IID_IPlugin, &plugin), S_OK);
    ASSERT_EQ(effect->QueryInterface(IID_IDispatch, &dispatch), S_OK);
    ASSERT_EQ(effect->QueryInterface(IID_IDXEffect, &dxEffect), S_OK);
    EXPECT_EQ(plugin, dispatch);
    EXPECT_EQ(plugin, dxEffect);
    auto* p = static_cast<IPlugin*>(plugin);
    ASSERT_EQ(p->put_Duration(2.0f), S_OK);
    float duration = 0;
    ASSERT_EQ(Query<IDXEffect>(effect)->get_Duration(&duration), S_OK);
    EXPECT_EQ(duration, 2.0f) << "the transform base's timing behind both";
    p->Release();
    static_cast<IUnknown*>(dispatch)->Release();
    static_cast<IUnknown*>(dxEffect)->Release();
}

TEST(PersistInterfaces, MarshalerKeepsTheEffectAlive) {
    ModuleStrings strings;
    const long before = ModuleLock::Count();
    ComPtr<IUnknown> marshal;
    {
        auto effect = CreateEffect<CMetal>();
        ASSERT_EQ(effect->QueryInterface(IID_IMarshal, marshal.ReleaseAndGetVoidAddress()), S_OK);
    }
    EXPECT_EQ(ModuleLock::Count(), before + 1) << "IMarshal holds the effect";
    ComPtr<IStaticFilterPreset> presets;
    ASSERT_EQ(marshal->QueryInterface(IID_IStaticFilterPreset, presets.ReleaseAndGetVoidAddress()), S_OK);
    marshal.Reset();
    presets.Reset();
    EXPECT_EQ(ModuleLock::Count(), before) << "the effect and its marshaler are gone";
}

// An outer object aggregating an effect; it exposes only what it forwards.
class Outer : public ComObjectRoot, public IUnknown {
public:
    static REFIID PrimaryInterfaceId() { return IID_IUnknown; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(this);
            return S_OK;
        }
        if (inner && (iid == IID_IPersistStorage || iid == IID_IStaticFilterPreset || iid == IID_IMarshal ||
                      (forwardStream && iid == IID_IPersistStreamInit))) {
            HRESULT hr = inner->QueryInterface(iid, object);
            if (SUCCEEDED(hr)) static_cast<IUnknown*>(*object)->Release();  // ComObject adds the caller's
            return hr;
        }
        return E_NOINTERFACE;
    }
    void FinalRelease() { inner.Reset(); }
    ComPtr<IUnknown> inner;
    bool forwardStream = false;
};

TEST(PersistInterfaces, AggregatedEffectDelegatesToItsOuter) {
    ModuleStrings strings;
    const long before = ModuleLock::Count();
    {
        ComPtr<IUnknown> outerUnknown;
        ASSERT_EQ(CreateComInstance<Outer>(nullptr, IID_IUnknown, outerUnknown.ReleaseAndGetVoidAddress()), S_OK);
        auto* outer = static_cast<Outer*>(outerUnknown.Get());
        ASSERT_EQ(CreateComInstance<CDreamGlow>(outerUnknown.Get(), IID_IUnknown,
                                                 outer->inner.ReleaseAndGetVoidAddress()),
                  S_OK);
        EXPECT_EQ(CreateComInstance<CDreamGlow>(outerUnknown.Get(), IID_IStaticFilterPreset,
                                                 ComPtr<IUnknown>().ReleaseAndGetVoidAddress()),
                  CLASS_E_NOAGGREGATION);

        ComPtr<IStaticFilterPreset> presets;
        ASSERT_EQ(outerUnknown->QueryInterface(IID_IStaticFilterPreset, presets.ReleaseAndGetVoidAddress()), S_OK);
        ComPtr<IUnknown> identity;
        ASSERT_EQ(presets->QueryInterface(IID_IUnknown, identity.ReleaseAndGetVoidAddress()), S_OK);
        EXPECT_EQ(identity.Get(), outerUnknown.Get()) << "the inner's interfaces answer for the outer";
        ComPtr<IUnknown> marshal;
        ASSERT_EQ(presets->QueryInterface(IID_IMarshal, marshal.ReleaseAndGetVoidAddress()), S_OK);

        // The storage form reaches the stream form through the controlling unknown:
        // an outer that does not expose it gives E_FAIL.
        ComPtr<IPersistStorage> storage;
        ASSERT_EQ(outerUnknown->QueryInterface(IID_IPersistStorage, storage.ReleaseAndGetVoidAddress()), S_OK);
        EXPECT_EQ(storage->IsDirty(), E_FAIL);
        EXPECT_EQ(storage->InitNew(nullptr), E_FAIL);
        outer->forwardStream = true;
        EXPECT_EQ(storage->InitNew(nullptr), S_OK);
        EXPECT_EQ(storage->IsDirty(), S_OK);
    }
    EXPECT_EQ(ModuleLock::Count(), before);
}

}  // namespace
