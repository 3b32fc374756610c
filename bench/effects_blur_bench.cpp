// Whole frames through the real effect objects of Air Brush, Dream Glow and Colorize at
// 1920x1080 and 3840x2160, each at the preset with its shortest and its longest kernel
// (Colorize: fewest and most smoothing passes) (bench/effect_runner.h: one band and four
// per band, one and two whole frame, beside a plain copy of the frame). Also the column
// and row filters over a padded full-HD frame with the 97-tap tent, generic beside the
// running-sum path.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "bench/effect_runner.h"
#include "effects/airbrush.h"
#include "effects/colorize.h"
#include "effects/dreamglow.h"
#include "image/cpudispatch.h"
#include "image/filter_rowcol_fast.h"
#include "image/ippi_generic.h"

namespace {

// Colour ramps with noise and a few hard edges; opaque.
std::vector<uint8_t> TestFrame(int width, int height) {
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 4);
    std::mt19937 rng(11);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bytes.data() + (static_cast<size_t>(y) * width + x) * 4;
            const unsigned n = rng() & 15;
            const bool block = ((x / 97) + (y / 61)) % 3 == 0;
            p[0] = static_cast<uint8_t>(block ? 240 - n : (x * 255 / width + n) & 255);
            p[1] = static_cast<uint8_t>((y * 255 / height + n) & 255);
            p[2] = static_cast<uint8_t>(block ? 30 + n : ((x + y) * 255 / (width + height)) & 255);
            p[3] = 255;
        }
    return bytes;
}

// The separable filters over a full-HD frame padded for the kernel, as the blur runs them.
void RegisterTentFilters() {
    constexpr int kWidth = 1920, kHeight = 1080, kLength = 97, kRadius = kLength / 2;
    using Filter = IppStatus (*)(const Ipp8u*, int, Ipp8u*, int, IppiSize, const Ipp32s*, int, int, int);
    const struct {
        const char* name;
        Filter filter;
    } filters[] = {{"TentFilter_Column97/generic", &ipp_generic::FilterColumn_8u_AC4R},
                   {"TentFilter_Column97/runningsum", &ipp_fast::FilterColumn_8u_AC4R_Tent},
                   {"TentFilter_Row97/generic", &ipp_generic::FilterRow_8u_AC4R},
                   {"TentFilter_Row97/runningsum", &ipp_fast::FilterRow_8u_AC4R_Tent}};
    for (const auto& f : filters) {
        const Filter filter = f.filter;
        effect_bench::Register(f.name, [filter](benchmark::State& state) {
            const int paddedWidth = kWidth + kLength, paddedHeight = kHeight + kLength;
            std::vector<uint8_t> src = TestFrame(paddedWidth, paddedHeight);
            std::vector<uint8_t> dst(static_cast<size_t>(kWidth) * kHeight * 4);
            std::vector<Ipp32s> kernel(kLength);
            int sum = 0;
            for (int i = 0; i < kLength; ++i) sum += kernel[i] = std::min(i + 1, kLength - i);
            const Ipp8u* origin = src.data() + (static_cast<size_t>(kRadius) * paddedWidth + kRadius) * 4;
            for (auto _ : state) {
                filter(origin, paddedWidth * 4, dst.data(), kWidth * 4, {kWidth, kHeight}, kernel.data(), kLength,
                       kRadius, sum);
                benchmark::ClobberMemory();
            }
            state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
        });
    }
}

void RegisterFrame(const effect_bench::FrameSize& f) {
    using effect_bench::RegisterEffect;
    effect_bench::RegisterFrameCopy("BlurFloor", &TestFrame, f);
    RegisterEffect<CAirBrush>("AirBrush_TouchUp_shortest", g_airBrushPresets[5], &TestFrame, f);
    RegisterEffect<CAirBrush>("AirBrush_Fog_longest", g_airBrushPresets[2], &TestFrame, f);
    RegisterEffect<CDreamGlow>("DreamGlow_NightVision_shortest", g_dreamGlowPresets[6], &TestFrame, f);
    RegisterEffect<CDreamGlow>("DreamGlow_Afterlife_longest", g_dreamGlowPresets[0], &TestFrame, f);
    RegisterEffect<CColorize>("Colorize_PinkNoPasses_shortest", g_colorizePresets[7], &TestFrame, f);
    RegisterEffect<CColorize>("Colorize_FadedPrimary3Passes_longest", g_colorizePresets[4], &TestFrame, f);
}

const bool g_registered = [] {
    ippStaticInit();
    for (const effect_bench::FrameSize& f : effect_bench::kFrames) RegisterFrame(f);
    RegisterTentFilters();
    return true;
}();

}  // namespace
