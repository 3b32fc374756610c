// brushwerk render on real files, sequences and streams, through the real module.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "host/cli/demo_picture.h"
#include "host/cli/picture_files.h"
#include "test_support.h"

namespace brushwerk::cli {
namespace {

using testing::ReadBytes;
using testing::RunProgram;
using testing::RunResult;
using testing::TempDir;
using testing::WriteBytes;

// Runs a render that needs working effects; skips the test while the module cannot
// create them or their frame routines are not there yet.
#define RENDER_OR_SKIP(result, ...)                                                                   \
    RunResult result = RunProgram(__VA_ARGS__);                                                       \
    if (testing::ModulePath().empty()) GTEST_SKIP() << "module not built";                            \
    if (result.err.find("cannot create") != std::string::npos ||                                      \
        result.err.find("cannot render yet") != std::string::npos)                                    \
        GTEST_SKIP() << result.err

std::vector<uint8_t> FloatBytes(float v) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

TEST(RenderPictures, StraightAlphaSurvivesTheRoundTrip) {
    TempDir dir;
    Image card = DrawTestCard(96, 54);
    for (int y = 0; y < card.height; ++y)
        for (int x = 0; x < card.width; ++x) card.Pixel(x, y)[3] = uint8_t(x * 255 / (card.width - 1));
    WritePicture(dir.File("alpha.png"), card);
    RENDER_OR_SKIP(r, dir, {"render", "Air Brush", "--preset", "Dream", dir.File("alpha.png"), dir.File("out.png")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Image out = ReadPicture(dir.File("out.png"), std::nullopt);
    ASSERT_EQ(out.width, card.width);
    for (size_t i = 3; i < out.bgra.size(); i += 4) ASSERT_EQ(out.bgra[i], card.bgra[i]) << "sample " << i / 4;
    EXPECT_NE(out.bgra, card.bgra);  // the colours did change
}

TEST(RenderPictures, ProcessorCountChangesTheBlurNotPerPixelEffects) {
    TempDir dir;
    WritePicture(dir.File("card.png"), DrawTestCard(320, 180));
    auto render = [&](const std::string& effect, const std::string& n) {
        const std::string out = dir.File(effect + n + ".png");
        EXPECT_EQ(RunProgram(dir, {"render", effect, "--processors", n, dir.File("card.png"), out}).exitCode, 0);
        return ReadBytes(out);
    };
    RENDER_OR_SKIP(first, dir, {"render", "airbrush", "--save-state", dir.File("s")});
    EXPECT_NE(render("airbrush", "1"), render("airbrush", "4"));
    EXPECT_EQ(render("metallic", "1"), render("metallic", "4"));  // a per-pixel effect ignores the cut
}

TEST(RenderState, SaveHoldsTheRecordBytesAfterPresetAndSet) {
    TempDir dir;
    RENDER_OR_SKIP(r, dir, {"render", "airbrush", "--preset", "Fog", "--set", "edge=0.25", "--save-state", dir.File("s")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<uint8_t> expected = FloatBytes(0.81f);  // Fog's spray
    for (uint8_t b : FloatBytes(0.25f)) expected.push_back(b);
    EXPECT_EQ(ReadBytes(dir.File("s")), expected);
    // --set applies after the preset even when given first on the line.
    RunResult again = RunProgram(dir, {"render", "airbrush", "--set", "edge=0.25", "--preset", "2", "--save-state",
                                       dir.File("s2")});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(ReadBytes(dir.File("s2")), expected);
}

TEST(RenderState, LoadedStateRendersLikeThePresetItCameFrom) {
    TempDir dir;
    WritePicture(dir.File("card.png"), DrawTestCard(120, 68));
    RENDER_OR_SKIP(r, dir, {"render", "colorize", "--preset", "Pink!", "--save-state", dir.File("pink.state"),
                            "--processors", "2", dir.File("card.png"), dir.File("a.png")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.File("pink.state")).size(), 36u);
    RunResult b = RunProgram(dir, {"render", "colorize", "--load-state", dir.File("pink.state"), "--processors", "2",
                                   dir.File("card.png"), dir.File("b.png")});
    ASSERT_EQ(b.exitCode, 0) << b.err;
    EXPECT_EQ(ReadBytes(dir.File("a.png")), ReadBytes(dir.File("b.png")));
    // A state of another effect's size is refused.
    RunResult wrong = RunProgram(dir, {"render", "airbrush", "--load-state", dir.File("pink.state"), dir.File("card.png"),
                                       dir.File("c.png")});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.err.find("not a airbrush record"), std::string::npos) << wrong.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("c.png")));
}

TEST(RenderErrors, UnknownPresetUnreadableFilesEmptyStreamAndOddState) {
    TempDir dir;
    WritePicture(dir.File("card.png"), DrawTestCard(32, 18));
    RENDER_OR_SKIP(preset, dir, {"render", "dreamglow", "--preset", "Sunburst", dir.File("card.png"), dir.File("o.png")});
    EXPECT_EQ(preset.exitCode, 2);
    EXPECT_NE(preset.err.find("unknown preset 'Sunburst' for dreamglow; presets: 0 \"Afterlife\", 1 \"Aqua\""),
              std::string::npos)
        << preset.err;
    EXPECT_EQ(RunProgram(dir, {"render", "dreamglow", "--preset", "11", dir.File("card.png"), dir.File("o.png")}).exitCode, 2);
    // Names match ignoring case and the trailing blank some preset names carry.
    EXPECT_EQ(RunProgram(dir, {"render", "dreamglow", "--preset", "black light", "--save-state", dir.File("s")}).exitCode, 0);

    // Pictures cut short or damaged (the decoders fill what is missing with grey if let),
    // a directory as state, an empty stream, a raw file of the wrong size.
    WritePicture(dir.File("card.jpg"), DrawTestCard(64, 48));
    const std::vector<uint8_t> png = ReadBytes(dir.File("card.png")), jpeg = ReadBytes(dir.File("card.jpg"));
    WriteBytes(dir.File("cut.png"), {png.begin(), png.begin() + png.size() / 2});
    WriteBytes(dir.File("cut.jpg"), {jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3});
    std::vector<uint8_t> damaged = jpeg;
    std::fill(damaged.end() - 200, damaged.end() - 100, 0xFF);
    WriteBytes(dir.File("damaged.jpg"), damaged);
    std::filesystem::create_directory(dir.File("state"));
    WriteBytes(dir.File("f.bgra"), std::vector<uint8_t>(10 * 10 * 4));
    const struct {
        std::vector<std::string> args;
        std::string message;
    } failures[] = {
        {{dir.File("cut.png"), dir.File("o.png")}, "cannot read " + dir.File("cut.png") + ": the file ends early"},
        {{dir.File("cut.jpg"), dir.File("o.png")}, "cannot read " + dir.File("cut.jpg") + ": the file ends early"},
        {{dir.File("damaged.jpg"), dir.File("o.png")}, "cannot read " + dir.File("damaged.jpg") + ": the data is damaged"},
        {{"--load-state", dir.File("state"), "--save-state", dir.File("s")},
         "cannot read state " + dir.File("state") + ": it is a directory"},
        {{"--size", "8x8", "-", "-"}, "no frames arrived: standard input was empty (expected raw frames of --size 8x8)"},
        {{"--size", "10x11", dir.File("f.bgra"), dir.File("o.bgra")}, "size mismatch"},
    };
    for (const auto& f : failures) {
        std::vector<std::string> args = {"render", "dreamglow"};
        args.insert(args.end(), f.args.begin(), f.args.end());
        RunResult r = RunProgram(dir, args);
        EXPECT_EQ(r.exitCode, 1) << f.message;
        EXPECT_NE(r.err.find(f.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("o.png")));

    // A stored state's NaN and infinite fields get the note --set gives for values off the page.
    WriteBytes(dir.File("odd.state"), {0, 0, 0xC0, 0x7F, 0, 0, 0x80, 0x7F});  // spray NaN, edge +inf
    RunResult odd = RunProgram(dir, {"render", "airbrush", "--load-state", dir.File("odd.state"), "--save-state", dir.File("s")});
    EXPECT_EQ(odd.exitCode, 0) << odd.err;
    EXPECT_NE(odd.err.find("note: spray = nan lies outside 0..1, the range its page offers"), std::string::npos) << odd.err;
    EXPECT_NE(odd.err.find("note: edge = inf lies outside 0..1"), std::string::npos) << odd.err;
}

TEST(RenderSequences, KeyframesReachBothEndsOfTheSequence) {
    TempDir dir;
    const Image card = DrawTestCard(64, 36);
    for (int n = 1; n <= 3; ++n) WritePicture(dir.File("in_" + std::to_string(n) + ".png"), card);
    RENDER_OR_SKIP(seq, dir, {"render", "dreamglow", "--preset", "Aqua", "--to-preset", "Darkroom",
                              "--processors", "1", "--progress", dir.File("in_%d.png"), dir.File("out_%03d.png")});
    ASSERT_EQ(seq.exitCode, 0) << seq.err;
    EXPECT_NE(seq.err.find("frame 3/3"), std::string::npos) << seq.err;
    for (const char* preset : {"Aqua", "Darkroom"})
        ASSERT_EQ(RunProgram(dir, {"render", "dreamglow", "--preset", preset, "--processors", "1", dir.File("in_1.png"),
                                   dir.File(std::string(preset) + ".png")})
                      .exitCode,
                  0);
    EXPECT_EQ(ReadBytes(dir.File("out_001.png")), ReadBytes(dir.File("Aqua.png")));
    EXPECT_EQ(ReadBytes(dir.File("out_003.png")), ReadBytes(dir.File("Darkroom.png")));
    EXPECT_NE(ReadBytes(dir.File("out_002.png")), ReadBytes(dir.File("Aqua.png")));
}

TEST(RenderStreams, RawFramesInAndOutMatchSingleRenders) {
    TempDir dir;
    const Image card = DrawTestCard(48, 32);  // straight samples, as the stream carries them by default
    std::vector<uint8_t> stream;
    for (int n = 0; n < 3; ++n) stream.insert(stream.end(), card.bgra.begin(), card.bgra.end());
    WriteBytes(dir.File("in.raw"), stream);
    WritePicture(dir.File("card.png"), card);
    RENDER_OR_SKIP(r, dir, {"render", "colorize", "--size", "48x32", "--processors", "1", "-", "-"}, dir.File("in.raw"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(r.out.size(), stream.size());
    ASSERT_EQ(RunProgram(dir, {"render", "colorize", "--processors", "1", dir.File("card.png"), dir.File("one.png")})
                  .exitCode,
              0);
    const Image one = ReadPicture(dir.File("one.png"), std::nullopt);
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(0, std::memcmp(r.out.data() + n * one.bgra.size(), one.bgra.data(), one.bgra.size())) << "frame " << n;
}

TEST(RenderStreams, TruncatedStreamFailsAfterTheWholeFrames) {
    TempDir dir;
    WriteBytes(dir.File("in.raw"), std::vector<uint8_t>(8 * 8 * 4 * 2 + 100, 128));
    RENDER_OR_SKIP(r, dir, {"render", "airbrush", "--size", "8x8", "-", "-"}, dir.File("in.raw"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("truncated raw stream: frame 3"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.size(), 8u * 8 * 4 * 2);  // the two whole frames went out
}

TEST(RenderStreams, FfmpegPipelineFiltersAVideo) {
    if (!::testsupport::HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
    if (testing::ModulePath().empty()) GTEST_SKIP() << "module not built";
    TempDir dir;
    const std::string program = ::testsupport::ShellQuote(BRUSHWERK_PROGRAM);
    const std::string out = ::testsupport::ShellQuote(dir.File("out_%02d.png"));
    const std::string command =
        "ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=5:duration=1 -f rawvideo -pix_fmt bgra - | " + program +
        " render dreamglow --size 64x48 --to-set glow=0 --frames 5 - - 2> " + ::testsupport::ShellQuote(dir.File("err")) +
        " | ffmpeg -v error -f rawvideo -pix_fmt bgra -s 64x48 -r 5 -i - " + out;
    const int status = ::testsupport::RunShell(command, {{"QUILLET_REGISTRY", dir.File("registry.reg")}}).exitCode;
    const std::string err = testing::ReadText(dir.File("err"));
    if (err.find("cannot create") != std::string::npos || err.find("cannot render yet") != std::string::npos)
        GTEST_SKIP() << err;
    ASSERT_EQ(status, 0) << err;
    EXPECT_EQ(ReadPicture(dir.File("out_05.png"), std::nullopt).width, 64);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out_06.png")));
}

TEST(Demo, WritesEveryPictureIntoAFolderOrTheSheetAloneUnderAPictureName) {
    TempDir dir;
    RENDER_OR_SKIP(r, dir, {"demo", dir.File("demo")});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    size_t pngs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("demo"))) {
        ++pngs;
        EXPECT_NE(r.out.find("wrote " + entry.path().string()), std::string::npos) << entry.path();
    }
    EXPECT_EQ(pngs, 2u + 7 * 3);  // the test card, the sheet, three presets of each effect
    EXPECT_TRUE(std::filesystem::exists(dir.File("demo/dreamglow-02-black-light.png")));
    ASSERT_EQ(RunProgram(dir, {"demo", dir.File("sheet.png")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir.File("sheet.png")), ReadBytes(dir.File("demo/contact-sheet.png")));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_TRUE(entry.path().extension() != ".png" || entry.path().filename() == "sheet.png") << entry.path();
}

// A failure never leaves a partial output and never replaces an existing one.
TEST(RenderErrors, TargetUntouchedAfterAFailure) {
    TempDir dir;
    WriteBytes(dir.File("out.png"), {1, 2, 3, 4});
    WriteBytes(dir.File("in.raw"), std::vector<uint8_t>(8 * 8 * 4 - 1));
    RENDER_OR_SKIP(r, dir, {"render", "duochrome", "--size", "8x8", dir.File("in.raw"), dir.File("out.png")});
    EXPECT_NE(r.exitCode, 0);
    WriteBytes(dir.File("in.bgra"), std::vector<uint8_t>(8 * 8 * 4 - 1));
    RunResult mismatch = RunProgram(dir, {"render", "duochrome", "--size", "8x8", dir.File("in.bgra"), dir.File("out.png")});
    EXPECT_EQ(mismatch.exitCode, 1);
    EXPECT_NE(mismatch.err.find("in.bgra"), std::string::npos) << mismatch.err;
    RunResult preset = RunProgram(dir, {"render", "duochrome", "--preset", "nope", dir.File("in.bgra"), dir.File("out.png")});
    EXPECT_EQ(preset.exitCode, 2);
    EXPECT_EQ(ReadBytes(dir.File("out.png")), (std::vector<uint8_t>{1, 2, 3, 4}));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().string().find(".partial"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace brushwerk::cli
