// Line Drawing through the real effect object (Setup with host surfaces, Execute): the
// contrast curve at its stated points, paper on flat areas, the replicated frame of
// every band, thin bands, sample formats, the dropper; and the edge kernel's scale.
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

// Per-channel darkenings (blue, green, red) whose responses add up to [8 i, 8 i + 7].
struct Darkening {
    int delta[3];
};
Darkening DarkeningForCurveIndex(float scale, int i) {
    int deltaGiving[256];  // the smallest darkening with that response, or -1
    std::fill(std::begin(deltaGiving), std::end(deltaGiving), -1);
    for (int d = 255; d >= 0; --d) deltaGiving[DarkPixelResponse(scale, d)] = d;
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            const int rest = 8 * i - DarkPixelResponse(scale, a) - DarkPixelResponse(scale, b);
            for (int r = std::max(rest, 0); r <= std::min(rest + 7, 255); ++r)
                if (deltaGiving[r] >= 0) return {{a, b, deltaGiving[r]}};
        }
    ADD_FAILURE() << "no darkening reaches curve index " << i;
    return {{0, 0, 0}};
}

// A white strip three rows high with one darkened pixel per curve index in row 1, at
// columns 1, 4, 7, ... so that no two share a neighbourhood. Returns the columns.
Picture CurveProbe(float scale, std::vector<int>* columns) {
    Picture p(3 * 96 + 2, 3, 255, 255, 255);
    for (int i = 0; i < 96; ++i) {
        const Darkening d = DarkeningForCurveIndex(scale, i);
        const int x = 1 + 3 * i;
        p.Set(x, 1, static_cast<uint8_t>(255 - d.delta[0]), static_cast<uint8_t>(255 - d.delta[1]),
              static_cast<uint8_t>(255 - d.delta[2]));
        columns->push_back(x);
    }
    return p;
}

// The curve value v at every index, as shown by paper black and ink white: (255 v) >> 8.
std::vector<int> ShownCurve(float contrast) {
    const float scale = EdgeKernelScale(0.0f);
    std::vector<int> columns;
    const Picture probe = CurveProbe(scale, &columns);
    LineRig rig;
    const Picture out = rig.RenderWith(Record(MakeColorRef(0, 0, 0), MakeColorRef(255, 255, 255), 0.0f, contrast), probe);
    std::vector<int> shown;
    for (int x : columns) {
        const uint8_t* p = out.At(x, 1);
        EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << "column " << x;
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
    EXPECT_EQ(GreenOf(g_lineDrawingPresets[kPenAndPaper].paper) * 255 / 256, 254);
}

// ---- bands ------------------------------------------------------------------------------

TEST(LineDrawingBands, NarrowFramesRenderAsFlatAreasWithTheirAlpha) {
    const Picture in = MakeNoise(2, 9, 4, false);
    LineRig rig(1);
    const tLINE_DRAWING_PROPS record = Record(MakeColorRef(200, 100, 50), MakeColorRef(10, 20, 30), 1.0f, 0.0f);
    const Picture out = rig.RenderWith(record, in);
    // curve[0] at contrast 0 is 114.
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            const uint8_t* p = out.At(x, y);
            EXPECT_EQ(p[0], (50 * (255 - 114) + 30 * 114) >> 8);
            EXPECT_EQ(p[1], (100 * (255 - 114) + 20 * 114) >> 8);
            EXPECT_EQ(p[2], (200 * (255 - 114) + 10 * 114) >> 8);
            EXPECT_EQ(p[3], in.At(x, y)[3]);
        }
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
