// Every faster version beside its generic reference, on frame-sized cases of the
// identity registry (tests/identity/registry.h), the same entries the identity test
// proves: 1920x1080 and 3840x2160. Reports milliseconds of processor time per frame
// and "floor_x", the time per frame over that of a plain copy of a frame of 4-byte
// pixels (the memory floor, measured once at start-up). Entries without a faster
// version are left out: there is nothing to compare.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "image/cpudispatch.h"
#include "tests/identity/registry.h"

namespace {

struct FrameSize {
    int width, height;
    const char* name;
};
constexpr FrameSize kFrames[] = {{1920, 1080, "1920x1080"}, {3840, 2160, "3840x2160"}};

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

const bool g_registered = [] {
    ippStaticInit();
    for (const FrameSize& f : kFrames) {
        const double floorSeconds = FloorSeconds(f);
        for (const identity::Entry& entry : identity::Entries()) {
            if (entry.versions.size() < 2 || !entry.frame) continue;
            for (size_t v = 0; v < entry.versions.size(); ++v) {
                const std::string name = "Identity/" + entry.name + "/" + f.name + "/" + entry.versions[v];
                benchmark::RegisterBenchmark(name.c_str(), [&entry, f, v, floorSeconds](benchmark::State& state) {
                    identity::Trial trial = entry.frame(f.width, f.height);
                    const double start = ProcessSeconds();
                    for (auto _ : state) trial.Run(v);
                    const double perFrame = (ProcessSeconds() - start) / static_cast<double>(state.iterations());
                    state.counters["floor_x"] = perFrame / floorSeconds;
                })->Unit(benchmark::kMillisecond);
            }
        }
    }
    return true;
}();

}  // namespace
