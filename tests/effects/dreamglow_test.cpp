// Dream Glow through the real effect object: the kernel seen in the glow's response,
// the band-dependent blur, the gain and colour rules (the contract suite holds every
// preset's picture, records beyond the knobs and what all effects share).
#include <gtest/gtest.h>

#include "effects/dreamglow.h"
#include "tests/effects/blur_reference.h"
#include "tests/effects/effect_harness.h"

namespace {

using namespace effect_test;
using Rig = EffectRig<CDreamGlow, tDREAM_GLOW_PROPS>;

constexpr COLORREF kWhite = MakeColorRef(255, 255, 255);

tDREAM_GLOW_PROPS Record(COLORREF color, float blur, float glow) { return {color, blur, glow, 0, {0, 0, 0}}; }

Picture BlackWithWhiteRow(int width, int height, int row) {
    Picture p(width, height, 0, 0, 0);
    for (int x = 0; x < width; ++x) p.Set(x, row, 255, 255, 255);
    return p;
}

// With glow 0.5 and a white colour, a black pixel shows the blurred white row's
// luminance L as (L * 255) >> 8, L = (255 * v) >> 8 for v the blurred byte.
void ExpectGlowResponse(const Picture& out, int x, int row, int top, int bottom, const std::vector<int>& k, int sum) {
    const int m = static_cast<int>(k.size()) / 2;
    for (int y = top; y < bottom; ++y) {
        const int j = y + m - row;
        const int cell = j >= 0 && j < static_cast<int>(k.size()) ? k[j] : 0;
        const int lum = (255 * blur_test::Normalise(int64_t{255} * cell, sum)) >> 8;
        ASSERT_EQ(out.At(x, y)[2], y == row ? 255 : (lum * 255) >> 8) << "row " << y;
    }
}

}  // namespace

TEST(DreamGlowBands, FourBandsOf720x480GlowWithTwentyFiveRowKernels) {
    const Picture in = BlackWithWhiteRow(720, 480, 180);  // inside the second band
    const tDREAM_GLOW_PROPS p = Record(kWhite, 1.0f, 0.5f);
    Rig four(4), one(1);
    const Picture banded = four.RenderWith(p, in);
    ExpectGlowResponse(banded, 300, 180, 120, 240, blur_test::Tent(25), 169);  // K = 25
    // One band of 480 rows: K = 97, anchor 48, a tent peaking at 49 with sum 2401.
    ExpectGlowResponse(one.RenderWith(p, in), 300, 180, 0, 480, blur_test::Tent(97), 2401);
}

TEST(DreamGlow, ResetToNoneReturnsTheInputByteForByte) {
    for (int processors : {1, 4})
        for (const Picture& in : {MakeNoise(91, 77, 2, false), MakeTestCard(160, 97), MakeNoise(3, 2, 4, false)})
            EXPECT_EQ(Rig(processors).RenderWith(g_dreamGlowPresets[8], in), in) << processors;
}

TEST(DreamGlow, TheColourIsTheCeilingOfEveryChannel) {
    const Picture in = MakeNoise(64, 50, 9, false);
    Rig rig(2);
    const Picture black = rig.RenderWith(Record(MakeColorRef(0, 0, 0), 0.4f, 0.8f), in);
    const Picture darkroom = rig.RenderWith(g_dreamGlowPresets[3], in);  // red only
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 64; ++x) {
            for (int c = 0; c < 3; ++c) ASSERT_EQ(black.At(x, y)[c], 0);
            ASSERT_EQ(darkroom.At(x, y)[0], 0);
            ASSERT_EQ(darkroom.At(x, y)[1], 0);
            ASSERT_GE(darkroom.At(x, y)[2], in.At(x, y)[2]);
        }
}

TEST(DreamGlow, GainScalesTheBlurredLuminance) {
    // blur 0 gives K = 1: the "blur" of column 0 is column 2 (the left border).
    Picture in(8, 20, 0, 0, 0);
    in.Set(2, 5, 60, 60, 60);       // luminance 59
    in.Set(0, 12, 0, 0, 0, 0);      // transparent black beside white
    in.Set(2, 12, 255, 255, 255);   // luminance 254
    Rig rig(1);
    Picture half = rig.RenderWith(Record(kWhite, 0.0f, 0.5f), in);  // gainT 256: glowLum = 59
    Picture full = rig.RenderWith(Record(kWhite, 0.0f, 1.0f), in);  // gainT 512: glowLum = 118
    EXPECT_EQ(half.At(0, 5)[1], (59 * 255) >> 8);
    EXPECT_EQ(full.At(0, 5)[1], (118 * 255) >> 8);
    EXPECT_EQ(half.At(0, 12)[1], 253);  // glowLum 254
    EXPECT_EQ(half.At(0, 12)[3], 254);
    EXPECT_EQ(full.At(0, 12)[1], 255);  // glowLum 508: the colour's ceiling, alpha 255
    EXPECT_EQ(full.At(0, 12)[3], 255);
}

TEST(DreamGlow, BrightPixelsKeepTheirColourUpToTheCeilingAndTakeTheLargerAlpha) {
    // A uniform picture blurs to itself: srcLum = glowLum at glow 0.5.
    const Picture in(30, 20, 200, 200, 200, 10);  // luminance 199
    Rig rig(1);
    const Picture out = rig.RenderWith(Record(MakeColorRef(100, 255, 150), 0.6f, 0.5f), in);
    EXPECT_EQ(out, Picture(30, 20, 150, 200, 100, 199));
    const Picture dim = rig.RenderWith(Record(kWhite, 0.6f, 0.3f), in);  // gainT 153: glowLum 118
    EXPECT_EQ(dim, Picture(30, 20, 200, 200, 200, 118));
}
