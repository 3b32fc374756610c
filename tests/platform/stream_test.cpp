// Memory and file streams: what they return for short reads, failing opens, seeks and
// writes where they are not allowed, and the bytes that really reach the file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(MemoryStream, ReadsBackGrowsOverGapsAndReportsShortReadsAsSuccess) {
    auto s = NewMemoryStream();
    ASSERT_EQ(s->Seek(Move(5), STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(Size(s.Get()), 0u);  // a seek alone does not grow it
    ULONG written = 0;
    ASSERT_EQ(s->Write("ab", 2, &written), S_OK);
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(Size(s.Get()), 7u);
    ASSERT_EQ(s->Seek(Move(3), STREAM_SEEK_SET, nullptr), S_OK);
    char buffer[16] = {};
    ULONG read = 99;
    // Fewer bytes than asked: success with the short count (memory streams never say S_FALSE).
    EXPECT_EQ(s->Read(buffer, 16, &read), S_OK);
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(std::memcmp(buffer, "\0\0ab", 4), 0);
    EXPECT_EQ(s->Read(buffer, 4, &read), S_OK);
    EXPECT_EQ(read, 0u);

    ULARGE_INTEGER size{};
    size.QuadPart = 3;
    ASSERT_EQ(s->SetSize(size), S_OK);
    EXPECT_EQ(Size(s.Get()), 3u);
    EXPECT_EQ(Position(s.Get()), 7u);  // SetSize leaves the position alone
    ULARGE_INTEGER at{};
    ASSERT_EQ(s->Seek(Move(-1), STREAM_SEEK_END, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 2u);
}

TEST(MemoryStream, RefusesBadSeeksPointersAndHandlesWithoutMoving) {
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
    WriteBytes(path, std::vector<uint8_t>(20, 'x'));  // STGM_CREATE truncates what was there
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

TEST_F(FileStream, OpensExistingFilesWithoutTruncatingUnlessAskedToAndReadOnlyRefusesChanges) {
    std::string path = m_folder.File("keep.bin");
    WriteBytes(path, {1, 2, 3, 4});
    {
        ComPtr<IStream> s;
        ASSERT_EQ(SHCreateStreamOnFileA(path.c_str(), STGM_READ, s.ReleaseAndGetAddressOf()), S_OK);
        ULONG written = 7;
        EXPECT_EQ(s->Write("x", 1, &written), STG_E_ACCESSDENIED);
        EXPECT_EQ(written, 0u);
        ULARGE_INTEGER size{};
        EXPECT_EQ(s->SetSize(size), STG_E_ACCESSDENIED);
    }
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
}

TEST_F(FileStream, FailingOpensSayWhy) {
    const std::string missing = m_folder.File("missing.bin"), x = m_folder.File("x");
    const struct {
        const char* path;
        DWORD mode;
        HRESULT expected;
    } cases[] = {{missing.c_str(), STGM_READ, STG_E_FILENOTFOUND},
                 {missing.c_str(), STGM_WRITE, STG_E_FILENOTFOUND},
                 {m_folder.Path().c_str(), STGM_READ, STG_E_ACCESSDENIED},
                 {x.c_str(), STGM_READWRITE | STGM_WRITE, STG_E_INVALIDFLAG},
                 {x.c_str(), STGM_CREATE | STGM_READ, STG_E_INVALIDFLAG},
                 {x.c_str(), 0x04000000 | STGM_WRITE, STG_E_INVALIDFLAG},
                 {nullptr, STGM_READ, STG_E_INVALIDPOINTER},
                 {"", STGM_READ, STG_E_INVALIDNAME}};
    for (const auto& c : cases) {
        IStream* s = reinterpret_cast<IStream*>(0x1);
        EXPECT_EQ(SHCreateStreamOnFileA(c.path, c.mode, &s), c.expected) << (c.path ? c.path : "null");
        EXPECT_EQ(s, nullptr);
    }
    IStream* s = nullptr;
    EXPECT_EQ(SHCreateStreamOnFileA(m_folder.File("no/such/folder.bin").c_str(), STGM_CREATE | STGM_WRITE, &s),
              STG_E_PATHNOTFOUND);
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
