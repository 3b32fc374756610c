// The conversions' stated values and rounding. Every input of both is pinned by the
// identity digests (tests/identity), which any change to either conversion moves.
#include <gtest/gtest.h>

#include <cstdint>

#include "image/ippi.h"

namespace {

struct Triple {
    int a, b, c;
    bool operator==(const Triple&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Triple& t) { return os << "(" << t.a << "," << t.b << "," << t.c << ")"; }

Triple ToHsv(int b0, int b1, int b2) {
    Ipp8u src[4] = {static_cast<Ipp8u>(b0), static_cast<Ipp8u>(b1), static_cast<Ipp8u>(b2), 0x42};
    Ipp8u dst[4] = {0, 0, 0, 0x99};
    EXPECT_EQ(ippiRGBToHSV_8u_AC4R(src, 4, dst, 4, {1, 1}), ippStsNoErr);
    EXPECT_EQ(dst[3], 0x99);
    return {dst[0], dst[1], dst[2]};
}

Triple ToRgb(int h, int s, int v) {
    Ipp8u src[4] = {static_cast<Ipp8u>(h), static_cast<Ipp8u>(s), static_cast<Ipp8u>(v), 0x42};
    Ipp8u dst[4] = {0, 0, 0, 0x99};
    EXPECT_EQ(ippiHSVToRGB_8u_AC4R(src, 4, dst, 4, {1, 1}), ippStsNoErr);
    EXPECT_EQ(dst[3], 0x99);
    return {dst[0], dst[1], dst[2]};
}

TEST(IppRgbToHsv, StatedValues) {
    EXPECT_EQ(ToHsv(0, 0, 0), (Triple{0, 0, 0}));
    EXPECT_EQ(ToHsv(255, 0, 0), (Triple{0, 255, 255}));
    EXPECT_EQ(ToHsv(0, 0, 255), (Triple{170, 255, 255}));    // sextant 4: 4 * 255 / 6 = 170
    EXPECT_EQ(ToHsv(255, 0, 255), (Triple{212, 255, 255}));  // sextant 5: 212.5 rounds down
    EXPECT_EQ(ToHsv(0, 255, 0), (Triple{85, 255, 255}));
    EXPECT_EQ(ToHsv(128, 128, 128), (Triple{0, 0, 128}));
}

TEST(IppRgbToHsv, RoundingBiasRoundsExactHalvesDown) {
    // delta / V * 255 = 1/2 * 255 = 127.5 for (2, 1, 1) -> 127.
    EXPECT_EQ(ToHsv(2, 1, 1).b, 127);
    // Hue 42.5 for R = G (sextant 1 from the red side): (255, 255, 0) -> h = 1 -> 42.5 -> 42.
    EXPECT_EQ(ToHsv(255, 255, 0).a, 42);
    // Negative sextant: (255, 0, 1) -> -1/255 * 255/6 + 255 = 254.83 -> 255, which the
    // way back reads as hue 0.
    EXPECT_EQ(ToHsv(255, 0, 1).a, 255);
    // Just below: (255, 0, 4) -> 254.33 -> 254.
    EXPECT_EQ(ToHsv(255, 0, 4).a, 254);
}

TEST(IppHsvToRgb, StatedValues) {
    EXPECT_EQ(ToRgb(0, 0, 77), (Triple{77, 77, 77}));
    EXPECT_EQ(ToRgb(255, 255, 255), (Triple{255, 0, 0}));  // hue 255 counts as 0
    EXPECT_EQ(ToRgb(0, 255, 255), (Triple{255, 0, 0}));
    EXPECT_EQ(ToRgb(170, 255, 255), (Triple{0, 0, 255}));
    EXPECT_EQ(ToRgb(85, 255, 255), (Triple{0, 255, 0}));
}

}  // namespace
