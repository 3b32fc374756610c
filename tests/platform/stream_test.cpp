// Memory and file streams: what they return for short reads, failing opens, seeks and
// writes where they are not allowed, and the bytes that really reach the file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#include <vector>

#include "platform/com/objidl.h"
#include "tests/platform/storage_test_files.h"

namespace {

using runtimetest::ReadBytes;
using runtimetest::TempFolder;
using runtimetest::WriteBytes;

LARGE_INTEGER Move(int64_t v) {
    LARGE_INTEGER m;
    m.QuadPart = v;
    return m;
}

uint64_t Position(IStream* s) {
    ULARGE_INTEGER p{};
    EXPECT_EQ(s->Seek(Move(0), STREAM_SEEK_CUR, &p), S_OK);
    return p.QuadPart;
}

uint64_t Size(IStream* s) {
    STATSTG stat{};
    EXPECT_EQ(s->Stat(&stat, 0), S_OK);
    return stat.cbSize.QuadPart;
}

ComPtr<IStream> NewMemoryStream() {
    ComPtr<IStream> s;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, s.ReleaseAndGetAddressOf()), S_OK);
    return s;
}

TEST(MemoryStream, ReadsBackWhatWasWrittenAndReportsShortReadsAsSuccess) {
    auto s = NewMemoryStream();
    const char text[] = "0123456789";
    ULONG written = 0;
    ASSERT_EQ(s->Write(text, 10, &written), S_OK);
    EXPECT_EQ(written, 10u);
    EXPECT_EQ(Size(s.Get()), 10u);

    ASSERT_EQ(s->Seek(Move(4), STREAM_SEEK_SET, nullptr), S_OK);
    char buffer[16] = {};
    ULONG read = 99;
    // Fewer bytes than asked: success with the short count (memory streams never say S_FALSE).
    EXPECT_EQ(s->Read(buffer, 16, &read), S_OK);
    EXPECT_EQ(read, 6u);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(s->Read(buffer, 4, &read), S_OK);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(s->Read(buffer, 0, nullptr), S_OK);
}

TEST(MemoryStream, GrowsOverAGapWithZerosAndResizes) {
    auto s = NewMemoryStream();
    ASSERT_EQ(s->Seek(Move(5), STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(Size(s.Get()), 0u);  // a seek alone does not grow it
    ASSERT_EQ(s->Write("ab", 2, nullptr), S_OK);
    EXPECT_EQ(Size(s.Get()), 7u);
    ASSERT_EQ(s->Seek(Move(0), STREAM_SEEK_SET, nullptr), S_OK);
    char buffer[7];
    ULONG read = 0;
    ASSERT_EQ(s->Read(buffer, 7, &read), S_OK);
    EXPECT_EQ(std::memcmp(buffer, "\0\0\0\0\0ab", 7), 0);

    ULARGE_INTEGER size{};
    size.QuadPart = 3;
    ASSERT_EQ(s->SetSize(size), S_OK);
    EXPECT_EQ(Size(s.Get()), 3u);
    EXPECT_EQ(Position(s.Get()), 7u);  // SetSize leaves the position alone
    ULARGE_INTEGER at{};
    ASSERT_EQ(s->Seek(Move(-1), STREAM_SEEK_END, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 2u);
}

TEST(MemoryStream, RefusesBadSeeksAndPointersWithoutMoving) {
    auto s = NewMemoryStream();
    ASSERT_EQ(s->Write("abc", 3, nullptr), S_OK);
    EXPECT_EQ(s->Seek(Move(-4), STREAM_SEEK_CUR, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(s->Seek(Move(0), 7, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(s->Seek(Move(INT64_MAX), STREAM_SEEK_END, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(Position(s.Get()), 3u);
    ULONG n = 5;
    EXPECT_EQ(s->Read(nullptr, 1, &n), STG_E_INVALIDPOINTER);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(s->Write(nullptr, 1, nullptr), STG_E_INVALIDPOINTER);
    EXPECT_EQ(s->Stat(nullptr, 0), STG_E_INVALIDPOINTER);
    // Beyond what the stream can address.
    ASSERT_EQ(s->Seek(Move(0xFFFFFFFFll), STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(s->Write("x", 1, nullptr), STG_E_MEDIUMFULL);
    EXPECT_EQ(Size(s.Get()), 3u);
}

TEST(MemoryStream, AnswersItsInterfacesAndRefusesAForeignMemoryHandle) {
    auto s = NewMemoryStream();
    ComPtr<ISequentialStream> sequential;
    EXPECT_EQ(s.As(&sequential), S_OK);
    ComPtr<IStorage> storage;
    EXPECT_EQ(s.As(&storage), E_NOINTERFACE);
    IStream* other = nullptr;
    int notAHandle = 0;
    EXPECT_EQ(CreateStreamOnHGlobal(&notAHandle, TRUE, &other), E_INVALIDARG);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, nullptr), E_INVALIDARG);
}

TEST(MemoryStream, WritersOnSeveralThreadsNeverTearARecord) {
    auto s = NewMemoryStream();
    constexpr int kThreads = 4, kRecords = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            uint8_t record[16];
            std::memset(record, 'A' + t, sizeof record);
            for (int i = 0; i < kRecords; ++i) s->Write(record, sizeof record, nullptr);
        });
    }
    for (auto& t : threads) t.join();
    ASSERT_EQ(Size(s.Get()), uint64_t(kThreads) * kRecords * 16);
    ASSERT_EQ(s->Seek(Move(0), STREAM_SEEK_SET, nullptr), S_OK);
    for (int i = 0; i < kThreads * kRecords; ++i) {
        uint8_t record[16];
        ULONG read = 0;
        ASSERT_EQ(s->Read(record, sizeof record, &read), S_OK);
        ASSERT_EQ(read, 16u);
        for (uint8_t b : record) ASSERT_EQ(b, record[0]);
    }
}

class FileStream : public ::testing::Test {
protected:
    TempFolder m_folder;
};

TEST_F(FileStream, WritesTheFileAndReadsItBackWithShortReadsAsSFalse) {
    std::string path = m_folder.File("data.bin");
    {
        ComPtr<IStream> s;
        ASSERT_EQ(SHCreateStreamOnFileA(path.c_str(), STGM_CREATE | STGM_WRITE, s.ReleaseAndGetAddressOf()), S_OK);
        ULONG written = 0;
        ASSERT_EQ(s->Write("hello, file", 11, &written), S_OK);
        EXPECT_EQ(written, 11u);
        EXPECT_EQ(s->Commit(0), S_OK);
    }
    EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>({'h', 'e', 'l', 'l', 'o', ',', ' ', 'f', 'i', 'l', 'e'}));

    ComPtr<IStream> s;
    ASSERT_EQ(SHCreateStreamOnFileA(path.c_str(), STGM_READ, s.ReleaseAndGetAddressOf()), S_OK);
    char buffer[8];
    ULONG read = 0;
    EXPECT_EQ(s->Read(buffer, 5, &read), S_OK);
    EXPECT_EQ(read, 5u);
    EXPECT_EQ(s->Read(buffer, 8, &read), S_FALSE);
    EXPECT_EQ(read, 6u);
    EXPECT_EQ(std::string(buffer, 6), ", file");
    EXPECT_EQ(s->Read(buffer, 8, &read), S_FALSE);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(Size(s.Get()), 11u);
}

TEST_F(FileStream, ReadOnlyStreamRefusesChanges) {
    std::string path = m_folder.File("ro.bin");
    WriteBytes(path, {1, 2, 3});
    ComPtr<IStream> s;
    ASSERT_EQ(SHCreateStreamOnFileA(path.c_str(), STGM_READ, s.ReleaseAndGetAddressOf()), S_OK);
    ULONG written = 7;
    EXPECT_EQ(s->Write("x", 1, &written), STG_E_ACCESSDENIED);
    EXPECT_EQ(written, 0u);
    ULARGE_INTEGER size{};
    EXPECT_EQ(s->SetSize(size), STG_E_ACCESSDENIED);
    EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>({1, 2, 3}));
}

TEST_F(FileStream, OpensExistingFilesWithoutTruncatingUnlessAskedTo) {
    std::string path = m_folder.File("keep.bin");
    WriteBytes(path, {1, 2, 3, 4});
    {
        ComPtr<IStream> s;
        ASSERT_EQ(SHCreateStreamOnFileA(path.c_str(), STGM_READWRITE, s.ReleaseAndGetAddressOf()), S_OK);
        ASSERT_EQ(s->Seek(Move(1), STREAM_SEEK_SET, nullptr), S_OK);
        ASSERT_EQ(s->Write("\x09", 1, nullptr), S_OK);
        // Past the end: the gap reads as zeros.
        ASSERT_EQ(s->Seek(Move(2), STREAM_SEEK_END, nullptr), S_OK);
        ASSERT_EQ(s->Write("\x07", 1, nullptr), S_OK);
    }
    EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>({1, 9, 3, 4, 0, 0, 7}));
    {
        ComPtr<IStream> s;
        ASSERT_EQ(SHCreateStreamOnFileA(path.c_str(), STGM_READWRITE, s.ReleaseAndGetAddressOf()), S_OK);
        ULARGE_INTEGER size{};
        size.QuadPart = 2;
        ASSERT_EQ(s->SetSize(size), S_OK);
    }
    EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>({1, 9}));
    {
        ComPtr<IStream> s;
        ASSERT_EQ(SHCreateStreamOnFileA(path.c_str(), STGM_CREATE | STGM_READWRITE, s.ReleaseAndGetAddressOf()),
                  S_OK);
        EXPECT_EQ(Size(s.Get()), 0u);
    }
    EXPECT_TRUE(ReadBytes(path).empty());
}

TEST_F(FileStream, FailingOpensSayWhy) {
    IStream* s = reinterpret_cast<IStream*>(0x1);
    EXPECT_EQ(SHCreateStreamOnFileA(m_folder.File("missing.bin").c_str(), STGM_READ, &s), STG_E_FILENOTFOUND);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(SHCreateStreamOnFileA(m_folder.File("missing.bin").c_str(), STGM_WRITE, &s), STG_E_FILENOTFOUND);
    EXPECT_EQ(SHCreateStreamOnFileA(m_folder.File("no/such/folder.bin").c_str(), STGM_CREATE | STGM_WRITE, &s),
              STG_E_PATHNOTFOUND);
    EXPECT_EQ(SHCreateStreamOnFileA(m_folder.Path().c_str(), STGM_READ, &s), STG_E_ACCESSDENIED);
    EXPECT_EQ(SHCreateStreamOnFileA(m_folder.File("x").c_str(), STGM_READWRITE | STGM_WRITE, &s), STG_E_INVALIDFLAG);
    EXPECT_EQ(SHCreateStreamOnFileA(m_folder.File("x").c_str(), STGM_CREATE | STGM_READ, &s), STG_E_INVALIDFLAG);
    EXPECT_EQ(SHCreateStreamOnFileA(m_folder.File("x").c_str(), 0x04000000 | STGM_WRITE, &s), STG_E_INVALIDFLAG);
    EXPECT_EQ(SHCreateStreamOnFileA(nullptr, STGM_READ, &s), STG_E_INVALIDPOINTER);
    EXPECT_EQ(SHCreateStreamOnFileA("", STGM_READ, &s), STG_E_INVALIDNAME);
    EXPECT_EQ(s, nullptr);
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("x")));

    if (::geteuid() != 0) {  // permissions do not bind the superuser
        std::string locked = m_folder.File("locked.bin");
        WriteBytes(locked, {1});
        ::chmod(locked.c_str(), 0400);
        EXPECT_EQ(SHCreateStreamOnFileA(locked.c_str(), STGM_WRITE, &s), STG_E_ACCESSDENIED);
    }
}

TEST_F(FileStream, ReportsAFullDeviceAsMediumFull) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ComPtr<IStream> s;
    ASSERT_EQ(SHCreateStreamOnFileA("/dev/full", STGM_WRITE, s.ReleaseAndGetAddressOf()), S_OK);
    ULONG written = 9;
    EXPECT_EQ(s->Write("abc", 3, &written), STG_E_MEDIUMFULL);
    EXPECT_EQ(written, 0u);
}

}  // namespace
