// In-memory surfaces: geometry, locks of sub-regions, conversion through UnpackRect /
// PackRect, negative pitch, zero sizes, generation ids and locks held from several threads.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "host/sampleconvert.h"
#include "host/surface.h"

namespace {

DXBNDS Rect(LONG l, LONG t, LONG r, LONG b) {
    DXBNDS bnds{};
    bnds.eType = DXBT_DISCRETE;
    bnds.u.D[DXB_X] = {l, r};
    bnds.u.D[DXB_Y] = {t, b};
    bnds.u.D[DXB_Z] = {0, 1};
    bnds.u.D[DXB_T] = {0, 1};
    return bnds;
}

ComPtr<IDXSurface> MakeSurface(LONG w, LONG h, DXSAMPLEFORMATENUM format) {
    ComPtr<IDXSurface> s;
    EXPECT_EQ(CreateMemorySurface(w, h, format, s.ReleaseAndGetAddressOf()), S_OK);
    return s;
}

DXSAMPLE* SampleAt(IDXSurface* s, LONG x, LONG y) {
    BYTE* first = nullptr;
    LONG pitch = 0;
    EXPECT_EQ(GetSurfaceMemory(s, &first, &pitch), S_OK);
    return reinterpret_cast<DXSAMPLE*>(first + ptrdiff_t(y) * pitch) + x;
}

ComPtr<IDXARGBReadWritePtr> LockForWrite(IDXSurface* s, const DXBNDS* b) {
    ComPtr<IDXARGBReadWritePtr> p;
    EXPECT_EQ(s->LockSurface(b, 0, DXLOCKF_READWRITE, IID_IDXARGBReadWritePtr, p.ReleaseAndGetVoidAddress(), nullptr),
              S_OK);
    return p;
}

ComPtr<IDXARGBReadPtr> LockForRead(IDXSurface* s, const DXBNDS* b) {
    ComPtr<IDXARGBReadPtr> p;
    EXPECT_EQ(s->LockSurface(b, 0, DXLOCKF_READ, IID_IDXARGBReadPtr, p.ReleaseAndGetVoidAddress(), nullptr), S_OK);
    return p;
}

}  // namespace

TEST(HostSurface, ReportsFormatBoundsAndZeroedMemory) {
    auto s = MakeSurface(5, 3, DXPF_ARGB32);
    GUID id{};
    DXSAMPLEFORMATENUM format{};
    ASSERT_EQ(s->GetPixelFormat(&id, &format), S_OK);
    EXPECT_EQ(id, DDPF_ARGB32);
    EXPECT_EQ(format, DXPF_ARGB32);
    DXBNDS b{};
    ASSERT_EQ(s->GetBounds(&b), S_OK);
    EXPECT_EQ(b.eType, DXBT_DISCRETE);
    EXPECT_EQ(b.u.D[DXB_X].Max, 5);
    EXPECT_EQ(b.u.D[DXB_Y].Max, 3);
    EXPECT_EQ(b.u.D[DXB_Z].Max, 1);
    EXPECT_EQ(b.u.D[DXB_T].Max, 1);
    BYTE* first = nullptr;
    LONG pitch = 0;
    ASSERT_EQ(GetSurfaceMemory(s.Get(), &first, &pitch), S_OK);
    EXPECT_EQ(pitch, 20);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 32, 0u);
    for (int i = 0; i < 60; ++i) EXPECT_EQ(first[i], 0);

    auto pm = MakeSurface(1, 1, DXPF_PMARGB32);
    ASSERT_EQ(pm->GetPixelFormat(&id, &format), S_OK);
    EXPECT_EQ(id, DDPF_PMARGB32);
    EXPECT_EQ(format, DXPF_PMARGB32);
}

TEST(HostSurface, CreationRefusesBadArguments) {
    ComPtr<IDXSurface> s;
    EXPECT_EQ(CreateMemorySurface(-1, 4, DXPF_ARGB32, s.ReleaseAndGetAddressOf()), E_INVALIDARG);
    EXPECT_EQ(CreateMemorySurface(4, 4, DXPF_NONSTANDARD, s.ReleaseAndGetAddressOf()), E_INVALIDARG);
    EXPECT_EQ(CreateMemorySurface(4, 4, DXPF_ARGB32, nullptr), E_POINTER);
    EXPECT_EQ(CreateMemorySurface(0x7FFFFFFF, 0x7FFFFFFF, DXPF_ARGB32, s.ReleaseAndGetAddressOf()), E_OUTOFMEMORY);
    BYTE buffer[64];
    EXPECT_EQ(CreateSurfaceOnMemory(buffer, 4, 2, 12, DXPF_ARGB32, s.ReleaseAndGetAddressOf()), E_INVALIDARG);
    EXPECT_EQ(CreateSurfaceOnMemory(nullptr, 4, 2, 16, DXPF_ARGB32, s.ReleaseAndGetAddressOf()), E_INVALIDARG);
    BYTE* first = nullptr;
    LONG pitch = 0;
    EXPECT_EQ(GetSurfaceMemory(nullptr, &first, &pitch), E_INVALIDARG);
}

TEST(HostSurface, LockChecksBoundsFlagsAndInterface) {
    auto s = MakeSurface(8, 8, DXPF_PMARGB32);
    ComPtr<IUnknown> p;
    DXBNDS outside = Rect(4, 4, 9, 8);
    EXPECT_EQ(s->LockSurface(&outside, 0, DXLOCKF_READ, IID_IDXARGBReadPtr, p.ReleaseAndGetVoidAddress(), nullptr),
              E_INVALIDARG);
    DXBNDS negative = Rect(-1, 0, 2, 2);
    EXPECT_EQ(s->LockSurface(&negative, 0, DXLOCKF_READ, IID_IDXARGBReadPtr, p.ReleaseAndGetVoidAddress(), nullptr),
              E_INVALIDARG);
    DXBNDS reversed = Rect(3, 0, 2, 2);
    EXPECT_EQ(s->LockSurface(&reversed, 0, DXLOCKF_READ, IID_IDXARGBReadPtr, p.ReleaseAndGetVoidAddress(), nullptr),
              E_INVALIDARG);
    EXPECT_EQ(s->LockSurface(nullptr, 0, DXLOCKF_READ, IID_IDXARGBReadWritePtr, p.ReleaseAndGetVoidAddress(), nullptr),
              E_INVALIDARG);
    EXPECT_EQ(s->LockSurface(nullptr, 0, 0x10, IID_IDXARGBReadPtr, p.ReleaseAndGetVoidAddress(), nullptr),
              E_INVALIDARG);
    EXPECT_EQ(s->LockSurface(nullptr, 0, DXLOCKF_READ, IID_IDXSurface, p.ReleaseAndGetVoidAddress(), nullptr),
              E_NOINTERFACE);
    // A read lock does not hand out write access.
    auto read = LockForRead(s.Get(), nullptr);
    ComPtr<IDXARGBReadWritePtr> rw;
    EXPECT_EQ(read->QueryInterface(IID_IDXARGBReadWritePtr, rw.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
    ComPtr<IDXSurface> back;
    ASSERT_EQ(read->GetSurface(IID_IDXSurface, back.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(back.Get(), s.Get());
}

TEST(HostSurface, SubRegionLockGivesItsFirstByteAndConverts) {
    auto s = MakeSurface(4, 3, DXPF_ARGB32);  // straight samples
    for (LONG y = 0; y < 3; ++y)
        for (LONG x = 0; x < 4; ++x) *SampleAt(s.Get(), x, y) = DXSAMPLE{BYTE(10 * x), BYTE(100 + y), 200, BYTE(64 * x + 3)};

    DXBNDS region = Rect(1, 1, 3, 3);
    auto lock = LockForWrite(s.Get(), &region);
    DXNATIVETYPEINFO info{};
    EXPECT_EQ(lock->GetNativeType(&info), DXPF_ARGB32);
    EXPECT_EQ(info.pFirstByte, reinterpret_cast<BYTE*>(SampleAt(s.Get(), 1, 1)));
    EXPECT_EQ(info.lPitch, 16);

    // Unpack the 2x2 region premultiplied, with one sample of row padding.
    DXSAMPLE buffer[6] = {};
    DXPACKEDRECTDESC desc{buffer, TRUE, RECT{0, 0, 2, 2}, 1};
    lock->UnpackRect(&desc);
    for (LONG y = 0; y < 2; ++y)
        for (LONG x = 0; x < 2; ++x) {
            DXSAMPLE expected = PremultiplySample(*SampleAt(s.Get(), 1 + x, 1 + y));
            DXSAMPLE got = buffer[y * 3 + x];
            EXPECT_EQ(std::memcmp(&got, &expected, 4), 0) << x << "," << y;
        }
    EXPECT_EQ(buffer[2].Alpha, 0);  // padding untouched

    // Pack premultiplied samples back: the straight surface receives them unpremultiplied.
    DXSAMPLE one = {50, 25, 100, 128};
    DXPACKEDRECTDESC put{&one, TRUE, RECT{1, 0, 2, 1}, 0};
    lock->PackRect(&put);
    DXSAMPLE stored = *SampleAt(s.Get(), 2, 1);
    EXPECT_EQ(stored.Blue, UnpremultiplyChannel(50, 128));
    EXPECT_EQ(stored.Green, UnpremultiplyChannel(25, 128));
    EXPECT_EQ(stored.Red, UnpremultiplyChannel(100, 128));
    EXPECT_EQ(stored.Alpha, 128);

    // A rectangle reaching outside the locked region is ignored.
    DXSAMPLE before = *SampleAt(s.Get(), 3, 2);
    DXSAMPLE big[9] = {};
    DXPACKEDRECTDESC tooBig{big, FALSE, RECT{0, 0, 3, 3}, 0};
    lock->PackRect(&tooBig);
    EXPECT_EQ(std::memcmp(SampleAt(s.Get(), 3, 2), &before, 4), 0);
    EXPECT_EQ(SampleAt(s.Get(), 1, 1)->Red, 200);
}

TEST(HostSurface, SameFormatCopiesExactly) {
    auto s = MakeSurface(3, 2, DXPF_PMARGB32);
    auto lock = LockForWrite(s.Get(), nullptr);
    DXSAMPLE in[6];
    for (int i = 0; i < 6; ++i) in[i] = DXSAMPLE{BYTE(i), BYTE(i * 3), BYTE(250 - i), BYTE(40 + i)};
    DXPACKEDRECTDESC put{in, TRUE, RECT{0, 0, 3, 2}, 0};
    lock->PackRect(&put);
    DXSAMPLE out[6] = {};
    DXPACKEDRECTDESC get{out, TRUE, RECT{0, 0, 3, 2}, 0};
    lock->UnpackRect(&get);
    EXPECT_EQ(std::memcmp(in, out, sizeof in), 0);
}

TEST(HostSurface, NegativePitchAddressesRowsDownwards) {
    // Three rows stored bottom-up: the surface's top row is the buffer's last.
    alignas(16) BYTE buffer[3 * 8] = {};
    BYTE* top = buffer + 2 * 8;
    ComPtr<IDXSurface> s;
    ASSERT_EQ(CreateSurfaceOnMemory(top, 2, 3, -8, DXPF_PMARGB32, s.ReleaseAndGetAddressOf()), S_OK);
    BYTE* first = nullptr;
    LONG pitch = 0;
    ASSERT_EQ(GetSurfaceMemory(s.Get(), &first, &pitch), S_OK);
    EXPECT_EQ(first, top);
    EXPECT_EQ(pitch, -8);

    DXBNDS row1 = Rect(0, 1, 2, 2);
    auto lock = LockForWrite(s.Get(), &row1);
    DXNATIVETYPEINFO info{};
    lock->GetNativeType(&info);
    EXPECT_EQ(info.pFirstByte, buffer + 8);
    EXPECT_EQ(info.lPitch, -8);

    DXSAMPLE two[2] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    DXPACKEDRECTDESC put{two, TRUE, RECT{0, 0, 2, 1}, 0};
    lock->PackRect(&put);
    EXPECT_EQ(buffer[8], 1);
    EXPECT_EQ(buffer[15], 8);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[16], 0);

    DXBNDS all = Rect(0, 0, 2, 3);
    auto read = LockForRead(s.Get(), &all);
    DXSAMPLE rows[6] = {};
    DXPACKEDRECTDESC get{rows, TRUE, RECT{0, 0, 2, 3}, 0};
    read->UnpackRect(&get);
    EXPECT_EQ(rows[2].Blue, 1);  // surface row 1
    EXPECT_EQ(rows[3].Alpha, 8);
    EXPECT_EQ(rows[0].Blue, 0);
}

TEST(HostSurface, ZeroSizeSurfacesLockAndDescribeNothing) {
    for (auto [w, h] : {std::pair<LONG, LONG>{0, 0}, {0, 5}, {7, 0}}) {
        auto s = MakeSurface(w, h, DXPF_PMARGB32);
        ASSERT_TRUE(s);
        DXBNDS b{};
        ASSERT_EQ(s->GetBounds(&b), S_OK);
        EXPECT_EQ(b.u.D[DXB_X].Max, w);
        EXPECT_EQ(b.u.D[DXB_Y].Max, h);
        auto lock = LockForWrite(s.Get(), nullptr);
        ASSERT_TRUE(lock);
        DXNATIVETYPEINFO info{};
        EXPECT_EQ(lock->GetNativeType(&info), DXPF_PMARGB32);
        DXSAMPLE dummy{};
        DXPACKEDRECTDESC desc{&dummy, FALSE, RECT{0, 0, w, h}, 0};
        lock->UnpackRect(&desc);
        lock->PackRect(&desc);
        DXBNDS empty = Rect(0, 0, 0, 0);
        ComPtr<IDXARGBReadPtr> p;
        EXPECT_EQ(s->LockSurface(&empty, 0, DXLOCKF_READ, IID_IDXARGBReadPtr, p.ReleaseAndGetVoidAddress(), nullptr),
                  S_OK);
    }
}

TEST(HostSurface, GenerationAdvancesWhenAWriteLockEnds) {
    auto s = MakeSurface(2, 2, DXPF_PMARGB32);
    ULONG first = 0, id = 0, seen = 0;
    ASSERT_EQ(s->GetGenerationId(&first), S_OK);
    { auto read = LockForRead(s.Get(), nullptr); }
    s->GetGenerationId(&id);
    EXPECT_EQ(id, first);
    {
        ComPtr<IDXARGBReadWritePtr> p;
        ASSERT_EQ(s->LockSurface(nullptr, 0, DXLOCKF_READWRITE, IID_IDXARGBReadWritePtr, p.ReleaseAndGetVoidAddress(),
                                 &seen),
                  S_OK);
        EXPECT_EQ(seen, first);
    }
    s->GetGenerationId(&id);
    EXPECT_EQ(id, first + 1);
    // A write lock asked for read access only (IDXARGBReadPtr with read-write flags) writes too.
    {
        ComPtr<IDXARGBReadPtr> p;
        ASSERT_EQ(s->LockSurface(nullptr, 0, DXLOCKF_READWRITE, IID_IDXARGBReadPtr, p.ReleaseAndGetVoidAddress(),
                                 nullptr),
                  S_OK);
    }
    s->GetGenerationId(&id);
    EXPECT_EQ(id, first + 2);
    ASSERT_EQ(s->IncrementGenerationId(FALSE), S_OK);
    s->GetGenerationId(&id);
    EXPECT_EQ(id, first + 3);
}

TEST(HostSurfaceThreads, DisjointBandsLockedAndWrittenConcurrently) {
    const LONG width = 64, height = 64, bands = 4;
    auto s = MakeSurface(width, height, DXPF_ARGB32);
    std::vector<std::thread> threads;
    for (LONG band = 0; band < bands; ++band)
        threads.emplace_back([&, band] {
            LONG top = band * height / bands, bottom = (band + 1) * height / bands;
            DXBNDS region = Rect(0, top, width, bottom);
            for (int round = 0; round < 50; ++round) {
                auto lock = LockForWrite(s.Get(), &region);
                std::vector<DXSAMPLE> row(size_t(width) * (bottom - top), DXSAMPLE{BYTE(band), BYTE(round), 0, 255});
                DXPACKEDRECTDESC put{row.data(), TRUE, RECT{0, 0, width, bottom - top}, 0};
                lock->PackRect(&put);
            }
        });
    for (auto& t : threads) t.join();
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x) {
            ASSERT_EQ(SampleAt(s.Get(), x, y)->Blue, y / (height / bands));
            ASSERT_EQ(SampleAt(s.Get(), x, y)->Green, 49);
        }
    ULONG id = 0;
    s->GetGenerationId(&id);
    EXPECT_EQ(id, 1u + bands * 50);
}
