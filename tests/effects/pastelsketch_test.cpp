// Pastel Sketch through the real effect object: "Reset To None", the two-tone blend 0,
// the ink threshold at a filtered sum of 400, the kernel scale at densities 0, 0.5 and
// 1, flat areas, the replicated frame of every band, thin bands, the dropper and
// records outside the knobs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effects/laplacian_fast.h"
#include "effects/pastelsketch.h"
#include "tests/effects/effect_harness.h"

namespace effect_test {
namespace {

using PastelRig = EffectRig<CPastelSketch, tPASTEL_SKETCHPROPS>;

constexpr int kResetToNone = 6;
const COLORREF kPaper = MakeColorRef(250, 200, 150);
const COLORREF kInk = MakeColorRef(5, 60, 110);

tPASTEL_SKETCHPROPS Record(COLORREF paper, COLORREF ink, float density, float blend) {
    return {paper, ink, density, blend, 0, {}};
}

bool IsColour(const uint8_t* p, COLORREF c) { return p[2] == RedOf(c) && p[1] == GreenOf(c) && p[0] == BlueOf(c); }

TEST(PastelSketch, ResetToNoneKeepsInnerPixels) {
    const Picture in = MakeNoise(37, 29, 3, false);
    PastelRig rig;
    const Picture out = rig.RenderWith(g_pastelSketchPresets[kResetToNone], in);
    for (int y = 1; y < in.height - 1; ++y)
        for (int x = 1; x < in.width - 1; ++x)
            ASSERT_EQ(std::memcmp(out.At(x, y), in.At(x, y), 4), 0) << x << "," << y;
}

TEST(PastelSketch, BlendZeroIsTwoToneWithTheInputAlpha) {
    Picture in = MakeNoise(31, 19, 6, false);
    PastelRig rig;
    const Picture out = rig.RenderWith(Record(kPaper, kInk, 0.5f, 0.0f), in);
    int inked = 0;
    for (int y = 1; y < in.height - 1; ++y)
        for (int x = 1; x < in.width - 1; ++x) {
            const uint8_t* p = out.At(x, y);
            ASSERT_TRUE(IsColour(p, kPaper) || IsColour(p, kInk)) << x << "," << y;
            ASSERT_EQ(p[3], in.At(x, y)[3]);
            inked += IsColour(p, kInk);
        }
    EXPECT_GT(inked, 0);
    EXPECT_LT(inked, (in.width - 2) * (in.height - 2));
}

TEST(PastelSketch, FlatAreasTakeThePaper) {
    PastelRig rig;
    const Picture out = rig.RenderWith(Record(kPaper, kInk, 1.0f, 0.0f), Picture(9, 7, 0, 0, 0, 140));
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) ASSERT_TRUE(IsColour(out.At(x, y), kPaper) && out.At(x, y)[3] == 140);
}

TEST(PastelSketch, AFilteredSumOf399TakesPaperAnd400TakesInk) {
    const float scale = EdgeKernelScale(0.0f);
    const auto below = DarkeningsSummingTo(scale, 399, 399), at = DarkeningsSummingTo(scale, 400, 400);
    PastelRig rig;
    const Picture out = rig.RenderWith(Record(kPaper, kInk, 0.0f, 0.0f), DarkPixels({below, at}));
    EXPECT_TRUE(IsColour(out.At(1, 1), kPaper));
    EXPECT_TRUE(IsColour(out.At(4, 1), kInk));
}

// The kernel is 0.3, 2.8 and 20.3 times the Laplacian at densities 0, 0.5 and 1: a grey
// pixel d darker than its neighbours gives round(8 * scale * d) per channel, so ink
// from 3 * that >= 400.
TEST(PastelSketch, KernelScaleAtDensityZeroHalfAndOne) {
    struct Case {
        float density;
        int paperDelta, inkDelta;
    };
    for (const Case c : {Case{0.0f, 55, 56}, Case{0.5f, 5, 6}, Case{1.0f, 0, 1}}) {
        PastelRig rig;
        const Picture out = rig.RenderWith(Record(kPaper, kInk, c.density, 0.0f),
                                           DarkPixels({{c.paperDelta, c.paperDelta, c.paperDelta},
                                                       {c.inkDelta, c.inkDelta, c.inkDelta},
                                                       {255, 255, 255}}));
        EXPECT_TRUE(IsColour(out.At(1, 1), kPaper)) << "density " << c.density;
        EXPECT_TRUE(IsColour(out.At(4, 1), kInk)) << "density " << c.density;
        EXPECT_TRUE(IsColour(out.At(7, 1), kInk)) << "black amid white, density " << c.density;
    }
}

// Off the edges: v = float(s * blend), then float(paper * keep + v), held within 0..255
// and truncated. A density that all but cancels the kernel's 0.3 makes every pixel
// an off-edge one, so every byte in every channel can be checked.
TEST(PastelSketch, MixesThePaperWithThePictureByBlend) {
    Picture in(256, 5);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < 256; ++x) in.Set(x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(255 - x), static_cast<uint8_t>(x ^ 0x5A));
    const float cancelling = -0.24662121f;
    ASSERT_LT(std::fabs(EdgeKernelScale(cancelling)), 1e-6f);
    for (float blend : {0.57f, 0.0f, 1.0f, 1.7f, -0.4f}) {
        PastelRig rig;
        const Picture out = rig.RenderWith(Record(kPaper, kInk, cancelling, blend), in);
        const float keep = static_cast<float>(1.0 - blend);
        auto mix = [&](int s, int c) {
            const float v = static_cast<float>(s * static_cast<double>(blend));
            const float m = static_cast<float>(c * static_cast<double>(keep) + v);
            return static_cast<int>(std::clamp(m, 0.0f, 255.0f));
        };
        for (int x = 1; x < 255; ++x) {  // the inner columns; the outermost are copies
            const uint8_t* s = in.At(x, 2);
            const uint8_t* p = out.At(x, 2);
            ASSERT_EQ(p[0], mix(s[0], BlueOf(kPaper))) << "blend " << blend << ", byte " << x;
            ASSERT_EQ(p[1], mix(s[1], GreenOf(kPaper))) << "blend " << blend << ", byte " << x;
            ASSERT_EQ(p[2], mix(s[2], RedOf(kPaper))) << "blend " << blend << ", byte " << x;
        }
    }
}

// ---- bands ------------------------------------------------------------------------------

// Frames of 4096-pixel rows on four processors: four bands of 1 or 2 rows, with no
// inner pixels, render as flat areas: the picture itself under "Reset To None", plain
// paper at blend 0, with the input's alpha.
TEST(PastelSketchBands, BandsOfOneAndTwoRowsRenderAsFlatAreas) {
    for (int rows : {1, 2}) {
        const Picture in = MakeNoise(4096, 4 * rows, 22, false);
        ASSERT_EQ(BandsOf(in.width, in.height, 4).size(), 4u);
        PastelRig rig(4);
        EXPECT_EQ(FirstDifference(rig.RenderWith(g_pastelSketchPresets[kResetToNone], in), in), "");
        const Picture twoTone = rig.RenderWith(Record(kPaper, kInk, 0.5f, 0.0f), in);
        for (int y = 0; y < in.height; ++y)
            for (int x = 0; x < in.width; ++x)
                ASSERT_TRUE(IsColour(twoTone.At(x, y), kPaper) && twoTone.At(x, y)[3] == in.At(x, y)[3]);
    }
}

}  // namespace
}  // namespace effect_test
