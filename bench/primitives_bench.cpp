// Throughput of each primitive routine over whole frames (1920x1080 and
// 3840x2160), the separable filters at kernel lengths 3, 33, 97 and 217, beside a
// plain copy of the same frame (the memory floor). Reports bytes of output per
// second and frames per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "host/sampleconvert.h"
#include "image/cpudispatch.h"
#include "image/imagebuffer.h"
#include "image/ippi.h"

namespace {

struct FrameSize {
    int width, height;
    const char* name;
};
constexpr FrameSize kFrames[] = {{1920, 1080, "1920x1080"}, {3840, 2160, "3840x2160"}};
constexpr int kKernelLengths[] = {3, 33, 97, 217};

// A buffer of width x height pixels filled with seeded noise.
CImageBuffer NoisePicture(int width, int height, int channels, uint32_t seed) {
    CImageBuffer b;
    if (!b.Allocate(width, height, channels)) return b;
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.PixelAt(0, y, 0);
        for (int x = 0; x < width * channels; ++x) row[x] = static_cast<uint8_t>(rng());
    }
    return b;
}

void Report(benchmark::State& state, int64_t outputBytes) {
    state.SetBytesProcessed(state.iterations() * outputBytes);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void Register(const std::string& name, const std::function<void(benchmark::State&)>& body) {
    // Processor time, not wall time: the machines these run on are shared.
    benchmark::RegisterBenchmark(name.c_str(), body)->Unit(benchmark::kMillisecond);
}

// Tent kernel of length n, as the blurs build it.
std::vector<Ipp32s> Tent(int n, int* sum) {
    std::vector<Ipp32s> k(n);
    *sum = 0;
    for (int i = 0; i < n; ++i) *sum += (k[i] = i < (n + 1) / 2 ? i + 1 : k[n - 1 - i]);
    return k;
}

void RegisterFrame(const FrameSize& f) {
    const int W = f.width, H = f.height;
    const std::string at = std::string("/") + f.name;

    Register("FrameCopy_memcpy" + at, [=](benchmark::State& state) {
        auto src = NoisePicture(W, H, 4, 1), dst = NoisePicture(W, H, 4, 2);
        const size_t bytes = static_cast<size_t>(src.GetStep()) * H;
        for (auto _ : state) {
            std::memcpy(dst.GetData(), src.GetData(), bytes);
            benchmark::ClobberMemory();
        }
        Report(state, int64_t{W} * H * 4);
    });

    for (int K : kKernelLengths) {
        const std::string k = "/K" + std::to_string(K);
        Register("ippiFilterRow_8u_AC4R" + at + k, [=](benchmark::State& state) {
            int sum = 0;
            auto kernel = Tent(K, &sum);
            auto src = NoisePicture(W + K, H, 4, 3), dst = NoisePicture(W, H, 4, 4);
            for (auto _ : state)
                ippiFilterRow_8u_AC4R(src.PixelAt(K / 2, 0, 0), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H},
                                      kernel.data(), K, K / 2, sum);
            Report(state, int64_t{W} * H * 4);
        });
        Register("ippiFilterColumn_8u_AC4R" + at + k, [=](benchmark::State& state) {
            int sum = 0;
            auto kernel = Tent(K, &sum);
            auto src = NoisePicture(W, H + K, 4, 5), dst = NoisePicture(W, H, 4, 6);
            for (auto _ : state)
                ippiFilterColumn_8u_AC4R(src.PixelAt(0, K / 2, 0), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H},
                                         kernel.data(), K, K / 2, sum);
            Report(state, int64_t{W} * H * 4);
        });
    }

    Register("ippiFilterLowpass_8u_C1R_5x5" + at, [=](benchmark::State& state) {
        auto src = NoisePicture(W + 4, H + 4, 1, 7), dst = NoisePicture(W, H, 1, 8);
        for (auto _ : state)
            ippiFilterLowpass_8u_C1R(src.PixelAt(2, 2, 0), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H},
                                     ippMskSize5x5);
        Report(state, int64_t{W} * H);
    });

    // The 2-D kernel's cost grows with its area; the effects use 3x3.
    for (int K : {3, 5}) {
        Register("ippiFilter32f_8u_C4R" + at + "/K" + std::to_string(K) + "x" + std::to_string(K),
                 [=](benchmark::State& state) {
                     std::vector<float> kernel(static_cast<size_t>(K) * K, -1.0f);
                     kernel[kernel.size() / 2] = static_cast<float>(K * K - 1);
                     auto src = NoisePicture(W + K, H + K, 4, 9), dst = NoisePicture(W, H, 4, 10);
                     for (auto _ : state)
                         ippiFilter32f_8u_C4R(src.PixelAt(K / 2, K / 2, 0), src.GetStep(), dst.GetData(),
                                              dst.GetStep(), {W, H}, kernel.data(), {K, K}, {K / 2, K / 2});
                     Report(state, int64_t{W} * H * 4);
                 });
    }

    // In place, as the blurs run it: the border around the interior is refilled.
    for (int channels : {4, 1}) {
        const std::string name =
            channels == 4 ? "ippiCopyReplicateBorder_8u_C4R" : "ippiCopyReplicateBorder_8u_C1R";
        Register(name + at + "/inplace_border16", [=](benchmark::State& state) {
            const int border = 16;
            auto buf = NoisePicture(W, H, channels, 11);
            auto routine = channels == 4 ? ippiCopyReplicateBorder_8u_C4R : ippiCopyReplicateBorder_8u_C1R;
            for (auto _ : state)
                routine(buf.PixelAt(border, border, 0), buf.GetStep(), {W - 2 * border, H - 2 * border},
                        buf.GetData(), buf.GetStep(), {W, H}, border, border);
            Report(state, int64_t{W} * H * channels);
        });
        // Out of place: a picture into a destination 16 pixels larger on every side.
        Register(name + at + "/copy_border16", [=](benchmark::State& state) {
            const int border = 16;
            auto src = NoisePicture(W - 2 * border, H - 2 * border, channels, 22);
            auto dst = NoisePicture(W, H, channels, 23);
            auto routine = channels == 4 ? ippiCopyReplicateBorder_8u_C4R : ippiCopyReplicateBorder_8u_C1R;
            for (auto _ : state)
                routine(src.GetData(), src.GetStep(), {W - 2 * border, H - 2 * border}, dst.GetData(),
                        dst.GetStep(), {W, H}, border, border);
            Report(state, int64_t{W} * H * channels);
        });
    }

    Register("ippiCopy_8u_C4R" + at, [=](benchmark::State& state) {
        auto src = NoisePicture(W, H, 4, 12), dst = NoisePicture(W, H, 4, 13);
        for (auto _ : state) ippiCopy_8u_C4R(src.GetData(), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H});
        Report(state, int64_t{W} * H * 4);
    });
    Register("ippiCopy_8u_C4C1R" + at, [=](benchmark::State& state) {
        auto src = NoisePicture(W, H, 4, 14), dst = NoisePicture(W, H, 1, 15);
        for (auto _ : state) ippiCopy_8u_C4C1R(src.GetData(), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H});
        Report(state, int64_t{W} * H);
    });
    Register("ippiCopy_8u_C1C4R" + at, [=](benchmark::State& state) {
        auto src = NoisePicture(W, H, 1, 16), dst = NoisePicture(W, H, 4, 17);
        for (auto _ : state) ippiCopy_8u_C1C4R(src.GetData(), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H});
        Report(state, int64_t{W} * H * 4);
    });
    Register("ippiRGBToHSV_8u_AC4R" + at, [=](benchmark::State& state) {
        auto src = NoisePicture(W, H, 4, 18), dst = NoisePicture(W, H, 4, 19);
        for (auto _ : state)
            ippiRGBToHSV_8u_AC4R(src.GetData(), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H});
        Report(state, int64_t{W} * H * 4);
    });
    Register("ippiHSVToRGB_8u_AC4R" + at, [=](benchmark::State& state) {
        auto src = NoisePicture(W, H, 4, 20), dst = NoisePicture(W, H, 4, 21);
        for (auto _ : state)
            ippiHSVToRGB_8u_AC4R(src.GetData(), src.GetStep(), dst.GetData(), dst.GetStep(), {W, H});
        Report(state, int64_t{W} * H * 4);
    });

    // The host surfaces' conversion there and back (premultiply, then unpremultiply into
    // a second frame), row by row as a lock converts, by each version this run allows:
    // on an opaque frame and on one where half the samples are partly transparent.
    for (const NamedSampleRowConverter& version : RunnableSampleRowConverters())
        for (bool opaque : {true, false}) {
            const SampleRowConverter convert = version.convert;
            Register(std::string("SampleRoundTrip") + at + (opaque ? "/opaque/" : "/partial/") + version.name,
                     [=](benchmark::State& state) {
                         auto src = NoisePicture(W, H, 4, 22), mid = NoisePicture(W, H, 4, 23),
                              back = NoisePicture(W, H, 4, 24);
                         for (int y = 0; y < H; ++y)
                             for (int x = 0; x < W; ++x)
                                 if (opaque || (x / 16 + y) % 2) src.PixelAt(x, y, 0)[3] = 255;
                         for (auto _ : state)
                             for (int y = 0; y < H; ++y) {
                                 convert(reinterpret_cast<const DXSAMPLE*>(src.PixelAt(0, y, 0)),
                                         reinterpret_cast<DXSAMPLE*>(mid.PixelAt(0, y, 0)), W, SampleConversion::Premultiply);
                                 convert(reinterpret_cast<const DXSAMPLE*>(mid.PixelAt(0, y, 0)),
                                         reinterpret_cast<DXSAMPLE*>(back.PixelAt(0, y, 0)), W,
                                         SampleConversion::Unpremultiply);
                             }
                         Report(state, int64_t{W} * H * 4);
                     });
        }
}

// Registered before the benchmark library's main runs.
const bool g_registered = [] {
    ippStaticInit();
    for (const FrameSize& f : kFrames) RegisterFrame(f);
    return true;
}();

}  // namespace
