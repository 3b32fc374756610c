// Kdenlive's effect descriptions: one per plugin, naming exactly the plugin's record
// parameters in order (Kdenlive hands them to MLT by name, as the melt test renders
// them), colours as colours and numbers animated, defaults equal to preset row 0.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>

#include "host/frei0r/tests/test_support.h"

namespace brushwerk::frei0r::testing {
namespace {

// A number as the single-precision field holds it.
std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", double(float(v)));
    return text;
}

class KdenliveDescription : public ::testing::TestWithParam<std::string> {};

TEST_P(KdenliveDescription, NamesThePluginsParametersWithPresetZeroDefaults) {
    const std::string text = ReadText(std::string(QUILLET_FREI0R_KDENLIVE_DIR) + "/quillet_" + GetParam() + ".xml");
    EXPECT_NE(text.find(" tag=\"frei0r.quillet_" + GetParam() + "\""), std::string::npos);
    PluginLibrary plugin(GetParam());
    f0r_instance_t instance = plugin.construct(0, 0);
    const std::vector<f0r_param_info_t> params = plugin.Params();
    // Every record field: not the preset (Kdenlive sets every field on every frame, which
    // would override it) nor the processor count and banding switch.
    std::vector<std::string> expected, found;
    for (size_t i = 1; i + 2 < params.size(); ++i) {
        char element[160];
        if (params[i].type == F0R_PARAM_COLOR) {
            const f0r_param_color_t c = plugin.GetColour(instance, int(i));
            std::snprintf(element, sizeof element, "color %s 0x%02x%02x%02xff", params[i].name, int(std::lround(c.r * 255)),
                          int(std::lround(c.g * 255)), int(std::lround(c.b * 255)));
        } else {
            std::snprintf(element, sizeof element, "animated %s %s", params[i].name, Number(plugin.Get(instance, int(i))).c_str());
        }
        expected.push_back(element);
    }
    const std::regex parameter("<parameter type=\"(\\w+)\" name=\"([^\"]+)\" default=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), parameter); it != std::sregex_iterator(); ++it) {
        const std::string type = (*it)[1], value = (*it)[3];
        found.push_back(type + " " + std::string((*it)[2]) + " " + (type == "color" ? value : Number(std::stod(value))));
    }
    EXPECT_EQ(found, expected);
    plugin.destruct(instance);
}

INSTANTIATE_TEST_SUITE_P(Frei0rKdenlive, KdenliveDescription, ::testing::ValuesIn(EffectNames()));

}  // namespace
}  // namespace brushwerk::frei0r::testing
