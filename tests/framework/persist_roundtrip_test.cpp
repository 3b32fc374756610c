// The stored state of every effect is exactly its record's bytes, padding included:
// through a stream, through a storage's "Contents" stream in memory and in a file, and
// back into a new object.
#include <unistd.h>

#include <string>

#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

template <class Case>
class PersistRoundTrip : public ::testing::Test {
protected:
    using T = typename Case::Props;
    using Effect = typename Case::Class;

    // An effect holding a record in which every byte differs, padding included.
    ComPtr<IUnknown> EffectWithPattern(const T& pattern) {
        auto effect = CreateEffect<Effect>();
        EXPECT_EQ(Exchange<T>(effect)->SetProps(&pattern), S_OK);
        return effect;
    }

    ModuleStrings strings;
};
TYPED_TEST_SUITE(PersistRoundTrip, AllEffects);

TYPED_TEST(PersistRoundTrip, StreamHoldsExactlyTheRecordBytes) {
    using T = typename TypeParam::Props;
    const T pattern = PatternRecord<T>(11);
    auto effect = this->EffectWithPattern(pattern);
    auto stream = MemoryStream();
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(StreamBytes(stream.Get()), BytesOf(pattern));

    auto restored = CreateEffect<typename TypeParam::Class>();
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(Query<IPersistStreamInit>(restored)->Load(stream.Get()), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(restored), pattern));
}

TYPED_TEST(PersistRoundTrip, SizeMaxIsTheRecordSize) {
    using T = typename TypeParam::Props;
    auto effect = CreateEffect<typename TypeParam::Class>();
    ULARGE_INTEGER size;
    size.QuadPart = ~0ull;
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, sizeof(T));
    EXPECT_EQ(size.HighPart, 0u);
    EXPECT_EQ(Query<IPersistStreamInit>(effect)->GetSizeMax(nullptr), E_INVALIDARG);
}

TYPED_TEST(PersistRoundTrip, MemoryStorageContentsStream) {
    using T = typename TypeParam::Props;
    const T pattern = PatternRecord<T>(40);
    auto effect = this->EffectWithPattern(pattern);
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateMemoryStorage(storage.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(Query<IPersistStorage>(effect)->Save(storage.Get(), TRUE), S_OK);
    EXPECT_EQ(Query<IPersistStorage>(effect)->IsDirty(), S_FALSE) << "saved with sameAsLoad";

    ComPtr<IStream> contents;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                  contents.ReleaseAndGetAddressOf()),
              S_OK);
    EXPECT_EQ(StreamBytes(contents.Get()), BytesOf(pattern));
    contents.Reset();  // opened exclusively: release before the effect opens it

    auto restored = CreateEffect<typename TypeParam::Class>();
    ASSERT_EQ(Query<IPersistStorage>(restored)->Load(storage.Get()), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(restored), pattern));
    EXPECT_EQ(Query<IPersistStorage>(restored)->IsDirty(), S_OK) << "a loaded object is dirty";
}

TYPED_TEST(PersistRoundTrip, FileStorageSurvivesTheProcessView) {
    using T = typename TypeParam::Props;
    char path[] = "/tmp/brushwerk-persist-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    unlink(path);

    const T pattern = PatternRecord<T>(77);
    {
        auto effect = this->EffectWithPattern(pattern);
        ComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateStorageFileA(path, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE,
                                        storage.ReleaseAndGetAddressOf()),
                  S_OK);
        ASSERT_EQ(Query<IPersistStorage>(effect)->Save(storage.Get(), FALSE), S_OK);
        EXPECT_EQ(Query<IPersistStorage>(effect)->IsDirty(), S_OK) << "saved as a copy";
        ASSERT_EQ(storage->Commit(0), S_OK);
    }
    ComPtr<IStorage> reopened;
    ASSERT_EQ(StgOpenStorageFileA(path, STGM_READ | STGM_SHARE_EXCLUSIVE, reopened.ReleaseAndGetAddressOf()), S_OK);
    auto restored = CreateEffect<typename TypeParam::Class>();
    ASSERT_EQ(Query<IPersistStorage>(restored)->Load(reopened.Get()), S_OK);
    EXPECT_TRUE(SameBytes(PropsOf<T>(restored), pattern));
    reopened.Reset();
    unlink(path);
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

TEST(PersistExamples, ColorizeLoadRestoresThePaddingBytes) {
    ModuleStrings strings;
    tCOLORIZE_PROPS record = g_colorizePresets[4];
    record.flag = 1;
    record.padding[0] = 0xA1;
    record.padding[1] = 0xB2;
    record.padding[2] = 0xC3;
    auto effect = CreateEffect<CColorize>();
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->Load(StreamOf(record).Get()), S_OK);
    tCOLORIZE_PROPS back = PropsOf<tCOLORIZE_PROPS>(effect);
    EXPECT_EQ(back.padding[0], 0xA1);
    EXPECT_EQ(back.padding[1], 0xB2);
    EXPECT_EQ(back.padding[2], 0xC3);
    EXPECT_TRUE(SameBytes(back, record));
}

}  // namespace
