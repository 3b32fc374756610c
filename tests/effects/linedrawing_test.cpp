// Line Drawing through the real effect object (Setup with host surfaces, Execute): the
// contrast curve at its stated points, paper on flat areas, the replicated frame of
// every band, thin bands, sample formats, the dropper; and the table path of the edge
// filter against the generic filter.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <random>

#include "effects/laplacian_fast.h"
#include "effects/linedrawing.h"
#include "image/cpudispatch.h"
#include "image/imageops.h"
#include "tests/effects/band_checks.h"
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

// Frames of 4096-pixel rows on four processors: four bands of 1 or 2 rows, with no
// inner pixels, render as flat areas (paper 255 at curve[0] = 0 gives 254) with the
// input's alpha.
TEST(LineDrawingBands, BandsOfOneAndTwoRowsRenderAsFlatAreas) {
    for (int rows : {1, 2}) {
        const Picture in = MakeNoise(4096, 4 * rows, 21, false);
        ASSERT_EQ(BandsOf(in.width, in.height, 4).size(), 4u);
        LineRig rig(4);
        const Picture out = rig.RenderWith(g_lineDrawingPresets[kPenAndPaper], in);
        for (int y = 0; y < in.height; ++y)
            for (int x = 0; x < in.width; ++x) {
                const uint8_t* p = out.At(x, y);
                ASSERT_TRUE(p[0] == 254 && p[1] == 254 && p[2] == 254 && p[3] == in.At(x, y)[3]) << x << "," << y;
            }
    }
}

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

// ---- the table path of the edge filter --------------------------------------------------

CImageBuffer NoiseBuffer(int width, int height, uint32_t seed) {
    CImageBuffer b;
    EXPECT_TRUE(b.Allocate(width, height, 4));
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 4; ++x) {
            const uint32_t r = rng();
            // Runs of 0 and 255 reach the sums' extremes.
            b.PixelAt(0, y, 0)[x] = (r & 3) == 0 ? 0 : (r & 3) == 1 ? 255 : static_cast<uint8_t>(r >> 8);
        }
    return b;
}

bool SameBytes(const CImageBuffer& a, const CImageBuffer& b) {
    for (int y = 0; y < a.GetHeight(); ++y)
        if (std::memcmp(a.PixelAt(0, y, 0), b.PixelAt(0, y, 0), static_cast<size_t>(a.GetWidth()) * 4) != 0)
            return false;
    return true;
}

// Filters a fresh noise picture both ways into copies of one destination: the table
// path, and the generic routine itself (not whichever version the module selected)
// over the region Convolve gives it.
void ExpectTablePathMatchesGeneric(const float kernel[9], int width, int height, uint32_t seed) {
    const CImageBuffer src = NoiseBuffer(width, height, seed);
    CImageBuffer generic = NoiseBuffer(width, height, seed + 1);
    CImageBuffer fast = NoiseBuffer(width, height, seed + 1);
    const bool accepted = width >= 3 && height >= 3;
    if (accepted)
        ippGenericPrimitives().filter32f_8u_C4R(src.PixelAt(1, 1, 0), src.GetStep(), generic.PixelAt(1, 1, 0),
                                                generic.GetStep(), {width - 2, height - 2}, kernel, {3, 3}, {1, 1});
    EXPECT_EQ(CImageOps().Convolve(src, fast, kernel, 3), accepted);
    fast = NoiseBuffer(width, height, seed + 1);
    EXPECT_EQ(ConvolveEdgeKernel(src, fast, kernel), accepted);
    EXPECT_TRUE(SameBytes(fast, generic)) << "kernel cell " << kernel[0] << ", " << width << "x" << height;
}

TEST(EdgeFilterTablePath, KernelScaleFollowsTheDensity) {
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

TEST(EdgeFilterTablePath, RecognisesOnlyFiniteScaledLaplacians) {
    float scale = 0;
    const float other[9] = {0, 1, 0, 1, -4, 1, 0, 1, 0};
    EXPECT_FALSE(IsScaledLaplacian(other, &scale));
    const float inf = std::numeric_limits<float>::infinity();
    const float infinite[9] = {inf, inf, inf, inf, -inf, inf, inf, inf, inf};
    EXPECT_FALSE(IsScaledLaplacian(infinite, &scale));
    const float big = 1e38f;  // -8 * big is beyond single precision
    const float overflowing[9] = {big, big, big, big, -inf, big, big, big, big};
    EXPECT_FALSE(IsScaledLaplacian(overflowing, &scale));
}

TEST(EdgeFilterTablePath, SameBytesAsTheGenericFilterForEveryScale) {
    const float laplacian[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};
    std::vector<float> scales;
    for (float density : {0.0f, 0.04f, 0.41f, 0.5f, 0.54f, 0.71f, 1.0f, -0.3f, -1.0f, 2.0f, 1e10f, 1e13f})
        scales.push_back(EdgeKernelScale(density));
    for (float s : {0.0f, -0.0f, FLT_MIN, FLT_MIN / 64, 1.0f / 3, 0.1f, 1e-3f, 3e37f, 4.25e37f, FLT_MAX, -7.3f,
                    std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        scales.push_back(s);
    std::mt19937 rng(77);
    std::uniform_real_distribution<float> anyScale(-25.0f, 25.0f);
    for (int i = 0; i < 40; ++i) scales.push_back(anyScale(rng));
    uint32_t seed = 1;
    for (float s : scales) {
        float kernel[9];
        ScaleEdgeKernel(laplacian, s, kernel);
        for (auto size : {std::pair{3, 3}, {4, 7}, {33, 5}, {71, 29}}) ExpectTablePathMatchesGeneric(kernel, size.first, size.second, seed++);
    }
}

TEST(EdgeFilterTablePath, RefusesWhatTheGenericFilterRefuses) {
    const float laplacian[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};
    float kernel[9];
    ScaleEdgeKernel(laplacian, 2.8f, kernel);
    for (auto size : {std::pair{2, 9}, {9, 2}, {1, 1}}) ExpectTablePathMatchesGeneric(kernel, size.first, size.second, 5);
    // A one-channel destination.
    const CImageBuffer src = NoiseBuffer(9, 9, 3);
    CImageBuffer plane;
    ASSERT_TRUE(plane.Allocate(9, 9, 1));
    EXPECT_FALSE(ConvolveEdgeKernel(src, plane, kernel));
    // A filter into its own source goes the generic way.
    CImageBuffer a = NoiseBuffer(12, 12, 8), b = NoiseBuffer(12, 12, 8);
    EXPECT_TRUE(ConvolveEdgeKernel(a, a, kernel));
    EXPECT_TRUE(CImageOps().Convolve(b, b, kernel, 3));
    EXPECT_TRUE(SameBytes(a, b));
}

}  // namespace
}  // namespace effect_test
