// The surface locks against the host stand-in's real in-memory surfaces. Row orders,
// failing locks and bands on several threads reach them through every effect (the
// effects' contract suite and the transform base's band tests); here: in place or
// through a premultiplied array, what goes back when, and failures that hold nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "transform/surfacelock.h"
#include "host/sampleconvert.h"
#include "host/surface.h"
#include "transform/dxbounds.h"
#include "tests/effects/effect_harness.h"
#include "tests/support/pictures.h"
#include "tests/transform/transform_test_effect.h"

namespace {

// A surface of the given format filled with seeded samples; alpha 255 when opaque (so
// that premultiplying and back is exact).
ComPtr<IDXSurface> MakeSurface(LONG w, LONG h, DXSAMPLEFORMATENUM format, uint32_t seed, bool opaque) {
    ComPtr<IDXSurface> s = MemorySurface(w, h, format);
    BYTE* first = nullptr;
    LONG pitch = 0;
    EXPECT_EQ(GetSurfaceMemory(s.Get(), &first, &pitch), S_OK);
    testsupport::FillRandom(first, size_t(pitch) * h, seed);
    for (LONG i = 0; opaque && i < w * h; ++i) first[i * 4 + 3] = 255;
    return s;
}

std::vector<BYTE> Bytes(IDXSurface* s, LONG w, LONG h) {
    const BYTE* first = reinterpret_cast<const BYTE*>(&At(s, 0, 0));
    return std::vector<BYTE>(first, first + size_t(w) * h * 4);
}

bool Same(DXSAMPLE a, DXSAMPLE b) { return std::memcmp(&a, &b, 4) == 0; }

TEST(SurfaceLock, MatchingFormatIsUsedInPlace) {
    auto surface = MakeSurface(8, 6, DXPF_PMARGB32, 1, false);
    const DXBNDS region = MakeDiscreteBounds(2, 1, 7, 5);
    HRESULT hr = E_FAIL;
    CSurfaceWriteLock lock(hr, surface.Get(), &region, true);
    ASSERT_EQ(hr, S_OK);
    EXPECT_FALSE(lock.UsesTemporaryArray());
    EXPECT_EQ(lock.GetSamples(), &At(surface.Get(), 2, 1));
    EXPECT_EQ(lock.GetPitchPixels(), 8);
    lock.GetSamples()[0] = DXSAMPLE{1, 2, 3, 4};  // in the surface at once
    EXPECT_TRUE(Same(At(surface.Get(), 2, 1), DXSAMPLE{1, 2, 3, 4}));

    auto straight = MakeSurface(4, 4, DXPF_ARGB32, 2, false);  // straight asked of straight
    CSurfaceReadLock read(hr, straight.Get(), nullptr, false);
    ASSERT_EQ(hr, S_OK);
    EXPECT_FALSE(read.UsesTemporaryArray());
}

// The array starts as the region premultiplied; writes reach the surface unpremultiplied
// when the write lock ends, samples not written go back unchanged, and a read lock
// writes nothing back.
TEST(SurfaceLock, OtherFormatGoesThroughAnArrayWrittenBackByTheWriteLockOnly) {
    auto surface = MakeSurface(6, 5, DXPF_ARGB32, 3, false);
    const DXBNDS region = MakeDiscreteBounds(1, 2, 5, 5);
    {
        HRESULT hr = E_FAIL;
        CSurfaceWriteLock lock(hr, surface.Get(), &region, true);
        ASSERT_EQ(hr, S_OK);
        ASSERT_TRUE(lock.UsesTemporaryArray());
        EXPECT_EQ(lock.GetPitchPixels(), 4);
        for (LONG y = 0; y < 3; ++y)
            for (LONG x = 0; x < 4; ++x)
                ASSERT_TRUE(Same(lock.GetSamples()[y * 4 + x], PremultiplySample(At(surface.Get(), 1 + x, 2 + y))));
        const DXSAMPLE before = At(surface.Get(), 1, 2);
        lock.GetSamples()[0] = DXSAMPLE{10, 20, 30, 255};
        lock.GetSamples()[11] = DXSAMPLE{50, 25, 0, 100};
        EXPECT_TRUE(Same(At(surface.Get(), 1, 2), before));
    }
    EXPECT_TRUE(Same(At(surface.Get(), 1, 2), DXSAMPLE{10, 20, 30, 255}));
    EXPECT_TRUE(Same(At(surface.Get(), 4, 4), UnpremultiplySample(DXSAMPLE{50, 25, 0, 100})));

    auto opaque = MakeSurface(7, 3, DXPF_ARGB32, 4, true);
    const std::vector<BYTE> before = Bytes(opaque.Get(), 7, 3);
    for (bool write : {true, false}) {
        HRESULT hr = E_FAIL;
        if (write) {
            CSurfaceWriteLock lock(hr, opaque.Get(), nullptr, true);
            EXPECT_EQ(lock.GetBounds().u.D[DXB_X].Max, 7);
        } else {
            CSurfaceReadLock lock(hr, opaque.Get(), nullptr, true);
            lock.GetSamples()[0] = DXSAMPLE{0, 0, 0, 0};
        }
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(Bytes(opaque.Get(), 7, 3), before) << write;
    }
}

// Refused regions, no surface, a format that cannot be read (the surface is unlocked at
// once) and an array that cannot be made all hold nothing; an empty region is no failure
// and needs no array.
TEST(SurfaceLock, FailuresArePassedThroughAndHoldNothing) {
    auto surface = MakeSurface(4, 4, DXPF_ARGB32, 6, false);
    ComPtr<IDXSurface> noFormat;  // a surface that cannot report its format
    ASSERT_EQ(effect_test::CreateRefusingSurface(surface.Get(), S_OK, noFormat.ReleaseAndGetAddressOf(), E_FAIL), S_OK);
    const ULONG baseline = (surface->AddRef(), surface->Release());
    const DXBNDS outside = MakeDiscreteBounds(0, 0, 5, 4), empty = MakeDiscreteBounds(2, 1, 2, 3);
    BYTE byte = 0;  // a straight surface far larger than exists (never touched): no array for it
    ComPtr<IDXSurface> huge;
    ASSERT_EQ(CreateSurfaceOnMemory(&byte, 1 << 28, 1 << 20, 1 << 30, DXPF_ARGB32, huge.ReleaseAndGetAddressOf()), S_OK);
    const struct {
        IDXSurface* surface;
        const DXBNDS* bounds;
        HRESULT expected;
    } cases[] = {{surface.Get(), &outside, E_INVALIDARG}, {nullptr, nullptr, E_POINTER}, {noFormat.Get(), nullptr, E_FAIL},
                 {surface.Get(), &empty, S_OK},
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's allocator aborts on such requests instead of failing
                 {huge.Get(), nullptr, E_OUTOFMEMORY}
#endif
    };
    for (const auto& c : cases) {
        HRESULT hr = S_OK;
        CSurfaceWriteLock lock(hr, c.surface, c.bounds, true);
        EXPECT_EQ(hr, c.expected) << &c - cases;
        EXPECT_EQ(lock.GetSamples(), nullptr);
        EXPECT_FALSE(lock.UsesTemporaryArray());
        if (FAILED(c.expected)) {
            EXPECT_EQ((surface->AddRef(), surface->Release()), baseline);
        }
    }
}

}  // namespace
