// The plugins inside GStreamer (gstreamer1.0-plugins-bad's frei0r elements): raw B, G,
// R, A frames through each effect's element, byte-identical to the brushwerk program,
// once with fields set as element properties (colours as -r/-g/-b components) and once
// with a preset alone. GStreamer sets every parameter again from its property values
// when it starts the filter, the preset's fields with the values it read at start-up.
#include <gtest/gtest.h>

#include <cctype>

#include "host/common/effect_catalog.h"
#include "host/frei0r/tests/test_host_settings.h"

namespace brushwerk::frei0r::testing {
namespace {

constexpr unsigned kWidth = 150;
constexpr unsigned kHeight = 77;
constexpr unsigned kFrames = 3;

// GStreamer's names: lower case, anything but letters, digits, '-' and '+' as '-'.
std::string GstName(const std::string& text) {
    std::string out;
    for (char c : text) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        out += std::isalnum(static_cast<unsigned char>(lower)) || lower == '+' ? lower : '-';
    }
    return out;
}

class InsideGstreamer : public ::testing::TestWithParam<std::string> {};

TEST_P(InsideGstreamer, FieldsOrAPresetSetAsPropertiesMatchTheBrushwerkProgram) {
#ifdef QUILLET_FREI0R_SANITIZED
    GTEST_SKIP() << "a sanitizer build's plugins cannot be loaded into GStreamer";
#endif
    if (!HaveProgram("gst-launch-1.0") || !HaveProgram("gst-inspect-1.0"))
        GTEST_SKIP() << "GStreamer's tools are not installed (gstreamer1.0-tools, gstreamer1.0-plugins-bad)";
    TempFolder dir;
    const std::map<std::string, std::string> environment = {{"FREI0R_PATH", QUILLET_FREI0R_PLUGIN_DIR},
                                                            {"GST_REGISTRY", dir.File("gst-registry.bin")}};
    PluginLibrary plugin(GetParam());
    const std::string element = "frei0r-filter-" + GstName(plugin.Info().name);
    if (RunProcess({"gst-inspect-1.0", element}, "", "", environment).exitCode != 0)
        GTEST_SKIP() << "GStreamer has no frei0r elements (gstreamer1.0-plugins-bad)";

    const common::EffectInfo& effect = *common::FindEffect(GetParam());
    RenderRequest request{GetParam(), "", {}, 1, kWidth, kHeight};
    std::vector<std::string> properties = {"processors=1"};
    const std::string preset = SettingsCasesFor(GetParam())[1].preset;
    RenderRequest presetRequest{GetParam(), preset, {}, 3, kWidth, kHeight};
    bool numberSet = false, colourSet = false;
    const std::vector<f0r_param_info_t> params = plugin.Params();
    for (const common::RecordField& field : effect.fields) {
        const std::string name = GstName(params[static_cast<size_t>(&field - effect.fields.data()) + 1].name);
        if (field.kind == common::FieldKind::Number && !numberSet) {
            properties.push_back(name + "=0.3");
            request.sets.push_back(std::string(field.name) + "=0.3");
            numberSet = true;
        } else if (field.kind == common::FieldKind::Colour && !colourSet) {
            properties.insert(properties.end(), {name + "-r=0.2", name + "-g=0.4", name + "-b=0.6"});
            request.sets.push_back(std::string(field.name) + "=#336699");
            colourSet = true;
        }
    }
    WriteBytes(dir.File("in.bgra"), StraightTestFrames(kWidth, kHeight, kFrames));
    const std::pair<std::vector<std::string>, RenderRequest> cases[] = {
        {properties, request}, {{"preset=" + preset, "processors=3"}, presetRequest}};
    for (const auto& [settings, expected] : cases) {
        std::vector<std::string> argv = {"gst-launch-1.0", "-q", "filesrc", "location=" + dir.File("in.bgra"),
                                         "blocksize=" + std::to_string(kWidth * kHeight * 4), "!", "rawvideoparse",
                                         "width=" + std::to_string(kWidth), "height=" + std::to_string(kHeight),
                                         "format=bgra", "framerate=25/1", "!", element};
        argv.insert(argv.end(), settings.begin(), settings.end());
        argv.insert(argv.end(), {"!", "filesink", "location=" + dir.File("gst.bgra")});
        const ProcessResult gst = RunProcess(argv, "", "", environment);
        ASSERT_EQ(gst.exitCode, 0) << gst.err;

        const ProcessResult cli = BrushwerkRender(expected, dir.File("in.bgra"), dir.File("cli.bgra"), dir.File("reg.reg"));
        ASSERT_EQ(cli.exitCode, 0) << cli.err;
        EXPECT_EQ(FirstDifference(ReadBytes(dir.File("gst.bgra")), ReadBytes(dir.File("cli.bgra")), kWidth, kHeight), "")
            << settings.front();
    }
}

INSTANTIATE_TEST_SUITE_P(Frei0rHosts, InsideGstreamer, ::testing::ValuesIn(EffectNames()));

}  // namespace
}  // namespace brushwerk::frei0r::testing
