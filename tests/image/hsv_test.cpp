#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

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
    EXPECT_EQ(ToRgb(255, 255, 255), ToRgb(0, 255, 255));
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

// Every colour through both conversions. The value (largest channel) comes back
// exactly; each other channel within the rounding the 256 hue steps and the
// saturation byte imply: a hue step is 6/255 of a sextant, so a channel that
// varies with the hue can move by up to delta * 3/255 < 3, the saturation byte
// moves the smallest channel by up to V / 510 < 0.5, and the result is rounded.
TEST(IppHsvConversion, RoundTripOfAllColoursStaysWithinTheRounding) {
    const int w = 256, h = 256;
    std::vector<Ipp8u> pixels(static_cast<size_t>(w) * h * 4), back(pixels.size());
    int maxError = 0;
    for (int c2 = 0; c2 < 256; ++c2) {
        for (int c1 = 0; c1 < 256; ++c1)
            for (int c0 = 0; c0 < 256; ++c0) {
                Ipp8u* p = &pixels[(static_cast<size_t>(c1) * w + c0) * 4];
                p[0] = static_cast<Ipp8u>(c0), p[1] = static_cast<Ipp8u>(c1), p[2] = static_cast<Ipp8u>(c2), p[3] = 7;
            }
        ASSERT_EQ(ippiRGBToHSV_8u_AC4R(pixels.data(), w * 4, back.data(), w * 4, {w, h}), ippStsNoErr);
        ASSERT_EQ(ippiHSVToRGB_8u_AC4R(back.data(), w * 4, back.data(), w * 4, {w, h}), ippStsNoErr);
        for (size_t i = 0; i < pixels.size(); i += 4) {
            const int v = std::max({pixels[i], pixels[i + 1], pixels[i + 2]});
            const int bv = std::max({back[i], back[i + 1], back[i + 2]});
            ASSERT_EQ(bv, v) << "value of colour " << int(pixels[i]) << "," << int(pixels[i + 1]) << "," << int(pixels[i + 2]);
            int err = 0;
            for (int c = 0; c < 3; ++c) err = std::max(err, std::abs(back[i + c] - pixels[i + c]));
            maxError = std::max(maxError, err);
        }
    }
    EXPECT_LE(maxError, 3);
}

}  // namespace
