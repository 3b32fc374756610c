// Persistence and the interfaces a host asks for beside it, for every effect: the
// stored state is exactly the record's bytes (padding included) through a stream and
// a storage's "Contents" stream; bad input to the entry points;
// the property bag (which carries nothing), the page list, the safety options; and
// interface lookup, alone and aggregated, with the free-threaded marshaler. (The
// module's own objects are these classes: tests/module checks each class id.)
#include <functional>
#include <string>
#include <tuple>

#include "platform/com/combase.h"
#include "tests/framework/template_fixture.h"
#include "tests/support/environment.h"

namespace {

using namespace template_test;

// A property bag that records every call.
class RecordingBag : public TestObject<IPropertyBag> {
public:
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

template <class S>
class PersistEveryEffect : public ::testing::Test {
protected:
    using T = typename S::Props;
    using Effect = typename S::Class;

    // An effect holding a record in which every byte differs, padding included.
    ComPtr<IUnknown> EffectWithPattern(const T& pattern) {
        auto effect = CreateEffect<Effect>();
        EXPECT_EQ(Exchange<T>(effect)->SetProps(&pattern), S_OK);
        return effect;
    }

    ModuleStrings strings;
};
TYPED_TEST_SUITE(PersistEveryEffect, effect_test::SevenEffects);

TYPED_TEST(PersistEveryEffect, StoredStateIsExactlyTheRecordBytes) {
    using T = typename TypeParam::Props;
    using Effect = typename TypeParam::Class;
    const T pattern = PatternRecord<T>(11);
    auto effect = this->EffectWithPattern(pattern);
    ULARGE_INTEGER size;
    size.QuadPart = ~0ull;
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, sizeof(T));
    EXPECT_EQ(Query<IPersistStreamInit>(effect)->GetSizeMax(nullptr), E_INVALIDARG);

    // Through a stream.
    auto stream = MemoryStream();
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(StreamBytes(stream.Get()), BytesOf(pattern));
    auto restored = CreateEffect<Effect>();
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(Query<IPersistStreamInit>(restored)->Load(stream.Get()), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(restored), pattern));

    // Through a storage: its "Contents" stream holds the record. Saved as a copy, the
    // object stays dirty; saved with sameAsLoad, it is clean.
    const T other = PatternRecord<T>(40);
    Exchange<T>(effect)->SetProps(&other);
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateMemoryStorage(storage.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(Query<IPersistStorage>(effect)->Save(storage.Get(), FALSE), S_OK);
    EXPECT_EQ(Query<IPersistStorage>(effect)->IsDirty(), S_OK) << "saved as a copy";
    ASSERT_EQ(Query<IPersistStorage>(effect)->Save(storage.Get(), TRUE), S_OK);
    EXPECT_EQ(Query<IPersistStorage>(effect)->IsDirty(), S_FALSE) << "saved with sameAsLoad";
    ComPtr<IStream> contents;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                  contents.ReleaseAndGetAddressOf()),
              S_OK);
    EXPECT_EQ(StreamBytes(contents.Get()), BytesOf(other));
    contents.Reset();  // opened exclusively: release before the effect opens it
    ASSERT_EQ(Query<IPersistStorage>(restored)->Load(storage.Get()), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(restored), other));
    EXPECT_EQ(Query<IPersistStorage>(restored)->IsDirty(), S_OK) << "a loaded object is dirty";
}

const IID* const kEffectInterfaces[] = {
    &IID_ISfVideoPluginExtension, &IID_IDXTSfAutomation, &IID_IStaticFilterPreset, &IID_IPersistStreamInit,
    &IID_ISfExchangeProps,        &IID_IPlugin,          &IID_IDispatch,           &IID_IMarshal,
    &IID_IDXEffect,               &IID_IObjectSafety,    &IID_IPersistStorage,     &IID_ISpecifyPropertyPages,
    &IID_IPersistPropertyBag,     &IID_IDXTransform,     &IID_IDXBaseObject,       &IID_IObjectWithSite,
};

// Every interface answers with one identity; the property bag carries nothing (new
// objects stay at preset 0), the page list names exactly the effect's own page, and
// the storage form's InitNew and dirty flag go through the stream form.
TYPED_TEST(PersistEveryEffect, CompanionInterfacesAnswerAsHostsExpect) {
    using T = typename TypeParam::Props;
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

    const T changed = PatternRecord<T>(9);
    Exchange<T>(effect)->SetProps(&changed);
    RecordingBag* recording = nullptr;
    ComPtr<IPropertyBag> bag = MakeTestObject(&recording);
    ASSERT_EQ(Query<IPersistPropertyBag>(effect)->Save(bag.Get(), TRUE, TRUE), S_OK);
    auto restored = CreateEffect<typename TypeParam::Class>();
    ASSERT_EQ(Query<IPersistPropertyBag>(restored)->InitNew(), S_OK);
    ASSERT_EQ(Query<IPersistPropertyBag>(restored)->Load(bag.Get(), nullptr), S_OK);
    EXPECT_EQ(recording->calls, 0);
    EXPECT_TRUE(SameBytes(PropsOf<T>(restored), TypeParam::Preset(0)));
    ASSERT_EQ(Query<IPersistPropertyBag>(effect)->InitNew(), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), changed)) << "the bag's InitNew leaves the record alone";

    CAUUID pages{123, nullptr};
    ASSERT_EQ(Query<ISpecifyPropertyPages>(effect)->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_EQ(pages.pElems[0], TypeParam::Descriptor().pageClsid);
    CoTaskMemFree(pages.pElems);
    EXPECT_EQ(Query<ISpecifyPropertyPages>(effect)->GetPages(nullptr), E_POINTER);

    Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), TRUE);
    auto storage = Query<IPersistStorage>(effect);
    EXPECT_EQ(storage->IsDirty(), S_FALSE);
    ASSERT_EQ(storage->InitNew(nullptr), S_OK);
    EXPECT_EQ(storage->IsDirty(), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Preset(0)));
    EXPECT_EQ(storage->SaveCompleted(nullptr), S_OK);
    EXPECT_EQ(storage->HandsOffStorage(), S_OK);
}

// ---- the published examples ------------------------------------------------------------

TEST(PersistExamples, AirBrushStorageHoldsEightLittleEndianBytes) {
    ModuleStrings strings;
    auto effect = CreateEffect<CAirBrush>();
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateMemoryStorage(storage.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(Query<IPersistStorage>(effect)->Save(storage.Get(), TRUE), S_OK);
    ComPtr<IStream> contents;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                  contents.ReleaseAndGetAddressOf()),
              S_OK);
    // "Air Brushed": spray 0.35f (0x3EB33333), edge 1.0f (0x3F800000).
    const std::vector<unsigned char> want = {0x33, 0x33, 0xB3, 0x3E, 0x00, 0x00, 0x80, 0x3F};
    EXPECT_EQ(StreamBytes(contents.Get()), want);
}

// ---- bad input -------------------------------------------------------------------------

// A storage that refuses everything with one code, noting the stream and mode asked.
class RefusingStorage : public TestObject<IStorage> {
public:
    HRESULT CreateStream(const wchar_t* name, DWORD mode, DWORD, DWORD, IStream** stream) override {
        asked = std::wstring(name) + L" " + std::to_wstring(mode);
        *stream = nullptr;
        return STG_E_MEDIUMFULL;
    }
    HRESULT OpenStream(const wchar_t* name, void*, DWORD mode, DWORD, IStream** stream) override {
        asked = std::wstring(name) + L" " + std::to_wstring(mode);
        *stream = nullptr;
        return STG_E_ACCESSDENIED;
    }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT DestroyElement(const wchar_t*) override { return S_OK; }
    std::wstring asked;
};

// Each refusal returns its code and leaves the record whole (no half-loaded record,
// no partial bytes of a failed read); Load marks the object dirty even when it fails,
// a failed save changes no flag, and nothing is retried.
TEST(PersistFailures, EveryRefusalKeepsTheRecordAndSaysWhy) {
    ModuleStrings strings;
    const tMETALLIC_PROPS known = g_metallicPresets[4];
    ComPtr<IStorage> noContents;
    ASSERT_EQ(StgCreateMemoryStorage(noContents.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IStream> other;
    ASSERT_EQ(noContents->CreateStream(L"Other", STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0,
                                       other.ReleaseAndGetAddressOf()),
              S_OK);
    other.Reset();
    RefusingStorage* refusingStorage = nullptr;
    ComPtr<IStorage> refusing = MakeTestObject(&refusingStorage);
    auto* asked = &refusingStorage->asked;
    FailingStream* failing = nullptr;
    auto failingStream = MakeFailingStream(STG_E_ACCESSDENIED, &failing);
    using P = ComPtr<IUnknown>;
    const struct {
        const char* what;
        std::function<HRESULT(const P&)> act;
        HRESULT result;
        int dirty;  // 1 dirty, 0 clean, -1 either
        const wchar_t* asked;
    } rows[] = {
        {"empty stream", [&](const P& e) { return Query<IPersistStreamInit>(e)->Load(MemoryStream().Get()); }, kRecordReadFault, 1, nullptr},
        {"failing read", [&](const P& e) { return Query<IPersistStreamInit>(e)->Load(failingStream.Get()); }, STG_E_ACCESSDENIED, -1, nullptr},
        {"failing write", [&](const P& e) { return Query<IPersistStreamInit>(e)->Save(failingStream.Get(), TRUE); }, STG_E_ACCESSDENIED, 0, nullptr},
        {"no Contents", [&](const P& e) { return Query<IPersistStorage>(e)->Load(noContents.Get()); }, STG_E_FILENOTFOUND, 0, nullptr},
        {"storage refusing to create", [&](const P& e) { return Query<IPersistStorage>(e)->Save(refusing.Get(), TRUE); }, STG_E_MEDIUMFULL, 0, L"Contents 4114"},
        {"storage refusing to open", [&](const P& e) { return Query<IPersistStorage>(e)->Load(refusing.Get()); }, STG_E_ACCESSDENIED, -1, L"Contents 16"},
        {"null stream to load", [](const P& e) { return Query<IPersistStreamInit>(e)->Load(nullptr); }, E_POINTER, -1, nullptr},
        {"null stream to save", [](const P& e) { return Query<IPersistStreamInit>(e)->Save(nullptr, TRUE); }, E_POINTER, -1, nullptr},
        {"null storage to load", [](const P& e) { return Query<IPersistStorage>(e)->Load(nullptr); }, E_INVALIDARG, -1, nullptr},
        {"null storage to save", [](const P& e) { return Query<IPersistStorage>(e)->Save(nullptr, TRUE); }, E_INVALIDARG, -1, nullptr},
        {"null SaveProps", [](const P& e) { return Query<IDXTSfAutomation>(e)->SaveProps(nullptr); }, E_POINTER, -1, nullptr},
        {"null InterpolateStreams", [&](const P& e) { return Query<IDXTSfAutomation>(e)->InterpolateStreams(nullptr, StreamOf(known).Get(), StreamOf(known).Get(), 0.5); }, E_POINTER, -1, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto effect = CreateEffect<CMetal>();
        Exchange<tMETALLIC_PROPS>(effect)->SetProps(&known);
        Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), TRUE);  // clean
        EXPECT_EQ(row.act(effect), row.result);
        EXPECT_TRUE(SameBytes(PropsOf<tMETALLIC_PROPS>(effect), known));
        if (row.dirty >= 0) {
            EXPECT_EQ(Query<IPersistStreamInit>(effect)->IsDirty(), row.dirty ? S_OK : S_FALSE);
        }
        if (row.asked) {
            EXPECT_EQ(*asked, row.asked);
        }
    }
    EXPECT_EQ(Query<IDXTSfAutomation>(CreateEffect<CMetal>())->SetKeyframes(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(failing->reads, 1) << "nothing is retried";
    EXPECT_EQ(failing->writes, 1);
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
    auto options = [&](const IID& iid) {
        DWORD supported = 99, enabled = 99;
        const HRESULT hr = safety->GetInterfaceSafetyOptions(iid, &supported, &enabled);
        return std::tuple{hr, supported, enabled};
    };
    for (const IID* iid : {&IID_IDispatch, &IID_IPersistPropertyBag, &IID_IPersistStorage, &IID_IPersistStream})
        EXPECT_EQ(options(*iid), std::tuple(S_OK, 1u, 0u)) << "supported, and disabled at first";
    EXPECT_EQ(options(IID_IPersistStreamInit), std::tuple(E_NOINTERFACE, 0u, 0u));
    DWORD word = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &word), E_POINTER);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &word, nullptr), E_POINTER);
    // Each interface has its own word; the mask limits what is set; only the supported
    // option is kept.
    ASSERT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1), S_OK);
    ASSERT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistStorage, 0, 1), S_OK);
    ASSERT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistStream, 3, 3), S_OK);
    EXPECT_EQ(options(IID_IDispatch), std::tuple(S_OK, 1u, 1u));
    EXPECT_EQ(options(IID_IPersistStorage), std::tuple(S_OK, 1u, 0u));
    EXPECT_EQ(options(IID_IPersistStream), std::tuple(S_OK, 1u, 1u));
    EXPECT_EQ(options(IID_IPersistPropertyBag), std::tuple(S_OK, 1u, 0u));
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IMarshal, 1, 1), E_NOINTERFACE);
}

// ---- interface lookup ---------------------------------------------------------------------

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
