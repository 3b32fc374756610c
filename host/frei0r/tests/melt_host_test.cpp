// The plugins inside MLT (melt, the engine of Kdenlive and Shotcut): every effect with
// the same settings cases as in ffmpeg, on a frame width whose rows are not a multiple
// of 64 bytes. MLT converts frames around each filter, so a pass-through capture
// plugin records exactly what our plugin was handed and what it gave back; those must
// match the brushwerk program byte for byte. With "threads", MLT cuts every frame into
// slices and runs them in parallel as frames of their own.
#include <gtest/gtest.h>

#include <thread>

#include "host/frei0r/tests/test_host_settings.h"

namespace brushwerk::frei0r::testing {
namespace {

constexpr unsigned kWidth = 150;
constexpr unsigned kHeight = 78;
constexpr unsigned kLastFrame = 3;

class InsideMelt : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
#ifdef QUILLET_FREI0R_SANITIZED
        GTEST_SKIP() << "a sanitizer build's plugins cannot be loaded into melt";
#endif
        if (!HaveProgram("melt") || !HaveProgram("ffmpeg")) GTEST_SKIP() << "melt or ffmpeg is not installed";
        m_registry = m_dir.File("registry.reg");
        m_source = m_dir.File("source.mkv");
        const ProcessResult made = RunProcess(
            {"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
             "testsrc2=size=" + std::to_string(kWidth) + "x" + std::to_string(kHeight) + ":rate=25", "-frames:v",
             std::to_string(kLastFrame + 1), "-c:v", "ffv1", m_source},
            "", "");
        ASSERT_EQ(made.exitCode, 0) << made.err;
    }

    // Runs melt with our filter between two captures; returns the captured input and output.
    void RunMelt(const EffectSettings& settings, unsigned slices, std::vector<uint8_t>* seen,
                 std::vector<uint8_t>* given) {
        const std::string before = m_dir.File("before.raw"), after = m_dir.File("after.raw");
        std::remove(before.c_str());
        std::remove(after.c_str());
        std::vector<std::string> argv = {"melt", "-silent", m_source, "in=0", "out=" + std::to_string(kLastFrame),
                                         "-filter", "frei0r.quillet_test_capture", "0=" + before,
                                         "-filter", "frei0r.quillet_" + GetParam()};
        for (const std::string& p : ParametersFor(GetParam(), settings).meltProperties) argv.push_back(p);
        if (slices > 1) argv.push_back("threads=" + std::to_string(slices));
        argv.insert(argv.end(), {"-filter", "frei0r.quillet_test_capture", "0=" + after, "-consumer",
                                 "avformat:" + m_dir.File("out.nut"), "vcodec=rawvideo", "an=1", "real_time=0"});
        const ProcessResult melt = RunProcess(
            argv, "", "",
            {{"FREI0R_PATH", std::string(QUILLET_FREI0R_PLUGIN_DIR) + ":" + QUILLET_FREI0R_TEST_PLUGIN_DIR}});
        ASSERT_EQ(melt.exitCode, 0) << melt.err;
        *seen = ReadBytes(before);
        *given = ReadBytes(after);
        ASSERT_FALSE(seen->empty()) << "melt handed our filter no frames:\n" << melt.err;
        ASSERT_EQ(seen->size() % (size_t(kWidth) * kHeight * 4), 0u);
    }

    std::vector<uint8_t> Brushwerk(const EffectSettings& settings, const std::vector<uint8_t>& frames,
                                   unsigned height) {
        WriteBytes(m_dir.File("cli-in.raw"), frames);
        const ProcessResult cli = BrushwerkRender(RequestFor(GetParam(), settings, kWidth, height),
                                                  m_dir.File("cli-in.raw"), m_dir.File("cli-out.raw"), m_registry);
        EXPECT_EQ(cli.exitCode, 0) << cli.err;
        return ReadBytes(m_dir.File("cli-out.raw"));
    }

    TempFolder m_dir;
    std::string m_registry;
    std::string m_source;
};

TEST_P(InsideMelt, FramesMatchTheBrushwerkProgram) {
    const std::vector<EffectSettings> cases = SettingsCasesFor(GetParam());
    for (size_t i = 0; i < cases.size(); ++i) {
        std::vector<uint8_t> seen, given;
        RunMelt(cases[i], 1, &seen, &given);
        if (HasFatalFailure()) return;
        EXPECT_EQ(FirstDifference(given, Brushwerk(cases[i], seen, kHeight), kWidth, kHeight), "") << "case " << i;
    }
}

TEST_P(InsideMelt, ParallelSlicesMatchTheBrushwerkProgramOnEachSlice) {
    // MLT uses at most one slice per processor, and only slices evenly (78 rows: 2 of 39).
    const unsigned slices = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    const EffectSettings settings = SettingsCasesFor(GetParam())[2];
    std::vector<uint8_t> seen, given;
    RunMelt(settings, slices, &seen, &given);
    if (HasFatalFailure()) return;
    // Each slice is a frame of its own to the effect: the slices of all frames, in order,
    // form a stream of kWidth x (kHeight / kSlices) frames.
    EXPECT_EQ(FirstDifference(given, Brushwerk(settings, seen, kHeight / slices), kWidth, kHeight / slices), "");
}

INSTANTIATE_TEST_SUITE_P(Frei0rHosts, InsideMelt, ::testing::ValuesIn(EffectNames()));

}  // namespace
}  // namespace brushwerk::frei0r::testing
