// Frames through the plugins in-process: sizes no host would choose (1 x 1, thin
// strips, odd widths and heights) against the brushwerk program, one buffer for input
// and output, and instances used from several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <tuple>

#include "host/frei0r/tests/test_host_settings.h"

namespace brushwerk::frei0r::testing {
namespace {

std::vector<uint8_t> Render(const PluginLibrary& plugin, f0r_instance_t instance, const std::vector<uint8_t>& frames,
                            unsigned width, unsigned height) {
    std::vector<uint8_t> out(frames.size());
    const size_t frameBytes = size_t(width) * height * 4;
    for (size_t at = 0; at + frameBytes <= frames.size() && frameBytes; at += frameBytes)
        plugin.update(instance, double(at), reinterpret_cast<const uint32_t*>(frames.data() + at),
                      reinterpret_cast<uint32_t*>(out.data() + at));
    return out;
}

class EveryEffectFrames : public ::testing::TestWithParam<std::string> {};

// Sizes no host would choose, band counts of one and four, and the last size rendered
// with one buffer for input and output.
TEST_P(EveryEffectFrames, AnySizeAndInPlaceMatchTheBrushwerkProgram) {
    TempFolder dir;
    PluginLibrary plugin(GetParam());
    ASSERT_EQ(plugin.InitResult(), 1);
    const int processors = plugin.Info().num_params - 1;
    const std::string second = SettingsCasesFor(GetParam())[1].preset;
    for (auto [w, h, bands] : {std::tuple{1u, 1u, 1u}, {2u, 3u, 4u}, {37u, 23u, 1u}, {5u, 301u, 4u}, {301u, 5u, 4u},
                               {64u, 61u, 4u}}) {
        std::vector<uint8_t> frames = StraightTestFrames(w, h, 2);
        f0r_instance_t instance = plugin.construct(w, h);
        SetString(plugin, instance, 0, second.c_str());
        SetString(plugin, instance, processors, std::to_string(bands).c_str());
        const std::vector<uint8_t> got = Render(plugin, instance, frames, w, h);
        WriteBytes(dir.File("in.bgra"), frames);
        const ProcessResult cli = BrushwerkRender({GetParam(), second, {}, bands, w, h}, dir.File("in.bgra"),
                                                  dir.File("out.bgra"), dir.File("registry.reg"));
        ASSERT_EQ(cli.exitCode, 0) << cli.err;
        EXPECT_EQ(FirstDifference(got, ReadBytes(dir.File("out.bgra")), w, h), "") << w << "x" << h << ", " << bands;
        frames.resize(size_t(w) * h * 4);
        plugin.update(instance, 0.0, reinterpret_cast<const uint32_t*>(frames.data()),
                      reinterpret_cast<uint32_t*>(frames.data()));
        EXPECT_EQ(0, std::memcmp(frames.data(), got.data(), frames.size())) << "in place, " << w << "x" << h;
        plugin.destruct(instance);
    }
}

INSTANTIATE_TEST_SUITE_P(Frei0rFrames, EveryEffectFrames, ::testing::ValuesIn(EffectNames()));

// MLT calls one instance from several threads at once (one slice each), and parameter
// changes may arrive while frames render: every frame sees one whole record.
TEST(Frei0rConcurrency, OneInstanceFromManyThreadsWhilePresetsFlip) {
    PluginLibrary plugin("dreamglow");
    ASSERT_EQ(plugin.InitResult(), 1);
    constexpr unsigned w = 96, h = 90;
    const std::vector<uint8_t> frame = StraightTestFrames(w, h, 1);
    f0r_instance_t instance = plugin.construct(w, h);
    SetDouble(plugin, instance, plugin.Info().num_params - 1, 2);
    SetString(plugin, instance, 0, "Aqua");
    const std::vector<uint8_t> aqua = Render(plugin, instance, frame, w, h);
    SetString(plugin, instance, 0, "Darkroom");
    const std::vector<uint8_t> darkroom = Render(plugin, instance, frame, w, h);
    ASSERT_NE(aqua, darkroom);

    std::atomic<bool> stop{false};
    std::atomic<int> mixed{0}, rendered{0};
    std::thread flipper([&] {
        for (int i = 0; !stop; ++i) SetString(plugin, instance, 0, i % 2 ? "Aqua" : "Darkroom");
    });
    std::vector<std::thread> renderers;
    for (int t = 0; t < 4; ++t) {
        renderers.emplace_back([&] {
            for (int i = 0; i < 12; ++i) {
                const std::vector<uint8_t> out = Render(plugin, instance, frame, w, h);
                if (out != aqua && out != darkroom) ++mixed;
                ++rendered;
            }
        });
    }
    for (std::thread& t : renderers) t.join();
    stop = true;
    flipper.join();
    EXPECT_EQ(rendered.load(), 48);
    EXPECT_EQ(mixed.load(), 0) << "a frame saw half of one record and half of another";
    plugin.destruct(instance);
}

TEST(Frei0rConcurrency, InstancesOnTheirOwnThreadsStayIndependent) {
    PluginLibrary plugin("colorize");
    constexpr unsigned w = 80, h = 72;
    const std::vector<uint8_t> frames = StraightTestFrames(w, h, 3);
    const std::vector<std::string> presets = {"Pink!", "DayGlo", "Skin Tone", "Bad Smog"};
    std::vector<std::vector<uint8_t>> expected;
    for (const std::string& p : presets) {
        f0r_instance_t i = plugin.construct(w, h);
        SetString(plugin, i, 0, p.c_str());
        expected.push_back(Render(plugin, i, frames, w, h));
        plugin.destruct(i);
    }
    std::vector<std::string> failures(presets.size());
    std::vector<std::thread> threads;
    for (size_t t = 0; t < presets.size(); ++t) {
        threads.emplace_back([&, t] {
            f0r_instance_t i = plugin.construct(w, h);
            SetString(plugin, i, 0, presets[t].c_str());
            for (int round = 0; round < 5 && failures[t].empty(); ++round)
                failures[t] = FirstDifference(Render(plugin, i, frames, w, h), expected[t], w, h);
            plugin.destruct(i);
        });
    }
    for (std::thread& t : threads) t.join();
    for (size_t t = 0; t < presets.size(); ++t) EXPECT_EQ(failures[t], "") << presets[t];
}

}  // namespace
}  // namespace brushwerk::frei0r::testing
