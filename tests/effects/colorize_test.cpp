// Colorize through the real effect object: key hues and windows, the saturation gain,
// smoothing passes, the stated presets and hue distances (the contract suite holds
// every preset's picture, records beyond the knobs and what all effects share).
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cstring>
#include <vector>

#include "effects/colorize.h"
#include "effects/colorize_parts.h"
#include "image/cpudispatch.h"
#include "image/hsv_tables.h"
#include "image/ippi.h"
#include "tests/effects/effect_harness.h"

namespace {

using namespace effect_test;
using Rig = EffectRig<CColorize, tCOLORIZE_PROPS>;

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

bool IsGrey(const uint8_t* p) { return p[0] == p[1] && p[1] == p[2]; }

}  // namespace

TEST(Colorize, ResetToNoneGreysEveryPixelKeepingValueAndAlpha) {
    for (int processors : {1, 3}) {
        Rig rig(processors);
        const Picture in = MakeNoise(83, 120, 21, false);
        Picture grey = in;
        for (int y = 0; y < in.height; ++y)
            for (int x = 0; x < in.width; ++x) {
                const uint8_t* s = in.At(x, y);
                const uint8_t v = std::max({s[0], s[1], s[2]});
                grey.Set(x, y, v, v, v, s[3]);
            }
        EXPECT_EQ(FirstDifference(rig.RenderWith(g_colorizePresets[9], in), grey), "") << processors;
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

// smoothing is 13 passes per unit: 1.0 and 12.5 / 13 run 13 passes, 12.5 / 13 and
// 13.5 / 13 differ by one.
TEST(Colorize, SmoothingRunsThirteenPassesPerUnit) {
    const Picture in = MakeNoise(60, 40, 31);
    Rig rig(1);
    auto with = [](float smoothing) {
        return Record(MakeColorRef(255, 0, 0), 0.4f, MakeColorRef(0, 200, 0), 0.3f, MakeColorRef(0, 0, 255), 0.3f,
                      smoothing, 0.7f);
    };
    const Picture thirteen = rig.RenderWith(with(1.0f), in);
    EXPECT_EQ(rig.RenderWith(with(13.5f / 13), in), thirteen);
    EXPECT_NE(rig.RenderWith(with(12.5f / 13), in), thirteen);
    EXPECT_NE(rig.RenderWith(with(14.5f / 13), in), thirteen);
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

// The fastest path keeps the colours of the last key hues it converted, and the entries
// of the last keys by colour difference, for the frames that follow: records that change
// one key colour at a time (the third, then the first) must each be rendered with their
// own keys.
TEST(Colorize, KeptKeyColoursFollowEveryKeyHue) {
    SelectPrimitivesForThisProcessor();
    const Picture in = MakeNoise(64, 9, 5, false);
    const tCOLORIZE_PROPS records[] = {Record(0x0000FF, 0.5f, 0x00FF00, 0.5f, 0xFF0000, 0.9f, 0.0f, 1.0f),
                                       Record(0x0000FF, 0.5f, 0x00FF00, 0.5f, 0x00FFFF, 0.9f, 0.0f, 1.0f),
                                       Record(0xFF00FF, 0.5f, 0x00FF00, 0.5f, 0x00FFFF, 0.9f, 0.0f, 1.0f)};
    const BandGeometry band{0, in.height, 0, 0, in.width, in.height};
    for (const tCOLORIZE_PROPS& r : records) {
        Picture fast = in, rule = in;
        CImageBuffer source, a, b;
        source.Attach(const_cast<uint8_t*>(in.bytes.data()), in.width, in.height, in.width * 4, 4);
        a.Attach(fast.bytes.data(), in.width, in.height, in.width * 4, 4);
        b.Attach(rule.bytes.data(), in.width, in.height, in.width * 4, 4);
        RenderColorize(r, source, a, band, FastestColorizePath());
        RenderColorize(r, source, b, band, ColorizePath::kRule);
        EXPECT_EQ(fast.bytes, rule.bytes) << "key colours " << std::hex << r.color1 << " " << r.color3;
    }
}

#if defined(__x86_64__) || defined(__i386__)
// The AVX-512 rows find the conversion's hue and saturation by single-precision
// divisions: they must give the tables' bytes for every colour, every V and delta.
TEST(Colorize, VectorHueIsTheConversionsForEveryColour) {
    SelectPrimitivesForThisProcessor();
    if (!ippAvx512Enabled()) GTEST_SKIP() << "no AVX-512 here";
    const hsv_tables::RgbToHsvTables& t = hsv_tables::RgbTables();
    std::vector<uint8_t> row(256 * 256 * 4), hues(256 * 256);
    for (int b = 0; b < 256; ++b) {
        for (int i = 0; i < 256 * 256; ++i) {
            row[4 * i] = static_cast<uint8_t>(i & 255), row[4 * i + 1] = static_cast<uint8_t>(i >> 8);
            row[4 * i + 2] = static_cast<uint8_t>(b), row[4 * i + 3] = 255;
        }
        std::feclearexcept(FE_ALL_EXCEPT);
        ASSERT_EQ(ColorizeHuesAvx512(row.data(), hues.data(), 256 * 256), 256 * 256);
        ASSERT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID)) << "greys are not divided";
        for (int i = 0; i < 256 * 256; ++i)
            ASSERT_EQ(hues[i], t.hue[hsv_tables::DifferenceIndex(i & 255, i >> 8, b)])
                << "colour " << (i & 255) << " " << (i >> 8) << " " << b;
    }
}

TEST(Colorize, VectorSaturationIsTheConversionsForEveryValueAndDelta) {
    SelectPrimitivesForThisProcessor();
    if (!ippAvx512Enabled()) GTEST_SKIP() << "no AVX-512 here";
    std::vector<int32_t> v, delta;
    for (int value = 0; value < 256; ++value)
        for (int d = 0; d <= value; ++d) v.push_back(value), delta.push_back(d);
    while (v.size() % 16) v.push_back(0), delta.push_back(0);
    std::vector<int32_t> saturation(v.size());
    std::feclearexcept(FE_ALL_EXCEPT);
    ColorizeSaturationsAvx512(v.data(), delta.data(), saturation.data(), static_cast<int>(v.size()));
    EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID)) << "greys and V 0 are not divided";
    const hsv_tables::RgbToHsvTables& t = hsv_tables::RgbTables();
    for (size_t i = 0; i < v.size(); ++i)
        ASSERT_EQ(saturation[i], t.saturation[v[i]][delta[i]]) << "V " << v[i] << " delta " << delta[i];
}
#endif
