// Colorize through the real effect object: key hues and windows, the saturation gain,
// smoothing passes and their band borders, the stated presets and hue distances,
// alpha, records beyond the knobs, and byte-exact agreement with a plain reference
// (which takes the toolkit's HSV conversions as given).
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstring>
#include <limits>

#include "effects/colorize.h"
#include "effects/truncation.h"
#include "image/ippi.h"
#include "tests/effects/blur_reference.h"

namespace {

using namespace effect_test;
using Rig = EffectRig<CColorize, tCOLORIZE_PROPS>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

tCOLORIZE_PROPS Record(COLORREF c1, float s1, COLORREF c2, float s2, COLORREF c3, float s3, float smoothing,
                       float saturation) {
    return {c1, c2, c3, s1, s2, s3, smoothing, saturation, 0, {0, 0, 0}};
}

Picture ToHsv(const Picture& p) {
    Picture hsv = p;
    ippiRGBToHSV_8u_AC4R(p.bytes.data(), p.width * 4, hsv.bytes.data(), p.width * 4, {p.width, p.height});
    return hsv;
}

Picture ToRgb(const Picture& p) {
    Picture rgb = p;
    ippiHSVToRGB_8u_AC4R(p.bytes.data(), p.width * 4, rgb.bytes.data(), p.width * 4, {p.width, p.height});
    return rgb;
}

int HueOf(COLORREF c) { return ToHsv(Picture(1, 1, BlueOf(c), GreenOf(c), RedOf(c))).At(0, 0)[0]; }

// A fully saturated colour (one byte 255, one 0) whose hue is h.
COLORREF ColourWithHue(int h) {
    const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (const auto& o : orders)
        for (int v = 0; v < 256; ++v) {
            uint8_t bgr[3];
            bgr[o[0]] = 255;
            bgr[o[1]] = 0;
            bgr[o[2]] = static_cast<uint8_t>(v);
            const COLORREF c = MakeColorRef(bgr[2], bgr[1], bgr[0]);
            if (HueOf(c) == h) return c;
        }
    ADD_FAILURE() << "no colour with hue " << h;
    return 0;
}

// One band from the definition.
Picture ReferenceBand(const Picture& in, const tCOLORIZE_PROPS& p) {
    const int w = in.width, h = in.height;
    const int keyHue[3] = {HueOf(p.color1), HueOf(p.color2), HueOf(p.color3)};
    const int window[3] = {TruncateToInt32(p.strength1 * 128.0), TruncateToInt32(p.strength2 * 128.0),
                           TruncateToInt32(p.strength3 * 128.0)};
    const int gain = TruncateToInt32(p.saturation * 512.0);
    const int passes = std::min(TruncateToInt32(p.smoothing * 13.0), 255);
    Picture hsv = ToHsv(in);
    for (int pass = 0; pass < passes && w >= 7 && h >= 7; ++pass) {
        Picture box = hsv;
        for (int y = 2; y <= h - 4; ++y)
            for (int x = 2; x <= w - 4; ++x) {
                int s = 0;
                for (int dy = -2; dy <= 2; ++dy)
                    for (int dx = -2; dx <= 2; ++dx) s += hsv.At(x + dx, y + dy)[0];
                box.At(x, y)[0] = static_cast<uint8_t>(((s + 13) * 10485) >> 18);
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) hsv.At(x, y)[0] = box.At(std::clamp(x, 3, w - 4), std::clamp(y, 3, h - 4))[0];
    }
    __extension__ using Wide = __int128;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* d = hsv.At(x, y);
            int hue = d[0], sat = 0, best = 255;
            for (int i = 0; i < 3; ++i) {
                const int apart = std::abs(d[0] - keyHue[i]);
                const int dist = std::min(apart, 256 - apart);
                if (dist < window[i] && dist < best) {
                    best = dist;
                    hue = keyHue[i];
                    const Wide q = Wide{d[1]} * gain * (window[i] - dist) / (Wide{window[i]} * 256);
                    sat = static_cast<int>(std::clamp<Wide>(q, 0, 255));
                }
            }
            d[0] = static_cast<uint8_t>(hue);
            d[1] = static_cast<uint8_t>(sat);
            d[3] = in.At(x, y)[3];
        }
    return ToRgb(hsv);
}

Picture Reference(const Picture& in, const tCOLORIZE_PROPS& p, int processors) {
    return blur_test::ByBands(in, OutputFill(in.width, in.height), processors,
                              [&](const Picture& i, const Picture&) { return ReferenceBand(i, p); });
}

bool IsGrey(const uint8_t* p) { return p[0] == p[1] && p[1] == p[2]; }

}  // namespace

TEST(Colorize, ResetToNoneGreysEveryPixelKeepingValueAndAlpha) {
    for (int processors : {1, 3}) {
        Rig rig(processors);
        const Picture in = MakeNoise(83, 120, 21, false);
        const Picture out = rig.RenderWith(g_colorizePresets[9], in);
        for (int y = 0; y < in.height; ++y)
            for (int x = 0; x < in.width; ++x) {
                const uint8_t* s = in.At(x, y);
                const uint8_t v = std::max({s[0], s[1], s[2]});
                ASSERT_EQ(out.At(x, y)[0], v);
                ASSERT_EQ(out.At(x, y)[1], v);
                ASSERT_EQ(out.At(x, y)[2], v);
                ASSERT_EQ(out.At(x, y)[3], s[3]);
            }
    }
}

TEST(Colorize, SaturationGainAtTheWindowCentre) {
    const COLORREF orange = MakeColorRef(200, 90, 40);
    const Picture in(20, 20, 40, 90, 200, 255);
    const Picture inHsv = ToHsv(in);
    const uint8_t* hsv = inHsv.At(0, 0);
    auto expected = [&](int sat) { return ToRgb(Picture(20, 20, hsv[0], static_cast<uint8_t>(sat), hsv[2], 255)); };
    Rig rig(1);
    EXPECT_EQ(rig.RenderWith(Record(orange, 0.5f, 0, 0, 0, 0, 0, 0.5f), in), expected(hsv[1]));
    EXPECT_EQ(rig.RenderWith(Record(orange, 0.5f, 0, 0, 0, 0, 0, 1.0f), in), expected(std::min(2 * hsv[1], 255)));
    EXPECT_EQ(rig.RenderWith(Record(orange, 0.5f, 0, 0, 0, 0, 0, 0.0f), in), expected(0));
}

TEST(Colorize, CheapPostcardKeepsBlueAndRedAndTurnsGreenWhite) {
    Picture in(48, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x) {
            if (x < 16) in.Set(x, y, 255, 0, 0);        // blue
            else if (x < 32) in.Set(x, y, 0, 0, 255);   // red
            else in.Set(x, y, 0, 255, 0);               // green: 85 hue steps from both keys
        }
    Rig rig(1);
    const Picture out = rig.RenderWith(g_colorizePresets[1], in);
    Picture expected = in;
    for (int y = 0; y < 16; ++y)
        for (int x = 32; x < 48; ++x) expected.Set(x, y, 255, 255, 255);
    EXPECT_EQ(FirstDifference(out, expected), "");
}

TEST(Colorize, HueDistanceRunsAcrossZero) {
    // 250 and 5 are 11 steps apart both ways: a window of 12 catches, one of 11 does not.
    const COLORREF hue5 = ColourWithHue(5), hue250 = ColourWithHue(250);
    ASSERT_EQ(HueOf(hue5), 5);
    ASSERT_EQ(HueOf(hue250), 250);
    Rig rig(1);
    for (auto [pixel, key] : {std::pair{hue250, hue5}, std::pair{hue5, hue250}}) {
        const Picture in(10, 10, BlueOf(pixel), GreenOf(pixel), RedOf(pixel));
        const Picture inHsv = ToHsv(in);
        const uint8_t s = inHsv.At(0, 0)[1], v = inHsv.At(0, 0)[2];
        // Caught at distance 11 of 12 with gain 256: the key's hue, saturation s / 12.
        const Picture caught = ToRgb(Picture(10, 10, static_cast<uint8_t>(HueOf(key)), s / 12, v));
        EXPECT_FALSE(IsGrey(caught.At(0, 0)));
        EXPECT_EQ(rig.RenderWith(Record(key, 12 / 128.0f, 0, 0, 0, 0, 0, 0.5f), in), caught);
        EXPECT_EQ(rig.RenderWith(Record(key, 11 / 128.0f, 0, 0, 0, 0, 0, 0.5f), in), Picture(10, 10, v, v, v));
    }
}

TEST(Colorize, AGreyKeyColourHasHueZero) {
    const COLORREF hue5 = ColourWithHue(5), hue20 = ColourWithHue(20);
    Picture in(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const COLORREF c = x < 10 ? hue5 : hue20;
            in.Set(x, y, BlueOf(c), GreenOf(c), RedOf(c));
        }
    for (COLORREF key : {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), MakeColorRef(128, 128, 128)}) {
        Rig rig(1);
        const Picture out = rig.RenderWith(Record(key, 12 / 128.0f, 0, 0, 0, 0, 0, 0.5f), in);  // window 12
        const Picture inHsv = ToHsv(in);
        const uint8_t* hue5Hsv = inHsv.At(2, 5);
        // Caught at distance 5: hue 0, saturation s * 7 / 12.
        const Picture caught = ToRgb(Picture(1, 1, 0, static_cast<uint8_t>(hue5Hsv[1] * 7 / 12), hue5Hsv[2]));
        EXPECT_EQ(std::memcmp(out.At(2, 5), caught.At(0, 0), 4), 0);
        EXPECT_TRUE(IsGrey(out.At(15, 5)));
    }
}

TEST(ColorizeBands, SmoothingPassesStayInsideTheirBand) {
    const Picture in = MakeNoise(200, 120, 31);
    const tCOLORIZE_PROPS smooth = Record(MakeColorRef(255, 0, 0), 0.4f, MakeColorRef(0, 200, 0), 0.3f,
                                          MakeColorRef(0, 0, 255), 0.3f, 1.0f, 0.7f);
    Rig four(4), one(1);
    const Picture banded = four.RenderWith(smooth, in);  // 4 bands of 30 rows
    Picture stitched(200, 120);
    for (int b = 0; b < 4; ++b) stitched.PutRows(b * 30, one.RenderWith(smooth, in.Rows(b * 30, 30)));
    EXPECT_EQ(FirstDifference(banded, stitched), "");
    // smoothing 1.0 is 13 passes: not 12, not 14.
    EXPECT_EQ(FirstDifference(banded, Reference(in, smooth, 4)), "");
    tCOLORIZE_PROPS twelve = smooth;
    twelve.smoothing = 12.0f / 13;
    EXPECT_NE(banded, Reference(in, twelve, 4));
    tCOLORIZE_PROPS fourteen = smooth;
    fourteen.smoothing = 14.0f / 13;
    EXPECT_NE(banded, Reference(in, fourteen, 4));
}

TEST(Colorize, BandsBelowSevenPixelsKeepTheirHuesUnsmoothed) {
    for (auto [w, h] : {std::pair{6, 40}, std::pair{40, 6}, std::pair{3, 3}, std::pair{1, 1}}) {
        const Picture in = MakeNoise(w, h, 5);
        tCOLORIZE_PROPS p = g_colorizePresets[6];
        Rig rig(1);
        const Picture smoothed = rig.RenderWith(p, in);
        p.smoothing = 0.0f;
        EXPECT_EQ(smoothed, rig.RenderWith(p, in)) << w << "x" << h;
    }
}

TEST(Colorize, TheDropperPassesTheInputThrough) {
    const Picture in = MakeNoise(100, 90, 8, false);
    Rig rig(4);
    DropperActive dropper;
    EXPECT_EQ(rig.RenderWith(g_colorizePresets[0], in), in);
}

TEST(ColorizeBands, EveryPresetMatchesTheReferenceAndKeepsAlpha) {
    const int sizes[][3] = {{97, 61, 1}, {64, 200, 4}, {129, 130, 3}, {7, 7, 1}, {301, 5, 2}, {33, 100, 2}};
    for (int row = 0; row < kColorizePresetCount; ++row) {
        const auto& s = sizes[row % 6];
        Rig rig(s[2]);
        const Picture in = row % 2 ? MakeTestCard(s[0], s[1]) : MakeNoise(s[0], s[1], row, false);
        const Picture out = rig.RenderWith(g_colorizePresets[row], in);
        EXPECT_EQ(FirstDifference(out, Reference(in, g_colorizePresets[row], s[2])), "") << "preset " << row;
        for (size_t i = 3; i < in.bytes.size(); i += 4) ASSERT_EQ(out.bytes[i], in.bytes[i]);
    }
}

TEST(Colorize, SurfacesOfEitherFormatRowOrderOrOneSurfaceForBoth) {
    const Picture in = MakeTestCard(120, 90);
    const tCOLORIZE_PROPS p = g_colorizePresets[10];
    Rig rig(4);
    const Picture plain = rig.RenderWith(p, in);
    RenderOptions straight, bothUp, inputUp, outputUp, inPlace;
    straight.inputFormat = straight.outputFormat = DXPF_ARGB32;
    bothUp.inputBottomUp = bothUp.outputBottomUp = true;
    inputUp.inputBottomUp = true;
    outputUp.outputBottomUp = true;
    inPlace.inPlace = true;
    EXPECT_EQ(rig.RenderWith(p, in, straight), plain);
    EXPECT_EQ(rig.RenderWith(p, in, inputUp), plain);
    EXPECT_EQ(rig.RenderWith(p, in, outputUp), rig.RenderWith(p, in, bothUp));
    EXPECT_EQ(rig.RenderWith(p, in, inPlace), plain);
}

TEST(Colorize, RecordsBeyondTheKnobsStayDefined) {
    const Picture in = MakeNoise(40, 30, 12, false);
    Rig rig(1);
    tCOLORIZE_PROPS p = g_colorizePresets[4];
    auto with = [&](auto change) {
        tCOLORIZE_PROPS q = p;
        change(q);
        return q;
    };
    const Picture unsmoothed = rig.RenderWith(with([](auto& q) { q.smoothing = 0.0f; }), in);
    EXPECT_EQ(rig.RenderWith(with([](auto& q) { q.smoothing = -3.0f; }), in), unsmoothed);
    EXPECT_EQ(rig.RenderWith(with([](auto& q) { q.smoothing = kNaN; }), in), unsmoothed);
    // Passes are held at 255 (smoothing 19.65 gives 255).
    EXPECT_EQ(rig.RenderWith(with([](auto& q) { q.smoothing = 1e30f; }), in),
              rig.RenderWith(with([](auto& q) { q.smoothing = 19.65f; }), in));
    // NaN everywhere: no window, no gain, no pass: grey.
    const Picture grey = rig.RenderWith(Record(0, kNaN, 0, kNaN, 0, kNaN, kNaN, kNaN), in);
    EXPECT_EQ(grey, rig.RenderWith(g_colorizePresets[9], in));
    for (float gain : {-1.0f, -kInf, 1e9f, FLT_MAX, 300.0f})
        for (float strength : {kInf, 1e6f, -2.0f, 3.0f}) {
            const tCOLORIZE_PROPS q = Record(MakeColorRef(220, 40, 10), strength, MakeColorRef(20, 40, 220), 0.3f,
                                             MakeColorRef(20, 240, 20), 0.2f, 0.3f, gain);
            EXPECT_EQ(FirstDifference(rig.RenderWith(q, in), Reference(in, q, 1)), "") << gain << " " << strength;
        }
}

TEST(ColorizeParallelBands, EveryPresetAndHostileRecordsAt1920x1080) {
    const Picture in = MakeTestCard(1920, 1080);
    Rig rig(4);
    std::vector<tCOLORIZE_PROPS> records(g_colorizePresets, g_colorizePresets + kColorizePresetCount);
    // Records full of NaN, infinities, negative and huge values (+inf already runs the
    // most smoothing passes, 255; the huge record keeps its smoothing at 32 passes).
    for (float v : {kNaN, kInf, -kInf, -FLT_MAX}) records.push_back(Record(0x123456u, v, 0x654321u, v, 0xABCDEFu, v, v, v));
    records.push_back(Record(0xFFFFFFFFu, FLT_MAX, 0x00FF00u, FLT_MAX, 0xFFu, FLT_MAX, 2.5f, FLT_MAX));
    for (const tCOLORIZE_PROPS& p : records) {
        ASSERT_EQ(rig.SetProps(p), S_OK);
        const RenderResult r = rig.Render(in);
        ASSERT_EQ(r.execute, S_OK);
        EXPECT_EQ(CountAlphaOtherThan(r.output, 255), 0u);
    }
}
