// Storages in memory and in files: the sub-stream rules a persistence caller relies on
// ("Contents" created with 0x1012, opened with 0x10), the file round trip with its
// atomic save, saving on release, refusing corrupt files, and read-only storages.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/com/objidl.h"
#include "tests/support/environment.h"

namespace {

using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

constexpr DWORD kCreateMode = 0x1012;  // create, read/write, exclusive
constexpr DWORD kOpenMode = 0x10;      // read, exclusive

ComPtr<IStorage> NewMemoryStorage() {
    ComPtr<IStorage> storage;
    EXPECT_EQ(StgCreateMemoryStorage(storage.ReleaseAndGetAddressOf()), S_OK);
    return storage;
}

void WriteStream(IStorage* storage, const wchar_t* name, const std::vector<uint8_t>& bytes) {
    ComPtr<IStream> s;
    ASSERT_EQ(storage->CreateStream(name, kCreateMode, 0, 0, s.ReleaseAndGetAddressOf()), S_OK);
    ULONG written = 0;
    ASSERT_EQ(s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
    ASSERT_EQ(written, bytes.size());
}

std::vector<uint8_t> ReadStream(IStorage* storage, const wchar_t* name) {
    ComPtr<IStream> s;
    HRESULT hr = storage->OpenStream(name, nullptr, kOpenMode, 0, s.ReleaseAndGetAddressOf());
    EXPECT_EQ(hr, S_OK);
    if (FAILED(hr)) return {};
    std::vector<uint8_t> bytes(4096);
    ULONG read = 0;
    EXPECT_EQ(s->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read), S_OK);
    bytes.resize(read);
    return bytes;
}

TEST(Storage, KeepsNamedStreamsUnderTheSubStreamRules) {
    auto storage = NewMemoryStorage();
    IStream* s = reinterpret_cast<IStream*>(0x1);
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, kOpenMode, 0, &s), STG_E_FILENOTFOUND);
    EXPECT_EQ(s, nullptr);
    WriteStream(storage.Get(), L"Contents", {9, 9, 9});
    EXPECT_EQ(storage->CreateStream(L"Contents", 0x12, 0, 0, &s), STG_E_FILEALREADYEXISTS);
    WriteStream(storage.Get(), L"Contents", {1, 2, 3, 4});  // STGM_CREATE replaces the old stream
    EXPECT_EQ(ReadStream(storage.Get(), L"CONTENTS"), std::vector<uint8_t>({1, 2, 3, 4}));  // names ignore case

    // A read-only open refuses writes.
    ComPtr<IStream> ro;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, kOpenMode, 0, ro.ReleaseAndGetAddressOf()), S_OK);
    ULONG written = 5;
    EXPECT_EQ(ro->Write("x", 1, &written), STG_E_ACCESSDENIED);
    EXPECT_EQ(written, 0u);
    ULARGE_INTEGER zero{};
    EXPECT_EQ(ro->SetSize(zero), STG_E_ACCESSDENIED);
    // One element has one stream open at a time.
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, kOpenMode, 0, &s), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->CreateStream(L"Contents", kCreateMode, 0, 0, &s), STG_E_ACCESSDENIED);
    ro.Reset();

    // Sub-streams must be exclusive, with a known access; names must be valid.
    const struct {
        const wchar_t* name;
        DWORD mode;
        bool create;
        HRESULT expected;
    } refused[] = {{L"Contents", 0x1002, true, STG_E_INVALIDFLAG},  // no sharing flag
                   {L"Contents", 0x1042, true, STG_E_INVALIDFLAG},  // deny none
                   {L"Contents", 0x1013, true, STG_E_INVALIDFLAG},  // bad access
                   {L"Contents", 0x00, false, STG_E_INVALIDFLAG},
                   {L"Contents", 0x1010, false, STG_E_INVALIDFLAG},  // create on open
                   {nullptr, kCreateMode, true, STG_E_INVALIDPOINTER},
                   {L"", kCreateMode, true, STG_E_INVALIDNAME},
                   {L"a/b", kCreateMode, true, STG_E_INVALIDNAME},
                   {L"a!b", kCreateMode, true, STG_E_INVALIDNAME},
                   {L"nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn", kCreateMode, true, STG_E_INVALIDNAME}};  // 32 long
    for (const auto& r : refused) {
        s = nullptr;
        EXPECT_EQ(r.create ? storage->CreateStream(r.name, r.mode, 0, 0, &s)
                           : storage->OpenStream(r.name, nullptr, r.mode, 0, &s),
                  r.expected)
            << std::hex << r.mode;
        EXPECT_EQ(s, nullptr);
    }
    WriteStream(storage.Get(), std::wstring(31, L'n').c_str(), {1});
    EXPECT_EQ(storage->CreateStream(L"Contents", kCreateMode, 0, 0, nullptr), STG_E_INVALIDPOINTER);
    EXPECT_EQ(ReadStream(storage.Get(), L"Contents"), std::vector<uint8_t>({1, 2, 3, 4}));
}

TEST(Storage, DestroyingAnElementRevertsAStreamStillOpenOnIt) {
    auto storage = NewMemoryStorage();
    ComPtr<IStream> s;
    ASSERT_EQ(storage->CreateStream(L"Gone", kCreateMode, 0, 0, s.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(storage->DestroyElement(L"Gone"), S_OK);
    EXPECT_EQ(s->Write("x", 1, nullptr), STG_E_REVERTED);
    char c;
    EXPECT_EQ(s->Read(&c, 1, nullptr), STG_E_REVERTED);
    EXPECT_EQ(storage->DestroyElement(L"Gone"), STG_E_FILENOTFOUND);
}

class StorageFile : public ::testing::Test {
protected:
    ComPtr<IStorage> Create(DWORD mode = STGM_CREATE | STGM_READWRITE) {
        ComPtr<IStorage> storage;
        EXPECT_EQ(StgCreateStorageFileA(m_path.c_str(), mode, storage.ReleaseAndGetAddressOf()), S_OK);
        return storage;
    }
    ComPtr<IStorage> Open(DWORD mode = STGM_READ) {
        ComPtr<IStorage> storage;
        EXPECT_EQ(StgOpenStorageFileA(m_path.c_str(), mode, storage.ReleaseAndGetAddressOf()), S_OK);
        return storage;
    }
    TempFolder m_folder;
    std::string m_path = m_folder.File("effect.stg");
};

TEST_F(StorageFile, RoundTripsThroughTheFileSavedAtomicallyAndEditedInPlace) {
    WriteBytes(m_path, {'k', 'e', 'e', 'p'});
    IStorage* refused = nullptr;
    EXPECT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_READWRITE, &refused), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(ReadBytes(m_path), std::vector<uint8_t>({'k', 'e', 'e', 'p'}));
    {
        auto storage = Create(STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
        WriteStream(storage.Get(), L"A", {0x10, 0x20, 0x30, 0x40, 0, 0, 0x80, 0x3F});
        WriteStream(storage.Get(), L"Empty", {});
        WriteStream(storage.Get(), L"B", {2});
        ASSERT_EQ(storage->Commit(0), S_OK);
    }
    const auto image = ReadBytes(m_path);
    ASSERT_GE(image.size(), 8u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 8), "QSTORAGE");
    // Only the storage file is left: the temporary file of the atomic save is gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.Path()), {}), 1);
    {
        auto storage = Open(STGM_READWRITE);
        EXPECT_EQ(ReadStream(storage.Get(), L"A"), std::vector<uint8_t>({0x10, 0x20, 0x30, 0x40, 0, 0, 0x80, 0x3F}));
        EXPECT_TRUE(ReadStream(storage.Get(), L"Empty").empty());
        ASSERT_EQ(storage->DestroyElement(L"a"), S_OK);
        ComPtr<IStream> b;
        ASSERT_EQ(storage->OpenStream(L"B", nullptr, 0x12, 0, b.ReleaseAndGetAddressOf()), S_OK);
        LARGE_INTEGER end{};
        ASSERT_EQ(b->Seek(end, STREAM_SEEK_END, nullptr), S_OK);
        ASSERT_EQ(b->Write("\x03", 1, nullptr), S_OK);
    }
    auto storage = Open();
    IStream* s = nullptr;
    EXPECT_EQ(storage->OpenStream(L"A", nullptr, kOpenMode, 0, &s), STG_E_FILENOTFOUND);
    EXPECT_EQ(ReadStream(storage.Get(), L"B"), std::vector<uint8_t>({2, 3}));
}

TEST_F(StorageFile, SavesWhenTheLastReferenceGoesEvenIfAStreamOutlivesTheStorage) {
    IStream* late = nullptr;
    {
        auto storage = Create();
        WriteStream(storage.Get(), L"Contents", {1, 2});
        ASSERT_EQ(storage->CreateStream(L"Late", kCreateMode, 0, 0, &late), S_OK);
    }
    ASSERT_EQ(late->Write("xyz", 3, nullptr), S_OK);
    late->Release();  // the storage's last reference: saved now
    auto storage = Open();
    EXPECT_EQ(ReadStream(storage.Get(), L"Contents"), std::vector<uint8_t>({1, 2}));
    EXPECT_EQ(ReadStream(storage.Get(), L"Late"), std::vector<uint8_t>({'x', 'y', 'z'}));
}

TEST_F(StorageFile, ReadOnlyStorageNeverChangesTheFile) {
    WriteStream(Create().Get(), L"Contents", {1});
    const auto before = ReadBytes(m_path);
    auto storage = Open();
    IStream* s = nullptr;
    EXPECT_EQ(storage->CreateStream(L"New", kCreateMode, 0, 0, &s), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, 0x12, 0, &s), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->DestroyElement(L"Contents"), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->Commit(0), S_OK);
    storage.Reset();
    EXPECT_EQ(ReadBytes(m_path), before);
}

TEST_F(StorageFile, RefusesBadFlagsMissingPathsAndCorruptFiles) {
    IStorage* storage = reinterpret_cast<IStorage*>(0x1);
    EXPECT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READ, &storage), STG_E_FILENOTFOUND);
    EXPECT_EQ(storage, nullptr);
    EXPECT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READWRITE, &storage), STG_E_INVALIDFLAG);
    EXPECT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READ, &storage), STG_E_INVALIDFLAG);
    EXPECT_EQ(StgCreateStorageFileA(m_folder.File("no/folder.stg").c_str(), STGM_CREATE | STGM_WRITE, &storage),
              STG_E_PATHNOTFOUND);

    WriteStream(Create().Get(), L"Contents", {1, 2, 3, 4, 5, 6, 7, 8});
    const auto image = ReadBytes(m_path);
    std::string corrupt = m_folder.File("corrupt.stg");
    auto expectRefused = [&](const std::vector<uint8_t>& bytes, const char* what) {
        WriteBytes(corrupt, bytes);
        IStorage* s = nullptr;
        EXPECT_EQ(StgOpenStorageFileA(corrupt.c_str(), STGM_READ, &s), STG_E_INVALIDHEADER) << what;
        EXPECT_EQ(s, nullptr) << what;
        if (s) s->Release();
    };
    expectRefused({}, "empty file");
    expectRefused({'n', 'o', 't', ' ', 'a', ' ', 's', 't', 'o', 'r', 'a', 'g', 'e', '!', '!', '!', '!', '!'},
                  "text");
    for (size_t cut = 1; cut < image.size(); ++cut)
        expectRefused(std::vector<uint8_t>(image.begin(), image.begin() + cut), "truncated");
    for (size_t i = 0; i < image.size(); ++i) {
        auto flipped = image;
        flipped[i] ^= 0x01;
        expectRefused(flipped, "one bit flipped");
    }
    auto longer = image;
    longer.push_back(0);
    expectRefused(longer, "trailing byte");
    Open();  // the good file still opens
}

TEST_F(StorageFile, AFailedSaveOnReleaseIsReportedOnTheDebugChannel) {
    testsupport::DebugOutputCapture debug;
    std::string sub = m_folder.File("sub");
    std::filesystem::create_directory(sub);
    std::string path = sub + "/vanishing.stg";
    IStorage* storage = nullptr;
    ASSERT_EQ(StgCreateStorageFileA(path.c_str(), STGM_CREATE | STGM_READWRITE, &storage), S_OK);
    WriteStream(storage, L"Contents", {1});
    std::filesystem::remove_all(sub);
    EXPECT_EQ(storage->Commit(0), STG_E_PATHNOTFOUND);
    storage->Release();
    EXPECT_NE(debug.Text().find(path), std::string::npos);
}

TEST_F(StorageFile, StreamsWrittenOnSeveralThreadsAllReachTheFile) {
    auto storage = Create();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::wstring name = L"S" + std::to_wstring(t);
            ComPtr<IStream> s;
            ASSERT_EQ(storage->CreateStream(name.c_str(), kCreateMode, 0, 0, s.ReleaseAndGetAddressOf()), S_OK);
            for (int i = 0; i < 200; ++i) {
                uint8_t b = static_cast<uint8_t>(t);
                s->Write(&b, 1, nullptr);
                if (i % 50 == 0) {
                    EXPECT_EQ(storage->Commit(0), S_OK);
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    storage.Reset();
    storage = Open();
    for (int t = 0; t < 4; ++t) {
        std::wstring name = L"S" + std::to_wstring(t);
        EXPECT_EQ(ReadStream(storage.Get(), name.c_str()), std::vector<uint8_t>(200, static_cast<uint8_t>(t)));
    }
}

}  // namespace
