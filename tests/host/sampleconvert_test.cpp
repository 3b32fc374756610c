// The premultiplication rules of the host surfaces, over every (colour, alpha) pair.
#include <gtest/gtest.h>

#include <cmath>

#include "host/sampleconvert.h"

TEST(HostSampleConvert, PremultiplyRoundsToNearest) {
    for (int a = 0; a <= 255; ++a)
        for (int c = 0; c <= 255; ++c) {
            long expected = std::lround(c * a / 255.0);
            ASSERT_EQ(PremultiplyChannel(BYTE(c), BYTE(a)), expected) << "c=" << c << " a=" << a;
        }
    EXPECT_EQ(PremultiplyChannel(255, 255), 255);
    EXPECT_EQ(PremultiplyChannel(200, 0), 0);
    EXPECT_EQ(PremultiplyChannel(128, 128), 64);  // 16384 / 255 = 64.25
}

TEST(HostSampleConvert, UnpremultiplyRoundsHalfUpAndSaturates) {
    for (int a = 0; a <= 255; ++a)
        for (int c = 0; c <= 255; ++c) {
            double exact = a == 0 ? 0.0 : std::floor(c * 255.0 / a + 0.5);
            long expected = exact > 255.0 ? 255 : long(exact);
            ASSERT_EQ(UnpremultiplyChannel(BYTE(c), BYTE(a)), expected) << "c=" << c << " a=" << a;
        }
    EXPECT_EQ(UnpremultiplyChannel(200, 100), 255);  // colour above its alpha saturates
    EXPECT_EQ(UnpremultiplyChannel(77, 0), 0);
}

TEST(HostSampleConvert, RoundTripsAreStable) {
    for (int a = 0; a <= 255; ++a)
        for (int c = 0; c <= 255; ++c) {
            BYTE pm = PremultiplyChannel(BYTE(c), BYTE(a));
            // Straight -> premultiplied -> straight -> premultiplied gives the same premultiplied value.
            ASSERT_EQ(PremultiplyChannel(UnpremultiplyChannel(pm, BYTE(a)), BYTE(a)), pm) << c << "," << a;
        }
    // Opaque samples survive both ways unchanged.
    for (int c = 0; c <= 255; ++c) {
        EXPECT_EQ(PremultiplyChannel(BYTE(c), 255), c);
        EXPECT_EQ(UnpremultiplyChannel(BYTE(c), 255), c);
    }
}
