#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "image/ippi.h"

namespace {

// Filters one pixel with a 1x1 kernel.
std::vector<Ipp8u> OneByOne(std::vector<Ipp8u> pixel, float weight) {
    std::vector<Ipp8u> dst(4, 9);
    EXPECT_EQ(ippiFilter32f_8u_C4R(pixel.data(), 4, dst.data(), 4, {1, 1}, &weight, {1, 1}, {0, 0}), ippStsNoErr);
    return dst;
}

// The output rule on one pixel: halves round up, both ends saturate, NaN gives 0,
// and alpha is filtered like the colours.
TEST(IppFilter32f, OutputRuleOnOnePixel) {
    EXPECT_EQ(OneByOne({3, 1, 0, 3}, 0.5f), (std::vector<Ipp8u>{2, 1, 0, 2}));
    // 255 * w with w just over 1 sums to about 255.4.
    EXPECT_EQ(OneByOne({255, 100, 1, 0}, 255.4f / 255.0f)[0], 255);
    EXPECT_EQ(OneByOne({255, 100, 1, 0}, 2.0f)[0], 255);
    EXPECT_EQ(OneByOne({255, 100, 1, 0}, -1.0f), (std::vector<Ipp8u>{0, 0, 0, 0}));
    EXPECT_EQ(OneByOne({200, 200, 200, 200}, NAN), (std::vector<Ipp8u>{0, 0, 0, 0}));
    EXPECT_EQ(OneByOne({200, 200, 200, 200}, INFINITY), (std::vector<Ipp8u>{255, 255, 255, 255}));
}

TEST(IppFilter32f, SumOf255Point4GivesExactly255) {
    // Two cells: 255 * 1.0 + 1 * 0.4 (as a float) = 255.4000000059604...
    const std::vector<Ipp8u> src = {1, 0, 0, 0, 255, 0, 0, 0};
    const float kernel[2] = {1.0f, 0.4f};
    Ipp8u dst[4] = {};
    ASSERT_EQ(ippiFilter32f_8u_C4R(src.data() + 4, 8, dst, 4, {1, 1}, kernel, {2, 1}, {0, 0}), ippStsNoErr);
    EXPECT_EQ(dst[0], 255);
}

TEST(IppFilter32f, IsTrueConvolution_RowsAndColumnsMirrored) {
    // 3x3 picture, blue byte = 10 * (row * 3 + column); kernel with one 1 at cell (0, 0).
    std::vector<Ipp8u> src(9 * 4, 0);
    for (int i = 0; i < 9; ++i) src[i * 4] = static_cast<Ipp8u>(10 * i);
    float kernel[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    Ipp8u dst[4] = {};
    // Centre pixel, anchor (1, 1): cell (0, 0) meets the pixel one right and one below.
    ASSERT_EQ(ippiFilter32f_8u_C4R(src.data() + 4 * 4, 12, dst, 4, {1, 1}, kernel, {3, 3}, {1, 1}), ippStsNoErr);
    EXPECT_EQ(dst[0], 80);
    float lastCell[9] = {0, 0, 0, 0, 0, 0, 0, 0, 1};
    ASSERT_EQ(ippiFilter32f_8u_C4R(src.data() + 4 * 4, 12, dst, 4, {1, 1}, lastCell, {3, 3}, {1, 1}), ippStsNoErr);
    EXPECT_EQ(dst[0], 0);
}

TEST(IppFilter32f, SumsInDoubleInRowMajorOrder) {
    // Weights whose float sum would lose the small term: 1e8, 1, -1e8 over bytes 1,1,1.
    // In double, summed cell 0 first: (1e8 + 1) - 1e8 = 1 exactly; rounded -> 1.
    const std::vector<Ipp8u> src = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const float kernel[3] = {1e8f, 1.0f, -1e8f};
    Ipp8u dst[4] = {};
    ASSERT_EQ(ippiFilter32f_8u_C4R(src.data() + 8, 12, dst, 4, {1, 1}, kernel, {3, 1}, {0, 0}), ippStsNoErr);
    EXPECT_EQ(dst[0], 1);
}

TEST(IppFilter32f, LaplacianOnFlatAreaIsZero_AndPositiveOnADarkPixel) {
    const int w = 5, h = 5;
    std::vector<Ipp8u> src(static_cast<size_t>(w) * h * 4, 120);
    src[(2 * w + 2) * 4] = 20;  // dark centre, blue byte
    const float kernel[9] = {-1, -1, -1, -1, 8, -1, -1, -1, -1};
    std::vector<Ipp8u> dst(static_cast<size_t>(w) * h * 4, 7);
    ASSERT_EQ(ippiFilter32f_8u_C4R(src.data() + (w + 1) * 4, w * 4, dst.data() + (w + 1) * 4, w * 4, {3, 3}, kernel,
                                   {3, 3}, {1, 1}),
              ippStsNoErr);
    EXPECT_EQ(dst[(2 * w + 2) * 4], 0);  // 8 * 20 - 8 * 120 < 0
    EXPECT_EQ(dst[(1 * w + 1) * 4], 100);  // one dark neighbour: 8*120 - 7*120 - 20
    EXPECT_EQ(dst[(2 * w + 2) * 4 + 1], 0);  // flat green
    EXPECT_EQ(dst[0], 7);  // outside the region: untouched
}

}  // namespace
