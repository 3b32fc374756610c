// Dream Glow through the real effect object: the kernel seen in the glow's response,
// the band-dependent blur, the gain and colour rules, records beyond the knobs, and
// byte-exact agreement with a plain reference (the contract suite holds the rest).
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <limits>

#include "effects/dreamglow.h"
#include "effects/truncation.h"
#include "tests/effects/blur_reference.h"

namespace {

using namespace effect_test;
using Rig = EffectRig<CDreamGlow, tDREAM_GLOW_PROPS>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr COLORREF kWhite = MakeColorRef(255, 255, 255);

tDREAM_GLOW_PROPS Record(COLORREF color, float blur, float glow) { return {color, blur, glow, 0, {0, 0, 0}}; }

// One band from the definition, in 64-bit arithmetic with no bound on the gain (so
// that it also checks that bounding the gain changes nothing). K below 1 blurs as K = 1.
Picture ReferenceBand(const Picture& in, const tDREAM_GLOW_PROPS& p) {
    const double gain = std::isnan(p.glow) ? 0.0 : std::clamp(static_cast<double>(p.glow) * 512.0, -1e12, 1e12);
    const int64_t gainT = static_cast<int64_t>(gain);
    const int64_t k = int64_t{TruncateToInt32(static_cast<double>(in.height) * p.blur * static_cast<double>(0.2f))} + 1;
    const int n = static_cast<int>(std::clamp<int64_t>(k, 1, in.height + 1));
    Picture out = blur_test::TentBlur(in, n);
    const int64_t colour[3] = {BlueOf(p.color), GreenOf(p.color), RedOf(p.color)};
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            const uint8_t* s = in.At(x, y);
            uint8_t* d = out.At(x, y);
            const int64_t glowLum = (Luminance(d) * gainT) >> 8;
            const int64_t srcLum = Luminance(s);
            const int64_t excess = srcLum < glowLum ? glowLum - srcLum : 0;
            for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>(std::min(s[c] + ((excess * colour[c]) >> 8), colour[c]));
            d[3] = static_cast<uint8_t>(std::min<int64_t>(std::max<int64_t>(glowLum, s[3]), 255));
        }
    return out;
}

Picture Reference(const Picture& in, const tDREAM_GLOW_PROPS& p, int processors) {
    return ByBands(in, OutputFill(in.width, in.height), processors,
                   [&](const Picture& i, const Picture&) { return ReferenceBand(i, p); });
}

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

std::vector<int> RisingTo(int peak, bool doublePeak) {
    std::vector<int> k;
    for (int i = 1; i <= peak; ++i) k.push_back(i);
    for (int i = doublePeak ? peak : peak - 1; i >= 1; --i) k.push_back(i);
    return k;
}

}  // namespace

TEST(DreamGlow, KernelOf97RowsAt480) {
    // blur 1.0 on 480 rows: K = 97, anchor 48, a tent peaking at 49 with sum 2401.
    const std::vector<int> k = RisingTo(49, false);
    ASSERT_EQ(k.size(), 97u);
    ASSERT_EQ(blur_test::SumOf(k), 2401);
    Rig rig(1);
    const Picture out = rig.RenderWith(Record(kWhite, 1.0f, 0.5f), BlackWithWhiteRow(40, 480, 240));
    ExpectGlowResponse(out, 20, 240, 0, 480, k, 2401);
}

TEST(DreamGlowBands, FourBandsOf720x480GlowWithTwentyFiveRowKernels) {
    const Picture in = BlackWithWhiteRow(720, 480, 180);  // inside the second band
    const tDREAM_GLOW_PROPS p = Record(kWhite, 1.0f, 0.5f);
    Rig four(4), one(1);
    const Picture banded = four.RenderWith(p, in);
    ExpectGlowResponse(banded, 300, 180, 120, 240, RisingTo(13, false), 169);  // K = 25
    ExpectGlowResponse(one.RenderWith(p, in), 300, 180, 0, 480, RisingTo(49, false), 2401);  // one band: K = 97
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

TEST(DreamGlowBands, MatchesTheReferenceAndNeverLowersAlpha) {
    struct Case {
        int width, height, processors;
        tDREAM_GLOW_PROPS props;
    };
    const Case cases[] = {{97, 61, 1, g_dreamGlowPresets[0]},  {97, 61, 2, g_dreamGlowPresets[1]},
                          {64, 200, 4, g_dreamGlowPresets[2]}, {129, 130, 3, g_dreamGlowPresets[4]},
                          {45, 300, 4, g_dreamGlowPresets[6]}, {200, 83, 4, g_dreamGlowPresets[10]},
                          {1, 40, 1, g_dreamGlowPresets[5]},   {3, 3, 1, Record(kWhite, 1.0f, 0.9f)},
                          {5, 4, 1, Record(kWhite, 4.0f, 0.9f)}, {301, 4, 2, Record(MakeColorRef(90, 200, 255), 3.0f, 0.7f)},
                          {2, 9, 1, Record(kWhite, 1.0f, 1.0f)}};
    for (const Case& c : cases) {
        Rig rig(c.processors);
        for (const Picture& in : {MakeNoise(c.width, c.height, 13, false), MakeTestCard(c.width, c.height)}) {
            const Picture out = rig.RenderWith(c.props, in);
            EXPECT_EQ(FirstDifference(out, Reference(in, c.props, c.processors)), "")
                << c.width << "x" << c.height << " on " << c.processors;
            for (size_t i = 3; i < in.bytes.size(); i += 4) ASSERT_GE(out.bytes[i], in.bytes[i]);
        }
    }
}

TEST(DreamGlow, RecordsBeyondTheKnobsStayDefined) {
    const Picture in = MakeNoise(50, 40, 6, false);
    Rig rig(1);
    const Picture unblurred = rig.RenderWith(Record(kWhite, 0.0f, 0.8f), in);
    EXPECT_EQ(rig.RenderWith(Record(kWhite, -0.7f, 0.8f), in), unblurred);  // K below 1 blurs as K = 1
    EXPECT_EQ(rig.RenderWith(Record(kWhite, -kInf, 0.8f), in), unblurred);
    EXPECT_EQ(rig.RenderWith(Record(kWhite, kNaN, 0.8f), in), unblurred);
    EXPECT_EQ(rig.RenderWith(Record(kWhite, 0.3f, kNaN), in), rig.RenderWith(Record(kWhite, 0.3f, 0.0f), in));
    for (float glow : {1e30f, FLT_MAX, kInf, -1e30f, -kInf, 3000.0f})
        for (float blur : {FLT_MAX, 7.0f, 0.5f}) {
            const tDREAM_GLOW_PROPS p = Record(MakeColorRef(120, 250, 30), blur, glow);
            EXPECT_EQ(FirstDifference(rig.RenderWith(p, in), Reference(in, p, 1)), "") << blur << " " << glow;
        }
}

