// Kdenlive's effect descriptions: one per plugin, naming exactly the plugin's record
// parameters (Kdenlive hands them to MLT by name; the melt test renders with values
// under those names), colours as colours, numbers animated on the pages' 0..100
// scale, defaults equal to preset row 0.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

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

INSTANTIATE_TEST_SUITE_P(Frei0rKdenlive, KdenliveDescription, ::testing::ValuesIn(EffectNames()));

}  // namespace
}  // namespace brushwerk::frei0r::testing
