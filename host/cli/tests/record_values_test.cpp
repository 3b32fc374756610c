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
}

TEST(FieldAssignment, WritesColoursAndFloatsLittleEndianAtTheirOffsets) {
    const EffectInfo& colorize = *FindEffect("colorize");
    RecordBytes record(36, 0xEE);
    EXPECT_EQ(ApplyAssignment(colorize, record, "color2=#102030"), "");
    EXPECT_EQ(record[4], 0x10);
    EXPECT_EQ(record[5], 0x20);
    EXPECT_EQ(record[6], 0x30);
    EXPECT_EQ(record[7], 0x00);
    EXPECT_EQ(record[3], 0xEE);  // neighbours untouched
    EXPECT_EQ(record[8], 0xEE);
    EXPECT_EQ(ApplyAssignment(colorize, record, "saturation=0.75"), "");
    // 0.75f = 0x3F400000
    EXPECT_EQ(record[28], 0x00);
    EXPECT_EQ(record[29], 0x00);
    EXPECT_EQ(record[30], 0x40);
    EXPECT_EQ(record[31], 0x3F);
    EXPECT_EQ(record[32], 0xEE);  // the flag byte is the page's, never written here
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

TEST(FormattedNumbers, ReadBackToTheSameFloat) {
    for (float v : {0.35f, 0.1f, 1.0f, 0.0f, 0.84f, 1e-7f, 123.456f}) {
        NumberParse p = ParseNumber(FormatNumber(v));
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.value, v);
    }
}

TEST(EffectNames, ShortAndDisplayNamesFindTheSameEffect) {
    EXPECT_STREQ(FindEffect("airbrush")->shortName, "airbrush");
    EXPECT_STREQ(FindEffect("Air Brush")->shortName, "airbrush");
    EXPECT_STREQ(FindEffect("Quillet Air Brush")->shortName, "airbrush");
    EXPECT_STREQ(FindEffect("Duo Chrome")->shortName, "duochrome");
    EXPECT_STREQ(FindEffect("Quillet DuoChrome")->shortName, "duochrome");
    EXPECT_STREQ(FindEffect("LINE-DRAWING")->shortName, "linedrawing");
    EXPECT_STREQ(FindEffect("metal")->shortName, "metallic");
    EXPECT_STREQ(FindEffect("Pastel Sketch")->shortName, "pastelsketch");
    EXPECT_EQ(FindEffect("quillet"), nullptr);
    EXPECT_EQ(FindEffect(""), nullptr);
    EXPECT_EQ(FindEffect("blur"), nullptr);
}

// The catalogue's layouts: colours first and then floats, each field right after the
// last, and every record but Air Brush's ending with the flag byte and padding.
TEST(RecordLayouts, FieldsFollowOneAnotherToTheFlagByte) {
    for (const EffectInfo& e : AllEffects()) {
        bool numbers = false;
        size_t next = 0;
        for (const RecordField& f : e.fields) {
            EXPECT_EQ(f.offset, next) << e.shortName << "." << f.name;
            next = f.offset + 4;
            if (f.kind == FieldKind::Number) numbers = true;
            else EXPECT_FALSE(numbers) << "colour after a number in " << e.shortName;
        }
        EXPECT_EQ(next + (std::string(e.shortName) == "airbrush" ? 0 : 4), e.recordSize) << e.shortName;
    }
}

}  // namespace
}  // namespace brushwerk::cli
