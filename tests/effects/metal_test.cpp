// Metallic through the real effect object: "Gold" on grey, white and black, "Reset To
// None", the wave on its constant and saturation (tests/identity proves the per-frame
// tables give the per-pixel rule's bytes; the contract suite holds what all effects share).
#include <gtest/gtest.h>

#include <cmath>

#include "effects/metal.h"
#include "tests/effects/effect_harness.h"

namespace effect_test {
namespace {

using MetalRig = EffectRig<CMetal, tMETALLIC_PROPS>;

constexpr int kGold = 3;
constexpr int kResetToNone = 8;

tMETALLIC_PROPS Record(COLORREF color, float shine, float highlights, float calibrate, float metal, float picture) {
    return {color, shine, highlights, calibrate, metal, picture, 0, {}};
}

TEST(Metallic, GoldOnMidGreyWhiteAndBlack) {
    MetalRig rig;
    const Picture out = rig.RenderWith(g_metallicPresets[kGold], GreyRow({128, 255, 0}));
    ExpectRgb(out, 0, 159, 142, 94);
    ExpectRgb(out, 1, 255, 255, 186);
    ExpectRgb(out, 2, 3, 2, 0);
}

TEST(Metallic, ResetToNoneReturnsEveryPixelUnchanged) {
    const Picture in = MakeNoise(61, 23, 4, false);
    MetalRig rig;
    EXPECT_EQ(FirstDifference(rig.RenderWith(g_metallicPresets[kResetToNone], in), in), "");
}

// Many reflection bands make the wave's constant show: 3.1415, not pi.
TEST(Metallic, TheWaveRunsOnTheConstant3Point1415) {
    const tMETALLIC_PROPS r = Record(MakeColorRef(255, 255, 255), 1.0f, 50.0f, 0.25f, 0.5f, 0.0f);
    MetalRig rig;
    const Picture out = rig.RenderWith(r, GreyRow());
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

}  // namespace
}  // namespace effect_test
