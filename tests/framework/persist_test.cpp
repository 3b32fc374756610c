// Persistence and the interfaces a host asks for beside it, for every effect: the
// stored state is exactly the record's bytes (padding included) through a stream and
// a storage's "Contents" stream; bad input to the entry points;
// the property bag (which carries nothing), the page list, the safety options; and
// interface lookup, alone and aggregated, with the free-threaded marshaler; named
// presets, the information block, the class identifier and the unit value. (The
// module's own objects are these classes: tests/module checks each class id.)
#include <cwchar>
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

// The bytes of a storage's "Contents" stream (opened exclusively, and released again).
std::vector<unsigned char> ContentsOf(IStorage* storage) {
    ComPtr<IStream> contents;
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                  contents.ReleaseAndGetAddressOf()),
              S_OK);
    return contents ? StreamBytes(contents.Get()) : std::vector<unsigned char>{};
}

template <class S>
class PersistEveryEffect : public ::testing::Test {
protected:
    ModuleStrings strings;
};
TYPED_TEST_SUITE(PersistEveryEffect, effect_test::SevenEffects);

TYPED_TEST(PersistEveryEffect, StoredStateIsExactlyTheRecordBytes) {
    using T = typename TypeParam::Props;
    using Effect = typename TypeParam::Class;
    const T pattern = PatternRecord<T>(11);  // every byte differs, padding included
    auto effect = CreateEffect<Effect>();
    ASSERT_EQ(Exchange<T>(effect)->SetProps(&pattern), S_OK);
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
    EXPECT_EQ(ContentsOf(storage.Get()), BytesOf(other));
    ASSERT_EQ(Query<IPersistStorage>(restored)->Load(storage.Get()), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(restored), other));
}

const IID* const kEffectInterfaces[] = {
    &IID_ISfVideoPluginExtension, &IID_IDXTSfAutomation, &IID_IStaticFilterPreset, &IID_IPersistStreamInit,
    &IID_ISfExchangeProps,        &IID_IPlugin,          &IID_IDispatch,           &IID_IMarshal,
    &IID_IDXEffect,               &IID_IObjectSafety,    &IID_IPersistStorage,     &IID_ISpecifyPropertyPages,
    &IID_IPersistPropertyBag,     &IID_IDXTransform,     &IID_IDXBaseObject,       &IID_IObjectWithSite,
};

// Every interface answers with one identity; the property bag carries nothing (new
// objects stay at preset 0) and the page list names exactly the effect's own page. (The
// storage form's InitNew and dirty flag reach the stream form's: the aggregation test.)
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

    auto storage = Query<IPersistStorage>(effect);
    EXPECT_EQ(storage->SaveCompleted(nullptr), S_OK);
    EXPECT_EQ(storage->HandsOffStorage(), S_OK);
}

// ---- presets, the information block, the unit value ------------------------------------

// A new object holds row 0; every row is selected and named from the string table;
// indexes outside the table are refused and change nothing.
TYPED_TEST(PersistEveryEffect, EveryRowIsSelectedAndNamedAndNothingBeyond) {
    using T = typename TypeParam::Props;
    const int count = TypeParam::PresetCount();
    auto effect = CreateEffect<typename TypeParam::Class>();
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Preset(0)));
    auto presets = Query<IStaticFilterPreset>(effect);
    ULONG reported = 0;
    ASSERT_EQ(presets->GetPresetCount(&reported), S_OK);
    EXPECT_EQ(reported, static_cast<ULONG>(count));
    EXPECT_EQ(presets->GetPresetCount(nullptr), E_POINTER);
    for (int i = count - 1; i >= 0; --i) {
        ASSERT_EQ(presets->SelectPreset(i), S_OK);
        EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Preset(i))) << i;
        wchar_t name[64];
        std::wmemset(name, L'#', 64);
        ASSERT_EQ(presets->GetPresetName(i, name, 64), S_OK) << i;
        char expected[260] = {};
        const UINT id = TypeParam::Descriptor().firstPresetStringId + static_cast<UINT>(i);
        ASSERT_GT(LoadStringA(ModuleStrings::Handle(), id, expected, 260), 0);
        const std::wstring want(expected, expected + std::strlen(expected));
        EXPECT_EQ(std::wstring(name), want) << i;
        EXPECT_EQ(name[want.size() + 1], L'#') << "nothing written past the terminator";
    }
    wchar_t name[32] = L"unchanged";
    for (int bad : {count, -1}) {
        EXPECT_EQ(presets->GetPresetName(bad, name, 32), E_INVALIDARG);
        EXPECT_EQ(presets->SelectPreset(bad), E_INVALIDARG);
    }
    EXPECT_STREQ(name, L"unchanged");
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Preset(0)));
}

// 32 bytes: 2, 0, 1.0, required, most inputs, the effect code, 0; a shorter buffer
// gets its length; the class identifier through every persistence interface.
TYPED_TEST(PersistEveryEffect, InformationBlockAndClassIdentifier) {
    auto effect = CreateEffect<typename TypeParam::Class>();
    auto extension = Query<ISfVideoPluginExtension>(effect);
    unsigned char block[64];
    std::memset(block, 0xAA, sizeof block);
    ASSERT_EQ(extension->GetPluginInfo(block, 64), S_OK);
    const DWORD code = TypeParam::Descriptor().effectCode;
    const unsigned char want[32] = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 1, 0, 0, 0, 1, 0, 0, 0,
                                    static_cast<unsigned char>(code & 0xFF), static_cast<unsigned char>(code >> 8)};
    EXPECT_EQ(std::memcmp(block, want, 32), 0);
    EXPECT_EQ(block[32], 0xAA) << "only 32 bytes are copied";
    std::memset(block, 0xAA, sizeof block);
    ASSERT_EQ(extension->GetPluginInfo(block, 8), S_OK);
    EXPECT_EQ(std::memcmp(block, want, 8), 0);
    EXPECT_EQ(block[8], 0xAA);
    EXPECT_EQ(extension->GetPluginInfo(nullptr, 32), E_POINTER);

    CLSID ids[3] = {};
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->GetClassID(&ids[0]), S_OK);
    ASSERT_EQ(Query<IPersistStorage>(effect)->GetClassID(&ids[1]), S_OK);
    ASSERT_EQ(Query<IPersistPropertyBag>(effect)->GetClassID(&ids[2]), S_OK);
    for (const CLSID& id : ids) EXPECT_EQ(id, TypeParam::Descriptor().clsid);
    EXPECT_EQ(Query<IPersistStorage>(effect)->GetClassID(nullptr), E_POINTER);
}

TEST(TemplatePresetNames, SmallCapacityTruncatesAndAMissingStringFails) {
    {
        ModuleStrings strings;
        auto presets = Query<IStaticFilterPreset>(CreateEffect<CAirBrush>());
        wchar_t name[8];
        std::wmemset(name, L'#', 8);
        ASSERT_EQ(presets->GetPresetName(0, name, 4), S_OK);
        EXPECT_STREQ(name, L"Air");
        EXPECT_EQ(name[4], L'#') << "nothing beyond the capacity";
        ASSERT_EQ(presets->GetPresetName(0, name, 1), S_OK);
        EXPECT_STREQ(name, L"");
        EXPECT_EQ(presets->GetPresetName(0, name, 0), E_INVALIDARG);
        EXPECT_EQ(presets->GetPresetName(0, nullptr, 8), E_POINTER);
    }
    ModuleStrings noStrings(false);
    auto presets = Query<IStaticFilterPreset>(CreateEffect<CColorize>());
    wchar_t name[16] = L"stale";
    EXPECT_EQ(presets->GetPresetName(3, name, 16), E_FAIL);
    EXPECT_EQ(name[0], L'\0');
}

class ColorizeProbe : public CColorize {
public:
    using CSFVideoPlugin<tCOLORIZE_PROPS>::UnitValue;
};

TEST(TemplateUnitValue, ClampedIntoZeroToOne) {
    ComPtr<IUnknown> unknown = CreateEffect<ColorizeProbe>();
    auto extension = Query<ISfVideoPluginExtension>(unknown);
    auto* probe = static_cast<ColorizeProbe*>(extension.Get());
    EXPECT_EQ(probe->UnitValue(), 1.0);
    for (auto [set, got] : {std::pair{-3.0, 0.0}, std::pair{7.0, 1.0}, std::pair{0.25, 0.25}}) {
        EXPECT_EQ(extension->SetUnitValue(set), S_OK);
        EXPECT_EQ(probe->UnitValue(), got) << set;
    }
}

// ---- the published examples ------------------------------------------------------------

TEST(PersistExamples, AirBrushStorageHoldsEightLittleEndianBytes) {
    ModuleStrings strings;
    auto effect = CreateEffect<CAirBrush>();
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateMemoryStorage(storage.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(Query<IPersistStorage>(effect)->Save(storage.Get(), TRUE), S_OK);
    // "Air Brushed": spray 0.35f (0x3EB33333), edge 1.0f (0x3F800000).
    const std::vector<unsigned char> want = {0x33, 0x33, 0xB3, 0x3E, 0x00, 0x00, 0x80, 0x3F};
    EXPECT_EQ(ContentsOf(storage.Get()), want);
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
