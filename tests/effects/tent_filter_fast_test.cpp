// The running-sum row and column filters for tent kernels give the generic filters'
// bytes: seeded random pictures, every tent length up to 40 and some long ones, every
// anchor the kernel can take and a few beyond, divisors of each normalisation rule;
// other kernels go to the generic filters. The destination's alpha bytes and the
// pixels around the region stay as they were.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "image/filter_rowcol_fast.h"
#include "image/ippi_generic.h"

namespace {

using FilterFn = IppStatus (*)(const Ipp8u*, int, Ipp8u*, int, IppiSize, const Ipp32s*, int, int, int);

std::vector<Ipp32s> TentKernel(int a, int b) {
    std::vector<Ipp32s> k(static_cast<size_t>(a + b - 1));
    for (int i = 0; i < a + b - 1; ++i) k[i] = std::min({i + 1, a + b - 1 - i, a});
    return k;
}

struct Case {
    int width, height, anchor, divisor;
    std::vector<Ipp32s> kernel;
};

// Runs both filters on one random picture with margins of `margin` pixels all round
// (enough for any anchor of the case) and compares whole destinations.
void ExpectSameBytes(const Case& c, bool rows, std::mt19937& rng) {
    const int k = static_cast<int>(c.kernel.size());
    const int margin = k + 4;
    const int srcW = c.width + 2 * margin, srcH = c.height + 2 * margin;
    std::vector<Ipp8u> src(static_cast<size_t>(srcW) * srcH * 4);
    std::uniform_int_distribution<int> byte(0, 255), coin(0, 3);
    for (auto& v : src) v = static_cast<Ipp8u>(coin(rng) == 0 ? (coin(rng) & 1) * 255 : byte(rng));
    const int dstW = c.width + 2;
    std::vector<Ipp8u> generic(static_cast<size_t>(dstW) * (c.height + 2) * 4);
    for (auto& v : generic) v = static_cast<Ipp8u>(byte(rng));
    std::vector<Ipp8u> fast = generic;

    const Ipp8u* s = src.data() + (static_cast<size_t>(margin) * srcW + margin) * 4;
    const int dstOffset = (dstW + 1) * 4;
    const FilterFn reference = rows ? ipp_generic::FilterRow_8u_AC4R : ipp_generic::FilterColumn_8u_AC4R;
    const FilterFn tent = rows ? ipp_fast::FilterRow_8u_AC4R_Tent : ipp_fast::FilterColumn_8u_AC4R_Tent;
    const IppiSize roi = {c.width, c.height};
    ASSERT_EQ(reference(s, srcW * 4, generic.data() + dstOffset, dstW * 4, roi, c.kernel.data(), k, c.anchor, c.divisor),
              ippStsNoErr);
    ASSERT_EQ(tent(s, srcW * 4, fast.data() + dstOffset, dstW * 4, roi, c.kernel.data(), k, c.anchor, c.divisor),
              ippStsNoErr);
    ASSERT_EQ(fast, generic) << (rows ? "row" : "column") << " filter, " << c.width << "x" << c.height << ", K " << k
                             << ", anchor " << c.anchor << ", divisor " << c.divisor;
}

}  // namespace

TEST(TentFilterFast, RecognisesTentsAndOnlyTents) {
    int a = 0, b = 0;
    auto boxes = [&](std::vector<Ipp32s> k) { return ipp_fast::TentBoxes(k.data(), static_cast<int>(k.size()), a, b); };
    EXPECT_TRUE(boxes({1}) && a == 1 && b == 1);
    EXPECT_TRUE(boxes({1, 1}) && a == 1 && b == 2);
    EXPECT_TRUE(boxes({1, 2, 3, 4, 3, 2, 1}) && a == 4 && b == 4);
    EXPECT_TRUE(boxes({1, 2, 3, 4, 4, 3, 2, 1}) && a == 4 && b == 5);
    EXPECT_TRUE(boxes({1, 2, 2, 2, 1}) && a == 2 && b == 4);
    for (std::vector<Ipp32s> k : std::vector<std::vector<Ipp32s>>{
             {2}, {0}, {1, 2}, {2, 4, 2}, {1, 3, 1}, {1, 2, 1, 1}, {-1, -2, -1}, {1, 2, 3, 2, 2}})
        EXPECT_FALSE(boxes(k)) << k.size();
    EXPECT_FALSE(ipp_fast::TentBoxes(nullptr, 3, a, b));
}

TEST(TentFilterFast, SameBytesAsTheGenericFilters) {
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<int> width(1, 70), height(1, 12);
    for (int a = 1; a <= 20; ++a)
        for (int b : {a, a + 1, a + 3}) {
            Case c{width(rng), height(rng), 0, 0, TentKernel(a, b)};
            const int k = static_cast<int>(c.kernel.size());
            int sum = 0;
            for (Ipp32s v : c.kernel) sum += v;
            for (int anchor : {k / 2, 0, k - 1, -2, k + 1})
                for (int divisor : {sum, 1, 16, 7, -5}) {
                    c.anchor = anchor;
                    c.divisor = divisor;
                    ExpectSameBytes(c, true, rng);
                    ExpectSameBytes(c, false, rng);
                }
        }
    // The lengths the effects reach on tall bands.
    for (int n : {97, 271, 1081}) {
        Case c{37, 9, n / 2, 0, TentKernel((n + 1) / 2, n + 1 - (n + 1) / 2)};
        for (Ipp32s v : c.kernel) c.divisor += v;
        ExpectSameBytes(c, true, rng);
        ExpectSameBytes(c, false, rng);
    }
    // Anything else is the generic filter's.
    for (std::vector<Ipp32s> k : std::vector<std::vector<Ipp32s>>{{1, 3, 1}, {-1, 4, -1}, {2, 2}}) {
        const Case c{23, 7, 1, 5, k};
        ExpectSameBytes(c, true, rng);
        ExpectSameBytes(c, false, rng);
    }
}
