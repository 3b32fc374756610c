// In-memory surfaces: geometry and creation rules, locks of sub-regions and what they
// refuse, conversion through UnpackRect / PackRect, negative pitch, zero sizes,
// and generation ids.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstring>

#include "host/sampleconvert.h"
#include "host/surface.h"
#include "transform/dxbounds.h"

namespace {

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

template <class Ptr = IDXARGBReadWritePtr>
ComPtr<Ptr> Lock(IDXSurface* s, const DXBNDS* b, DWORD flags = DXLOCKF_READWRITE, ULONG* generation = nullptr) {
    ComPtr<Ptr> p;
    EXPECT_EQ(s->LockSurface(b, 0, flags, std::is_same_v<Ptr, IDXARGBReadPtr> ? IID_IDXARGBReadPtr : IID_IDXARGBReadWritePtr,
                             p.ReleaseAndGetVoidAddress(), generation),
              S_OK);
    return p;
}

bool Same(const DXSAMPLE& a, const DXSAMPLE& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(HostSurface, GeometryCreationRulesAndLockRefusals) {
    for (auto [format, id] : {std::pair{DXPF_ARGB32, &DDPF_ARGB32}, {DXPF_PMARGB32, &DDPF_PMARGB32}}) {
        auto s = MakeSurface(5, 3, format);
        GUID gotId{};
        DXSAMPLEFORMATENUM gotFormat{};
        ASSERT_EQ(s->GetPixelFormat(&gotId, &gotFormat), S_OK);
        EXPECT_TRUE(gotId == *id && gotFormat == format);
        DXBNDS b{};
        ASSERT_EQ(s->GetBounds(&b), S_OK);
        const DXBNDS expected = MakeDiscreteBounds(0, 0, 5, 3);
        EXPECT_EQ(std::memcmp(&b, &expected, sizeof b), 0);
    }
    ComPtr<IDXSurface> s;
    BYTE buffer[64];
    EXPECT_EQ(CreateSurfaceOnMemory(buffer, 4, 2, 12, DXPF_ARGB32, s.ReleaseAndGetAddressOf()), E_INVALIDARG);
    EXPECT_EQ(CreateSurfaceOnMemory(nullptr, 4, 2, 16, DXPF_ARGB32, s.ReleaseAndGetAddressOf()), E_INVALIDARG);

    s = MakeSurface(8, 8, DXPF_PMARGB32);
    const DXBNDS outside = MakeDiscreteBounds(4, 4, 9, 8), negative = MakeDiscreteBounds(-1, 0, 2, 2),
                 reversed = MakeDiscreteBounds(3, 0, 2, 2);
    const struct {
        const DXBNDS* bounds;
        DWORD flags;
        const IID& iid;
        HRESULT expected;
    } refused[] = {{&outside, DXLOCKF_READ, IID_IDXARGBReadPtr, E_INVALIDARG},
                   {&negative, DXLOCKF_READ, IID_IDXARGBReadPtr, E_INVALIDARG},
                   {&reversed, DXLOCKF_READ, IID_IDXARGBReadPtr, E_INVALIDARG},
                   {nullptr, DXLOCKF_READ, IID_IDXARGBReadWritePtr, E_INVALIDARG}};  // no write access from a read lock
    for (const auto& r : refused) {
        ComPtr<IUnknown> p;
        EXPECT_EQ(s->LockSurface(r.bounds, 0, r.flags, r.iid, p.ReleaseAndGetVoidAddress(), nullptr), r.expected)
            << &r - refused;
    }
}

// A straight surface unpacks premultiplied and stores what it is given unpremultiplied;
// a premultiplied one copies exactly; rectangles reaching outside the lock are ignored.
TEST(HostSurface, SubRegionLocksConvertBetweenTheSampleForms) {
    auto s = MakeSurface(4, 3, DXPF_ARGB32);
    for (LONG y = 0; y < 3; ++y)
        for (LONG x = 0; x < 4; ++x) *SampleAt(s.Get(), x, y) = DXSAMPLE{BYTE(10 * x), BYTE(100 + y), 200, BYTE(64 * x + 3)};
    const DXBNDS region = MakeDiscreteBounds(1, 1, 3, 3);
    auto lock = Lock(s.Get(), &region);
    DXNATIVETYPEINFO info{};
    EXPECT_EQ(lock->GetNativeType(&info), DXPF_ARGB32);
    EXPECT_EQ(info.pFirstByte, reinterpret_cast<BYTE*>(SampleAt(s.Get(), 1, 1)));
    EXPECT_EQ(info.lPitch, 16);
    DXSAMPLE buffer[6] = {};  // the 2x2 region with one sample of row padding
    DXPACKEDRECTDESC get{buffer, TRUE, RECT{0, 0, 2, 2}, 1};
    lock->UnpackRect(&get);
    for (LONG y = 0; y < 2; ++y)
        for (LONG x = 0; x < 2; ++x)
            EXPECT_TRUE(Same(buffer[y * 3 + x], PremultiplySample(*SampleAt(s.Get(), 1 + x, 1 + y)))) << x << "," << y;
    EXPECT_EQ(buffer[2].Alpha, 0);  // padding untouched
    DXSAMPLE one = {50, 25, 100, 128};
    DXPACKEDRECTDESC put{&one, TRUE, RECT{1, 0, 2, 1}, 0};
    lock->PackRect(&put);
    EXPECT_TRUE(Same(*SampleAt(s.Get(), 2, 1), UnpremultiplySample(one)));
    const DXSAMPLE before = *SampleAt(s.Get(), 3, 2);
    DXSAMPLE big[9] = {};
    DXPACKEDRECTDESC tooBig{big, FALSE, RECT{0, 0, 3, 3}, 0};
    lock->PackRect(&tooBig);
    EXPECT_TRUE(Same(*SampleAt(s.Get(), 3, 2), before));
    EXPECT_EQ(SampleAt(s.Get(), 1, 1)->Red, 200);

    auto pm = MakeSurface(3, 2, DXPF_PMARGB32);
    auto pmLock = Lock(pm.Get(), nullptr);
    DXSAMPLE in[6], out[6] = {};
    for (int i = 0; i < 6; ++i) in[i] = DXSAMPLE{BYTE(i), BYTE(i * 3), BYTE(250 - i), BYTE(40 + i)};
    DXPACKEDRECTDESC pmPut{in, TRUE, RECT{0, 0, 3, 2}, 0}, pmGet{out, TRUE, RECT{0, 0, 3, 2}, 0};
    pmLock->PackRect(&pmPut);
    pmLock->UnpackRect(&pmGet);
    EXPECT_EQ(std::memcmp(in, out, sizeof in), 0);
}

TEST(HostSurface, NegativePitchAddressesRowsDownwardsAndZeroSizesLockNothing) {
    alignas(16) BYTE buffer[3 * 8] = {};  // three rows stored bottom-up: the top row is the buffer's last
    ComPtr<IDXSurface> s;
    ASSERT_EQ(CreateSurfaceOnMemory(buffer + 16, 2, 3, -8, DXPF_PMARGB32, s.ReleaseAndGetAddressOf()), S_OK);
    const DXBNDS row1 = MakeDiscreteBounds(0, 1, 2, 2);
    auto lock = Lock(s.Get(), &row1);
    DXNATIVETYPEINFO info{};
    lock->GetNativeType(&info);
    EXPECT_TRUE(info.pFirstByte == buffer + 8 && info.lPitch == -8);
    DXSAMPLE two[2] = {{1, 2, 3, 4}, {5, 6, 7, 8}}, rows[6] = {};
    DXPACKEDRECTDESC put{two, TRUE, RECT{0, 0, 2, 1}, 0}, get{rows, TRUE, RECT{0, 0, 2, 3}, 0};
    lock->PackRect(&put);
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 24),
              std::vector<BYTE>({0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0, 0, 0, 0, 0}));
    Lock<IDXARGBReadPtr>(s.Get(), nullptr, DXLOCKF_READ)->UnpackRect(&get);
    EXPECT_TRUE(Same(rows[2], two[0]) && Same(rows[3], two[1]) && rows[0].Blue == 0);

    for (auto [w, h] : {std::pair<LONG, LONG>{0, 0}, {0, 5}, {7, 0}}) {
        auto empty = MakeSurface(w, h, DXPF_PMARGB32);
        ASSERT_TRUE(empty);
        auto p = Lock(empty.Get(), nullptr);
        EXPECT_EQ(p->GetNativeType(&info), DXPF_PMARGB32);
        DXSAMPLE dummy{};
        DXPACKEDRECTDESC desc{&dummy, FALSE, RECT{0, 0, w, h}, 0};
        p->UnpackRect(&desc);
        p->PackRect(&desc);
        const DXBNDS nothing = MakeDiscreteBounds(0, 0, 0, 0);
        Lock<IDXARGBReadPtr>(empty.Get(), &nothing, DXLOCKF_READ);
    }
}

// The generation advances when a write lock ends (also one asked for reading access
// only), never for a read lock. (Bands locked from several threads at once: the
// transform base's band tests.)
TEST(HostSurface, GenerationAdvancesWhenAWriteLockEnds) {
    auto s = MakeSurface(4, 4, DXPF_ARGB32);
    ULONG first = 0, id = 0, seen = 0;
    ASSERT_EQ(s->GetGenerationId(&first), S_OK);
    Lock<IDXARGBReadPtr>(s.Get(), nullptr, DXLOCKF_READ);
    s->GetGenerationId(&id);
    EXPECT_EQ(id, first);
    Lock(s.Get(), nullptr, DXLOCKF_READWRITE, &seen);
    EXPECT_EQ(seen, first);
    Lock<IDXARGBReadPtr>(s.Get(), nullptr, DXLOCKF_READWRITE);
    s->GetGenerationId(&id);
    EXPECT_EQ(id, first + 2);
}

// Transparent samples are converted without a division by zero or an invalid operation
// in any version, so a host that traps on them is never stopped.
TEST(SampleConversion, NoVersionRaisesDivisionByZeroOrInvalid) {
    DXSAMPLE row[40], out[40];
    for (int i = 0; i < 40; ++i) row[i] = DXSAMPLE{BYTE(7 * i), BYTE(i), 0, BYTE(i % 3 ? 0 : 5 * i)};
    for (const NamedSampleRowConverter& version : RunnableSampleRowConverters())
        for (SampleConversion c : {SampleConversion::Premultiply, SampleConversion::Unpremultiply}) {
            std::feclearexcept(FE_ALL_EXCEPT);
            version.convert(row, out, 40, c);
            EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID)) << version.name;
        }
}

}  // namespace
