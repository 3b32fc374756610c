// The faster versions of the primitive routines beside the generic ones, over
// whole frames (1920x1080 and 3840x2160): each runnable table's routine is called
// directly, so one run shows every version on this processor. Reports frames per
// second and "floor_x", the time per frame over that of a plain copy of the same
// frame (the memory floor, measured once at start-up in processor time).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "image/cpudispatch.h"
#include "image/imagebuffer.h"
#include "image/ippi.h"

namespace {

struct FrameSize {
    int width, height;
    const char* name;
};
constexpr FrameSize kFrames[] = {{1920, 1080, "1920x1080"}, {3840, 2160, "3840x2160"}};

CImageBuffer Noise(int width, int height, uint32_t seed) {
    CImageBuffer b;
    if (!b.Allocate(width, height, 4)) return b;
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.PixelAt(0, y, 0);
        for (int x = 0; x < width * 4; ++x) row[x] = static_cast<uint8_t>(rng());
    }
    return b;
}

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Processor seconds of one memcpy of a frame, the best of several runs.
double FloorSeconds(const FrameSize& f) {
    const size_t bytes = static_cast<size_t>(f.width) * f.height * 4;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    double best = 1e9;
    for (int run = 0; run < 20; ++run) {
        const double start = ProcessSeconds();
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        best = std::min(best, ProcessSeconds() - start);
    }
    return best;
}

// Runs frame() once per iteration and reports frames per second and the time
// per frame over the floor's.
template <typename Frame>
void Measure(benchmark::State& state, double floorSeconds, Frame frame) {
    const double start = ProcessSeconds();
    for (auto _ : state) frame();
    const double perFrame = (ProcessSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["floor_x"] = perFrame / floorSeconds;
}

template <typename Body>
void Register(const std::string& name, Body body) {
    benchmark::RegisterBenchmark(name.c_str(), body)->Unit(benchmark::kMillisecond);
}

void RegisterFrame(const FrameSize& f, const IppPrimitiveTable* table, double floorSeconds) {
    const int W = f.width, H = f.height;
    const std::string at = std::string("/") + f.name + "/" + table->name;

    for (int K : {3, 5}) {
        // A full-precision kernel, so no version can lean on exact sums.
        Register("Fast_Filter32f_8u_C4R/K" + std::to_string(K) + at, [=](benchmark::State& state) {
            std::vector<float> kernel(static_cast<size_t>(K) * K, -0.1234567f);
            kernel[kernel.size() / 2] = 0.1234567f * static_cast<float>(K * K - 1) + 1.0f;
            auto src = Noise(W + K, H + K, 1), dst = Noise(W, H, 2);
            Measure(state, floorSeconds, [&] {
                table->filter32f_8u_C4R(src.PixelAt(K / 2, K / 2, 0), src.GetStep(), dst.GetData(), dst.GetStep(),
                                        {W, H}, kernel.data(), {K, K}, {K / 2, K / 2});
            });
        });
    }
    Register("Fast_RGBToHSV_8u_AC4R" + at, [=](benchmark::State& state) {
        auto src = Noise(W, H, 3), dst = Noise(W, H, 4);
        Measure(state, floorSeconds, [&] {
            table->rgbToHsv_8u_AC4R(src.GetData(), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H});
        });
    });
    Register("Fast_HSVToRGB_8u_AC4R" + at, [=](benchmark::State& state) {
        auto src = Noise(W, H, 5), dst = Noise(W, H, 6);
        Measure(state, floorSeconds, [&] {
            table->hsvToRgb_8u_AC4R(src.GetData(), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H});
        });
    });
}

const bool g_registered = [] {
    for (const FrameSize& f : kFrames) {
        const double floorSeconds = FloorSeconds(f);
        for (const IppPrimitiveTable* table : ippRunnablePrimitiveTables()) RegisterFrame(f, table, floorSeconds);
    }
    return true;
}();

}  // namespace
