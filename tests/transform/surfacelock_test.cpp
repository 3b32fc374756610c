// The surface locks against the host stand-in's real in-memory surfaces.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "transform/surfacelock.h"
#include "host/sampleconvert.h"
#include "host/surface.h"
#include "image/imagebuffer.h"
#include "tests/support/pictures.h"

namespace {

DXBNDS Bounds(LONG left, LONG top, LONG right, LONG bottom) {
    DXBNDS b{};
    b.eType = DXBT_DISCRETE;
    b.u.D[DXB_X] = {left, right};
    b.u.D[DXB_Y] = {top, bottom};
    b.u.D[DXB_Z] = {0, 1};
    b.u.D[DXB_T] = {0, 1};
    return b;
}

// A surface of the given format filled with seeded samples whose alpha is 255
// (so that premultiplying and back is exact) or random.
ComPtr<IDXSurface> MakeSurface(LONG w, LONG h, DXSAMPLEFORMATENUM format, uint32_t seed, bool opaque) {
    ComPtr<IDXSurface> s;
    EXPECT_EQ(CreateMemorySurface(w, h, format, s.ReleaseAndGetAddressOf()), S_OK);
    BYTE* first = nullptr;
    LONG pitch = 0;
    EXPECT_EQ(GetSurfaceMemory(s.Get(), &first, &pitch), S_OK);
    for (LONG y = 0; y < h; ++y) {
        BYTE* row = first + ptrdiff_t(y) * pitch;
        testsupport::FillRandom(row, size_t(w) * 4, seed + y);
        if (opaque)
            for (LONG x = 0; x < w; ++x) row[x * 4 + 3] = 255;
    }
    return s;
}

DXSAMPLE SurfaceSample(IDXSurface* s, LONG x, LONG y) {
    BYTE* first = nullptr;
    LONG pitch = 0;
    GetSurfaceMemory(s, &first, &pitch);
    DXSAMPLE v;
    std::memcpy(&v, first + ptrdiff_t(y) * pitch + x * 4, 4);
    return v;
}

bool Same(DXSAMPLE a, DXSAMPLE b) { return std::memcmp(&a, &b, 4) == 0; }

TEST(SurfaceLock, MatchingFormatIsUsedInPlace) {
    auto surface = MakeSurface(8, 6, DXPF_PMARGB32, 1, false);
    BYTE* first = nullptr;
    LONG pitch = 0;
    ASSERT_EQ(GetSurfaceMemory(surface.Get(), &first, &pitch), S_OK);
    const DXBNDS region = Bounds(2, 1, 7, 5);
    HRESULT hr = E_FAIL;
    CSurfaceWriteLock lock(hr, surface.Get(), &region, true);
    ASSERT_EQ(hr, S_OK);
    EXPECT_FALSE(lock.UsesTemporaryArray());
    EXPECT_EQ(reinterpret_cast<BYTE*>(lock.GetSamples()), first + pitch + 2 * 4);
    EXPECT_EQ(lock.GetPitchPixels(), pitch / 4);
    EXPECT_EQ(lock.GetBounds().u.D[DXB_X].Min, 2);
    EXPECT_EQ(lock.GetBounds().u.D[DXB_Y].Max, 5);
    // A write through the lock is in the surface at once.
    lock.GetSamples()[0] = DXSAMPLE{1, 2, 3, 4};
    EXPECT_TRUE(Same(SurfaceSample(surface.Get(), 2, 1), DXSAMPLE{1, 2, 3, 4}));

    // Straight samples asked of a straight surface: also in place.
    auto straight = MakeSurface(4, 4, DXPF_ARGB32, 2, false);
    HRESULT hr2 = E_FAIL;
    CSurfaceReadLock read(hr2, straight.Get(), nullptr, false);
    ASSERT_EQ(hr2, S_OK);
    EXPECT_FALSE(read.UsesTemporaryArray());
}

TEST(SurfaceLock, OtherFormatGoesThroughTemporaryArrayAndIsWrittenBackAtTheEnd) {
    auto surface = MakeSurface(6, 5, DXPF_ARGB32, 3, false);
    const DXBNDS region = Bounds(1, 2, 5, 5);
    {
        HRESULT hr = E_FAIL;
        CSurfaceWriteLock lock(hr, surface.Get(), &region, true);
        ASSERT_EQ(hr, S_OK);
        ASSERT_TRUE(lock.UsesTemporaryArray());
        EXPECT_EQ(lock.GetPitchPixels(), 4);
        // The array starts as the region's samples, premultiplied.
        for (LONG y = 0; y < 3; ++y)
            for (LONG x = 0; x < 4; ++x)
                ASSERT_TRUE(Same(lock.GetSamples()[y * 4 + x],
                                 PremultiplySample(SurfaceSample(surface.Get(), 1 + x, 2 + y))));
        // Writes stay in the array until the lock ends.
        const DXSAMPLE before = SurfaceSample(surface.Get(), 1, 2);
        lock.GetSamples()[0] = DXSAMPLE{10, 20, 30, 255};
        lock.GetSamples()[11] = DXSAMPLE{50, 25, 0, 100};
        EXPECT_TRUE(Same(SurfaceSample(surface.Get(), 1, 2), before));
    }
    EXPECT_TRUE(Same(SurfaceSample(surface.Get(), 1, 2), DXSAMPLE{10, 20, 30, 255}));
    EXPECT_TRUE(Same(SurfaceSample(surface.Get(), 4, 4), UnpremultiplySample(DXSAMPLE{50, 25, 0, 100})));
}

TEST(SurfaceLock, UnwrittenSamplesGoBackUnchanged_AndTheReadLockWritesNothing) {
    auto surface = MakeSurface(7, 3, DXPF_ARGB32, 4, true);
    auto snapshot = [&] {
        std::vector<uint32_t> v;
        for (LONG y = 0; y < 3; ++y)
            for (LONG x = 0; x < 7; ++x) {
                uint32_t u;
                DXSAMPLE s = SurfaceSample(surface.Get(), x, y);
                std::memcpy(&u, &s, 4);
                v.push_back(u);
            }
        return v;
    };
    const auto before = snapshot();
    {
        HRESULT hr = E_FAIL;
        CSurfaceWriteLock lock(hr, surface.Get(), nullptr, true);
        ASSERT_EQ(hr, S_OK);
        EXPECT_TRUE(lock.UsesTemporaryArray());
        EXPECT_EQ(lock.GetBounds().u.D[DXB_X].Max, 7);
    }
    EXPECT_EQ(snapshot(), before);
    {
        HRESULT hr = E_FAIL;
        CSurfaceReadLock lock(hr, surface.Get(), nullptr, true);
        ASSERT_EQ(hr, S_OK);
        lock.GetSamples()[0] = DXSAMPLE{0, 0, 0, 0};
    }
    EXPECT_EQ(snapshot(), before);
}

TEST(SurfaceLock, RowsRunningUpwardsGiveNegativePitch_ViewTurnsThem) {
    const LONG w = 3, h = 4, pitch = 16;
    std::vector<BYTE> memory(size_t(pitch) * h);
    testsupport::FillRandom(memory.data(), memory.size(), 5);
    ComPtr<IDXSurface> surface;
    // The top row is the last in memory.
    ASSERT_EQ(CreateSurfaceOnMemory(memory.data() + (h - 1) * pitch, w, h, -pitch, DXPF_PMARGB32,
                                    surface.ReleaseAndGetAddressOf()),
              S_OK);
    HRESULT hr = E_FAIL;
    CSurfaceReadLock lock(hr, surface.Get(), nullptr, true);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(lock.GetPitchPixels(), -4);
    CImageBuffer view;
    ASSERT_TRUE(view.Attach(reinterpret_cast<uint8_t*>(lock.GetSamples()), w, h, lock.GetPitchPixels() * 4, 4));
    EXPECT_EQ(view.GetData(), memory.data());
    EXPECT_EQ(view.GetStep(), 16);
}

TEST(SurfaceLock, FailuresArePassedThroughAndHoldNothing) {
    auto surface = MakeSurface(4, 4, DXPF_PMARGB32, 6, false);
    const DXBNDS outside = Bounds(0, 0, 5, 4);
    {
        HRESULT hr = S_OK;
        CSurfaceWriteLock lock(hr, surface.Get(), &outside, true);
        EXPECT_EQ(hr, E_INVALIDARG);
        EXPECT_EQ(lock.GetSamples(), nullptr);
        EXPECT_EQ(lock.GetPitchPixels(), 0);
    }
    HRESULT hr = S_OK;
    CSurfaceReadLock none(hr, nullptr, nullptr, true);
    EXPECT_EQ(hr, E_POINTER);
}

// A surface that answers everything like the real one but cannot report its format.
class NoFormatSurface final : public IDXSurface {
public:
    explicit NoFormatSurface(IDXSurface* inner) : m_inner(inner) {}
    HRESULT QueryInterface(REFIID iid, void** object) override { return m_inner->QueryInterface(iid, object); }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetGenerationId(ULONG* id) override { return m_inner->GetGenerationId(id); }
    HRESULT IncrementGenerationId(BOOL refresh) override { return m_inner->IncrementGenerationId(refresh); }
    HRESULT GetObjectSize(ULONG* size) override { return m_inner->GetObjectSize(size); }
    HRESULT GetPixelFormat(GUID*, DXSAMPLEFORMATENUM*) override { return E_FAIL; }
    HRESULT GetBounds(DXBNDS* bounds) override { return m_inner->GetBounds(bounds); }
    HRESULT LockSurface(const DXBNDS* bounds, ULONG timeOut, DWORD flags, REFIID iid, void** pointer,
                        ULONG* generationId) override {
        return m_inner->LockSurface(bounds, timeOut, flags, iid, pointer, generationId);
    }

private:
    IDXSurface* m_inner;
};

TEST(SurfaceLock, AFormatFailureUnlocksAtOnce) {
    auto surface = MakeSurface(4, 4, DXPF_PMARGB32, 7, false);
    NoFormatSurface failing(surface.Get());
    const ULONG baseline = (surface->AddRef(), surface->Release());
    HRESULT hr = S_OK;
    CSurfaceWriteLock lock(hr, &failing, nullptr, true);
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_EQ(lock.GetSamples(), nullptr);
    // The access object (which holds the surface) is gone already.
    EXPECT_EQ((surface->AddRef(), surface->Release()), baseline);
}

TEST(SurfaceLock, BandsOnWorkerThreadsWriteTheirOwnRegions) {
    const LONG w = 37, h = 40, bands = 4;
    auto surface = MakeSurface(w, h, DXPF_ARGB32, 8, true);
    std::vector<std::thread> workers;
    for (LONG band = 0; band < bands; ++band)
        workers.emplace_back([&, band] {
            const DXBNDS region = Bounds(0, band * h / bands, w, (band + 1) * h / bands);
            HRESULT hr = E_FAIL;
            CSurfaceWriteLock out(hr, surface.Get(), &region, true);
            if (FAILED(hr)) return;
            CImageBuffer view;
            view.Attach(reinterpret_cast<uint8_t*>(out.GetSamples()), w, h / bands, out.GetPitchPixels() * 4, 4);
            for (int y = 0; y < view.GetHeight(); ++y)
                for (int x = 0; x < w; ++x) {
                    uint8_t* p = view.PixelAt(x, y, 0);
                    p[0] = static_cast<uint8_t>(band), p[1] = static_cast<uint8_t>(x), p[2] = static_cast<uint8_t>(y);
                    p[3] = 255;
                }
        });
    for (auto& t : workers) t.join();
    for (LONG y = 0; y < h; ++y)
        for (LONG x = 0; x < w; ++x) {
            const LONG band = y / (h / bands);
            ASSERT_TRUE(Same(SurfaceSample(surface.Get(), x, y),
                             DXSAMPLE{BYTE(band), BYTE(x), BYTE(y - band * (h / bands)), 255}))
                << x << "," << y;
        }
}

TEST(SurfaceLock, EmptyRegionNeedsNoArray) {
    auto surface = MakeSurface(4, 4, DXPF_ARGB32, 9, false);
    const DXBNDS empty = Bounds(2, 1, 2, 3);
    HRESULT hr = E_FAIL;
    CSurfaceWriteLock lock(hr, surface.Get(), &empty, true);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(lock.GetSamples(), nullptr);
    EXPECT_FALSE(lock.UsesTemporaryArray());
}

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's allocator aborts on such requests instead of failing
TEST(SurfaceLock, ArrayThatCannotBeMadeIsOutOfMemory) {
    // A straight surface on memory far larger than exists (never touched): the
    // premultiplied array for it (2^48 samples) cannot be allocated.
    BYTE byte = 0;
    ComPtr<IDXSurface> surface;
    ASSERT_EQ(CreateSurfaceOnMemory(&byte, 1 << 28, 1 << 20, 1 << 30, DXPF_ARGB32, surface.ReleaseAndGetAddressOf()),
              S_OK);
    HRESULT hr = S_OK;
    CSurfaceReadLock lock(hr, surface.Get(), nullptr, true);
    EXPECT_EQ(hr, E_OUTOFMEMORY);
    EXPECT_EQ(lock.GetSamples(), nullptr);
}
#endif

}  // namespace
