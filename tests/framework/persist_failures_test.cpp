// Bad input to the persistence entry points: short, empty and failing streams,
// storages without a "Contents" stream or refusing to create one, null pointers.
#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

class PersistFailures : public ::testing::Test {
protected:
    void SetUp() override {
        effect = CreateEffect<CMetal>();
        known = g_metallicPresets[4];
        Exchange<tMETALLIC_PROPS>(effect)->SetProps(&known);
        Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), TRUE);  // clean
    }
    tMETALLIC_PROPS Props() { return PropsOf<tMETALLIC_PROPS>(effect); }

    ModuleStrings strings;
    ComPtr<IUnknown> effect;
    tMETALLIC_PROPS known{};
};

TEST_F(PersistFailures, ShortStreamFailsAndLeavesTheRecordWhole) {
    const tMETALLIC_PROPS incoming = g_metallicPresets[7];
    auto shortStream = MemoryStream(&incoming, sizeof incoming - 1);
    EXPECT_EQ(Query<IPersistStreamInit>(effect)->Load(shortStream.Get()), kRecordReadFault);
    EXPECT_TRUE(SameBytes(Props(), known)) << "no half-loaded record";
    EXPECT_EQ(Query<IPersistStreamInit>(effect)->IsDirty(), S_OK) << "Load marks dirty even when it fails";
    EXPECT_EQ(Query<IPersistStreamInit>(effect)->Load(MemoryStream().Get()), kRecordReadFault);
    EXPECT_TRUE(SameBytes(Props(), known));
}

TEST_F(PersistFailures, FailingStreamCodeIsReturnedAsItCame) {
    FailingStream* raw = nullptr;
    auto failing = MakeFailingStream(STG_E_ACCESSDENIED, &raw);
    EXPECT_EQ(Query<IPersistStreamInit>(effect)->Load(failing.Get()), STG_E_ACCESSDENIED);
    EXPECT_EQ(raw->reads, 1) << "nothing is retried";
    EXPECT_TRUE(SameBytes(Props(), known)) << "the partial bytes of a failed read are not kept";

    Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), TRUE);
    EXPECT_EQ(Query<IPersistStreamInit>(effect)->Save(failing.Get(), TRUE), STG_E_ACCESSDENIED);
    EXPECT_EQ(raw->writes, 1);
    EXPECT_EQ(Query<IPersistStreamInit>(effect)->IsDirty(), S_FALSE) << "a failed save changes no flag";
}

TEST_F(PersistFailures, NullPointers) {
    auto stream = Query<IPersistStreamInit>(effect);
    EXPECT_EQ(stream->Load(nullptr), E_POINTER);
    EXPECT_EQ(stream->Save(nullptr, TRUE), E_POINTER);
    EXPECT_TRUE(SameBytes(Props(), known));
    auto storage = Query<IPersistStorage>(effect);
    EXPECT_EQ(storage->Load(nullptr), E_INVALIDARG);
    EXPECT_EQ(storage->Save(nullptr, TRUE), E_INVALIDARG);
    auto automation = Query<IDXTSfAutomation>(effect);
    EXPECT_EQ(automation->SaveProps(nullptr), E_POINTER);
    EXPECT_EQ(automation->InterpolateStreams(nullptr, StreamOf(known).Get(), StreamOf(known).Get(), 0.5), E_POINTER);
    EXPECT_EQ(automation->SetKeyframes(nullptr, nullptr), E_POINTER);
}

TEST_F(PersistFailures, StorageWithoutContentsFailsWithTheStorageCode) {
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateMemoryStorage(storage.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IStream> other;
    ASSERT_EQ(storage->CreateStream(L"Other", STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0,
                                    other.ReleaseAndGetAddressOf()),
              S_OK);
    other.Reset();
    EXPECT_EQ(Query<IPersistStorage>(effect)->Load(storage.Get()), STG_E_FILENOTFOUND);
    EXPECT_TRUE(SameBytes(Props(), known));
    EXPECT_EQ(Query<IPersistStorage>(effect)->IsDirty(), S_FALSE) << "nothing was read";
}

// A storage that refuses everything with one code.
class RefusingStorage : public ComObjectRoot, public IStorage {
public:
    static REFIID PrimaryInterfaceId() { return IID_IStorage; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_IStorage) {
            *object = static_cast<IStorage*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    HRESULT CreateStream(const wchar_t* name, DWORD mode, DWORD, DWORD, IStream** stream) override {
        lastName = name;
        lastMode = mode;
        *stream = nullptr;
        return STG_E_MEDIUMFULL;
    }
    HRESULT OpenStream(const wchar_t* name, void*, DWORD mode, DWORD, IStream** stream) override {
        lastName = name;
        lastMode = mode;
        *stream = nullptr;
        return STG_E_ACCESSDENIED;
    }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT DestroyElement(const wchar_t*) override { return S_OK; }
    std::wstring lastName;
    DWORD lastMode = 0;
};

TEST_F(PersistFailures, StorageRefusalsAndTheModesAsked) {
    ComPtr<IStorage> storage;
    ASSERT_EQ(CreateComInstance<RefusingStorage>(nullptr, IID_IStorage, storage.ReleaseAndGetVoidAddress()), S_OK);
    auto* raw = static_cast<RefusingStorage*>(storage.Get());
    EXPECT_EQ(Query<IPersistStorage>(effect)->Save(storage.Get(), TRUE), STG_E_MEDIUMFULL);
    EXPECT_EQ(raw->lastName, L"Contents");
    EXPECT_EQ(raw->lastMode, 0x1012u);
    EXPECT_EQ(Query<IPersistStorage>(effect)->Load(storage.Get()), STG_E_ACCESSDENIED);
    EXPECT_EQ(raw->lastName, L"Contents");
    EXPECT_EQ(raw->lastMode, 0x10u);
    EXPECT_TRUE(SameBytes(Props(), known));
}

}  // namespace
