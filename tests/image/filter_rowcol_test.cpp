#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>
#include <algorithm>

#include "image/ippi.h"
#include "image/kernel_divisor.h"
#include "image/sum_normalisation.h"

namespace {

// The output byte for one sum S under divisor d: a 1-tap kernel {S} over a byte 1.
int NormaliseThroughRowFilter(int sum, int divisor) {
    const Ipp8u src[4] = {1, 1, 1, 9};
    Ipp8u dst[4] = {0, 0, 0, 0};
    const Ipp32s kernel[1] = {sum};
    EXPECT_EQ(ippiFilterRow_8u_AC4R(src, 4, dst, 4, {1, 1}, kernel, 1, 0, divisor), ippStsNoErr);
    return dst[0];
}

// Powers of two shift with halves rounding up; any other divisor multiplies by its
// single-precision reciprocal r, so a half rounds the way r lies from 1/d.
TEST(IppFilterNormalisation, StatedRoundingForEveryKindOfDivisor) {
    struct Case {
        int sum, divisor, expected;
    };
    const Case cases[] = {
        {9, 6, 2},  // 9 * r + 0.5 = 2.0000000447
        {0, 6, 0},      {-9, 6, 0},      {-1000, 1, 0},   {-1000, 4, 0}, {300, 1, 255},  {17, 1, 17},
        {1022, 4, 255},  // (1022 + 2) >> 2 = 256, clamped
        {1021, 4, 255}, {1017, 4, 254},  {100000, 7, 255},
        {100, -4, 0},   {-100, -4, 25},  // a negative divisor takes the reciprocal path
        {2, 4, 1},      {1, 4, 0},       {6, 4, 2},       {1, 2, 1},     {3, 2, 2},
        {25, 50, 0},    {75, 50, 1},     // r = 1/50 rounded lies below 1/50: the half rounds down
        {5, 10, 1},     {3, 6, 1},       // r = 1/10 rounded lies above 1/10: the half rounds up
        {900, 9, 100},  // the tent sum of the blurs at n = 5
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormaliseThroughRowFilter(c.sum, c.divisor), c.expected) << c.sum << " / " << c.divisor;
}

TEST(IppFilterNormalisation, ReciprocalIsCorrectlyRoundedEvenWhereDoubleRoundingWouldMiss) {
    // Divisors where 1/d in double lands exactly halfway between two floats.
    for (int d : {846731599, 939524103, 943201287, 1614112203, 1693463198, 1745032969, 1879048206, 1886402574,
                  2004436223, 3, 6, 9, 50, 1000, -7}) {
        const float r = ipp_detail::ReciprocalToSingle(d);
        const long double err = std::fabs(static_cast<long double>(r) * d - 1.0L);
        const long double errUp = std::fabs(static_cast<long double>(std::nextafter(r, INFINITY)) * d - 1.0L);
        const long double errDown = std::fabs(static_cast<long double>(std::nextafter(r, -INFINITY)) * d - 1.0L);
        EXPECT_LE(err, errUp) << d;
        EXPECT_LE(err, errDown) << d;
    }
    EXPECT_EQ(ipp_detail::ReciprocalToSingle(6), 1.0f / 6.0f);
    EXPECT_EQ(ipp_detail::ReciprocalToSingle(50), 0.02f);
}

// The running-sum filters' integer form of the reciprocal rule gives its bytes at every
// half and whole step of every divisor it is taken for, and the double form is kept
// where the product could leave 53 bits.
TEST(IppFilterNormalisation, IntegerProductGivesTheReciprocalBytesAtEveryHalfAndWholeStep) {
    std::vector<int> divisors;
    for (int d = 3; d <= 6000; ++d) divisors.push_back(d);
    for (int d = 6001; d < (1 << 21); d = d * 9 / 8 + 1) divisors.push_back(d);
    int taken = 0;
    for (int d : divisors) {
        const ipp_fast::Normalisation n(d);
        if (n.rule != ipp_fast::Rule::Product) continue;
        ++taken;
        for (int c = 0; c <= 256; ++c)
            for (int64_t base : {int64_t{c} * d, int64_t{c} * d + d / 2})
                for (int64_t delta = -1; delta <= 1; ++delta) {
                    const int64_t sum = std::min<int64_t>(base + delta, int64_t{255} * d);
                    ASSERT_EQ(n.Apply<ipp_fast::Rule::Product>(static_cast<int32_t>(sum)),
                              n.Apply<ipp_fast::Rule::Reciprocal>(static_cast<int32_t>(sum)))
                        << sum << " / " << d;
                }
    }
    EXPECT_GT(taken, 6000);  // all but the powers of two
    EXPECT_EQ(ipp_fast::Normalisation((1 << 29) / 255 + 1).rule, ipp_fast::Rule::Reciprocal);
}

TEST(IppFilterNormalisation, SumsBeyond32BitsSaturateInsteadOfWrapping) {
    // Two taps of 2^31-1 over 255: the sum no longer fits 32 bits.
    const Ipp8u src[8] = {255, 0, 255, 0, 255, 0, 255, 0};
    Ipp8u dst[4] = {};
    const Ipp32s kernel[2] = {INT32_MAX, INT32_MAX};
    for (int divisor : {1, 2, 1 << 30, 3, 1000000007}) {
        ASSERT_EQ(ippiFilterRow_8u_AC4R(src, 8, dst, 4, {1, 1}, kernel, 2, 1, divisor), ippStsNoErr);
        EXPECT_EQ(dst[0], 255) << divisor;
        EXPECT_EQ(dst[1], 0) << divisor;
    }
    const Ipp32s negative[2] = {INT32_MIN, INT32_MIN};
    ASSERT_EQ(ippiFilterRow_8u_AC4R(src, 8, dst, 4, {1, 1}, negative, 2, 1, 1), ippStsNoErr);
    EXPECT_EQ(dst[0], 0);
    // Exactly representable: the 64-bit sum normalises like the exact value.
    const Ipp32s big[2] = {1 << 30, 1 << 30};  // sum 255 * 2^31
    ASSERT_EQ(ippiFilterRow_8u_AC4R(src, 8, dst, 4, {1, 1}, big, 2, 1, 1 << 30), ippStsNoErr);
    EXPECT_EQ(dst[0], 255);
    const Ipp32s half[2] = {1 << 22, 1 << 22};  // sum 255 * 2^23, >> 30 rounds to 2
    ASSERT_EQ(ippiFilterRow_8u_AC4R(src, 8, dst, 4, {1, 1}, half, 2, 1, 1 << 30), ippStsNoErr);
    EXPECT_EQ(dst[0], 2);
}

}  // namespace
