// The plugins inside the real ffmpeg (its frei0r filter, FREI0R_PATH pointing at the
// build's plugin folder): output frames byte for byte equal to the brushwerk program's
// on the same frames, records and processor count. Raw B, G, R, A on both sides.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/frei0r/tests/test_host_settings.h"

namespace brushwerk::frei0r::testing {
namespace {

// ffmpeg before 6.1 hands frei0r filters rows padded to its own alignment, while frei0r
// frames are packed: rows of a multiple of 64 bytes reach the filter intact. The height
// is not a multiple of 8.
constexpr unsigned kWidth = 176, kHeight = 98, kFrames = 3;

class InsideFfmpeg : public ::testing::TestWithParam<std::string> {};

// Each settings case once: defaults on ffmpeg's own test source, a preset sent alone,
// and fields, a loosely named preset and processors on frames with straight alpha.
TEST_P(InsideFfmpeg, FramesMatchTheBrushwerkProgram) {
#ifdef QUILLET_FREI0R_SANITIZED
    GTEST_SKIP() << "a sanitizer build's plugins cannot be loaded into ffmpeg";
#endif
    if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    TempFolder dir;
    auto ffmpeg = [&](std::vector<std::string> input, const std::string& filter, const std::string& out) {
        std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
        argv.insert(argv.end(), input.begin(), input.end());
        if (!filter.empty()) argv.insert(argv.end(), {"-vf", filter});
        argv.insert(argv.end(), {"-frames:v", std::to_string(kFrames), "-f", "rawvideo", "-pix_fmt", "bgra", out});
        return RunProcess(argv, "", "", {{"FREI0R_PATH", QUILLET_FREI0R_PLUGIN_DIR}});
    };
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    const std::vector<std::string> testsrc = {"-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=25"};
    ASSERT_EQ(ffmpeg(testsrc, "", dir.File("testsrc.bgra")).exitCode, 0);
    WriteBytes(dir.File("alpha.bgra"), StraightTestFrames(kWidth, kHeight, kFrames));
    const std::vector<std::string> alpha = {"-f", "rawvideo", "-pix_fmt", "bgra", "-s", size, "-i", dir.File("alpha.bgra")};

    const std::vector<EffectSettings> cases = SettingsCasesFor(GetParam());
    const struct {
        std::vector<std::string> input;
        std::string frames;
        const EffectSettings& settings;
    } runs[] = {{testsrc, "testsrc.bgra", cases[0]}, {testsrc, "testsrc.bgra", cases[1]}, {alpha, "alpha.bgra", cases[2]}};
    for (const auto& run : runs) {
        std::string filter = "frei0r=filter_name=quillet_" + GetParam();
        if (&run.settings != &cases[0]) filter += ":filter_params=" + ParametersFor(GetParam(), run.settings).ffmpegFilterParams;
        const ProcessResult host = ffmpeg(run.input, filter, dir.File("ffmpeg.bgra"));
        ASSERT_EQ(host.exitCode, 0) << filter << "\n" << host.err;
        const ProcessResult cli = BrushwerkRender(RequestFor(GetParam(), run.settings, kWidth, kHeight),
                                                  dir.File(run.frames), dir.File("cli.bgra"), dir.File("registry.reg"));
        ASSERT_EQ(cli.exitCode, 0) << cli.err;
        const std::vector<uint8_t> expected = ReadBytes(dir.File("cli.bgra"));
        ASSERT_EQ(expected.size(), size_t(kWidth) * kHeight * 4 * kFrames);
        EXPECT_EQ(FirstDifference(ReadBytes(dir.File("ffmpeg.bgra")), expected, kWidth, kHeight), "") << filter;
    }
}

INSTANTIATE_TEST_SUITE_P(Frei0rHosts, InsideFfmpeg, ::testing::ValuesIn(EffectNames()));

// The plugins register nothing: ffmpeg running all seven leaves the person's home and
// configuration folders as they were (the module's load-time registry write included).
TEST(InsideFfmpegAlone, LeavesTheConfigurationFolderUntouched) {
#ifdef QUILLET_FREI0R_SANITIZED
    GTEST_SKIP() << "a sanitizer build's plugins cannot be loaded into ffmpeg";
#endif
    if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    TempFolder dir;
    const std::string home = dir.File("home"), config = dir.File("config");
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(config);
    std::string chain;
    for (const std::string& effect : EffectNames()) chain += (chain.empty() ? "" : ",") + ("frei0r=quillet_" + effect);
    const ProcessResult run = RunProcess(
        {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc2=size=64x30",
         "-vf", chain, "-frames:v", "1", "-f", "null", "-"},
        "", "",
        {{"FREI0R_PATH", QUILLET_FREI0R_PLUGIN_DIR}, {"HOME", home}, {"XDG_CONFIG_HOME", config}, {"QUILLET_REGISTRY", ""}});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(home));
    EXPECT_TRUE(std::filesystem::is_empty(config));
}

}  // namespace
}  // namespace brushwerk::frei0r::testing
