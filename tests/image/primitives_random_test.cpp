// Seeded random cases for every routine: odd sizes, steps from the minimum the
// checks allow upwards, values biased to 0 and 255, blocks holding exactly the
// bytes a call may touch (the sanitizer build sees any byte beyond them). The selected implementation must give the generic
// one's bytes (destination padding and untouched channels included), and the
// generic results fold into one digest that must not drift.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "image/cpudispatch.h"
#include "image/ippi.h"
#include "pixel_test_support.h"

namespace {

using image_test::RandomBytes;

// The first cases of each run sit at the edges: every range at its lowest
// (width and height 1, steps at the minimum, the shortest kernels).
struct Case {
    std::mt19937 rng;
    bool atEdge;
    Case(uint32_t seed, int n) : rng(seed), atEdge(n < 12) {}
    int Between(int lo, int hi) {
        const int v = lo + static_cast<int>(rng() % static_cast<uint32_t>(hi - lo + 1));
        return atEdge ? lo : v;
    }
};

struct Outcome {
    std::vector<Ipp8u> active, generic;
};

// Runs call twice on copies of one random destination block.
Outcome RunBoth(size_t dstBytes, uint32_t seed, const std::function<IppStatus(const IppPrimitiveTable&, Ipp8u*)>& call) {
    Outcome o{RandomBytes(dstBytes, seed), {}};
    o.generic = o.active;
    EXPECT_EQ(call(ippActivePrimitives(), o.active.data()), ippStsNoErr);
    EXPECT_EQ(call(ippGenericPrimitives(), o.generic.data()), ippStsNoErr);
    return o;
}

class IppRandomCases : public ::testing::Test {
protected:
    void Fold(const Outcome& o) {
        ASSERT_EQ(o.active, o.generic) << "selected implementation '" << ippActivePrimitives().name
                                       << "' differs from the generic one";
        digest = digest * 1099511628211ull ^ image_test::Digest(o.generic.data(), 0, 1, static_cast<int64_t>(o.generic.size()));
    }
    uint64_t digest = 1469598103934665603ull;
    static constexpr int kCases = 150;
};

TEST_F(IppRandomCases, SeparableFilters) {
    for (int n = 0; n < kCases; ++n) {
        Case c(1000 + n, n);
        const int w = c.Between(1, 24), h = c.Between(1, 9), K = c.Between(1, 9), anchor = c.Between(0, K - 1);
        std::vector<Ipp32s> kernel(K);
        int sum = 0;
        for (auto& k : kernel) sum += (k = c.Between(-3, 12));
        const int divisors[4] = {sum == 0 ? 1 : sum, 1, 1 << c.Between(1, 6), c.Between(2, 300)};
        const int divisor = divisors[n % 4];
        const bool column = n % 2 == 1;
        const int srcStep = column ? w * 4 + c.Between(0, 9) : (w + K) * 4 - 4 + c.Between(0, 9);
        const int dstStep = w * 4 + c.Between(0, 9);
        const int srcRows = column ? h + K - 1 : h;
        const int lastRowBytes = column ? w * 4 - 1 : (w + K - 1) * 4 - 1;
        auto src = RandomBytes(image_test::SpanBytes(srcRows, srcStep, lastRowBytes), 2000 + n);
        const Ipp8u* p = column ? src.data() + static_cast<ptrdiff_t>(K - 1 - anchor) * srcStep
                                : src.data() + (K - 1 - anchor) * 4;
        Fold(RunBoth(image_test::SpanBytes(h, dstStep, w * 4), 3000 + n, [&](const IppPrimitiveTable& t, Ipp8u* d) {
            return column ? t.filterColumn_8u_AC4R(p, srcStep, d, dstStep, {w, h}, kernel.data(), K, anchor, divisor)
                          : t.filterRow_8u_AC4R(p, srcStep, d, dstStep, {w, h}, kernel.data(), K, anchor, divisor);
        }));
    }
    std::printf("separable filters digest %016llx\n", static_cast<unsigned long long>(digest));
    EXPECT_EQ(digest, 0xf51442c84ecc293aull);
}

TEST_F(IppRandomCases, LowpassAndFloatKernel) {
    for (int n = 0; n < kCases; ++n) {
        Case c(4000 + n, n);
        const int w = c.Between(1, 30), h = c.Between(1, 12);
        if (n % 2 == 0) {
            const IppiMaskSize mask = n % 4 == 0 ? ippMskSize5x5 : ippMskSize3x3;
            const int r = mask == ippMskSize5x5 ? 2 : 1;
            const int srcStep = w + 2 * r + c.Between(0, 5), dstStep = w + c.Between(0, 5);
            auto src = RandomBytes(image_test::SpanBytes(h + 2 * r, srcStep, w + 2 * r), 5000 + n);
            const Ipp8u* p = src.data() + r * srcStep + r;
            Fold(RunBoth(image_test::SpanBytes(h, dstStep, w), 6000 + n, [&](const IppPrimitiveTable& t, Ipp8u* d) {
                return t.filterLowpass_8u_C1R(p, srcStep, d, dstStep, {w, h}, mask);
            }));
        } else {
            const IppiSize ks = {c.Between(1, 5), c.Between(1, 5)};
            const IppiPoint anchor = {c.Between(0, ks.width - 1), c.Between(0, ks.height - 1)};
            std::vector<float> kernel(static_cast<size_t>(ks.width) * ks.height);
            for (auto& k : kernel) k = static_cast<float>(c.Between(-2000, 3000)) / 1024.0f;
            const int srcStep = (w + ks.width - 1) * 4 + c.Between(0, 9), dstStep = w * 4 + c.Between(0, 9);
            auto src = RandomBytes(image_test::SpanBytes(h + ks.height - 1, srcStep, (w + ks.width - 1) * 4), 5000 + n);
            const Ipp8u* p = src.data() + static_cast<ptrdiff_t>(ks.height - 1 - anchor.y) * srcStep +
                             (ks.width - 1 - anchor.x) * 4;
            Fold(RunBoth(image_test::SpanBytes(h, dstStep, w * 4), 6000 + n, [&](const IppPrimitiveTable& t, Ipp8u* d) {
                return t.filter32f_8u_C4R(p, srcStep, d, dstStep, {w, h}, kernel.data(), ks, anchor);
            }));
        }
    }
    std::printf("lowpass and float kernel digest %016llx\n", static_cast<unsigned long long>(digest));
    EXPECT_EQ(digest, 0xcc2a0f68350e7882ull);
}

TEST_F(IppRandomCases, CopiesBordersAndConversions) {
    for (int n = 0; n < kCases; ++n) {
        Case c(7000 + n, n);
        const int w = c.Between(1, 20), h = c.Between(1, 8);
        const int kind = n % 6;
        if (kind == 0) {  // replicate border, 4 or 1 channels
            const int px = n % 12 == 0 ? 4 : 1;
            const int L = c.Between(0, 4), T = c.Between(0, 3);
            const IppiSize dst = {w + L + c.Between(0, 4), h + T + c.Between(0, 3)};
            const int srcStep = w * px + c.Between(0, 5), dstStep = dst.width * px + c.Between(0, 5);
            auto src = RandomBytes(image_test::SpanBytes(h, srcStep, w * px), 8000 + n);
            Fold(RunBoth(image_test::SpanBytes(dst.height, dstStep, dst.width * px), 9000 + n,
                         [&](const IppPrimitiveTable& t, Ipp8u* d) {
                             auto f = px == 4 ? t.copyReplicateBorder_8u_C4R : t.copyReplicateBorder_8u_C1R;
                             return f(src.data(), srcStep, {w, h}, d, dstStep, dst, T, L);
                         }));
            continue;
        }
        const int srcPx = kind == 2 ? 4 : kind == 3 ? 1 : 4;
        const int dstPx = kind == 2 ? 1 : kind == 3 ? 4 : 4;
        const int channel = kind == 2 || kind == 3 ? c.Between(0, 3) : 0;
        const int srcStep = w * srcPx + c.Between(0, 7), dstStep = w * dstPx + c.Between(0, 7);
        auto src = RandomBytes(image_test::SpanBytes(h, srcStep, w * srcPx), 8000 + n);
        const Ipp8u* p = src.data() + (kind == 2 ? channel : 0);
        Fold(RunBoth(image_test::SpanBytes(h, dstStep, w * dstPx), 9000 + n, [&](const IppPrimitiveTable& t, Ipp8u* d) {
            switch (kind) {
            case 1: return t.copy_8u_C4R(p, srcStep, d, dstStep, {w, h});
            case 2: return t.copy_8u_C4C1R(p, srcStep, d, dstStep, {w, h});
            case 3: return t.copy_8u_C1C4R(p, srcStep, d + channel, dstStep, {w, h});
            case 4: return t.rgbToHsv_8u_AC4R(p, srcStep, d, dstStep, {w, h});
            default: return t.hsvToRgb_8u_AC4R(p, srcStep, d, dstStep, {w, h});
            }
        }));
    }
    std::printf("copies, borders and conversions digest %016llx\n", static_cast<unsigned long long>(digest));
    EXPECT_EQ(digest, 0x59c8f0c4afc62c21ull);
}

TEST(IppCpuDispatch, SelectionRunsOnceAtLoadAndPicksAVersionEqualToGeneric) {
    EXPECT_EQ(ippStaticInit(), ippStsNoErr);
    EXPECT_EQ(ippStaticInit(), ippStsNoErr);
    EXPECT_STREQ(ippGenericPrimitives().name, "generic");
    EXPECT_NE(ippActivePrimitives().name, nullptr);
}

}  // namespace
