// The plugins through their f0r_* entry points, loaded with dlopen as a host loads them:
// their descriptions, defaults and presets, the bad values hosts send, frames of sizes
// no host would choose against the brushwerk program, and instances used from several
// threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <tuple>

#include "host/common/effect_catalog.h"
#include "host/frei0r/tests/test_support.h"

namespace brushwerk::frei0r::testing {
namespace {

class EveryPlugin : public ::testing::TestWithParam<std::string> {};

// The module's display name, a parameter per record field between the preset and the
// processor count, then the per-band switch (their names and kinds: the real hosts'
// and the Kdenlive tests); asking past either end describes nothing harmful; a new
// instance holds preset row 0 (its values: the Kdenlive test), and probes of empty
// frames touch nothing.
TEST_P(EveryPlugin, DescribesItselfAndStartsFromPresetRowZero) {
    const common::EffectInfo& effect = *common::FindEffect(GetParam());
    PluginLibrary plugin(GetParam());
    ASSERT_TRUE(plugin.Loaded());
    ASSERT_EQ(plugin.InitResult(), 1);
    const f0r_plugin_info_t info = plugin.Info();
    EXPECT_EQ(std::string(info.name), effect.displayName);
    EXPECT_TRUE(info.plugin_type == F0R_PLUGIN_TYPE_FILTER && info.color_model == F0R_COLOR_MODEL_BGRA8888 &&
                info.frei0r_version == FREI0R_MAJOR_VERSION);
    const std::vector<f0r_param_info_t> params = plugin.Params();
    ASSERT_EQ(params.size(), effect.fields.size() + 3);
    EXPECT_TRUE(params.front().name == std::string("preset") && params[params.size() - 2].name == std::string("processors"));
    EXPECT_TRUE(params.back().name == std::string("per-band") && params.back().type == F0R_PARAM_BOOL);
    for (int bad : {-1, info.num_params, 1 << 20}) {
        f0r_param_info_t p{};
        plugin.get_param_info(&p, bad);
        ASSERT_NE(p.name, nullptr);
        EXPECT_STREQ(p.name, "");
    }
    uint32_t untouched = 0xDEADBEEF;
    for (auto [w, h] : {std::pair{0u, 0u}, {0u, 7u}}) {
        f0r_instance_t a = plugin.construct(w, h);
        ASSERT_TRUE(a) << w << "x" << h;
        EXPECT_EQ(plugin.GetString(a, 0), PresetName(GetParam(), 0));
        plugin.update(a, 0.0, &untouched, &untouched);
        plugin.destruct(a);
    }
    EXPECT_EQ(untouched, 0xDEADBEEFu);
}

// Sizes no host would choose, band counts of one and four, and one buffer for input and
// output, against the brushwerk program.
TEST_P(EveryPlugin, AnySizeAndInPlaceMatchTheBrushwerkProgram) {
    TempFolder dir;
    PluginLibrary plugin(GetParam());
    const int processors = plugin.ParamIndex("processors");
    const std::string preset = PresetName(GetParam(), 1);
    for (auto [w, h, bands] : {std::tuple{1u, 1u, 1u}, {2u, 3u, 4u}, {37u, 23u, 1u}, {5u, 301u, 4u}, {301u, 5u, 4u}, {64u, 61u, 4u}}) {
        std::vector<uint8_t> frames = StraightTestFrames(w, h, 2);
        f0r_instance_t instance = plugin.construct(w, h);
        plugin.SetString(instance, 0, preset.c_str());
        plugin.SetString(instance, processors, std::to_string(bands).c_str());
        const std::vector<uint8_t> got = plugin.Render(instance, frames, w, h);
        WriteBytes(dir.File("in.raw"), frames);
        const ProcessResult cli = BrushwerkRender({GetParam(), preset, {}, bands, w, h}, dir.File("in.raw"), dir.File("out.raw"),
                                                  dir.File("registry.reg"));
        ASSERT_EQ(cli.exitCode, 0) << cli.err;
        EXPECT_EQ(FirstDifference(got, ReadBytes(dir.File("out.raw")), w, h), "") << w << "x" << h << ", " << bands;
        frames.resize(size_t(w) * h * 4);
        plugin.update(instance, 0.0, reinterpret_cast<const uint32_t*>(frames.data()), reinterpret_cast<uint32_t*>(frames.data()));
        EXPECT_EQ(0, std::memcmp(frames.data(), got.data(), frames.size())) << "in place, " << w << "x" << h;
        plugin.destruct(instance);
    }
}

INSTANTIATE_TEST_SUITE_P(Frei0rPlugins, EveryPlugin, ::testing::ValuesIn(EffectNames()));

// By exact name, by number, by a name in any case with blanks around it (a trailing
// blank the module's name has included); applied only when the string changes, so that
// fields set after it win, also when a host sends the same preset with every frame.
// (Every field set again with the values read at start: the GStreamer run.)
TEST(Frei0rPresets, SelectionAndWhenTheyApply) {
    PluginLibrary colorize("colorize"), glow("dreamglow"), airbrush("airbrush");
    f0r_instance_t c = colorize.construct(64, 48), g = glow.construct(8, 8), a = airbrush.construct(32, 32);
    EXPECT_EQ(colorize.GetString(c, 0), "Blue & Red");
    for (auto [given, held] : {std::pair{"Cheap Postcard", "Cheap Postcard"}, {"9", "Reset To None"}, {"  pink!  ", "Pink!"}}) {
        colorize.SetString(c, 0, given);
        EXPECT_EQ(colorize.GetString(c, 0), held) << given;
    }
    glow.SetString(g, 0, "black light");
    EXPECT_EQ(glow.GetString(g, 0), "Black Light ");
    const int spray = airbrush.ParamIndex("Spray");
    airbrush.SetString(a, 0, "Fog");
    const double fog = airbrush.Get(a, spray);
    airbrush.Set(a, spray, 0.125);
    airbrush.SetString(a, 0, "Fog");
    EXPECT_EQ(airbrush.Get(a, spray), 0.125);
    airbrush.SetString(a, 0, "Dream");
    EXPECT_NE(airbrush.Get(a, spray), fog);
    airbrush.SetString(a, 0, "Fog");
    EXPECT_EQ(airbrush.Get(a, spray), fog);
    colorize.destruct(c);
    glow.destruct(g);
    airbrush.destruct(a);
}

// Unknown presets (said on standard error), doubles a field cannot hold, colours out of
// range (clamped) or not numbers, processor counts as text (GStreamer bounds doubles to
// 0..1) kept within 1..16, indexes outside the table, null pointers, strings handed as
// their characters (GStreamer while playing) or as wild pointers: nothing crashes, and
// the instance renders as one that only ever got the good values.
TEST(Frei0rBadValues, NeverCrashAndLeaveTheInstanceAsItWas) {
    PluginLibrary colorize("colorize");
    const int n = colorize.Info().num_params, color2 = colorize.ParamIndex("Color 2"),
              smoothing = colorize.ParamIndex("Smoothing"), processors = colorize.ParamIndex("processors");
    f0r_instance_t c = colorize.construct(40, 30);
    colorize.SetString(c, 0, "Skin Tone");
    colorize.SetString(c, processors, "2");
    const double smoothingBefore = colorize.Get(c, smoothing);
    const f0r_param_color_t colourBefore = colorize.GetColour(c, color2);
    ::testing::internal::CaptureStderr();
    colorize.SetString(c, 0, "No Such Preset");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("quillet_colorize: unknown preset 'No Such Preset' ignored; presets: 0 \"Blue & Red\", 1 "), 0u) << said;
    EXPECT_NE(said.find(", 11 \"Sodium Lights\"\n"), std::string::npos) << said;
    for (const char* bad : std::initializer_list<const char*>{"", nullptr, "12", "-1"}) colorize.SetString(c, 0, bad);
    char touchUp[] = "Touch Up, but longer than any preset name";
    colorize.set_param_value(c, touchUp, 0);
    for (uintptr_t wild : {uintptr_t(1), uintptr_t(0x10), uintptr_t(0xDEADBEEF000), ~uintptr_t(0) - 64}) {
        char* pointer = reinterpret_cast<char*>(wild);
        colorize.set_param_value(c, &pointer, 0);
    }
    std::string endless(1 << 16, 'x');
    endless.back() = '\0';
    colorize.SetString(c, 0, endless.c_str());
    EXPECT_EQ(colorize.GetString(c, 0), "Skin Tone");
    char dayGlo[16] = "DayGlo";  // the characters themselves
    colorize.set_param_value(c, dayGlo, 0);
    EXPECT_EQ(colorize.GetString(c, 0), "DayGlo");
    colorize.SetString(c, 0, "Skin Tone");
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), 1e300, -1e39})
        colorize.Set(c, smoothing, bad);
    EXPECT_EQ(colorize.Get(c, smoothing), smoothingBefore);
    colorize.SetColour(c, color2, std::nanf(""), 0.5f, 0.5f);
    colorize.SetColour(c, color2, 0.5f, std::numeric_limits<float>::infinity(), 0.5f);
    const f0r_param_color_t colourAfter = colorize.GetColour(c, color2);
    EXPECT_TRUE(colourAfter.r == colourBefore.r && colourAfter.g == colourBefore.g);
    colorize.SetColour(c, color2, 2.0f, -1.0f, 128 / 255.0f);
    const f0r_param_color_t clamped = colorize.GetColour(c, color2);
    EXPECT_TRUE(clamped.r == 1.0f && clamped.g == 0.0f && std::lround(clamped.b * 255) == 128);
    colorize.SetColour(c, color2, colourBefore.r, colourBefore.g, colourBefore.b);
    const std::string machine = std::to_string(std::max(1u, std::min(16u, std::thread::hardware_concurrency())));
    for (auto [given, held] : {std::pair<const char*, std::string>{"nan", "2"}, {"two", "2"}, {"2x", "2"}, {"2.6", "3"},
                               {"0", machine}, {" 4 ", "4"}, {"-7", machine}, {"", machine}, {"1e12", "16"}, {"1e999", "16"},
                               {"inf", "16"}, {"2", "2"}}) {
        colorize.SetString(c, processors, given);
        EXPECT_EQ(colorize.GetString(c, processors), held) << given;
    }
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

    f0r_instance_t fresh = colorize.construct(40, 30);
    colorize.SetString(fresh, 0, "Skin Tone");
    colorize.SetString(fresh, processors, "2");
    const std::vector<uint8_t> in = StraightTestFrames(40, 30, 1);
    EXPECT_EQ(FirstDifference(colorize.Render(c, in, 40, 30), colorize.Render(fresh, in, 40, 30), 40, 30), "");
    colorize.destruct(c);
    colorize.destruct(fresh);
}

// ffmpeg calls f0r_init and f0r_deinit once per filter of a graph: one closing leaves the
// others working. An explicit module path is honoured; a missing one fails f0r_init
// cleanly while descriptions still answer.
TEST(Frei0rLifetime, InitCountsAndTheModuleIsFoundWhereItIsNamed) {
    auto first = std::make_unique<PluginLibrary>("airbrush");
    PluginLibrary second("airbrush");
    ASSERT_TRUE(first->InitResult() == 1 && second.InitResult() == 1);
    f0r_instance_t kept = second.construct(16, 16);
    first.reset();
    f0r_instance_t late = second.construct(16, 16);
    ASSERT_TRUE(kept && late);
    const std::vector<uint8_t> in = StraightTestFrames(16, 16, 1);
    EXPECT_EQ(FirstDifference(second.Render(kept, in, 16, 16), second.Render(late, in, 16, 16), 16, 16), "");
    second.destruct(kept);
    second.destruct(late);

    ::setenv("QUILLET_MODULE", "/nonexistent/libquillet_brushwerk.so", 1);
    {
        PluginLibrary metallic("metallic");
        ASSERT_TRUE(metallic.Loaded());
        EXPECT_EQ(metallic.InitResult(), 0);
        EXPECT_EQ(metallic.construct(8, 8), nullptr);
        EXPECT_STREQ(metallic.Info().name, "Quillet Metallic");
    }
    ::setenv("QUILLET_MODULE", QUILLET_MODULE_PATH, 1);
    {
        PluginLibrary metallic("metallic");
        f0r_instance_t m = metallic.construct(8, 8);
        EXPECT_TRUE(metallic.InitResult() == 1 && m != nullptr);
        metallic.destruct(m);
    }
    ::unsetenv("QUILLET_MODULE");
}

// MLT calls one instance from several threads at once (one slice each) while parameter
// changes arrive: every frame sees one whole record. Instances on threads of their own
// stay independent.
TEST(Frei0rConcurrency, OneInstanceFromManyThreadsAndInstancesOfTheirOwn) {
    PluginLibrary plugin("dreamglow");
    constexpr unsigned w = 96, h = 90;
    const std::vector<uint8_t> frame = StraightTestFrames(w, h, 1);
    const int processors = plugin.ParamIndex("processors");
    std::vector<std::vector<uint8_t>> expected;
    for (const char* preset : {"Aqua", "Darkroom", "Afterlife", "Black Light "}) {
        f0r_instance_t i = plugin.construct(w, h);
        plugin.SetString(i, processors, "2");
        plugin.SetString(i, 0, preset);
        expected.push_back(plugin.Render(i, frame, w, h));
        plugin.destruct(i);
    }
    ASSERT_NE(expected[0], expected[1]);
    f0r_instance_t shared = plugin.construct(w, h);
    plugin.SetString(shared, processors, "2");
    plugin.SetString(shared, 0, "Darkroom");
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::thread flipper([&] {
        for (int i = 0; !stop; ++i) plugin.SetString(shared, 0, i % 2 ? "Aqua" : "Darkroom");
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 12; ++i) {
                const std::vector<uint8_t> out = plugin.Render(shared, frame, w, h);
                wrong += out != expected[0] && out != expected[1];
            }
        });
    for (std::thread& t : threads) t.join();
    stop = true;
    flipper.join();
    threads.clear();
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            f0r_instance_t own = plugin.construct(w, h);
            plugin.SetString(own, processors, "2");
            plugin.SetString(own, 0, t < 2 ? "Afterlife" : "Black Light ");
            for (int i = 0; i < 5; ++i) wrong += plugin.Render(own, frame, w, h) != expected[t < 2 ? 2 : 3];
            plugin.destruct(own);
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0) << "a frame saw half of one record and half of another, or another instance's";
    plugin.destruct(shared);
}

}  // namespace
}  // namespace brushwerk::frei0r::testing
