// Streams and storages as effects and hosts use them to save and load records: what
// they answer for short reads, seeks and refusals, and the bytes that reach the file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/com/objidl.h"
#include "tests/support/environment.h"

namespace {

using namespace testsupport;
using Bytes = std::vector<uint8_t>;

constexpr DWORD kCreateMode = 0x1012;  // create, read/write, exclusive: how records are saved
constexpr DWORD kOpenMode = 0x10;      // read, exclusive: how they are loaded

HRESULT Seek(IStream* s, int64_t move, DWORD origin, uint64_t* at = nullptr) {
    LARGE_INTEGER m;
    m.QuadPart = move;
    ULARGE_INTEGER p{};
    HRESULT hr = s->Seek(m, origin, &p);
    if (at) *at = p.QuadPart;
    return hr;
}

// Reads up to `want` bytes; the result code and what arrived.
std::pair<HRESULT, std::string> Read(IStream* s, ULONG want) {
    std::string buffer(want, '\0');
    ULONG read = 99;
    HRESULT hr = s->Read(buffer.data(), want, &read);
    buffer.resize(read);
    return {hr, buffer};
}

TEST(MemoryStream, GrowsOverGapsReadsShortAsSuccessAndRefusesBadSeeks) {
    ComPtr<IStream> s;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, s.ReleaseAndGetAddressOf()), S_OK);
    uint64_t at = 9;
    ASSERT_EQ(Seek(s.Get(), 5, STREAM_SEEK_SET), S_OK);
    EXPECT_EQ(Seek(s.Get(), 0, STREAM_SEEK_END, &at), S_OK);
    EXPECT_EQ(at, 0u);  // a seek alone does not grow it
    ULONG written = 0;
    ASSERT_EQ(Seek(s.Get(), 5, STREAM_SEEK_SET), S_OK);
    ASSERT_EQ(s->Write("ab", 2, &written), S_OK);
    EXPECT_EQ(written, 2u);
    ASSERT_EQ(Seek(s.Get(), -4, STREAM_SEEK_END, &at), S_OK);
    EXPECT_EQ(at, 3u);
    // Refused seeks leave the position where it was.
    for (auto [move, origin] : {std::pair<int64_t, DWORD>{-8, STREAM_SEEK_END}, {0, 7}, {INT64_MAX, STREAM_SEEK_END}})
        EXPECT_EQ(Seek(s.Get(), move, origin), STG_E_INVALIDFUNCTION) << move;
    // Fewer bytes than asked: success with the short count (memory streams never say S_FALSE).
    EXPECT_EQ(Read(s.Get(), 16), std::make_pair(S_OK, std::string("\0\0ab", 4)));
    EXPECT_EQ(Read(s.Get(), 4), std::make_pair(S_OK, std::string()));
}

// The command line saves a state through a file stream it creates; it reads files itself.
TEST(FileStream, WritesTheFileAndSaysWhyAWriteFails) {
    TempFolder folder;
    const std::string path = folder.File("data.bin");
    WriteBytes(path, Bytes(20, 'x'));  // STGM_CREATE truncates what was there
    {
        ComPtr<IStream> s;
        ASSERT_EQ(SHCreateStreamOnFileA(path.c_str(), STGM_CREATE | STGM_WRITE, s.ReleaseAndGetAddressOf()), S_OK);
        ASSERT_EQ(s->Write("hello, file", 11, nullptr), S_OK);
        EXPECT_EQ(s->Commit(0), S_OK);
    }
    EXPECT_EQ(ReadText(path), "hello, file");
    IStream* refused = reinterpret_cast<IStream*>(0x1);
    EXPECT_EQ(SHCreateStreamOnFileA("/nonexistent/folder.bin", STGM_CREATE | STGM_WRITE, &refused), STG_E_PATHNOTFOUND);
    EXPECT_EQ(refused, nullptr);
    if (std::filesystem::exists("/dev/full")) {
        ComPtr<IStream> s;
        ASSERT_EQ(SHCreateStreamOnFileA("/dev/full", STGM_WRITE, s.ReleaseAndGetAddressOf()), S_OK);
        ULONG written = 9;
        EXPECT_EQ(s->Write("abc", 3, &written), STG_E_MEDIUMFULL);
        EXPECT_EQ(written, 0u);
    }
}

HRESULT WriteStream(IStorage* storage, const wchar_t* name, const Bytes& bytes) {
    ComPtr<IStream> s;
    HRESULT hr = storage->CreateStream(name, kCreateMode, 0, 0, s.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) hr = s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    return hr;
}

Bytes ReadStream(IStorage* storage, const wchar_t* name) {
    ComPtr<IStream> s;
    if (FAILED(storage->OpenStream(name, nullptr, kOpenMode, 0, s.ReleaseAndGetAddressOf()))) return {'?'};
    const std::string text = Read(s.Get(), 4096).second;
    return Bytes(text.begin(), text.end());
}

// Only the effects' save and load use storages, with one name and fixed modes: a second
// save replaces the stream, and a storage file cut short is refused whole.
TEST(Storage, ReplacesTheNamedStreamAndRefusesAFileCutShort) {
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateMemoryStorage(storage.ReleaseAndGetAddressOf()), S_OK);
    IStream* s = reinterpret_cast<IStream*>(0x1);
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, kOpenMode, 0, &s), STG_E_FILENOTFOUND);
    EXPECT_EQ(s, nullptr);
    ASSERT_EQ(WriteStream(storage.Get(), L"Contents", {9, 9, 9}), S_OK);
    ASSERT_EQ(WriteStream(storage.Get(), L"Contents", {1, 2, 3, 4}), S_OK);
    EXPECT_EQ(ReadStream(storage.Get(), L"Contents"), Bytes({1, 2, 3, 4}));

    TempFolder folder;
    const std::string path = folder.File("effect.stg");
    ASSERT_EQ(StgCreateStorageFileA(path.c_str(), kCreateMode, storage.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(WriteStream(storage.Get(), L"Contents", {1, 2, 3, 4}), S_OK);
    storage.Reset();
    const Bytes whole = ReadBytes(path);
    for (size_t length : {whole.size(), whole.size() - 1, whole.size() / 2}) {
        WriteBytes(path, Bytes(whole.begin(), whole.begin() + ptrdiff_t(length)));
        EXPECT_EQ(StgOpenStorageFileA(path.c_str(), kOpenMode, storage.ReleaseAndGetAddressOf()),
                  length == whole.size() ? S_OK : STG_E_INVALIDHEADER) << length;
    }
}

}  // namespace
