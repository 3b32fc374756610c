// Duo Chrome through the real effect object: grey levels under "Black & White", the
// exchange and inversion under "Negative", the ramp's end points and equal paper and
// ink luminance (the contract suite holds what all effects share).
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <vector>

#include "effects/duochrome.h"
#include "effects/duochrome_fast.h"
#include "image/cpudispatch.h"
#include "tests/effects/effect_harness.h"

namespace effect_test {
namespace {

using DuoRig = EffectRig<CDuoChrome, tDUOCHROME_PROPS>;

constexpr int kBlackAndWhite = 1;
constexpr int kNegative = 5;
constexpr int kResetToNone = 7;
constexpr int kYellowBlue = 9;

tDUOCHROME_PROPS Record(COLORREF paper, COLORREF ink, float blend) { return {paper, ink, blend, 0, {}}; }

TEST(DuoChrome, ResetToNoneReturnsEveryPixelUnchanged) {
    const Picture in = MakeNoise(37, 29, 3, false);
    DuoRig rig;
    EXPECT_EQ(FirstDifference(rig.RenderWith(g_duoChromePresets[kResetToNone], in), in), "");
}

TEST(DuoChrome, BlackAndWhiteKeepsGreysOrDropsThemByOne) {
    DuoRig rig;
    const Picture out = rig.RenderWith(g_duoChromePresets[kBlackAndWhite], GreyRow());
    int dropped = 0;
    for (int g = 0; g < 256; ++g) {
        const uint8_t* p = out.At(g, 0);
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << "grey " << g;
        ASSERT_TRUE(p[0] == g || p[0] == g - 1) << "grey " << g << " gave " << int(p[0]);
        dropped += p[0] == g - 1;
    }
    EXPECT_EQ(out.At(39, 0)[0], 38);
    EXPECT_EQ(out.At(0, 0)[0], 0);
    EXPECT_EQ(out.At(255, 0)[0], 255) << "white is exactly as bright as the paper";
    EXPECT_GT(dropped, 0);
    EXPECT_LT(dropped, 16) << "only a few levels fall just below a whole number";
}

TEST(DuoChrome, NegativeExchangesPaperAndInkAndInvertsTheLuminance) {
    const tDUOCHROME_PROPS& negative = g_duoChromePresets[kNegative];
    // The record's paper (10, 128, 128) is darker than its ink (255, 214, 170).
    DuoRig rig;
    const Picture out = rig.RenderWith(negative, RgbRow({{0, 0, 0}, {255, 255, 255}, {10, 10, 10}, {200, 200, 200}}));
    ExpectRgb(out, 0, 255, 255, 255);  // black above the lighter colour: white
    for (int c = 0; c < 3; ++c) EXPECT_LE(out.At(1, 0)[c], 2) << "white ends near black";
    // A dark grey lands between the lighter colour and white, a light one between black
    // and the darker colour.
    EXPECT_GE(out.At(2, 0)[2], 255);
    EXPECT_GE(out.At(2, 0)[1], 214);
    EXPECT_GE(out.At(2, 0)[0], 170);
    EXPECT_LE(out.At(3, 0)[2], 10);
    EXPECT_LE(out.At(3, 0)[1], 128);
    EXPECT_LE(out.At(3, 0)[0], 128);
    // Giving paper and ink the other way round changes nothing but the inversion.
    DuoRig plain;
    const Picture exchanged = plain.RenderWith(Record(negative.ink, negative.paper, 1.0f), RgbRow({{0, 0, 0}}));
    ExpectRgb(exchanged, 0, 0, 0, 0);
}

TEST(DuoChrome, PixelsAsBrightAsThePaperTakeThePaperColour) {
    const tDUOCHROME_PROPS& yellowBlue = g_duoChromePresets[kYellowBlue];
    DuoRig rig;
    const Picture out = rig.RenderWith(yellowBlue, RgbRow({{234, 227, 104}, {98, 145, 191}}));
    ExpectRgb(out, 0, 234, 227, 104);
    ExpectRgb(out, 1, 98, 145, 191);  // and the ink's own colour the ink
}

TEST(DuoChrome, BlackWithABlackInkStaysBlack) {
    DuoRig rig;
    const Picture out = rig.RenderWith(Record(MakeColorRef(185, 124, 70), MakeColorRef(0, 0, 0), 1.0f), RgbRow({{0, 0, 0}}));
    ExpectRgb(out, 0, 0, 0, 0);
}

// (0, 0, 246) and (1, 45, 10) have the same single-precision luminance, 27.798.
TEST(DuoChrome, EqualPaperAndInkLuminanceGivesThePaperAtThatLuminance) {
    const COLORREF a = MakeColorRef(0, 0, 246), b = MakeColorRef(1, 45, 10);
    const Picture in = RgbRow({{0, 0, 246}, {1, 45, 10}, {0, 0, 0}, {255, 255, 255}, {30, 30, 30}});
    for (auto [paper, ink] : {std::pair{a, b}, std::pair{b, a}}) {
        DuoRig rig;
        const Picture out = rig.RenderWith(Record(paper, ink, 1.0f), in);
        for (int x = 0; x < 2; ++x) ExpectRgb(out, x, RedOf(paper), GreenOf(paper), BlueOf(paper));
        ExpectRgb(out, 2, 0, 0, 0);
        // White (luminance 254.235) lies just short of the ramp's white end.
        for (int c = 0; c < 3; ++c) EXPECT_GE(out.At(3, 0)[c], 254);
    }
    // The same colour as paper and ink.
    DuoRig rig;
    ExpectRgb(rig.RenderWith(Record(a, a, 1.0f), in), 0, 0, 0, 246);
}

}  // namespace
}  // namespace effect_test

#if defined(__x86_64__) || defined(__i386__)
// The AVX-512 rows multiply by the divisor's reciprocal; quotients that fall on or
// within a hair of a point halfway between two floats must still round as the division.
TEST(DuoChrome, VectorPositionsRoundAsTheDivisionAtHalfwayQuotients) {
    ippStaticInit();
    if (!ippAvx512Enabled()) GTEST_SKIP() << "no AVX-512 here";
    std::vector<double> a, over;
    for (const double divisor : {3.0, 7.0, 12.75, 77.3046875, 191.25, 254.5}) {
        for (int k = 1; k < 400; ++k) {
            // A halfway quotient (25 significant bits) times the divisor, and the doubles
            // up to 6 units either side of that dividend.
            const double halfway = std::ldexp(static_cast<double>((1 << 24) + 2 * k * 4099 + 1), -25);
            const double dividend = halfway * divisor;
            for (int step = -6; step <= 6; ++step) {
                a.push_back(dividend + step * (std::nextafter(dividend, 1e9) - dividend));
                over.push_back(divisor);
            }
        }
    }
    a.resize(a.size() / 8 * 8), over.resize(a.size());
    std::vector<float> t(a.size());
    DuoChromePositionsAvx512(a.data(), over.data(), t.data(), static_cast<int>(a.size()));
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(t[i], static_cast<float>(a[i] / over[i])) << a[i] << " / " << over[i];
    // A row divides by nothing that is 0 (the lanes beyond the three segments included).
    const DuoSegments segments = MakeDuoSegments(MakeDuoRamp(tDUOCHROME_PROPS{0x00F0E0D0, 0x00102030, 0.5f, 0, {}}));
    std::vector<uint8_t> pixels(64 * 4, 128), rendered(64 * 4);
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(DuoChromeRowAvx512(segments, pixels.data(), rendered.data(), 64), 64);
    EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID));
}
#endif
