// The plugins inside real hosts: ffmpeg's frei0r filter, MLT's melt (the engine of
// Kdenlive and Shotcut) and GStreamer's frei0r elements. Each run's output frames must
// equal, byte for byte, the brushwerk program's on the same frames with the same record
// and processor count: the defaults, a preset sent alone, and every field set in the
// host's own form (ffmpeg by position, melt by Kdenlive's parameter names, GStreamer as
// element properties with colours in components).
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <sstream>
#include <thread>

#include "host/frei0r/tests/test_support.h"

namespace brushwerk::frei0r::testing {
namespace {

// A host's run: its arguments, the frames it is fed (or made), and the request the
// brushwerk program renders the same frames with.
struct HostRun {
    std::vector<std::string> hostArgs;
    RenderRequest request;
};

class InsideHost : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
#ifdef QUILLET_FREI0R_SANITIZED
        GTEST_SKIP() << "a sanitizer build's plugins cannot be loaded into a real host";
#endif
        m_fields = FieldSettings(GetParam());
        m_preset = PresetName(GetParam(), 1);
    }
    // The request with every field of FieldSettings set.
    RenderRequest AllFields(unsigned processors, unsigned width, unsigned height) const {
        RenderRequest r{GetParam(), "", {}, processors, width, height};
        for (const FieldSetting& f : m_fields) r.sets.push_back(f.field + "=" + f.text);
        return r;
    }
    // Compares what the host wrote with the program's rendering of `in`.
    void ExpectSameAsProgram(const std::string& hostOut, const std::string& in, const RenderRequest& request) {
        const ProcessResult cli = BrushwerkRender(request, in, m_dir.File("cli.raw"), m_dir.File("registry.reg"));
        ASSERT_EQ(cli.exitCode, 0) << cli.err;
        const std::vector<uint8_t> expected = ReadBytes(m_dir.File("cli.raw"));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(FirstDifference(ReadBytes(hostOut), expected, request.width, request.height), "")
            << request.preset << " " << request.sets.size() << " fields, " << request.processors << " processors";
    }
    TempFolder m_dir;
    std::vector<FieldSetting> m_fields;
    std::string m_preset;
};

using InsideFfmpeg = InsideHost;
using InsideMelt = InsideHost;
using InsideGstreamer = InsideHost;

// ffmpeg before 6.1 hands frei0r filters rows padded to its own alignment: rows of a
// multiple of 64 bytes reach the filter intact. The height is not a multiple of 8.
TEST_P(InsideFfmpeg, FramesMatchTheBrushwerkProgram) {
    if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    constexpr unsigned w = 176, h = 98, frames = 3;
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    auto ffmpeg = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"});
        args.insert(args.end(), {"-frames:v", std::to_string(frames), "-f", "rawvideo", "-pix_fmt", "bgra", m_dir.File("host.raw")});
        return RunProcess(args, "", "", {{"FREI0R_PATH", QUILLET_FREI0R_PLUGIN_DIR}});
    };
    ASSERT_EQ(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=25"}).exitCode, 0);
    std::rename(m_dir.File("host.raw").c_str(), m_dir.File("testsrc.raw").c_str());
    WriteBytes(m_dir.File("alpha.raw"), StraightTestFrames(w, h, frames));
    std::string everyField = "0";
    for (const FieldSetting& f : m_fields) everyField += "|" + f.ffmpeg;
    RenderRequest all = AllFields(3, w, h);
    all.preset = "0";
    const struct {
        std::string frames, params;
        RenderRequest request;
    } runs[] = {{"testsrc.raw", "", {GetParam(), "", {}, 0, w, h}},
                {"testsrc.raw", m_preset, {GetParam(), m_preset, {}, 0, w, h}},
                {"alpha.raw", everyField + "|3", all}};
    for (const auto& run : runs) {
        const std::string filter =
            "frei0r=filter_name=quillet_" + GetParam() + (run.params.empty() ? "" : ":filter_params=" + run.params);
        const ProcessResult host = ffmpeg({"-f", "rawvideo", "-pix_fmt", "bgra", "-s", size, "-i", m_dir.File(run.frames), "-vf", filter});
        ASSERT_EQ(host.exitCode, 0) << filter << "\n" << host.err;
        ExpectSameAsProgram(m_dir.File("host.raw"), m_dir.File(run.frames), run.request);
    }
}

// MLT converts frames around each filter, so a pass-through capture plugin records what
// our plugin was handed and gave back. With "threads", MLT cuts every frame into slices
// (one per processor, evenly only: 78 rows make 2 of 39) and runs them as frames of
// their own.
TEST_P(InsideMelt, FramesAndSlicesMatchTheBrushwerkProgram) {
    if (!HaveProgram("melt") || !HaveProgram("ffmpeg")) GTEST_SKIP() << "melt or ffmpeg is not installed";
    constexpr unsigned w = 150, h = 78;  // rows not a multiple of 64 bytes
    const ProcessResult made = RunProcess({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                           "testsrc2=size=150x78:rate=25", "-frames:v", "4", "-c:v", "ffv1",
                                           m_dir.File("source.mkv")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    std::vector<std::string> byName = {"processors=3"};
    for (const FieldSetting& f : m_fields) byName.push_back(f.param + "=" + f.melt);
    const unsigned slices = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    const HostRun runs[] = {{byName, AllFields(3, w, h)},
                        {{"0=" + m_preset, "threads=" + std::to_string(slices)}, {GetParam(), m_preset, {}, 0, w, h / slices}}};
    for (const HostRun& run : runs) {
        const std::string before = m_dir.File("before.raw"), after = m_dir.File("after.raw");
        std::remove(before.c_str());
        std::remove(after.c_str());
        std::vector<std::string> argv = {"melt", "-silent", m_dir.File("source.mkv"), "in=0", "out=3", "-filter",
                                         "frei0r.quillet_test_capture", "0=" + before, "-filter", "frei0r.quillet_" + GetParam()};
        argv.insert(argv.end(), run.hostArgs.begin(), run.hostArgs.end());
        argv.insert(argv.end(), {"-filter", "frei0r.quillet_test_capture", "0=" + after, "-consumer",
                                 "avformat:" + m_dir.File("out.nut"), "vcodec=rawvideo", "an=1", "real_time=0"});
        const ProcessResult melt = RunProcess(
            argv, "", "", {{"FREI0R_PATH", std::string(QUILLET_FREI0R_PLUGIN_DIR) + ":" + QUILLET_FREI0R_TEST_PLUGIN_DIR}});
        ASSERT_EQ(melt.exitCode, 0) << melt.err;
        ASSERT_FALSE(ReadBytes(before).empty()) << "melt handed our filter no frames:\n" << melt.err;
        ExpectSameAsProgram(after, before, run.request);
    }
}

// GStreamer's element names: lower case, anything but letters, digits, '-' and '+' as
// '-'. It sets every parameter again from its properties when it starts the filter.
std::string GstName(const std::string& text) {
    std::string out;
    for (char c : text) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        out += std::isalnum(static_cast<unsigned char>(lower)) || lower == '+' ? lower : '-';
    }
    return out;
}

TEST_P(InsideGstreamer, FieldsOrAPresetSetAsPropertiesMatchTheBrushwerkProgram) {
    if (!HaveProgram("gst-launch-1.0") || !HaveProgram("gst-inspect-1.0"))
        GTEST_SKIP() << "GStreamer's tools are not installed (gstreamer1.0-tools, gstreamer1.0-plugins-bad)";
    constexpr unsigned w = 150, h = 77;
    const std::map<std::string, std::string> environment = {{"FREI0R_PATH", QUILLET_FREI0R_PLUGIN_DIR},
                                                            {"GST_REGISTRY", m_dir.File("gst-registry.bin")}};
    const std::string element = "frei0r-filter-" + GstName(PluginLibrary(GetParam()).Info().name);
    if (RunProcess({"gst-inspect-1.0", element}, "", "", environment).exitCode != 0)
        GTEST_SKIP() << "GStreamer has no frei0r elements (gstreamer1.0-plugins-bad)";
    std::vector<std::string> properties = {"processors=1"};
    for (const FieldSetting& f : m_fields) {
        std::istringstream components(f.ffmpeg);  // "r/g/b" for a colour
        std::string part;
        for (const char* suffix : {"-r=", "-g=", "-b="})
            if (std::getline(components, part, '/')) properties.push_back(GstName(f.param) + (f.colour ? suffix : "=") + part);
    }
    WriteBytes(m_dir.File("in.raw"), StraightTestFrames(w, h, 3));
    const HostRun runs[] = {{properties, AllFields(1, w, h)},
                        {{"preset=" + m_preset, "processors=3"}, {GetParam(), m_preset, {}, 3, w, h}}};
    for (const HostRun& run : runs) {
        std::vector<std::string> argv = {"gst-launch-1.0", "-q", "filesrc", "location=" + m_dir.File("in.raw"),
                                         "blocksize=" + std::to_string(w * h * 4), "!", "rawvideoparse",
                                         "width=" + std::to_string(w), "height=" + std::to_string(h), "format=bgra",
                                         "framerate=25/1", "!", element};
        argv.insert(argv.end(), run.hostArgs.begin(), run.hostArgs.end());
        argv.insert(argv.end(), {"!", "filesink", "location=" + m_dir.File("host.raw")});
        const ProcessResult gst = RunProcess(argv, "", "", environment);
        ASSERT_EQ(gst.exitCode, 0) << gst.err;
        ExpectSameAsProgram(m_dir.File("host.raw"), m_dir.File("in.raw"), run.request);
    }
}

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

INSTANTIATE_TEST_SUITE_P(Frei0rHosts, InsideFfmpeg, ::testing::ValuesIn(EffectNames()));
INSTANTIATE_TEST_SUITE_P(Frei0rHosts, InsideMelt, ::testing::ValuesIn(EffectNames()));
INSTANTIATE_TEST_SUITE_P(Frei0rHosts, InsideGstreamer, ::testing::ValuesIn(EffectNames()));

}  // namespace
}  // namespace brushwerk::frei0r::testing
