// Metallic through the real effect object: "Gold" on grey, white and black, "Reset To
// None", the pure metal rendering, the wave switched off, saturation, alpha, the
// dropper, bands and records outside the knobs; and the per-pixel rule on its own
// (tests/identity proves the per-frame tables give its bytes).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "effects/metal.h"
#include "effects/metal_fast.h"
#include "tests/effects/effect_harness.h"

namespace effect_test {
namespace {

using MetalRig = EffectRig<CMetal, tMETALLIC_PROPS>;

constexpr int kGold = 3;
constexpr int kResetToNone = 8;

tMETALLIC_PROPS Record(COLORREF color, float shine, float highlights, float calibrate, float metal, float picture) {
    return {color, shine, highlights, calibrate, metal, picture, 0, {}};
}

Picture Greys(std::initializer_list<int> levels) {
    Picture p(static_cast<int>(levels.size()), 1);
    int x = 0;
    for (int g : levels) p.Set(x++, 0, static_cast<uint8_t>(g), static_cast<uint8_t>(g), static_cast<uint8_t>(g));
    return p;
}

Picture GreyLevelsRow() {
    Picture p(256, 1);
    for (int g = 0; g < 256; ++g) p.Set(g, 0, static_cast<uint8_t>(g), static_cast<uint8_t>(g), static_cast<uint8_t>(g));
    return p;
}

void ExpectRgb(const Picture& out, int x, int red, int green, int blue) {
    const uint8_t* p = out.At(x, 0);
    EXPECT_EQ(p[2], red) << "pixel " << x;
    EXPECT_EQ(p[1], green) << "pixel " << x;
    EXPECT_EQ(p[0], blue) << "pixel " << x;
}

TEST(Metallic, GoldOnMidGreyWhiteAndBlack) {
    MetalRig rig;
    const Picture out = rig.RenderWith(g_metallicPresets[kGold], Greys({128, 255, 0}));
    ExpectRgb(out, 0, 159, 142, 94);
    ExpectRgb(out, 1, 255, 255, 186);
    ExpectRgb(out, 2, 3, 2, 0);
}

TEST(Metallic, ResetToNoneReturnsEveryPixelUnchanged) {
    const Picture in = MakeNoise(61, 23, 4, false);
    MetalRig rig;
    EXPECT_EQ(FirstDifference(rig.RenderWith(g_metallicPresets[kResetToNone], in), in), "");
}

TEST(Metallic, WithoutThePictureABlackPixelShowsTheWaveAtItsPhase) {
    const tMETALLIC_PROPS r = Record(MakeColorRef(255, 128, 64), 0.8f, 0.4f, 0.3f, 0.5f, 0.0f);
    MetalRig rig;
    const Picture out = rig.RenderWith(r, Greys({0}));
    const double term = double{r.metal} * 256 * (std::sin(2 * 3.1415 * double{r.calibrate}) * double{r.shine} + 1) * 0.5;
    ExpectRgb(out, 0, static_cast<int>(term * 255 / 256), static_cast<int>(term * 128 / 256),
              static_cast<int>(term * 64 / 256));
    EXPECT_GT(out.At(0, 0)[2], 0);
}

// Many reflection bands make the wave's constant show: 3.1415, not pi.
TEST(Metallic, TheWaveRunsOnTheConstant3Point1415) {
    const tMETALLIC_PROPS r = Record(MakeColorRef(255, 255, 255), 1.0f, 50.0f, 0.25f, 0.5f, 0.0f);
    MetalRig rig;
    const Picture out = rig.RenderWith(r, GreyLevelsRow());
    auto expected = [&](int g, double pi) {
        const double m = 3 * g / 768.0;
        const double theta = 2 * pi * double{r.calibrate} + m * 2 * pi * (6.0 * double{r.highlights} + 1.0);
        const double w = double{r.metal} * 256.0 * ((std::sin(theta) * double{r.shine} + 1.0) * 0.5 + m);
        return std::min(255, static_cast<int>(w * 255 / 256.0));
    };
    int apartFromPi = 0;
    for (int g = 0; g < 256; ++g) {
        EXPECT_EQ(out.At(g, 0)[2], expected(g, 3.1415)) << "grey " << g;
        apartFromPi += expected(g, 3.1415) != expected(g, 3.14159265358979);
    }
    EXPECT_GT(apartFromPi, 100);
}

TEST(Metallic, ChannelsSaturateAndAColourChannelOfZeroAddsNothing) {
    const tMETALLIC_PROPS r = Record(MakeColorRef(255, 0, 0), 1.0f, 0.5f, 0.8f, 3.0f, 0.0f);
    MetalRig rig;
    const Picture out = rig.RenderWith(r, MakeTestCard(40, 24));
    int saturated = 0;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const uint8_t* p = out.At(x, y);
            ASSERT_EQ(p[0], 0);
            ASSERT_EQ(p[1], 0);
            saturated += p[2] == 255;
        }
    EXPECT_GT(saturated, 0);
}

// Without a value there is no colour; beyond either end the channels saturate.
TEST(Metallic, RecordsWithoutAValueOrBeyondTheEnds) {
    const Picture in = MakeNoise(17, 9, 2, false);
    MetalRig rig;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Picture none = rig.RenderWith(Record(MakeColorRef(223, 175, 32), 1, 0.5f, 0.8f, nan, 0.5f), in);
    for (size_t i = 0; i < none.bytes.size(); ++i) ASSERT_EQ(none.bytes[i], i % 4 == 3 ? in.bytes[i] : 0);
    const Picture full = rig.RenderWith(Record(MakeColorRef(223, 175, 32), 0, 0, 0, 1e30f, 0), in);
    for (size_t i = 0; i < full.bytes.size(); ++i) ASSERT_EQ(full.bytes[i], i % 4 == 3 ? in.bytes[i] : 255);
    const Picture empty = rig.RenderWith(Record(MakeColorRef(223, 175, 32), 0, 0, 0, -1e30f, 0), in);
    for (size_t i = 0; i < empty.bytes.size(); ++i) ASSERT_EQ(empty.bytes[i], i % 4 == 3 ? in.bytes[i] : 0);
}

// ---- the per-pixel rule ----------------------------------------------------------------------

TEST(MetalPixelRule, ChannelsAreHeldWithin0To255AndNaNIs0) {
    EXPECT_EQ(MetalChannel(-0.5), 0);
    EXPECT_EQ(MetalChannel(255.9), 255);
    EXPECT_EQ(MetalChannel(1e300), 255);
    EXPECT_EQ(MetalChannel(-1e300), 0);
    EXPECT_EQ(MetalChannel(std::nan("")), 0);
}

}  // namespace
}  // namespace effect_test
