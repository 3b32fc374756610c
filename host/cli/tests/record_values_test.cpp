// Colour and number text, field assignment into the published record layouts, and
// finding effects and fields by the names people type.
#include <gtest/gtest.h>

#include "host/cli/record_values.h"

namespace brushwerk::cli {
namespace {

TEST(ColourText, HexAndTriplesOrANamedRefusal) {
    EXPECT_EQ(ParseColour("#ff8000").value, (Rgb{255, 128, 0}));
    EXPECT_EQ(ParseColour("#A0b1C2").value, (Rgb{0xA0, 0xB1, 0xC2}));
    EXPECT_EQ(ParseColour(" 0, 0 ,255 ").value, (Rgb{0, 0, 255}));
    for (const char* bad : {"", "#fff", "#12345g", "#1234567", "ff8000", "256,0,0", "1,2", "1,2,3,4", "-1,0,0",
                            "a,b,c", "1,,2", "#"}) {
        ColourParse p = ParseColour(bad);
        EXPECT_FALSE(p.ok) << bad;
        EXPECT_NE(p.error.find("bad colour"), std::string::npos) << bad;
    }
}

TEST(NumberText, KeepsTheNearestSinglePrecisionValue) {
    EXPECT_EQ(ParseNumber("0.35").value, 0.35f);
    EXPECT_EQ(ParseNumber("1").value, 1.0f);
    EXPECT_EQ(ParseNumber("-0.5").value, -0.5f);
    EXPECT_EQ(ParseNumber("1e-3").value, 0.001f);
    for (const char* bad : {"", "abc", "0.3x", "nan", "inf", "1e300", "0,5"}) EXPECT_FALSE(ParseNumber(bad).ok) << bad;
    for (float v : {0.35f, 0.1f, 0.84f, 1e-7f, 123.456f}) EXPECT_EQ(ParseNumber(FormatNumber(v)).value, v);  // formats read back
}

TEST(FieldAssignment, WritesColoursAndFloatsLittleEndianAtTheirOffsets) {
    const EffectInfo& colorize = *FindEffect("colorize");
    RecordBytes record(36, 0xEE);
    EXPECT_EQ(ApplyAssignment(colorize, record, "color2=#102030"), "");
    EXPECT_EQ(RecordBytes(record.begin() + 3, record.begin() + 9), (RecordBytes{0xEE, 0x10, 0x20, 0x30, 0, 0xEE}));
    EXPECT_EQ(ApplyAssignment(colorize, record, "saturation=0.75"), "");  // 0.75f = 0x3F400000
    // The flag byte after the last field is the page's, never written here.
    EXPECT_EQ(RecordBytes(record.begin() + 28, record.begin() + 33), (RecordBytes{0, 0, 0x40, 0x3F, 0xEE}));
    EXPECT_EQ(FormatField(record, *FindField(colorize, "saturation")), "0.75");
    EXPECT_EQ(FormatField(record, *FindField(colorize, "color2")), "#102030");
}

TEST(FieldAssignment, NamesTheProblem) {
    const EffectInfo& glow = *FindEffect("dreamglow");
    RecordBytes record(16, 0);
    EXPECT_NE(ApplyAssignment(glow, record, "shine=0.5").find("unknown field 'shine'"), std::string::npos);
    EXPECT_NE(ApplyAssignment(glow, record, "shine=0.5").find("color, blur, glow"), std::string::npos);
    EXPECT_NE(ApplyAssignment(glow, record, "color=purple").find("bad colour"), std::string::npos);
    EXPECT_NE(ApplyAssignment(glow, record, "blur=#ffffff").find("bad number"), std::string::npos);
    EXPECT_NE(ApplyAssignment(glow, record, "blur").find("FIELD=VALUE"), std::string::npos);
    EXPECT_NE(ApplyAssignment(glow, record, "=1").find("FIELD=VALUE"), std::string::npos);
    EXPECT_EQ(record, RecordBytes(16, 0));  // nothing written on failure
    EXPECT_EQ(ApplyAssignment(glow, record, "GLOW=0.5"), "");  // field names ignore case
}

TEST(EffectNames, ShortAndDisplayNamesFindTheSameEffect) {
    for (auto [name, effect] : {std::pair{"airbrush", "airbrush"}, {"Quillet Air Brush", "airbrush"}, {"Air Brush", "airbrush"},
                                {"Pastel Sketch", "pastelsketch"},
                                {"Duo Chrome", "duochrome"}, {"Quillet DuoChrome", "duochrome"},
                                {"LINE-DRAWING", "linedrawing"}, {"metal", "metallic"}})
        EXPECT_STREQ(FindEffect(name)->shortName, effect) << name;
    for (const char* none : {"quillet", "", "blur"}) EXPECT_EQ(FindEffect(none), nullptr) << none;
}

}  // namespace
}  // namespace brushwerk::cli
