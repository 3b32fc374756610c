// The premultiplication rules of the host surfaces, over every (colour, alpha) pair:
// premultiplying rounds to nearest, unpremultiplying rounds half up and saturates, and
// a premultiplied value survives the way back and forth.
#include <gtest/gtest.h>

#include <cmath>

#include "host/sampleconvert.h"

TEST(HostSampleConvert, RoundsEveryPairAsStatedAndRoundTripsStably) {
    for (int a = 0; a <= 255; ++a)
        for (int c = 0; c <= 255; ++c) {
            ASSERT_EQ(PremultiplyChannel(BYTE(c), BYTE(a)), std::lround(c * a / 255.0)) << "c=" << c << " a=" << a;
            const double exact = a == 0 ? 0.0 : std::floor(c * 255.0 / a + 0.5);
            ASSERT_EQ(UnpremultiplyChannel(BYTE(c), BYTE(a)), exact > 255.0 ? 255 : long(exact)) << c << "," << a;
            const BYTE pm = PremultiplyChannel(BYTE(c), BYTE(a));
            ASSERT_EQ(PremultiplyChannel(UnpremultiplyChannel(pm, BYTE(a)), BYTE(a)), pm) << c << "," << a;
        }
    EXPECT_EQ(PremultiplyChannel(128, 128), 64);      // 16384 / 255 = 64.25
    EXPECT_EQ(UnpremultiplyChannel(200, 100), 255);  // colour above its alpha saturates
}
