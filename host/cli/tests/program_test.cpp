// The real program as a process on real files, through the real module: help, the
// refusals that need no module, registration into a registry file of the test's own,
// listing, and renders of pictures, states, sequences, streams and the demo.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "host/cli/demo_picture.h"
#include "host/cli/module_host.h"
#include "host/cli/picture_files.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

namespace brushwerk::cli {
namespace {

using namespace ::testsupport;
using TempDir = TempFolder;
using RunResult = ProcessResult;
namespace fs = std::filesystem;

// The built program with a registry file inside dir; stdinFile, when given, is its input.
RunResult RunProgram(const TempDir& dir, std::vector<std::string> args, const std::string& stdinFile = {}) {
    args.insert(args.begin(), BRUSHWERK_PROGRAM);
    return RunProcess(args, stdinFile, "", {{"QUILLET_REGISTRY", dir.File("registry.reg")}});
}

// A bash command line with pipefail set, using the registry file inside dir.
RunResult RunShell(const TempDir& dir, const std::string& command) {
    return RunProcess({"bash", "-c", "set -o pipefail; " + command}, "", "", {{"QUILLET_REGISTRY", dir.File("registry.reg")}});
}
std::string ShellQuote(std::string text) {
    for (size_t at = 0; (at = text.find('\'', at)) != std::string::npos; at += 4) text.replace(at, 1, "'\\''");
    return "'" + text + "'";
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

// Each refusal: its exit code and one line naming the problem, and no output written.
void ExpectRefused(const TempDir& dir, const std::vector<std::string>& args, int exitCode, const std::string& message) {
    const RunResult r = RunProgram(dir, args);
    EXPECT_EQ(r.exitCode, exitCode) << message << ": " << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << "expected '" << message << "' in: " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
    EXPECT_FALSE(fs::exists(dir.File("o.png")));
}

TEST(Program, HelpAndRefusalsThatNeedNoModule) {
    TempDir dir;
    const RunResult help = RunProgram(dir, {"--help"}), none = RunProgram(dir, {});
    EXPECT_TRUE(help.exitCode == 0 && help.out.find("--processors N") != std::string::npos);
    EXPECT_TRUE(none.exitCode == 2 && none.out.find("Usage:") != std::string::npos);
    for (auto [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"paint"}, "unknown command 'paint'"},
             {{"render", "duochrome", "--banding", "tiled", "a.png", "b.png"}, "--banding is whole-frame or per-band"},
             {{"render", "duochrome", "--range", "2-3", "a.png", "b_%d.png"}, "--range needs --frames N"}}) {
        const RunResult r = RunProgram(dir, args);
        EXPECT_TRUE(r.exitCode == 2 && r.err.find(message) != std::string::npos) << r.err;
    }
    WritePicture(dir.File("in.png"), DrawTestCard(32, 16));
    const std::string in = dir.File("in.png"), out = dir.File("o.png");
    const struct {
        std::vector<std::string> args;
        const char* message;
        int exitCode;
    } cases[] = {
        {{"sparkle", in, out}, "unknown effect 'sparkle'; effects: airbrush, colorize", 2},
        {{"airbrush", "--set", "glow=0.5", in, out}, "unknown field 'glow' for airbrush; fields: spray, edge", 2},
        {{"dreamglow", "--set", "color=300,0,0", in, out}, "bad colour", 2},
        {{"dreamglow", "--to-set", "blur=lots", in, dir.File("o_%d.png")}, "bad number", 2},
        {{"dreamglow", "--set", "blur=1e308", in, out},
         "blur: number '1e308' is out of range: a field holds -3.4e38 .. 3.4e38 (its page offers 0..1)", 2},
        {{"dreamglow", "--size", "100000x100000", in, out}, "--size 100000x100000 is too large: frames must fit in memory", 1},
        {{"duochrome", in, dir.File("o.gif")}, "unknown picture format", 2},
        {{"duochrome", "-", dir.File("o_%d.png")}, "needs --size", 2},
        {{"duochrome", dir.File("in_%d.png"), dir.File("o_%d.png")}, "no frames found", 1},
        {{"duochrome", "--to-preset", "1", in, out}, "OUT must be a pattern", 2},
        {{"duochrome", "--module", dir.File("none.so"), in, out}, "module not found", 1},
        {{"duochrome", dir.File("missing.png"), out}, "missing.png", 1},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "render");
        ExpectRefused(dir, args, c.exitCode, c.message);
    }
    // A registry file that cannot be used is named, never silently reset (the ways a file
    // can be bad: the registry's own tests).
    TempDir bad;
    WriteText(bad.File("registry.reg"), "nope\n");
    ExpectRefused(bad, {"list"}, 1, "registry: " + bad.File("registry.reg") + ":1: missing header");
    EXPECT_EQ(ReadText(bad.File("registry.reg")), "nope\n");
}

// list registers the module by itself; its text and JSON forms carry every effect's
// fields and presets; unregister takes the classes away and render or list, finding
// them gone while running, registers them again.
TEST(Program, RegistersListsAndUnregisters) {
    TempDir dir;
    const RunResult list = RunProgram(dir, {"list"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    const std::string clsid = "{952fb6e1-477a-4770-af38-661f9af5ab8d}";
    EXPECT_NE(ReadText(dir.File("registry.reg")).find(clsid + "\\InprocServer32]\n@=\"" QUILLET_MODULE_PATH), std::string::npos);
    for (const char* text : {"\"Quillet Air Brush\"", "linedrawing", "\"Strength\" under \"Color 2\"", "\"Black Light \""})
        EXPECT_NE(list.out.find(text), std::string::npos) << text;
    EXPECT_EQ(Count(list.out, "\"Reset To None\""), 7u);
    const RunResult json = RunProgram(dir, {"list", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"effects\": [", 0), 0u);
    EXPECT_EQ(Count(json.out, "\"recordSize\""), 7u);
    for (const char* text : {"{\"index\": 0, \"name\": \"Air Brushed\", \"values\": {\"spray\": 0.35, \"edge\": 1}}",
                             "{\"name\": \"strength1\", \"kind\": \"number\", \"label\": \"Strength\", \"under\": \"Color 1\""})
        EXPECT_NE(json.out.find(text), std::string::npos) << text;
    EXPECT_TRUE(Count(json.out, "{") == Count(json.out, "}") && Count(json.out, "[") == Count(json.out, "]"));

    ::setenv("QUILLET_REGISTRY", dir.File("registry.reg").c_str(), 1);
    ModuleHost host(ModuleLocation{QUILLET_MODULE_PATH});
    const RunResult unregistered = RunProgram(dir, {"unregister"});
    ASSERT_EQ(unregistered.exitCode, 0) << unregistered.err;
    EXPECT_EQ(ReadText(dir.File("registry.reg")).find(clsid), std::string::npos);
    EXPECT_NO_THROW(host.CreateEffect(*FindEffect("colorize")));
    EXPECT_NE(ReadText(dir.File("registry.reg")).find(clsid), std::string::npos);
    const RunResult registered = RunProgram(dir, {"register"});
    EXPECT_TRUE(registered.exitCode == 0 && registered.out.find("registered ") != std::string::npos) << registered.err;
}

// States hold the record bytes after the preset and then --set (in whatever order the
// line gives them); a loaded state renders like the preset it came from; presets go by
// name ignoring case and a trailing blank, or by number.
TEST(Render, StatesAndPresets) {
    TempDir dir;
    WritePicture(dir.File("card.png"), DrawTestCard(120, 68));
    for (auto [first, second] : {std::pair{"--preset", "--set"}, {"--set", "--preset"}}) {
        const RunResult r = RunProgram(dir, {"render", "airbrush", first, std::string(first) == "--set" ? "edge=0.25" : "fog",
                                             second, std::string(second) == "--set" ? "edge=0.25" : "2", "--save-state",
                                             dir.File("s")});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(ReadBytes(dir.File("s")), (std::vector<uint8_t>{0x29, 0x5C, 0x4F, 0x3F, 0, 0, 0x80, 0x3E}));  // Fog's spray 0.81f, the edge 0.25f
    }
    ASSERT_EQ(RunProgram(dir, {"render", "colorize", "--preset", "Pink!", "--save-state", dir.File("pink.state"),
                               "--processors", "2", dir.File("card.png"), dir.File("a.png")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir.File("pink.state")).size(), 36u);
    ASSERT_EQ(RunProgram(dir, {"render", "colorize", "--load-state", dir.File("pink.state"), "--processors", "2",
                               dir.File("card.png"), dir.File("b.png")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir.File("a.png")), ReadBytes(dir.File("b.png")));
    EXPECT_EQ(RunProgram(dir, {"render", "dreamglow", "--preset", "black light", "--save-state", dir.File("s")}).exitCode, 0);

    fs::create_directory(dir.File("state"));
    WriteBytes(dir.File("odd.state"), {0, 0, 0xC0, 0x7F, 0, 0, 0x80, 0x7F});  // spray NaN, edge +inf
    const std::string card = dir.File("card.png"), out = dir.File("o.png");
    ExpectRefused(dir, {"render", "airbrush", "--load-state", dir.File("pink.state"), card, out}, 1, "not a airbrush record");
    ExpectRefused(dir, {"render", "dreamglow", "--load-state", dir.File("state"), "--save-state", dir.File("s")}, 1,
                  "cannot read state " + dir.File("state") + ": it is a directory");
    ExpectRefused(dir, {"render", "dreamglow", "--preset", "Sunburst", card, out}, 2,
                  "unknown preset 'Sunburst' for dreamglow; presets: 0 \"Afterlife\", 1 \"Aqua\"");
    ExpectRefused(dir, {"render", "dreamglow", "--preset", "11", card, out}, 2, "unknown preset '11'");
    // A stored state's NaN and infinite fields get the note --set gives for values off the page.
    const RunResult odd = RunProgram(dir, {"render", "airbrush", "--load-state", dir.File("odd.state"), "--save-state", dir.File("s")});
    EXPECT_EQ(odd.exitCode, 0) << odd.err;
    EXPECT_NE(odd.err.find("note: spray = nan lies outside 0..1, the range its page offers"), std::string::npos) << odd.err;
    EXPECT_NE(odd.err.find("note: edge = inf lies outside 0..1"), std::string::npos) << odd.err;
}

// Straight alpha survives the round trip; the processor count changes a blur's picture
// only in per-band banding; damaged inputs are refused naming the file and never
// leave a partial output or replace an existing one.
TEST(Render, PicturesAndTheirRefusals) {
    TempDir dir;
    Image card = DrawTestCard(320, 180);
    for (int y = 0; y < card.height; ++y)
        for (int x = 0; x < card.width; ++x) card.Pixel(x, y)[3] = uint8_t(x * 255 / (card.width - 1));
    WritePicture(dir.File("card.png"), card);
    auto render = [&](const std::string& banding, const std::string& n) {
        const std::string out = dir.File(banding + n + ".png");
        EXPECT_EQ(RunProgram(dir, {"render", "airbrush", "--banding", banding, "--processors", n, dir.File("card.png"), out})
                      .exitCode,
                  0);
        return ReadPicture(out, std::nullopt).bgra;
    };
    const std::vector<uint8_t> air1 = render("whole-frame", "1");
    for (size_t i = 3; i < air1.size(); i += 4) ASSERT_EQ(air1[i], card.bgra[i]) << "sample " << i / 4;
    EXPECT_NE(air1, card.bgra);
    EXPECT_EQ(air1, render("whole-frame", "4"));
    EXPECT_EQ(air1, render("per-band", "1"));
    EXPECT_NE(air1, render("per-band", "4"));

    WritePicture(dir.File("card.jpg"), DrawTestCard(64, 48));
    const std::vector<uint8_t> png = ReadBytes(dir.File("card.png")), jpeg = ReadBytes(dir.File("card.jpg"));
    WriteBytes(dir.File("cut.png"), {png.begin(), png.begin() + png.size() / 2});
    WriteBytes(dir.File("cut.jpg"), {jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3});
    std::vector<uint8_t> damaged = jpeg;
    std::fill(damaged.end() - 200, damaged.end() - 100, 0xFF);
    WriteBytes(dir.File("damaged.jpg"), damaged);
    WriteBytes(dir.File("f.bgra"), std::vector<uint8_t>(10 * 10 * 4));
    WriteBytes(dir.File("short.bgra"), std::vector<uint8_t>(8 * 8 * 4 - 1));
    // The card's PNG claiming a picture past the limits, and one within them whose rows
    // then end at once: refused before the memory of the whole is taken.
    for (uint32_t side : {40000u, 16000u}) {
        std::vector<uint8_t> claims = png;
        for (int at : {16, 20})
            for (int i = 0; i < 4; ++i) claims[at + i] = uint8_t(side >> (24 - 8 * i));
        const uLong crc = crc32(0, claims.data() + 12, 17);
        for (int i = 0; i < 4; ++i) claims[29 + i] = uint8_t(crc >> (24 - 8 * i));
        WriteBytes(dir.File(std::to_string(side) + ".png"), claims);
    }
    const std::string out = dir.File("o.png");
    for (auto [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{dir.File("cut.png"), out}, "cannot read " + dir.File("cut.png") + ": the file ends early"},
             {{dir.File("cut.jpg"), out}, "cannot read " + dir.File("cut.jpg") + ": the file ends early"},
             {{dir.File("damaged.jpg"), out}, "cannot read " + dir.File("damaged.jpg") + ": the data is damaged"},
             {{"--size", "8x8", "-", "-"}, "no frames arrived: standard input was empty (expected raw frames of --size 8x8)"},
             {{"--size", "10x11", dir.File("f.bgra"), dir.File("o.bgra")}, "size mismatch"},
             {{"--size", "8x8", dir.File("short.bgra"), dir.File("card.png")}, "short.bgra"},
             {{dir.File("40000.png"), out}, "unsupported size 40000x40000"},
             {{dir.File("16000.png"), out}, "cannot read " + dir.File("16000.png")}}) {
        args.insert(args.begin(), {"render", "dreamglow"});
        ExpectRefused(dir, args, 1, message);
    }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Frames that do not fit in the memory there is: a clear error, never an abort.
    const RunResult starved = RunShell(dir, "ulimit -v 400000; exec " + ShellQuote(BRUSHWERK_PROGRAM) +
                                                " render dreamglow --size 6000x6000 --frames 1 - - </dev/zero");
    EXPECT_EQ(starved.exitCode, 1) << starved.err;
    EXPECT_NE(starved.err.find("out of memory"), std::string::npos) << starved.err;
#endif
    EXPECT_EQ(ReadBytes(dir.File("card.png")), png);
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().string().find(".partial"), std::string::npos) << entry.path();
}

// A keyframed sequence reaches both ends; raw frames in and out match single renders; a
// truncated stream fails after the whole frames; ffmpeg pipes a video through it.
TEST(Render, SequencesAndStreams) {
    TempDir dir;
    const Image card = DrawTestCard(48, 32);
    for (int n = 1; n <= 3; ++n) WritePicture(dir.File("in_" + std::to_string(n) + ".png"), card);
    const RunResult seq = RunProgram(dir, {"render", "dreamglow", "--preset", "Aqua", "--to-preset", "Darkroom", "--processors",
                                           "1", "--progress", dir.File("in_%d.png"), dir.File("out_%03d.png")});
    ASSERT_EQ(seq.exitCode, 0) << seq.err;
    EXPECT_NE(seq.err.find("frame 3/3"), std::string::npos) << seq.err;
    for (const char* preset : {"Aqua", "Darkroom"})
        ASSERT_EQ(RunProgram(dir, {"render", "dreamglow", "--preset", preset, "--processors", "1", dir.File("in_1.png"),
                                   dir.File(std::string(preset) + ".png")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir.File("out_001.png")), ReadBytes(dir.File("Aqua.png")));
    EXPECT_EQ(ReadBytes(dir.File("out_003.png")), ReadBytes(dir.File("Darkroom.png")));
    EXPECT_NE(ReadBytes(dir.File("out_002.png")), ReadBytes(dir.File("Aqua.png")));
    // Three ranges of a longer job, rendered apart from a sequence or a still, are the
    // whole job's files; a range beyond the job is refused.
    for (int n = 4; n <= 7; ++n) WritePicture(dir.File("in_" + std::to_string(n) + ".png"), DrawTestCard(40 + n, 24));
    for (const std::string in : {"in_%d.png", "in_3.png"}) {
        auto job = [&](const std::string& out, const std::vector<std::string>& range) {
            std::vector<std::string> args = {"render", "dreamglow", "--preset", "Aqua", "--to-preset", "Darkroom", "--frames", "7"};
            args.insert(args.end(), range.begin(), range.end());
            args.insert(args.end(), {dir.File(in), dir.File(out)});
            return RunProgram(dir, args).exitCode;
        };
        ASSERT_EQ(job("whole_%d.png", {}), 0);
        for (const char* range : {"1-2", "3-5", "6-7"}) ASSERT_EQ(job("part_%d.png", {"--range", range}), 0);
        for (int n = 1; n <= 7; ++n)
            EXPECT_EQ(ReadBytes(dir.File("part_" + std::to_string(n) + ".png")),
                      ReadBytes(dir.File("whole_" + std::to_string(n) + ".png"))) << in << " frame " << n;
        EXPECT_FALSE(fs::exists(dir.File("part_8.png")));
        EXPECT_EQ(job("x_%d.png", {"--range", "6-8"}), 2);
    }

    std::vector<uint8_t> stream;
    for (int n = 0; n < 3; ++n) stream.insert(stream.end(), card.bgra.begin(), card.bgra.end());
    stream.resize(stream.size() + 100);  // and part of a fourth frame
    WriteBytes(dir.File("in.raw"), stream);
    const RunResult raw = RunProgram(dir, {"render", "colorize", "--size", "48x32", "--processors", "1", "-", "-"}, dir.File("in.raw"));
    EXPECT_EQ(raw.exitCode, 1);
    EXPECT_NE(raw.err.find("truncated raw stream: frame 4 of standard input has 100 of 6144 bytes"), std::string::npos) << raw.err;
    ASSERT_EQ(raw.out.size(), card.bgra.size() * 3);  // the whole frames went out
    ASSERT_EQ(RunProgram(dir, {"render", "colorize", "--processors", "1", dir.File("in_1.png"), dir.File("one.png")}).exitCode, 0);
    const Image one = ReadPicture(dir.File("one.png"), std::nullopt);
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(0, std::memcmp(raw.out.data() + n * one.bgra.size(), one.bgra.data(), one.bgra.size())) << "frame " << n;

    if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
    const std::string command =
        "ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=5:duration=1 -f rawvideo -pix_fmt bgra - | " +
        ShellQuote(BRUSHWERK_PROGRAM) + " render dreamglow --size 64x48 --to-set glow=0 --frames 5 - - | " +
        "ffmpeg -v error -f rawvideo -pix_fmt bgra -s 64x48 -r 5 -i - " + ShellQuote(dir.File("v_%02d.png"));
    const RunResult piped = RunShell(dir, command);
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(ReadPicture(dir.File("v_05.png"), std::nullopt).width, 64);
    EXPECT_FALSE(fs::exists(dir.File("v_06.png")));
}

TEST(Demo, WritesEveryPictureIntoAFolderOrTheSheetAloneUnderAPictureName) {
    TempDir dir;
    const RunResult r = RunProgram(dir, {"demo", dir.File("demo")});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    size_t pngs = 0;
    for (const auto& entry : fs::directory_iterator(dir.File("demo")))
        pngs += r.out.find("wrote " + entry.path().string()) != std::string::npos;
    EXPECT_EQ(pngs, 2u + 7 * 3);  // the test card, the sheet, three presets of each effect
    EXPECT_TRUE(fs::exists(dir.File("demo/dreamglow-02-black-light.png")));
    ASSERT_EQ(RunProgram(dir, {"demo", dir.File("sheet.png")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir.File("sheet.png")), ReadBytes(dir.File("demo/contact-sheet.png")));
    EXPECT_FALSE(fs::exists(dir.File("demo/sheet.png")));
}

}  // namespace
}  // namespace brushwerk::cli
