// Storages in memory and in files: the sub-stream rules a persistence caller relies on
// ("Contents" created with 0x1012, opened with 0x10), the file round trip, saving on
// release, refusing corrupt files, and read-only storages.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/com/objidl.h"
#include "tests/platform/storage_test_files.h"

namespace {

using runtimetest::ReadBytes;
using runtimetest::TempFolder;
using runtimetest::WriteBytes;

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

TEST(Storage, KeepsNamedStreamsAndRefusesWritesThroughAReadOnlyOpen) {
    auto storage = NewMemoryStorage();
    WriteStream(storage.Get(), L"Contents", {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(ReadStream(storage.Get(), L"Contents"), std::vector<uint8_t>({1, 2, 3, 4, 5, 6, 7, 8}));

    ComPtr<IStream> s;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, kOpenMode, 0, s.ReleaseAndGetAddressOf()), S_OK);
    ULONG written = 5;
    EXPECT_EQ(s->Write("x", 1, &written), STG_E_ACCESSDENIED);
    EXPECT_EQ(written, 0u);
    ULARGE_INTEGER zero{};
    EXPECT_EQ(s->SetSize(zero), STG_E_ACCESSDENIED);
    STATSTG stat{};
    ASSERT_EQ(s->Stat(&stat, 0), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 8u);
    EXPECT_EQ(stat.grfMode, kOpenMode);
}

TEST(Storage, MissingStreamsAndExistingNamesGiveTheStorageCodes) {
    auto storage = NewMemoryStorage();
    IStream* s = reinterpret_cast<IStream*>(0x1);
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, kOpenMode, 0, &s), STG_E_FILENOTFOUND);
    EXPECT_EQ(s, nullptr);

    WriteStream(storage.Get(), L"Contents", {9, 9, 9});
    EXPECT_EQ(storage->CreateStream(L"Contents", 0x12, 0, 0, &s), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(ReadStream(storage.Get(), L"Contents"), std::vector<uint8_t>({9, 9, 9}));
    // STGM_CREATE replaces the old stream with an empty one.
    WriteStream(storage.Get(), L"Contents", {4});
    EXPECT_EQ(ReadStream(storage.Get(), L"Contents"), std::vector<uint8_t>({4}));
    // Names ignore case.
    EXPECT_EQ(ReadStream(storage.Get(), L"CONTENTS"), std::vector<uint8_t>({4}));
}

TEST(Storage, SubStreamsMustBeExclusiveAndOpenOnceAtATime) {
    auto storage = NewMemoryStorage();
    IStream* s = nullptr;
    EXPECT_EQ(storage->CreateStream(L"Contents", 0x1002, 0, 0, &s), STG_E_INVALIDFLAG);  // no sharing flag
    EXPECT_EQ(storage->CreateStream(L"Contents", 0x1042, 0, 0, &s), STG_E_INVALIDFLAG);  // deny none
    EXPECT_EQ(storage->CreateStream(L"Contents", 0x1013, 0, 0, &s), STG_E_INVALIDFLAG);  // bad access
    WriteStream(storage.Get(), L"Contents", {1});
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, 0x00, 0, &s), STG_E_INVALIDFLAG);
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, 0x1010, 0, &s), STG_E_INVALIDFLAG);  // create on open
    EXPECT_EQ(s, nullptr);

    ComPtr<IStream> first;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, 0x12, 0, first.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, kOpenMode, 0, &s), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->CreateStream(L"Contents", kCreateMode, 0, 0, &s), STG_E_ACCESSDENIED);
    first.Reset();
    EXPECT_EQ(ReadStream(storage.Get(), L"Contents"), std::vector<uint8_t>({1}));
}

TEST(Storage, RefusesBadNames) {
    auto storage = NewMemoryStorage();
    IStream* s = nullptr;
    EXPECT_EQ(storage->CreateStream(nullptr, kCreateMode, 0, 0, &s), STG_E_INVALIDPOINTER);
    EXPECT_EQ(storage->CreateStream(L"", kCreateMode, 0, 0, &s), STG_E_INVALIDNAME);
    EXPECT_EQ(storage->CreateStream(L"a/b", kCreateMode, 0, 0, &s), STG_E_INVALIDNAME);
    EXPECT_EQ(storage->CreateStream(L"a!b", kCreateMode, 0, 0, &s), STG_E_INVALIDNAME);
    EXPECT_EQ(storage->CreateStream(std::wstring(32, L'n').c_str(), kCreateMode, 0, 0, &s), STG_E_INVALIDNAME);
    WriteStream(storage.Get(), std::wstring(31, L'n').c_str(), {1});
    EXPECT_EQ(storage->CreateStream(L"Contents", kCreateMode, 0, 0, nullptr), STG_E_INVALIDPOINTER);
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
    IStream* again = nullptr;
    EXPECT_EQ(storage->OpenStream(L"Gone", nullptr, kOpenMode, 0, &again), STG_E_FILENOTFOUND);
}

class StorageFile : public ::testing::Test {
protected:
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_folder.Path()))
            names.push_back(e.path().filename().string());
        return names;
    }
    TempFolder m_folder;
    std::string m_path = m_folder.File("effect.stg");
};

TEST_F(StorageFile, RoundTripsNamedStreamsThroughTheFile) {
    {
        ComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                        storage.ReleaseAndGetAddressOf()),
                  S_OK);
        WriteStream(storage.Get(), L"Contents", {0x10, 0x20, 0x30, 0x40, 0, 0, 0x80, 0x3F});
        WriteStream(storage.Get(), L"Empty", {});
        ASSERT_EQ(storage->Commit(0), S_OK);
    }
    auto image = ReadBytes(m_path);
    ASSERT_GE(image.size(), 8u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 8), "QSTORAGE");

    ComPtr<IStorage> storage;
    ASSERT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READ | STGM_SHARE_EXCLUSIVE, storage.ReleaseAndGetAddressOf()),
              S_OK);
    EXPECT_EQ(ReadStream(storage.Get(), L"Contents"), std::vector<uint8_t>({0x10, 0x20, 0x30, 0x40, 0, 0, 0x80, 0x3F}));
    EXPECT_TRUE(ReadStream(storage.Get(), L"Empty").empty());
    // Only the storage file is left: the temporary file of the atomic save is gone.
    EXPECT_EQ(FolderEntries(), std::vector<std::string>({"effect.stg"}));
}

TEST_F(StorageFile, SavesWhenTheLastReferenceGoesEvenIfAStreamOutlivesTheStorage) {
    IStream* late = nullptr;
    {
        ComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READWRITE,
                                        storage.ReleaseAndGetAddressOf()),
                  S_OK);
        WriteStream(storage.Get(), L"Contents", {1, 2});
        ASSERT_EQ(storage->CreateStream(L"Late", kCreateMode, 0, 0, &late), S_OK);
    }
    ASSERT_EQ(late->Write("xyz", 3, nullptr), S_OK);
    late->Release();  // the storage's last reference: saved now

    ComPtr<IStorage> storage;
    ASSERT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READ, storage.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(ReadStream(storage.Get(), L"Contents"), std::vector<uint8_t>({1, 2}));
    EXPECT_EQ(ReadStream(storage.Get(), L"Late"), std::vector<uint8_t>({'x', 'y', 'z'}));
}

TEST_F(StorageFile, CreatingOverAnExistingFileNeedsStgmCreate) {
    WriteBytes(m_path, {'k', 'e', 'e', 'p'});
    IStorage* storage = nullptr;
    EXPECT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_READWRITE, &storage), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(storage, nullptr);
    EXPECT_EQ(ReadBytes(m_path), std::vector<uint8_t>({'k', 'e', 'e', 'p'}));
    ASSERT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READWRITE, &storage), S_OK);
    storage->Release();
    ASSERT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READ, &storage), S_OK);
    IStream* s = nullptr;
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, kOpenMode, 0, &s), STG_E_FILENOTFOUND);
    storage->Release();

    EXPECT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READ, &storage), STG_E_INVALIDFLAG);
    EXPECT_EQ(StgCreateStorageFileA(m_folder.File("no/folder.stg").c_str(), STGM_CREATE | STGM_WRITE, &storage),
              STG_E_PATHNOTFOUND);
}

TEST_F(StorageFile, RefusesMissingAndCorruptFiles) {
    IStorage* storage = reinterpret_cast<IStorage*>(0x1);
    EXPECT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READ, &storage), STG_E_FILENOTFOUND);
    EXPECT_EQ(storage, nullptr);
    EXPECT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READWRITE, &storage), STG_E_INVALIDFLAG);

    {
        ComPtr<IStorage> good;
        ASSERT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READWRITE, good.ReleaseAndGetAddressOf()),
                  S_OK);
        WriteStream(good.Get(), L"Contents", {1, 2, 3, 4, 5, 6, 7, 8});
    }
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
    // The good file still opens.
    ComPtr<IStorage> good;
    ASSERT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READ, good.ReleaseAndGetAddressOf()), S_OK);
}

TEST_F(StorageFile, ReadOnlyStorageNeverChangesTheFile) {
    {
        ComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READWRITE,
                                        storage.ReleaseAndGetAddressOf()),
                  S_OK);
        WriteStream(storage.Get(), L"Contents", {1});
    }
    const auto before = ReadBytes(m_path);
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READ, storage.ReleaseAndGetAddressOf()), S_OK);
    IStream* s = nullptr;
    EXPECT_EQ(storage->CreateStream(L"New", kCreateMode, 0, 0, &s), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, 0x12, 0, &s), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->DestroyElement(L"Contents"), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->Commit(0), S_OK);
    storage.Reset();
    EXPECT_EQ(ReadBytes(m_path), before);
}

TEST_F(StorageFile, EditsAnExistingFileInPlace) {
    {
        ComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READWRITE,
                                        storage.ReleaseAndGetAddressOf()),
                  S_OK);
        WriteStream(storage.Get(), L"A", {1});
        WriteStream(storage.Get(), L"B", {2});
    }
    {
        ComPtr<IStorage> storage;
        ASSERT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READWRITE, storage.ReleaseAndGetAddressOf()), S_OK);
        ASSERT_EQ(storage->DestroyElement(L"a"), S_OK);
        ComPtr<IStream> b;
        ASSERT_EQ(storage->OpenStream(L"B", nullptr, 0x12, 0, b.ReleaseAndGetAddressOf()), S_OK);
        LARGE_INTEGER end;
        end.QuadPart = 0;
        ASSERT_EQ(b->Seek(end, STREAM_SEEK_END, nullptr), S_OK);
        ASSERT_EQ(b->Write("\x03", 1, nullptr), S_OK);
    }
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READ, storage.ReleaseAndGetAddressOf()), S_OK);
    IStream* s = nullptr;
    EXPECT_EQ(storage->OpenStream(L"A", nullptr, kOpenMode, 0, &s), STG_E_FILENOTFOUND);
    EXPECT_EQ(ReadStream(storage.Get(), L"B"), std::vector<uint8_t>({2, 3}));
}

TEST_F(StorageFile, AFailedSaveOnReleaseIsReportedOnTheDebugChannel) {
    std::string debugFile = m_folder.File("debug.txt");
    runtimetest::ScopedEnv debug("QUILLET_DEBUG_OUTPUT", debugFile);
    std::string sub = m_folder.File("sub");
    std::filesystem::create_directory(sub);
    std::string path = sub + "/vanishing.stg";
    IStorage* storage = nullptr;
    ASSERT_EQ(StgCreateStorageFileA(path.c_str(), STGM_CREATE | STGM_READWRITE, &storage), S_OK);
    WriteStream(storage, L"Contents", {1});
    std::filesystem::remove_all(sub);
    EXPECT_EQ(storage->Commit(0), STG_E_PATHNOTFOUND);
    storage->Release();
    EXPECT_NE(runtimetest::ReadText(debugFile).find(path), std::string::npos);
}

TEST_F(StorageFile, StreamsWrittenOnSeveralThreadsAllReachTheFile) {
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateStorageFileA(m_path.c_str(), STGM_CREATE | STGM_READWRITE, storage.ReleaseAndGetAddressOf()),
              S_OK);
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
    ASSERT_EQ(StgOpenStorageFileA(m_path.c_str(), STGM_READ, storage.ReleaseAndGetAddressOf()), S_OK);
    for (int t = 0; t < 4; ++t) {
        std::wstring name = L"S" + std::to_wstring(t);
        EXPECT_EQ(ReadStream(storage.Get(), name.c_str()), std::vector<uint8_t>(200, static_cast<uint8_t>(t)));
    }
}

}  // namespace
