// Line Drawing through the real effect object: the contrast curve at its stated
// points, paper on flat areas, frames too narrow for the edge filter; and the edge
// kernel's scale.
#include <gtest/gtest.h>

#include "effects/laplacian_fast.h"
#include "effects/linedrawing.h"
#include "tests/effects/effect_harness.h"

namespace effect_test {
namespace {

using LineRig = EffectRig<CLineDrawing, tLINE_DRAWING_PROPS>;

constexpr int kPenAndPaper = 4;
constexpr int kResetToNone = 5;
constexpr int kHolidaySeason = 2;

tLINE_DRAWING_PROPS Record(COLORREF paper, COLORREF ink, float density, float contrast) {
    return {paper, ink, density, contrast, 0, {}};
}

// The curve value v at every index, as shown by paper black and ink white: (255 v) >> 8.
std::vector<int> ShownCurve(float contrast) {
    // One darkened pixel per curve index: responses adding up to [8 i, 8 i + 7].
    std::vector<std::array<int, 3>> deltas;
    for (int i = 0; i < 96; ++i) deltas.push_back(DarkeningsSummingTo(EdgeKernelScale(0.0f), 8 * i, 8 * i + 7));
    const Picture probe = DarkPixels(deltas);
    LineRig rig;
    const Picture out = rig.RenderWith(Record(MakeColorRef(0, 0, 0), MakeColorRef(255, 255, 255), 0.0f, contrast), probe);
    std::vector<int> shown;
    for (int i = 0; i < 96; ++i) {
        const uint8_t* p = out.At(1 + 3 * i, 1);
        EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << "index " << i;
        shown.push_back(p[0]);
    }
    return shown;
}

int Shown(int v) { return (255 * v) >> 8; }

TEST(LineDrawing, CurveAtContrastHalfIsTheIndexScaledTo255) {
    const std::vector<int> shown = ShownCurve(0.5f);
    for (int i = 0; i < 96; ++i) EXPECT_EQ(shown[i], Shown(255 * i / 96)) << "index " << i;
    EXPECT_EQ(shown[95], Shown(252)) << "even the strongest edge stops short of pure ink";
}

TEST(LineDrawing, CurveAtContrastOneIsANearThreshold) {
    const std::vector<int> shown = ShownCurve(1.0f);
    for (int i = 0; i <= 43; ++i) EXPECT_EQ(shown[i], 0) << "index " << i;
    for (int i = 44; i < 53; ++i) {
        EXPECT_GT(shown[i], 0) << "index " << i;
        EXPECT_LT(shown[i], Shown(255)) << "index " << i;
    }
    for (int i = 53; i < 96; ++i) EXPECT_EQ(shown[i], Shown(255)) << "index " << i;
}

TEST(LineDrawing, CurveAtContrastZeroRunsFrom114To139) {
    const std::vector<int> shown = ShownCurve(0.0f);
    EXPECT_EQ(shown.front(), Shown(114));
    EXPECT_EQ(shown.back(), Shown(139));
    for (int i = 1; i < 96; ++i) EXPECT_GE(shown[i], shown[i - 1]) << "index " << i;
}

TEST(LineDrawing, ResetToNoneGivesAFlatMidTone) {
    LineRig rig;
    const Picture out = rig.RenderWith(g_lineDrawingPresets[kResetToNone], MakeTestCard(67, 41));
    // Paper white, ink black: (255 (255 - v)) >> 8 with v in 114..139.
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const uint8_t* p = out.At(x, y);
            ASSERT_GE(p[0], (255 * (255 - 139)) >> 8);
            ASSERT_LE(p[0], (255 * (255 - 114)) >> 8);
            ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]);
        }
}

TEST(LineDrawing, FlatAreasShowPaperScaledBy255Over256) {
    for (int row : {kPenAndPaper, kHolidaySeason}) {
        const tLINE_DRAWING_PROPS& preset = g_lineDrawingPresets[row];
        ASSERT_GE(preset.contrast, 0.5f);
        Picture flat(19, 11, 90, 60, 30, 200);
        LineRig rig;
        const Picture out = rig.RenderWith(preset, flat);
        const Picture expected(19, 11, static_cast<uint8_t>(BlueOf(preset.paper) * 255 / 256),
                               static_cast<uint8_t>(GreenOf(preset.paper) * 255 / 256),
                               static_cast<uint8_t>(RedOf(preset.paper) * 255 / 256), 200);
        EXPECT_EQ(FirstDifference(out, expected), "") << "preset " << row;
    }
}

// ---- bands ------------------------------------------------------------------------------

TEST(LineDrawingBands, NarrowFramesRenderAsFlatAreasWithTheirAlpha) {
    const Picture in = MakeNoise(2, 9, 4, false);
    LineRig rig(1);
    const tLINE_DRAWING_PROPS record = Record(MakeColorRef(200, 100, 50), MakeColorRef(10, 20, 30), 1.0f, 0.0f);
    // curve[0] at contrast 0 is 114.
    Picture flat = in;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            flat.Set(x, y, (50 * (255 - 114) + 30 * 114) >> 8, (100 * (255 - 114) + 20 * 114) >> 8,
                     (200 * (255 - 114) + 10 * 114) >> 8, in.At(x, y)[3]);
    EXPECT_EQ(FirstDifference(rig.RenderWith(record, in), flat), "");
}

// ---- the edge kernel (tests/identity proves its table path gives the generic bytes) -----

TEST(EdgeKernel, ScaleFollowsTheDensity) {
    EXPECT_EQ(EdgeKernelScale(0.0f), 0.3f);
    EXPECT_EQ(EdgeKernelScale(0.5f), 2.8f);
    EXPECT_EQ(EdgeKernelScale(1.0f), 20.3f);
    const float laplacian[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};
    float kernel[9];
    ScaleEdgeKernel(laplacian, 2.8f, kernel);
    float scale = 0;
    EXPECT_TRUE(IsScaledLaplacian(kernel, &scale));
    EXPECT_EQ(scale, 2.8f);
    EXPECT_EQ(kernel[4], -22.4f);
}

}  // namespace
}  // namespace effect_test
