// The plugins inside MLT (melt, the engine of Kdenlive and Shotcut) on a frame width
// whose rows are not a multiple of 64 bytes. MLT converts frames around each filter, so
// a pass-through capture plugin records what our plugin was handed and what it gave
// back; those must match the brushwerk program byte for byte. Parameters go by index,
// and by the names Kdenlive's descriptions use. With "threads", MLT cuts every frame
// into slices and runs them in parallel as frames of their own.
#include <gtest/gtest.h>

#include <thread>

#include "host/common/effect_catalog.h"
#include "host/frei0r/tests/test_host_settings.h"

namespace brushwerk::frei0r::testing {
namespace {

constexpr unsigned kWidth = 150, kHeight = 78, kLastFrame = 3;

class InsideMelt : public ::testing::TestWithParam<std::string> {};

TEST_P(InsideMelt, FramesAndSlicesMatchTheBrushwerkProgram) {
#ifdef QUILLET_FREI0R_SANITIZED
    GTEST_SKIP() << "a sanitizer build's plugins cannot be loaded into melt";
#endif
    if (!HaveProgram("melt") || !HaveProgram("ffmpeg")) GTEST_SKIP() << "melt or ffmpeg is not installed";
    TempFolder dir;
    const ProcessResult made = RunProcess(
        {"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
         "testsrc2=size=" + std::to_string(kWidth) + "x" + std::to_string(kHeight) + ":rate=25", "-frames:v",
         std::to_string(kLastFrame + 1), "-c:v", "ffv1", dir.File("source.mkv")},
        "", "");
    ASSERT_EQ(made.exitCode, 0) << made.err;

    // Every field moved off its default under the parameter's name (Kdenlive's way).
    const common::EffectInfo& effect = *common::FindEffect(GetParam());
    PluginLibrary plugin(GetParam());
    const std::vector<f0r_param_info_t> params = plugin.Params();
    std::vector<std::string> byName = {"processors=1"};
    RenderRequest named{GetParam(), "", {}, 1, kWidth, kHeight};
    for (size_t i = 0; i < effect.fields.size(); ++i) {
        const bool colour = effect.fields[i].kind == common::FieldKind::Colour;
        const std::string value = colour ? (i % 2 ? "#c04080" : "#20a0e0") : (i % 2 ? "0.62" : "0.27");
        byName.push_back(std::string(params[i + 1].name) + "=" + (colour ? "0x" + value.substr(1) + "ff" : value));
        named.sets.push_back(std::string(effect.fields[i].name) + "=" + value);
    }
    // MLT uses at most one slice per processor, and only slices evenly (78 rows: 2 of 39).
    const unsigned slices = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    const std::vector<EffectSettings> cases = SettingsCasesFor(GetParam());
    const struct {
        std::vector<std::string> properties;
        RenderRequest request;
        unsigned slices;
    } runs[] = {
        {ParametersFor(GetParam(), cases[2]).meltProperties, RequestFor(GetParam(), cases[2], kWidth, kHeight), 1},
        {ParametersFor(GetParam(), cases[1]).meltProperties, RequestFor(GetParam(), cases[1], kWidth, kHeight / slices),
         slices},
        {byName, named, 1},
    };
    for (const auto& run : runs) {
        const std::string before = dir.File("before.raw"), after = dir.File("after.raw");
        std::remove(before.c_str());
        std::remove(after.c_str());
        std::vector<std::string> argv = {"melt", "-silent", dir.File("source.mkv"), "in=0",
                                         "out=" + std::to_string(kLastFrame), "-filter", "frei0r.quillet_test_capture",
                                         "0=" + before, "-filter", "frei0r.quillet_" + GetParam()};
        argv.insert(argv.end(), run.properties.begin(), run.properties.end());
        if (run.slices > 1) argv.push_back("threads=" + std::to_string(run.slices));
        argv.insert(argv.end(), {"-filter", "frei0r.quillet_test_capture", "0=" + after, "-consumer",
                                 "avformat:" + dir.File("out.nut"), "vcodec=rawvideo", "an=1", "real_time=0"});
        const ProcessResult melt = RunProcess(
            argv, "", "", {{"FREI0R_PATH", std::string(QUILLET_FREI0R_PLUGIN_DIR) + ":" + QUILLET_FREI0R_TEST_PLUGIN_DIR}});
        ASSERT_EQ(melt.exitCode, 0) << melt.err;
        ASSERT_FALSE(ReadBytes(before).empty()) << "melt handed our filter no frames:\n" << melt.err;
        // Each slice is a frame of its own to the effect: the slices of all frames, in
        // order, form a stream of kWidth x (kHeight / slices) frames.
        const ProcessResult cli = BrushwerkRender(run.request, before, dir.File("cli.raw"), dir.File("registry.reg"));
        ASSERT_EQ(cli.exitCode, 0) << cli.err;
        EXPECT_EQ(FirstDifference(ReadBytes(after), ReadBytes(dir.File("cli.raw")), kWidth, run.request.height), "")
            << run.properties.front() << ", " << run.slices << " slices";
    }
}

INSTANTIATE_TEST_SUITE_P(Frei0rHosts, InsideMelt, ::testing::ValuesIn(EffectNames()));

}  // namespace
}  // namespace brushwerk::frei0r::testing
