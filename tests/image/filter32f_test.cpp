// The float filter's output rule and its double-precision sum (its mirrored kernel
// and the region it writes: the image ops' convolution tests).
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

TEST(IppFilter32f, SumsInDoubleInRowMajorOrder) {
    // Weights whose float sum would lose the small term: 1e8, 1, -1e8 over bytes 1,1,1.
    // In double, summed cell 0 first: (1e8 + 1) - 1e8 = 1 exactly; rounded -> 1.
    const std::vector<Ipp8u> src = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const float kernel[3] = {1e8f, 1.0f, -1e8f};
    Ipp8u dst[4] = {};
    ASSERT_EQ(ippiFilter32f_8u_C4R(src.data() + 8, 12, dst, 4, {1, 1}, kernel, {3, 1}, {0, 0}), ippStsNoErr);
    EXPECT_EQ(dst[0], 1);
}

}  // namespace
