// The plugins through their f0r_* entry points, loaded with dlopen as a host loads them:
// plugin and parameter descriptions, defaults, presets, and hosts' bad values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <thread>

#include "host/common/effect_catalog.h"
#include "host/frei0r/tests/test_support.h"

namespace brushwerk::frei0r::testing {
namespace {

class EveryPlugin : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryPlugin, DescribesItselfFromTheModule) {
    const common::EffectInfo& effect = *common::FindEffect(GetParam());
    PluginLibrary plugin(GetParam());
    ASSERT_TRUE(plugin.Loaded()) << PluginPath(GetParam());
    EXPECT_EQ(plugin.InitResult(), 1);
    const f0r_plugin_info_t info = plugin.Info();
    // The module's own display names (Duo Chrome's reads "Quillet DuoChrome" there).
    const std::string expectedName = GetParam() == "duochrome" ? "Quillet DuoChrome" : effect.displayName;
    EXPECT_EQ(std::string(info.name), expectedName);
    EXPECT_EQ(info.plugin_type, F0R_PLUGIN_TYPE_FILTER);
    EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_BGRA8888);
    EXPECT_EQ(info.frei0r_version, FREI0R_MAJOR_VERSION);
    ASSERT_EQ(info.num_params, static_cast<int>(effect.fields.size()) + 2);

    const std::vector<f0r_param_info_t> params = plugin.Params();
    EXPECT_STREQ(params.front().name, "preset");
    EXPECT_STREQ(params.back().name, "processors");
    std::set<std::string> names;
    for (size_t i = 0; i < effect.fields.size(); ++i)
        EXPECT_EQ(params[i + 1].type,
                  effect.fields[i].kind == common::FieldKind::Colour ? F0R_PARAM_COLOR : F0R_PARAM_DOUBLE);
    for (const f0r_param_info_t& p : params) names.insert(p.name);
    EXPECT_EQ(names.size(), params.size()) << "parameter names must be unique (MLT and GStreamer key by name)";

    // Asking past either end describes nothing harmful.
    for (int bad : {-1, info.num_params, 1 << 20}) {
        f0r_param_info_t p{};
        plugin.get_param_info(&p, bad);
        ASSERT_NE(p.name, nullptr);
        EXPECT_STREQ(p.name, "");
    }
}

TEST_P(EveryPlugin, StartsFromPresetRowZeroAtAnySizeIncludingNone) {
    PluginLibrary plugin(GetParam());
    ASSERT_EQ(plugin.InitResult(), 1);
    for (auto [w, h] : {std::pair{0u, 0u}, {1u, 1u}, {1920u, 1080u}, {0u, 7u}}) {
        f0r_instance_t a = plugin.construct(w, h);
        ASSERT_NE(a, nullptr) << w << "x" << h;
        f0r_instance_t b = plugin.construct(w, h);
        const std::string row0 = GetString(plugin, a, 0);
        EXPECT_FALSE(row0.empty());
        // Selecting row 0 by its own name changes nothing anywhere.
        SetString(plugin, b, 0, "0");
        const int n = plugin.Info().num_params;
        for (int i = 1; i < n; ++i) {
            f0r_param_info_t p{};
            plugin.get_param_info(&p, i);
            if (p.type == F0R_PARAM_COLOR) {
                const f0r_param_color_t ca = GetColour(plugin, a, i), cb = GetColour(plugin, b, i);
                EXPECT_TRUE(ca.r == cb.r && ca.g == cb.g && ca.b == cb.b) << p.name;
            } else {
                EXPECT_EQ(GetDouble(plugin, a, i), GetDouble(plugin, b, i)) << p.name;
            }
        }
        EXPECT_EQ(GetString(plugin, b, 0), row0);
        // 0 x 0 and empty frames are probes: updating them touches nothing.
        uint32_t untouched = 0xDEADBEEF;
        if (w == 0 || h == 0) plugin.update(a, 0.0, &untouched, &untouched);
        EXPECT_EQ(untouched, 0xDEADBEEFu);
        plugin.destruct(a);
        plugin.destruct(b);
    }
}

INSTANTIATE_TEST_SUITE_P(Frei0rPlugins, EveryPlugin, ::testing::ValuesIn(EffectNames()));

// Presets by exact name, by number, and by a name in any case with blanks around it.
TEST(Frei0rPresets, SelectionByNameNumberAndLooseName) {
    PluginLibrary colorize("colorize");
    ASSERT_EQ(colorize.InitResult(), 1);
    f0r_instance_t c = colorize.construct(64, 48);
    EXPECT_EQ(GetString(colorize, c, 0), "Blue & Red");
    for (auto [given, held] : {std::pair{"Cheap Postcard", "Cheap Postcard"}, {"9", "Reset To None"},
                               {"  pink!  ", "Pink!"}}) {
        SetString(colorize, c, 0, given);
        EXPECT_EQ(GetString(colorize, c, 0), held) << given;
    }
    colorize.destruct(c);
    PluginLibrary glow("dreamglow");
    f0r_instance_t g = glow.construct(8, 8);
    SetString(glow, g, 0, "black light");  // the name ends in a blank in the module
    EXPECT_EQ(GetString(glow, g, 0), "Black Light ");
    glow.destruct(g);
}

TEST(Frei0rPresets, AppliedOnlyWhenTheStringChangesSoLaterFieldsOverride) {
    PluginLibrary airbrush("airbrush");
    f0r_instance_t a = airbrush.construct(32, 32);
    const int spray = airbrush.ParamIndex("Spray");
    SetString(airbrush, a, 0, "Fog");
    const double fog = GetDouble(airbrush, a, spray);
    SetDouble(airbrush, a, spray, 0.125);
    // A host that sets every parameter on every frame sends the same preset again.
    SetString(airbrush, a, 0, "Fog");
    EXPECT_EQ(GetDouble(airbrush, a, spray), 0.125);
    SetString(airbrush, a, 0, "Dream");
    EXPECT_NE(GetDouble(airbrush, a, spray), fog);
    SetString(airbrush, a, 0, "Fog");
    EXPECT_EQ(GetDouble(airbrush, a, spray), fog);
    airbrush.destruct(a);

    // A host that sets every field again after the preset, with the values it read at
    // start (GStreamer), changes nothing; a value of its own still wins.
    a = airbrush.construct(32, 32);
    const double start = GetDouble(airbrush, a, spray);
    SetString(airbrush, a, 0, "Fog");
    SetDouble(airbrush, a, spray, start);
    EXPECT_EQ(GetDouble(airbrush, a, spray), fog);
    SetDouble(airbrush, a, spray, 0.25);
    EXPECT_EQ(GetDouble(airbrush, a, spray), 0.25);
    airbrush.destruct(a);
}

TEST(Frei0rBadValues, NeverCrashAndLeaveTheInstanceAsItWas) {
    PluginLibrary colorize("colorize");
    ASSERT_EQ(colorize.InitResult(), 1);
    const int n = colorize.Info().num_params;
    const int color2 = colorize.ParamIndex("Color 2");
    const int smoothing = colorize.ParamIndex("Smoothing");
    const int processors = colorize.ParamIndex("processors");
    f0r_instance_t c = colorize.construct(40, 30);
    SetString(colorize, c, 0, "Skin Tone");
    SetString(colorize, c, processors, "2");
    const double smoothingBefore = GetDouble(colorize, c, smoothing);
    const f0r_param_color_t colourBefore = GetColour(colorize, c, color2);

    // Unknown, empty and null preset strings; an unknown name is said on standard error.
    ::testing::internal::CaptureStderr();
    SetString(colorize, c, 0, "No Such Preset");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("quillet_colorize: unknown preset 'No Such Preset' ignored; presets: 0 \"Blue & Red\", 1 "), 0u)
        << said;
    EXPECT_NE(said.find(", 11 \"Sodium Lights\"\n"), std::string::npos) << said;
    SetString(colorize, c, 0, "");
    SetString(colorize, c, 0, nullptr);
    SetString(colorize, c, 0, "12");
    SetString(colorize, c, 0, "-1");
    EXPECT_EQ(GetString(colorize, c, 0), "Skin Tone");
    // Doubles a record field cannot hold.
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                       1e300, -1e39})
        SetDouble(colorize, c, smoothing, bad);
    EXPECT_EQ(GetDouble(colorize, c, smoothing), smoothingBefore);
    SetColour(colorize, c, color2, std::nanf(""), 0.5f, 0.5f);
    SetColour(colorize, c, color2, 0.5f, std::numeric_limits<float>::infinity(), 0.5f);
    const f0r_param_color_t colourAfter = GetColour(colorize, c, color2);
    EXPECT_EQ(colourAfter.r, colourBefore.r);
    EXPECT_EQ(colourAfter.g, colourBefore.g);
    for (const char* bad : {"nan", "two", "2x"}) SetString(colorize, c, processors, bad);
    EXPECT_EQ(GetString(colorize, c, processors), "2");
    // Indexes outside the table, null values, null instances.
    double d = 0.5;
    for (int bad : {-1, n, n + 1, -1000000, 1 << 30}) {
        colorize.set_param_value(c, &d, bad);
        double out = 42.0;
        colorize.get_param_value(c, &out, bad);
        EXPECT_EQ(out, 42.0);
    }
    for (int i = 0; i < n; ++i) {
        colorize.set_param_value(c, nullptr, i);
        colorize.get_param_value(c, nullptr, i);
        colorize.set_param_value(nullptr, &d, i);
        colorize.get_param_value(nullptr, &d, i);
    }
    uint32_t pixel = 0x80402010;
    colorize.update(nullptr, 0.0, &pixel, &pixel);
    colorize.update(c, 0.0, nullptr, &pixel);
    colorize.update(c, 0.0, &pixel, nullptr);
    colorize.destruct(nullptr);
    colorize.get_plugin_info(nullptr);
    colorize.get_param_info(nullptr, 0);

    // Still usable, and exactly as an instance that only ever got good values.
    f0r_instance_t fresh = colorize.construct(40, 30);
    SetString(colorize, fresh, 0, "Skin Tone");
    SetString(colorize, fresh, processors, "2");
    const std::vector<uint8_t> in = StraightTestFrames(40, 30, 1);
    std::vector<uint8_t> outBad(in.size()), outFresh(in.size());
    colorize.update(c, 1.0, reinterpret_cast<const uint32_t*>(in.data()), reinterpret_cast<uint32_t*>(outBad.data()));
    colorize.update(fresh, 1.0, reinterpret_cast<const uint32_t*>(in.data()),
                    reinterpret_cast<uint32_t*>(outFresh.data()));
    EXPECT_EQ(FirstDifference(outBad, outFresh, 40, 30), "");
    colorize.destruct(c);
    colorize.destruct(fresh);
}

TEST(Frei0rBadValues, StringsHandedAsCharactersOrAsWildPointers) {
    PluginLibrary airbrush("airbrush");
    f0r_instance_t a = airbrush.construct(8, 8);
    // GStreamer's element passes the characters themselves for a string changed while
    // it plays, where frei0r passes a pointer to them: both forms are understood. (Its
    // strings live on the heap, so a pointer's worth of bytes is always there to read.)
    char fog[16] = "Fog";
    airbrush.set_param_value(a, fog, 0);
    EXPECT_EQ(GetString(airbrush, a, 0), "Fog");
    char outOfFocus[] = "Out Of Focus";
    airbrush.set_param_value(a, outOfFocus, 0);
    EXPECT_EQ(GetString(airbrush, a, 0), "Out Of Focus");
    char unknown[] = "Touch Up, but longer than any preset name";
    airbrush.set_param_value(a, unknown, 0);
    EXPECT_EQ(GetString(airbrush, a, 0), "Out Of Focus");
    char dream[16] = "Dream";
    airbrush.set_param_value(a, dream, 0);
    EXPECT_EQ(GetString(airbrush, a, 0), "Dream");
    // Pointers to nowhere are ignored, never followed into a fault.
    for (uintptr_t wild : {uintptr_t(1), uintptr_t(0x10), uintptr_t(0xDEADBEEF000), ~uintptr_t(0) - 64}) {
        char* pointer = reinterpret_cast<char*>(wild);
        airbrush.set_param_value(a, &pointer, 0);
        EXPECT_EQ(GetString(airbrush, a, 0), "Dream");
    }
    // A string with no end within any sensible length is no preset name.
    std::string endless(1 << 16, 'x');
    endless.back() = '\0';
    SetString(airbrush, a, 0, endless.c_str());
    EXPECT_EQ(GetString(airbrush, a, 0), "Dream");
    airbrush.destruct(a);
}

TEST(Frei0rBadValues, ColoursClampIntoRangeAndProcessorCountsAreBounded) {
    PluginLibrary duochrome("duochrome");
    f0r_instance_t d = duochrome.construct(4, 4);
    const int paper = duochrome.ParamIndex("Paper");
    const int processors = duochrome.ParamIndex("processors");
    SetColour(duochrome, d, paper, 2.0f, -1.0f, 0.5f);
    const f0r_param_color_t c = GetColour(duochrome, d, paper);
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_EQ(c.g, 0.0f);
    EXPECT_EQ(std::lround(c.b * 255), 128);
    // Text, so that every host can set any count (GStreamer bounds doubles to 0..1).
    const std::string machine = std::to_string(std::max(1u, std::min(16u, std::thread::hardware_concurrency())));
    EXPECT_EQ(GetString(duochrome, d, processors), machine);
    for (auto [given, held] : {std::pair<const char*, std::string>{"2.6", "3"}, {"0", machine}, {" 4 ", "4"},
                               {"-7", machine}, {"", machine}, {"1e12", "16"}, {"1e999", "16"}, {"inf", "16"}}) {
        SetString(duochrome, d, processors, given);
        EXPECT_EQ(GetString(duochrome, d, processors), held) << given;
    }
    duochrome.destruct(d);
}

TEST(Frei0rLifetime, InitCountsSoOneHostFilterClosingLeavesTheOthersWorking) {
    // ffmpeg calls f0r_init and f0r_deinit once per filter of a graph.
    auto first = std::make_unique<PluginLibrary>("airbrush");
    PluginLibrary second("airbrush");
    ASSERT_EQ(first->InitResult(), 1);
    ASSERT_EQ(second.InitResult(), 1);
    f0r_instance_t kept = second.construct(16, 16);
    first.reset();  // f0r_deinit of one filter
    f0r_instance_t late = second.construct(16, 16);
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(late, nullptr);
    const std::vector<uint8_t> in = StraightTestFrames(16, 16, 1);
    std::vector<uint8_t> a(in.size()), b(in.size());
    second.update(kept, 0.0, reinterpret_cast<const uint32_t*>(in.data()), reinterpret_cast<uint32_t*>(a.data()));
    second.update(late, 0.0, reinterpret_cast<const uint32_t*>(in.data()), reinterpret_cast<uint32_t*>(b.data()));
    EXPECT_EQ(FirstDifference(a, b, 16, 16), "");
    second.destruct(kept);
    second.destruct(late);
}

TEST(Frei0rModuleLookup, ExplicitModulePathIsHonouredAndAMissingOneFailsCleanly) {
    ::setenv("QUILLET_MODULE", "/nonexistent/libquillet_brushwerk.so", 1);
    {
        PluginLibrary metallic("metallic");
        ASSERT_TRUE(metallic.Loaded());
        EXPECT_EQ(metallic.InitResult(), 0);
        EXPECT_EQ(metallic.construct(8, 8), nullptr);
        // Descriptions still answer, from the catalog.
        EXPECT_STREQ(metallic.Info().name, "Quillet Metallic");
    }
    ::setenv("QUILLET_MODULE", QUILLET_MODULE_PATH, 1);
    {
        PluginLibrary metallic("metallic");
        EXPECT_EQ(metallic.InitResult(), 1);
        f0r_instance_t m = metallic.construct(8, 8);
        EXPECT_NE(m, nullptr);
        metallic.destruct(m);
    }
    ::unsetenv("QUILLET_MODULE");
}

}  // namespace
}  // namespace brushwerk::frei0r::testing
