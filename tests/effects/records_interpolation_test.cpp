// Record interpolation of the seven effects: the position is clamped, colours move
// per byte with truncation in double precision, floats are rounded once to single
// precision, each effect's flag rule, and the preset-table row written to the debug
// channel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "effects/airbrushprops.h"
#include "effects/colorizeprops.h"
#include "effects/dreamglowprops.h"
#include "effects/duochromeprops.h"
#include "effects/linedrawingprops.h"
#include "effects/metalprops.h"
#include "effects/pastelsketchprops.h"
#include "tests/support/environment.h"

namespace {

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

template <class T>
bool SameBytes(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

TEST(RecordsInterpolation, FloatIsRoundedOnceFromDouble) {
    // 0.1f -> 0.27f at 0.25: evaluated in single precision the result would be
    // 0x3E11EB86; in double, rounded once, it is 0x3E11EB85.
    tAIR_BRUSH_PROPS a{0.1f, 0.1f}, b{0.27f, 0.81f}, out{};
    ASSERT_EQ(InterpolateProps(&out, &a, &b, 0.25), S_OK);
    EXPECT_EQ(Bits(out.spray), 0x3E11EB85u);
    ASSERT_EQ(InterpolateProps(&out, &a, &b, 0.9), S_OK);
    EXPECT_EQ(Bits(out.edge), 0x3F3D2F1Bu);  // single precision would give ...1A
}

TEST(RecordsInterpolation, ColourBytesTruncateTowardsZeroWithTopByteClear) {
    tDREAM_GLOW_PROPS a{}, b{}, out{};
    a.color = MakeColorRef(0, 255, 10) | 0xAB000000u;  // a stray top byte is not carried
    b.color = MakeColorRef(255, 0, 11);
    ASSERT_EQ(InterpolateProps(&out, &a, &b, 0.5), S_OK);
    EXPECT_EQ(RedOf(out.color), 127);    // 127.5
    EXPECT_EQ(GreenOf(out.color), 127);  // 255 - 127.5 = 127.5
    EXPECT_EQ(BlueOf(out.color), 10);    // 10.5
    EXPECT_EQ(out.color >> 24, 0u);
    InterpolateProps(&out, &a, &b, 0.999);
    EXPECT_EQ(RedOf(out.color), 254);  // 254.745
    EXPECT_EQ(GreenOf(out.color), 0);  // 0.255
    InterpolateProps(&out, &a, &b, 1.0);
    EXPECT_EQ(out.color, b.color);
}

// Every field reaches b at t = 1 and stays a at t = 0 (a forgotten field would not);
// the position is clamped into 0..1, and one that is no number counts as 0.
template <class T>
void ExpectEndpoints(const T& a, const T& b) {
    T out{};
    for (double t : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN()}) {
        InterpolateProps(&out, &a, &b, t);
        EXPECT_TRUE(SameBytes(out, a)) << t;
    }
    for (double t : {1.0, 7.5, std::numeric_limits<double>::infinity()}) {
        InterpolateProps(&out, &a, &b, t);
        EXPECT_TRUE(SameBytes(out, b)) << t;
    }
}

TEST(RecordsInterpolation, EveryFieldMovesFromAToB) {
    ExpectEndpoints(g_airBrushPresets[1], g_airBrushPresets[2]);
    ExpectEndpoints(g_colorizePresets[4], g_colorizePresets[6]);
    ExpectEndpoints(g_dreamGlowPresets[1], g_dreamGlowPresets[4]);
    ExpectEndpoints(g_duoChromePresets[5], g_duoChromePresets[9]);
    ExpectEndpoints(g_lineDrawingPresets[1], g_lineDrawingPresets[8]);
    ExpectEndpoints(g_metallicPresets[5], g_metallicPresets[8]);
    ExpectEndpoints(g_pastelSketchPresets[2], g_pastelSketchPresets[7]);
}

// Colorize takes the first record's flag; the others set it only when both records
// do (any non-zero byte counts). The result's padding is zero.
template <class T>
void ExpectFlagRule(const T& row0, const T& row1, bool firstWins) {
    T a = row0, b = row1, out{};
    for (int fa = 0; fa < 2; ++fa)
        for (int fb = 0; fb < 2; ++fb) {
            a.flag = static_cast<BYTE>(fa ? (firstWins ? 1 : 0x80) : 0);
            b.flag = static_cast<BYTE>(fb);
            std::memset(&out, 0xCC, sizeof out);
            ASSERT_EQ(InterpolateProps(&out, &a, &b, 0.3), S_OK);
            EXPECT_EQ(out.flag, (firstWins ? fa : fa && fb) ? 1 : 0) << fa << fb;
            EXPECT_EQ(out.padding[0] | out.padding[1] | out.padding[2], 0);
        }
}

TEST(RecordsInterpolation, FlagRuleOfEachEffect) {
    ExpectFlagRule(g_colorizePresets[0], g_colorizePresets[1], true);
    ExpectFlagRule(g_dreamGlowPresets[0], g_dreamGlowPresets[1], false);
    ExpectFlagRule(g_duoChromePresets[0], g_duoChromePresets[1], false);
    ExpectFlagRule(g_metallicPresets[0], g_metallicPresets[1], false);
    ExpectFlagRule(g_lineDrawingPresets[0], g_lineDrawingPresets[1], false);
    ExpectFlagRule(g_pastelSketchPresets[0], g_pastelSketchPresets[1], false);
}

TEST(RecordsInterpolation, OutputMayAliasAnInput) {
    tLINE_DRAWING_PROPS a = g_lineDrawingPresets[0], b = g_lineDrawingPresets[3];
    tLINE_DRAWING_PROPS expected{};
    InterpolateProps(&expected, &a, &b, 0.4);
    InterpolateProps(&a, &a, &b, 0.4);
    EXPECT_TRUE(SameBytes(a, expected));
    EXPECT_EQ(InterpolateProps(nullptr, &a, &b, 0.4), E_POINTER);
}

// ---- the preset-table row on the debug channel -----------------------------------------

TEST(RecordsInterpolationTrace, RowOfRecordAForEveryEffectButAirBrush) {
    testsupport::DebugOutputCapture capture;
    tAIR_BRUSH_PROPS ab{};
    InterpolateProps(&ab, &g_airBrushPresets[0], &g_airBrushPresets[1], 0.5);
    EXPECT_EQ(capture.Text(), "") << "Air Brush writes no row";

    tDREAM_GLOW_PROPS dg{};
    InterpolateProps(&dg, &g_dreamGlowPresets[2], &g_dreamGlowPresets[0], 0.5);
    tCOLORIZE_PROPS co{};
    InterpolateProps(&co, &g_colorizePresets[0], &g_colorizePresets[1], 0.5);
    tDUOCHROME_PROPS du{};
    InterpolateProps(&du, &g_duoChromePresets[3], &g_duoChromePresets[0], 0.5);
    tMETALLIC_PROPS me{};
    InterpolateProps(&me, &g_metallicPresets[1], &g_metallicPresets[0], 0.5);
    tLINE_DRAWING_PROPS li{};
    InterpolateProps(&li, &g_lineDrawingPresets[3], &g_lineDrawingPresets[0], 0.5);
    tPASTEL_SKETCHPROPS pa{};
    tPASTEL_SKETCHPROPS flagged = g_pastelSketchPresets[1];
    flagged.flag = 1;  // the row always says false
    InterpolateProps(&pa, &flagged, &g_pastelSketchPresets[0], 0.5);

    EXPECT_EQ(capture.Text(),
              "    {   RGB(159,0,159),0.40f,0.61f,false },\t// \n"
              "    {   RGB(255,190,76),RGB(79,82,64),RGB(168,33,9),0.44f,0.41f,0.00f,0.10f,0.75f,false },\t// \n"
              "    {   RGB(255,185,40),RGB(255,70,70),0.81f,false },\t// \n"
              "    {   RGB(73,65,122),1.00f,0.56f,0.74f,0.57f,0.58f,false },\t// \n"
              "    {   RGB(77,28,89),RGB(240,202,51),1.00f,0.91f,false },\t// \n"
              "    {   RGB(254,35,0),RGB(0,0,0),0.62f,0.33f,false },\t// \n");
}

TEST(RecordsInterpolationTrace, RowRoundsToTwoDecimalsWhateverThePosition) {
    testsupport::DebugOutputCapture capture;
    tDUOCHROME_PROPS a{MakeColorRef(1, 2, 3), MakeColorRef(4, 5, 6), 0.125f, 0, {}};
    tDUOCHROME_PROPS out{};
    InterpolateProps(&out, &a, &g_duoChromePresets[0], -4.0);
    InterpolateProps(&out, &a, &g_duoChromePresets[0], 9.0);
    EXPECT_EQ(capture.Text(),
              "    {   RGB(1,2,3),RGB(4,5,6),0.12f,false },\t// \n"
              "    {   RGB(1,2,3),RGB(4,5,6),0.12f,false },\t// \n");
}

}  // namespace
