// The command line's own parts: its grammar, colour and number text, field assignment
// into the published records, effect names, numbered file patterns, frame sizes, raw
// frame streams and frame sources and sinks.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>

#include "host/cli/cli_error.h"
#include "host/cli/cli_options.h"
#include "host/cli/frame_io.h"
#include "host/cli/frame_pattern.h"
#include "host/cli/picture_files.h"
#include "host/cli/record_values.h"
#include "tests/support/files.h"

namespace brushwerk::cli {
namespace {

using TempDir = ::testsupport::TempFolder;
using ::testsupport::WriteBytes;

TEST(CommandLineGrammar, RenderTakesEveryOptionAndMistakesAreUsageErrors) {
    const RenderOptions o = ParseCommandLine({"render", "Dream Glow", "--preset", "Aqua", "--set", "blur=0.5",
                                              "--set=color=#ff0000", "--to-preset=3", "--to-set", "glow=1", "--processors",
                                              "2", "--size", "64x48", "--alpha", "premultiplied", "--frames", "10",
                                              "--start", "0", "--load-state", "a.st", "--save-state", "b.st", "--quality",
                                              "80", "--progress", "--quiet", "--stats", "--module", "m.so", "-", "o_%03d.png"})
                                .render;
    EXPECT_TRUE(o.effect == "Dream Glow" && o.preset == "Aqua" && o.toPreset == "3" && o.Animated());
    EXPECT_EQ(o.sets, (std::vector<std::string>{"blur=0.5", "color=#ff0000"}));
    EXPECT_EQ(o.toSets, (std::vector<std::string>{"glow=1"}));
    EXPECT_TRUE(o.processors == 2 && o.size == (FrameSize{64, 48}) && o.streamAlpha == AlphaForm::Premultiplied);
    EXPECT_TRUE(o.frames == 10 && o.start == 0 && o.jpegQuality == 80 && o.progress && o.quiet && o.stats);
    EXPECT_TRUE(o.loadState == "a.st" && o.saveState == "b.st" && o.modulePath == "m.so");
    EXPECT_TRUE(o.input == "-" && o.output == "o_%03d.png");
    const RenderOptions d = ParseCommandLine({"render", "airbrush", "in.png", "out.png"}).render;
    EXPECT_TRUE(d.processors == 0 && d.streamAlpha == AlphaForm::Straight && !d.Animated());
    EXPECT_TRUE(ParseCommandLine({"list", "--json"}).list.json);
    EXPECT_EQ(ParseCommandLine({"demo"}).demo.target, "brushwerk-demo");
    EXPECT_EQ(ParseCommandLine({"demo", "--out", "x", "--processors", "3"}).demo.processors, 3u);
    EXPECT_EQ(ParseCommandLine({"unregister", "--module", "m.so"}).registration.modulePath, "m.so");
    EXPECT_EQ(ParseCommandLine({"render", "colorize", "--preset", "1", "--save-state", "s.st"}).render.input, "");
    EXPECT_EQ(ParseCommandLine({"render", "--help"}).kind, CommandKind::Help);
    const std::vector<std::vector<std::string>> bad = {
        {"render"}, {"render", "airbrush", "in.png"}, {"render", "airbrush", "a", "b", "c"},
        {"render", "airbrush", "--preset"}, {"render", "airbrush", "--bogus", "a", "b"},
        {"render", "airbrush", "--processors", "0", "a", "b"}, {"render", "airbrush", "--processors", "two", "a", "b"},
        {"render", "airbrush", "--size", "64", "a", "b"}, {"render", "airbrush", "--alpha", "maybe", "a", "b"},
        {"render", "airbrush", "--quality", "101", "a", "b"}, {"render", "airbrush", "--progress=yes", "a", "b"},
        {"render", "airbrush", "--to-set", "edge=1", "--save-state", "s"}, {"list", "--yaml"}, {"demo", "a", "b"},
        {"register", "extra"}};
    for (const auto& args : bad) try {
            ParseCommandLine(args);
            ADD_FAILURE() << "accepted " << args.size() << " words";
        } catch (const CliError& e) {
            EXPECT_EQ(e.ExitCode(), 2) << e.what();
        }
}

TEST(RecordValues, ColoursNumbersAndFieldsByTheNamesPeopleType) {
    EXPECT_EQ(ParseColour("#A0b1C2").value, (Rgb{0xA0, 0xB1, 0xC2}));
    EXPECT_EQ(ParseColour(" 0, 0 ,255 ").value, (Rgb{0, 0, 255}));
    for (const char* bad : {"", "#fff", "#12345g", "#1234567", "ff8000", "256,0,0", "1,2", "1,2,3,4", "-1,0,0", "1,,2"})
        EXPECT_NE(ParseColour(bad).error.find("bad colour"), std::string::npos) << bad;
    EXPECT_EQ(ParseNumber("1e-3").value, 0.001f);
    for (const char* bad : {"", "abc", "0.3x", "nan", "inf", "1e300", "0,5"}) EXPECT_FALSE(ParseNumber(bad).ok) << bad;
    for (float v : {0.35f, 0.1f, 0.84f, 1e-7f, 123.456f}) EXPECT_EQ(ParseNumber(FormatNumber(v)).value, v);  // exact

    // Fields land little-endian at their offsets; the flag byte after the last is the page's.
    const EffectInfo& colorize = *FindEffect("colorize");
    RecordBytes record(36, 0xEE);
    EXPECT_EQ(ApplyAssignment(colorize, record, "color2=#102030"), "");
    EXPECT_EQ(ApplyAssignment(colorize, record, "SATURATION=0.75"), "");  // 0.75f = 0x3F400000
    EXPECT_EQ(RecordBytes(record.begin() + 3, record.begin() + 9), (RecordBytes{0xEE, 0x10, 0x20, 0x30, 0, 0xEE}));
    EXPECT_EQ(RecordBytes(record.begin() + 28, record.begin() + 33), (RecordBytes{0, 0, 0x40, 0x3F, 0xEE}));
    EXPECT_EQ(FormatField(record, *FindField(colorize, "saturation")), "0.75");
    EXPECT_EQ(FormatField(record, *FindField(colorize, "color2")), "#102030");
    const EffectInfo& glow = *FindEffect("dreamglow");
    RecordBytes untouched(16, 0);
    for (const char* assignment : {"blur", "=1"})  // (unknown fields, bad values: the program's tests)
        EXPECT_NE(ApplyAssignment(glow, untouched, assignment).find("FIELD=VALUE"), std::string::npos) << assignment;
    EXPECT_EQ(untouched, RecordBytes(16, 0));
    for (auto [name, effect] : {std::pair{"Quillet Air Brush", "airbrush"}, {"Air Brush", "airbrush"},
                                {"Duo Chrome", "duochrome"}, {"Quillet DuoChrome", "duochrome"},
                                {"LINE-DRAWING", "linedrawing"}, {"metal", "metallic"}})
        EXPECT_STREQ(FindEffect(name)->shortName, effect) << name;
    for (const char* none : {"quillet", "", "blur"}) EXPECT_EQ(FindEffect(none), nullptr) << none;
}

TEST(FrameNames, PatternsAndSizes) {
    EXPECT_EQ(FramePattern::Parse("in_%04d.png")->FileFor(12345), "in_12345.png");
    EXPECT_EQ(FramePattern::Parse("100%%_%03d.png")->FileFor(5), "100%_005.png");
    EXPECT_EQ(FramePattern::Parse("a%3d.png")->FileFor(5), "a  5.png");
    EXPECT_FALSE(FramePattern::Parse("plain.png") || FramePattern::Parse("50%%.png"));
    for (const char* bad : {"a%s.png", "%d_%d.png", "x%.png", "x%", "x%05x.png", "%-4d.png"})
        EXPECT_THROW(FramePattern::Parse(bad), CliError) << bad;
    TempDir dir;
    auto p = *FramePattern::Parse(dir.File("f_%03d.png"));
    EXPECT_FALSE(p.FindFirst(std::nullopt));
    WriteBytes(dir.File("f_002.png"), {1});
    EXPECT_EQ(p.FindFirst(std::nullopt), 2);
    WriteBytes(dir.File("f_001.png"), {1});
    EXPECT_TRUE(p.FindFirst(std::nullopt) == 1 && p.FindFirst(2) == 2 && !p.FindFirst(9));

    EXPECT_EQ(ParseFrameSize("3X2"), (FrameSize{3, 2}));
    for (const char* bad : {"", "x", "10x", "x10", "0x5", "5x0", "-3x4", "10x10x10", "10*10", "99999x99999", "1e3x2"})
        EXPECT_FALSE(ParseFrameSize(bad)) << bad;
}

std::FILE* StreamOf(const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

// Memory follows the bytes that arrived, not the frame size; a stream keeps one frame
// size; sequences count their run. (Truncated streams: the program's tests.)
TEST(FrameStreams, RawFramesSequencesAndStills) {
    std::FILE* f = StreamOf(std::vector<uint8_t>(150));
    RawFrameReader huge(f, {16384, 16384}, AlphaForm::Straight, "standard input");
    EXPECT_THROW(huge.Next(), CliError);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "kB at most";
    std::fclose(f);
    f = std::tmpfile();
    auto sink = OpenFrameSink("-", FrameIoSettings{}, f);
    sink->Write(Frame{1, MakeImage(2, 2, AlphaForm::Straight)});
    EXPECT_THROW(sink->Write(Frame{2, MakeImage(3, 2, AlphaForm::Straight)}), CliError);
    EXPECT_EQ(std::ftell(f), 16);
    std::fclose(f);

    TempDir dir;
    Image image = MakeImage(2, 2, AlphaForm::Straight);
    for (int n : {1, 2, 3, 5}) {
        image.bgra[0] = uint8_t(n);
        WritePicture(dir.File("s_" + std::to_string(n) + ".png"), image);
    }
    FrameIoSettings settings;
    auto source = OpenFrameSource(dir.File("s_%d.png"), settings, true);
    EXPECT_EQ(source->KnownCount(), 3);  // 1, 2, 3: the run stops at the gap
    std::vector<long> numbers;
    while (auto frame = source->Next()) numbers.push_back(frame->number * (frame->image.bgra[0] == frame->number));
    EXPECT_EQ(numbers, (std::vector<long>{1, 2, 3}));
    settings.start = 2;
    settings.frames = 1;
    EXPECT_EQ(OpenFrameSource(dir.File("s_%d.png"), settings, true)->KnownCount(), 1);
    settings.start = 4;
    EXPECT_THROW(OpenFrameSource(dir.File("s_%d.png"), settings, true), CliError);
    settings = FrameIoSettings{};
    settings.frames = 4;  // a still repeats only into a sequence
    auto many = OpenFrameSource(dir.File("s_1.png"), settings, true), one = OpenFrameSource(dir.File("s_1.png"), settings, false);
    EXPECT_TRUE(many->KnownCount() == 4 && many->IsSequence() && one->KnownCount() == 1 && !one->IsSequence());
}

}  // namespace
}  // namespace brushwerk::cli
