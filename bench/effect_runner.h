// Whole frames through the real effect objects, as a host runs them: host site, memory
// surfaces, Setup once, Execute per iteration, on one band (one processor) and on four
// bands in per-band banding, and on one band and two in whole-frame banding (bands are
// slices of one picture, so the two-band speed-up leaves the picture unchanged); beside
// a plain copy of the same frame (the memory floor).
//
// Each run reports wall-clock time (the bands run on the task manager's workers) and:
//   floor_x  wall time per frame over the frame copy's best time, measured at start-up;
//   cpu_ms   processor time per frame summed over every thread of the process. On a
//            shared machine the wall time of two bands says little; cpu_ms staying
//            level from one band to two says the bands add no work of their own, so
//            the speed-up on two idle cores is what the wall time falls short of.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/site.h"
#include "host/surface.h"
#include "platform/com/object.h"
#include "sdk/plugininterfaces.h"

namespace effect_bench {

struct FrameSize {
    int width, height;
    const char* name;
};
inline constexpr FrameSize kFrames[] = {{1920, 1080, "1920x1080"}, {3840, 2160, "3840x2160"}};

// A test picture of width x height 4-byte pixels.
using PictureFn = std::vector<uint8_t> (*)(int width, int height);

inline double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double WallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall seconds of one memcpy of a frame, the best of several runs; measured once per size.
inline double FloorSeconds(int width, int height) {
    static std::map<std::pair<int, int>, double> measured;
    if (const auto it = measured.find({width, height}); it != measured.end()) return it->second;
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    double best = 1e9;
    for (int run = 0; run < 20; ++run) {
        const double start = WallSeconds();
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        best = std::min(best, WallSeconds() - start);
    }
    return measured[{width, height}] = best;
}

// Counters of a timed loop that began at wallStart / cpuStart.
inline void ReportFrames(benchmark::State& state, int width, int height, double wallStart, double cpuStart,
                         double floorSeconds) {
    const double frames = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.SetBytesProcessed(state.iterations() * int64_t{width} * height * 4);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["cpu_ms"] = (ProcessSeconds() - cpuStart) * 1e3 / frames;
    state.counters["floor_x"] = (WallSeconds() - wallStart) / frames / floorSeconds;
}

// One effect object, sited with `processors` workers, set up on two memory surfaces.
template <class Effect, class T>
void RunEffect(benchmark::State& state, const T& record, PictureFn picture, int width, int height, ULONG processors,
               QuilletBandingMode banding, double floorSeconds) {
    std::vector<uint8_t> input = picture(width, height);
    std::vector<uint8_t> output(input.size());
    ComPtr<IUnknown> effect, site;
    ComPtr<IDXTransform> transform;
    ComPtr<IObjectWithSite> withSite;
    ComPtr<ISfExchangeProps<T>> exchange;
    ComPtr<IDXSurface> in, out;
    const LONG pitch = width * 4;
    if (FAILED(CreateComInstance<Effect>(nullptr, IID_IUnknown, effect.ReleaseAndGetVoidAddress())) ||
        FAILED(effect.As(&transform)) || FAILED(effect.As(&withSite)) || FAILED(effect.As(&exchange)) ||
        FAILED(CreateHostSite(processors, site.ReleaseAndGetAddressOf(), banding)) ||
        FAILED(withSite->SetSite(site.Get())) || FAILED(exchange->SetProps(&record)) ||
        FAILED(CreateSurfaceOnMemory(input.data(), width, height, pitch, DXPF_PMARGB32, in.ReleaseAndGetAddressOf())) ||
        FAILED(CreateSurfaceOnMemory(output.data(), width, height, pitch, DXPF_PMARGB32,
                                     out.ReleaseAndGetAddressOf()))) {
        state.SkipWithError("the effect could not be set up");
        return;
    }
    IUnknown* inputs[1] = {in.Get()};
    IUnknown* outputs[1] = {out.Get()};
    if (FAILED(transform->Setup(inputs, 1, outputs, 1, 0))) {
        state.SkipWithError("Setup failed");
        return;
    }
    const double wallStart = WallSeconds(), cpuStart = ProcessSeconds();
    for (auto _ : state) {
        if (FAILED(transform->Execute(nullptr, nullptr, nullptr))) {
            state.SkipWithError("Execute failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    ReportFrames(state, width, height, wallStart, cpuStart, floorSeconds);
    transform->Setup(nullptr, 0, nullptr, 0, 0);
}

inline void Register(const std::string& name, const std::function<void(benchmark::State&)>& body) {
    benchmark::RegisterBenchmark(name.c_str(), body)->Unit(benchmark::kMillisecond)->UseRealTime();
}

// The frame copy itself, under `prefix`_FrameCopy/<size>.
inline void RegisterFrameCopy(const std::string& prefix, PictureFn picture, const FrameSize& f) {
    const int w = f.width, h = f.height;
    const double floorSeconds = FloorSeconds(w, h);
    Register(prefix + "_FrameCopy/" + f.name, [=](benchmark::State& state) {
        std::vector<uint8_t> src = picture(w, h), dst(src.size());
        const double wallStart = WallSeconds(), cpuStart = ProcessSeconds();
        for (auto _ : state) {
            std::memcpy(dst.data(), src.data(), src.size());
            benchmark::ClobberMemory();
        }
        ReportFrames(state, w, h, wallStart, cpuStart, floorSeconds);
    });
}

// name/<size>/<n>band(s)[/wholeframe] for 1 and 4 bands per band, 1 and 2 whole frame.
template <class Effect, class T>
void RegisterEffect(const char* name, const T& record, PictureFn picture, const FrameSize& f) {
    const struct {
        ULONG bands;
        QuilletBandingMode banding;
    } runs[] = {{1, QUILLET_BANDING_PER_BAND},
                {4, QUILLET_BANDING_PER_BAND},
                {1, QUILLET_BANDING_WHOLE_FRAME},
                {2, QUILLET_BANDING_WHOLE_FRAME}};
    const double floorSeconds = FloorSeconds(f.width, f.height);
    for (const auto& run : runs) {
        const ULONG bands = run.bands;
        const QuilletBandingMode banding = run.banding;
        const std::string label = std::string(name) + "/" + f.name + "/" + std::to_string(bands) +
                                  (bands == 1 ? "band" : "bands") +
                                  (banding == QUILLET_BANDING_WHOLE_FRAME ? "/wholeframe" : "");
        const int w = f.width, h = f.height;
        Register(label, [=](benchmark::State& state) {
            RunEffect<Effect, T>(state, record, picture, w, h, bands, banding, floorSeconds);
        });
    }
}

}  // namespace effect_bench
