// Kdenlive's effect descriptions: one per plugin, naming exactly the plugin's record
// parameters (Kdenlive hands them to MLT by name), colours as colours, numbers animated
// on the pages' 0..100 scale, defaults equal to preset row 0; and MLT, given values
// under those names, renders what the brushwerk program renders with the same fields.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "host/common/effect_catalog.h"
#include "host/frei0r/tests/test_host_settings.h"

namespace brushwerk::frei0r::testing {
namespace {

struct XmlParameter {
    std::string type, name, defaultValue, min, max, factor;
};

struct XmlEffect {
    std::string tag;
    std::vector<XmlParameter> parameters;
};

// The value of name="..." inside one element's text.
std::string Attribute(const std::string& element, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const size_t at = element.find(key);
    if (at == std::string::npos) return {};
    const size_t start = at + key.size();
    const size_t end = element.find('"', start);
    return end == std::string::npos ? std::string() : element.substr(start, end - start);
}

// Every start tag "<tag ...>" in the text, in order.
std::vector<std::string> Elements(const std::string& text, const std::string& tag) {
    std::vector<std::string> found;
    for (size_t at = text.find("<" + tag + " "); at != std::string::npos; at = text.find("<" + tag + " ", at + 1)) {
        const size_t end = text.find('>', at);
        if (end == std::string::npos) break;
        found.push_back(text.substr(at, end - at + 1));
    }
    return found;
}

XmlEffect ReadDescription(const std::string& effect) {
    std::ifstream file(std::string(QUILLET_FREI0R_KDENLIVE_DIR) + "/quillet_" + effect + ".xml");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    XmlEffect out;
    const std::vector<std::string> effects = Elements(text, "effect");
    if (!effects.empty()) out.tag = Attribute(effects.front(), "tag");
    for (const std::string& element : Elements(text, "parameter"))
        out.parameters.push_back({Attribute(element, "type"), Attribute(element, "name"), Attribute(element, "default"),
                                  Attribute(element, "min"), Attribute(element, "max"), Attribute(element, "factor")});
    return out;
}

class KdenliveDescription : public ::testing::TestWithParam<std::string> {};

TEST_P(KdenliveDescription, NamesThePluginsParametersWithPresetZeroDefaults) {
    const XmlEffect xml = ReadDescription(GetParam());
    EXPECT_EQ(xml.tag, "frei0r.quillet_" + GetParam());
    PluginLibrary plugin(GetParam());
    ASSERT_EQ(plugin.InitResult(), 1);
    f0r_instance_t instance = plugin.construct(0, 0);
    const std::vector<f0r_param_info_t> params = plugin.Params();
    // Every record field, in order; not the preset (Kdenlive sets every field on every
    // frame, which would override it) nor the processor count.
    ASSERT_EQ(xml.parameters.size(), params.size() - 2);
    for (size_t i = 0; i < xml.parameters.size(); ++i) {
        const XmlParameter& x = xml.parameters[i];
        const int index = static_cast<int>(i) + 1;
        EXPECT_EQ(x.name, params[index].name);
        if (params[index].type == F0R_PARAM_COLOR) {
            EXPECT_EQ(x.type, "color") << x.name;
            const f0r_param_color_t c = GetColour(plugin, instance, index);
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%02x%02x%02xff", int(std::lround(c.r * 255)), int(std::lround(c.g * 255)),
                          int(std::lround(c.b * 255)));
            EXPECT_EQ(x.defaultValue, hex) << x.name;
        } else {
            EXPECT_EQ(x.type, "animated") << x.name;
            EXPECT_EQ(x.factor, "100") << x.name;
            EXPECT_EQ(x.min, "0") << x.name;
            EXPECT_EQ(x.max, "100") << x.name;
            EXPECT_EQ(static_cast<float>(std::stod(x.defaultValue)), static_cast<float>(GetDouble(plugin, instance, index)))
                << x.name;
        }
    }
    plugin.destruct(instance);
}

TEST_P(KdenliveDescription, MltTakesValuesUnderItsNames) {
#ifdef QUILLET_FREI0R_SANITIZED
    GTEST_SKIP() << "a sanitizer build's plugins cannot be loaded into melt";
#endif
    if (!HaveProgram("melt") || !HaveProgram("ffmpeg")) GTEST_SKIP() << "melt or ffmpeg is not installed";
    constexpr unsigned w = 128, h = 72;
    TempFolder dir;
    const ProcessResult made = RunProcess({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                           "testsrc2=size=128x72:rate=25", "-frames:v", "2", "-c:v", "ffv1",
                                           dir.File("source.mkv")},
                                          "", "");
    ASSERT_EQ(made.exitCode, 0) << made.err;

    // Every parameter moved off its default, by the name Kdenlive uses.
    const common::EffectInfo& effect = *common::FindEffect(GetParam());
    const XmlEffect xml = ReadDescription(GetParam());
    std::vector<std::string> properties;
    RenderRequest request{GetParam(), "", {}, 1, w, h};
    for (size_t i = 0; i < xml.parameters.size(); ++i) {
        const common::RecordField& field = effect.fields[i];
        const bool colour = field.kind == common::FieldKind::Colour;
        const std::string value = colour ? (i % 2 ? "#c04080" : "#20a0e0") : (i % 2 ? "0.62" : "0.27");
        properties.push_back(xml.parameters[i].name + "=" + (colour ? "0x" + value.substr(1) + "ff" : value));
        request.sets.push_back(std::string(field.name) + "=" + value);
    }
    std::vector<std::string> argv = {"melt", "-silent", dir.File("source.mkv"), "in=0", "out=1", "-filter",
                                     "frei0r.quillet_test_capture", "0=" + dir.File("before.raw"), "-filter",
                                     "frei0r.quillet_" + GetParam(), "processors=1"};
    argv.insert(argv.end(), properties.begin(), properties.end());
    argv.insert(argv.end(), {"-filter", "frei0r.quillet_test_capture", "0=" + dir.File("after.raw"), "-consumer",
                             "avformat:" + dir.File("out.nut"), "vcodec=rawvideo", "an=1", "real_time=0"});
    const ProcessResult melt = RunProcess(
        argv, "", "", {{"FREI0R_PATH", std::string(QUILLET_FREI0R_PLUGIN_DIR) + ":" + QUILLET_FREI0R_TEST_PLUGIN_DIR}});
    ASSERT_EQ(melt.exitCode, 0) << melt.err;

    const ProcessResult cli =
        BrushwerkRender(request, dir.File("before.raw"), dir.File("cli.raw"), dir.File("registry.reg"));
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    const std::vector<uint8_t> given = ReadBytes(dir.File("after.raw"));
    ASSERT_FALSE(given.empty());
    EXPECT_EQ(FirstDifference(given, ReadBytes(dir.File("cli.raw")), w, h), "");
}

INSTANTIATE_TEST_SUITE_P(Frei0rKdenlive, KdenliveDescription, ::testing::ValuesIn(EffectNames()));

}  // namespace
}  // namespace brushwerk::frei0r::testing
