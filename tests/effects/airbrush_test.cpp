// Air Brush through the real effect object: kernel lengths and sums seen in the
// blur's response, the band-dependent blur, the combine rule's numbers and uniform
// pictures (the contract suite holds every preset's picture, records beyond the
// knobs and what all effects share).
#include <gtest/gtest.h>

#include "effects/airbrush.h"
#include "tests/effects/blur_reference.h"
#include "tests/effects/effect_harness.h"

namespace {

using namespace effect_test;
using Rig = EffectRig<CAirBrush, tAIR_BRUSH_PROPS>;

// A white picture with one black row: with edge 1 every other pixel shows the blur,
// 255 * (sum - k[j]) / sum for the kernel cell j that meets the black row.
Picture WhiteWithBlackRow(int width, int height, int row) {
    Picture p(width, height, 255, 255, 255);
    for (int x = 0; x < width; ++x) p.Set(x, row, 0, 0, 0);
    return p;
}

// Expects column x of `out` around `row` to be the response of the tent `k` (anchor
// k.size() / 2) with the stated sum, and white beyond it.
void ExpectTentResponse(const Picture& out, int x, int row, int top, int bottom, const std::vector<int>& k, int sum) {
    const int r = static_cast<int>(k.size()) / 2;
    for (int y = top; y < bottom; ++y) {
        const int j = y + r - row;
        const int cell = j >= 0 && j < static_cast<int>(k.size()) ? k[j] : 0;
        const uint8_t expected = y == row ? 0 : blur_test::Normalise(int64_t{255} * (sum - cell), sum);
        ASSERT_EQ(out.At(x, y)[1], expected) << "row " << y;
    }
}

}  // namespace

TEST(AirBrush, KernelLengthAndSumFollowTheBandHeight) {
    // (spray 0.35 on 480 rows, n = 32: see the four-band test.)
    Rig rig(1);
    // 1080 rows: n = 72 (1..36,36..1, sum 1332).
    Picture out = rig.RenderWith({0.35f, 1.0f}, WhiteWithBlackRow(24, 1080, 500));
    ExpectTentResponse(out, 12, 500, 420, 580, blur_test::Tent(72), 1332);

    // spray 0 on 480 rows: n = 7 (1 2 3 4 3 2 1, sum 16: a rounding shift).
    out = rig.RenderWith({0.0f, 1.0f}, WhiteWithBlackRow(24, 480, 100));
    ExpectTentResponse(out, 12, 100, 80, 120, {1, 2, 3, 4, 3, 2, 1}, 16);

    // spray 0 on 134 rows: n = 2 (1 1, sum 2).
    out = rig.RenderWith({0.0f, 1.0f}, WhiteWithBlackRow(24, 134, 60));
    ExpectTentResponse(out, 12, 60, 40, 80, {1, 1}, 2);
}

TEST(AirBrush, SixtySevenRowsBlurNothingSixtySixRowsUseTheOutputsColours) {
    Rig rig(1);
    const Picture in = MakeNoise(31, 67, 7);
    // n = 1: the "blur" is the input with its two top rows and left columns taken
    // from the third and its last row and column from the one before; edge 1 takes
    // the per-channel minimum of input and that.
    Picture expected = in;
    for (int y = 0; y < 67; ++y)
        for (int x = 0; x < 31; ++x)
            for (int c = 0; c < 3; ++c)
                expected.At(x, y)[c] = std::min(in.At(x, y)[c], in.At(std::clamp(x, 2, 29), std::clamp(y, 2, 65))[c]);
    Picture out = rig.RenderWith({0.0f, 1.0f}, in);
    EXPECT_EQ(FirstDifference(out, expected), "");

    // n = 0 at 66 rows: no blur; the combine works against what the output held.
    const Picture in66 = in.Rows(0, 66);
    const Picture before = MakeNoise(31, 66, 8);
    RenderOptions options;
    options.outputBefore = &before;
    out = rig.RenderWith({0.0f, 1.0f}, in66, options);
    expected = in66;
    for (size_t i = 0; i < expected.bytes.size(); ++i)
        if (i % 4 != 3) expected.bytes[i] = std::min(in66.bytes[i], before.bytes[i]);
    EXPECT_EQ(FirstDifference(out, expected), "");
}

TEST(AirBrush, EdgeZeroLiftsADarkPixelByTheGreyDifference) {
    // 67 rows give n = 1, so the "blur" of column 0 is column 2: a pixel of luminance
    // 100 beside one of 120 has target 120 * 245 >> 8 = 114 and rises by 14.
    Picture in(8, 67, 200, 200, 200);
    in.Set(0, 30, 101, 101, 101);  // luminance 100
    in.Set(2, 30, 121, 121, 121);  // luminance 120
    in.Set(0, 40, 250, 100, 43);   // luminance 100, blue would pass 255
    in.Set(2, 40, 121, 121, 121);
    Rig rig(1);
    Picture out = rig.RenderWith({0.0f, 0.0f}, in);
    EXPECT_EQ(out.At(0, 30)[0], 115);
    EXPECT_EQ(out.At(0, 30)[1], 115);
    EXPECT_EQ(out.At(0, 30)[2], 115);
    EXPECT_EQ(out.At(0, 40)[0], 255);
    EXPECT_EQ(out.At(0, 40)[1], 114);
    EXPECT_EQ(out.At(0, 40)[2], 57);
}

TEST(AirBrush, EdgeOneHalfGivesThreshold183) {
    // Beside white (blurred luminance 254 at n = 1) the target is 254 * 183 >> 8 = 181:
    // luminance 180 rises by 1, luminance 181 takes the minimum (itself).
    Picture in(8, 67, 255, 255, 255);
    in.Set(0, 30, 181, 181, 181);  // luminance 180
    in.Set(0, 40, 182, 182, 182);  // luminance 181
    Rig rig(1);
    const Picture out = rig.RenderWith({0.0f, 0.5f}, in);
    EXPECT_EQ(out.At(0, 30)[1], 182);
    EXPECT_EQ(out.At(0, 40)[1], 182);
}

TEST(AirBrushBands, FourBandsOf720x480BlurEachBandAsAPicture) {
    const Picture in = WhiteWithBlackRow(720, 480, 180);  // in the second band (rows 120..239)
    Rig four(4), one(1);
    const Picture banded = four.RenderWith({0.35f, 1.0f}, in);
    // n = 8 in each 120-row band: 1 2 3 4 4 3 2 1, sum 20.
    ExpectTentResponse(banded, 360, 180, 160, 200, {1, 2, 3, 4, 4, 3, 2, 1}, 20);
    // One band of 480 rows: n = 32, a tent 1..16,16..1 with sum 272.
    const Picture whole = one.RenderWith({0.35f, 1.0f}, in);
    ExpectTentResponse(whole, 360, 180, 150, 210, blur_test::Tent(32), 272);
}

TEST(AirBrush, UniformPicturesStayAsTheyAre) {
    for (int processors : {1, 3}) {
        Rig rig(processors);
        for (float spray : {0.0f, 0.27f, 0.81f, 1.0f})
            for (float edge : {0.0f, 0.5f, 1.0f}) {
                const Picture in(40, 210, 40, 170, 230, 255);  // bands of at least 67 rows: n >= 1
                EXPECT_EQ(rig.RenderWith({spray, edge}, in), in) << spray << " " << edge;
                const Picture translucent(33, 200, 12, 60, 90, 100);
                EXPECT_EQ(rig.RenderWith({spray, edge}, translucent), translucent) << spray << " " << edge;
            }
    }
}
