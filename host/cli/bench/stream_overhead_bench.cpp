// One raw-stream frame at 1920x1080 through the command's render loop: read the frame
// from a stream, render it (surfaces, Setup, Execute), write it to a stream. Reports the
// share of wall time spent outside the effect's Execute, the command's own overhead.
// Runs against the built module with a registry file of its own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unistd.h>

#include "host/cli/cli_error.h"
#include "host/cli/demo_picture.h"
#include "host/cli/checked_session.h"
#include "host/cli/raw_frames.h"

namespace brushwerk::cli {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

char g_registryPath[] = "/tmp/brushwerk-bench-registry-XXXXXX";

void UseOwnRegistry() {
    static bool done = false;
    if (done) return;
    const int fd = ::mkstemp(g_registryPath);
    if (fd >= 0) ::close(fd);
    ::setenv("QUILLET_REGISTRY", g_registryPath, 1);
    std::atexit([] { ::unlink(g_registryPath); });
    done = true;
}

void StreamFrame(benchmark::State& state, const char* effectName) {
    UseOwnRegistry();
    try {
        ModuleHost host(ModuleLocation{});
        CheckedSession fx(host, *FindEffect(effectName));
        fx.SetSite(static_cast<unsigned>(state.range(0)));
        Image picture = DrawTestCard(kWidth, kHeight);
        std::FILE* in = ::fmemopen(picture.bgra.data(), picture.bgra.size(), "rb");
        std::FILE* out = std::fopen("/dev/null", "wb");
        RawFrameReader reader(in, {kWidth, kHeight}, AlphaForm::Straight, "bench input");
        Image output = MakeImage(kWidth, kHeight, AlphaForm::Straight);
        std::optional<Image> spare;
        const double executeBefore = fx.ExecuteSeconds();
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : state) {
            std::rewind(in);
            std::optional<Image> frame = reader.Next(std::move(spare));
            fx.Render(*frame, output);
            WriteRawFrame(out, output, "bench output");
            spare = std::move(frame);
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double execute = fx.ExecuteSeconds() - executeBefore;
        state.counters["outside_execute_%"] = wall > 0 ? 100.0 * (wall - execute) / wall : 0.0;
        state.counters["outside_ms_per_frame"] =
            state.iterations() ? 1000.0 * (wall - execute) / static_cast<double>(state.iterations()) : 0.0;
        std::fclose(in);
        std::fclose(out);
    } catch (const CliError& e) {
        state.SkipWithError(e.what());
    }
}

void Register() {
    for (const EffectInfo& e : AllEffects())
        benchmark::RegisterBenchmark((std::string("StreamFrame1080p/") + e.shortName).c_str(), StreamFrame, e.shortName)
            ->Arg(4)
            ->ArgName("processors")
            ->Iterations(10)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
}

}  // namespace
}  // namespace brushwerk::cli

int main(int argc, char** argv) {
    brushwerk::cli::Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
