// Whole frames through the real effect objects of Line Drawing, Duo Chrome, Metallic
// and Pastel Sketch (host site, memory surfaces, Setup once, Execute per iteration) at
// 1920x1080 and 3840x2160, on one band (one processor) and on four bands (four
// processors), and in whole-frame banding (bands are slices of one picture) on one
// band and on two, the speed-up two processors give while the picture stays the
// one-band picture; beside a plain copy of the same frame (the memory floor). Reports
// frames per second; wall-clock time, since the bands run on the task manager's workers.
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "effects/duochrome.h"
#include "effects/linedrawing.h"
#include "effects/metal.h"
#include "effects/pastelsketch.h"
#include "host/site.h"
#include "host/surface.h"
#include "image/cpudispatch.h"
#include "platform/com/object.h"

namespace {

struct FrameSize {
    int width, height;
    const char* name;
};
constexpr FrameSize kFrames[] = {{1920, 1080, "1920x1080"}, {3840, 2160, "3840x2160"}};

// Smooth ramps with noise on top: edges everywhere, opaque.
std::vector<uint8_t> Picture(int width, int height) {
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 4);
    std::mt19937 rng(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bytes.data() + (static_cast<size_t>(y) * width + x) * 4;
            const unsigned n = rng() & 31;
            p[0] = static_cast<uint8_t>((x * 255 / width + n) & 255);
            p[1] = static_cast<uint8_t>((y * 255 / height + n) & 255);
            p[2] = static_cast<uint8_t>(((x + y) * 127 / (width + height) + 2 * n) & 255);
            p[3] = 255;
        }
    return bytes;
}

void ReportFrames(benchmark::State& state, int width, int height) {
    state.SetBytesProcessed(state.iterations() * int64_t{width} * height * 4);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// One effect object, sited with `processors` workers, set up on two memory surfaces.
template <class Effect, class T>
void RunEffect(benchmark::State& state, const T& record, int width, int height, ULONG processors,
               QuilletBandingMode banding) {
    std::vector<uint8_t> input = Picture(width, height);
    std::vector<uint8_t> output(input.size());
    ComPtr<IUnknown> effect, site;
    ComPtr<IDXTransform> transform;
    ComPtr<IObjectWithSite> withSite;
    ComPtr<ISfExchangeProps<T>> exchange;
    ComPtr<IDXSurface> in, out;
    const LONG pitch = width * 4;
    if (FAILED(CreateComInstance<Effect>(nullptr, IID_IUnknown, effect.ReleaseAndGetVoidAddress())) ||
        FAILED(effect.As(&transform)) || FAILED(effect.As(&withSite)) || FAILED(effect.As(&exchange)) ||
        FAILED(CreateHostSite(processors, site.ReleaseAndGetAddressOf(), banding)) || FAILED(withSite->SetSite(site.Get())) ||
        FAILED(exchange->SetProps(&record)) ||
        FAILED(CreateSurfaceOnMemory(input.data(), width, height, pitch, DXPF_PMARGB32, in.ReleaseAndGetAddressOf())) ||
        FAILED(CreateSurfaceOnMemory(output.data(), width, height, pitch, DXPF_PMARGB32, out.ReleaseAndGetAddressOf()))) {
        state.SkipWithError("the effect could not be set up");
        return;
    }
    IUnknown* inputs[1] = {in.Get()};
    IUnknown* outputs[1] = {out.Get()};
    if (FAILED(transform->Setup(inputs, 1, outputs, 1, 0))) {
        state.SkipWithError("Setup failed");
        return;
    }
    for (auto _ : state) {
        if (FAILED(transform->Execute(nullptr, nullptr, nullptr))) {
            state.SkipWithError("Execute failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    transform->Setup(nullptr, 0, nullptr, 0, 0);
    ReportFrames(state, width, height);
}

void Register(const std::string& name, const std::function<void(benchmark::State&)>& body) {
    benchmark::RegisterBenchmark(name.c_str(), body)->Unit(benchmark::kMillisecond)->UseRealTime();
}

template <class Effect, class T>
void RegisterEffect(const char* name, const T& record, const FrameSize& f) {
    const struct {
        ULONG bands;
        QuilletBandingMode banding;
    } runs[] = {{1, QUILLET_BANDING_PER_BAND},
                {4, QUILLET_BANDING_PER_BAND},
                {1, QUILLET_BANDING_WHOLE_FRAME},
                {2, QUILLET_BANDING_WHOLE_FRAME}};
    for (const auto& run : runs) {
        const ULONG bands = run.bands;
        const QuilletBandingMode banding = run.banding;
        const std::string label = std::string(name) + "/" + f.name + "/" + std::to_string(bands) +
                                  (bands == 1 ? "band" : "bands") +
                                  (banding == QUILLET_BANDING_WHOLE_FRAME ? "/wholeframe" : "");
        const int W = f.width, H = f.height;
        Register(label, [=](benchmark::State& state) { RunEffect<Effect, T>(state, record, W, H, bands, banding); });
    }
}

void RegisterFrame(const FrameSize& f) {
    const int W = f.width, H = f.height;
    Register(std::string("EffectFloor_FrameCopy/") + f.name, [=](benchmark::State& state) {
        std::vector<uint8_t> src = Picture(W, H), dst(src.size());
        for (auto _ : state) {
            std::memcpy(dst.data(), src.data(), src.size());
            benchmark::ClobberMemory();
        }
        ReportFrames(state, W, H);
    });
    RegisterEffect<CLineDrawing>("LineDrawing_PenAndPaper", g_lineDrawingPresets[4], f);
    RegisterEffect<CDuoChrome>("DuoChrome_YellowBlue", g_duoChromePresets[9], f);
    RegisterEffect<CMetal>("Metallic_Gold", g_metallicPresets[3], f);
    RegisterEffect<CPastelSketch>("PastelSketch_Cartoon", g_pastelSketchPresets[0], f);
}

// Registered before the benchmark library's main runs.
const bool g_registered = [] {
    ippStaticInit();
    for (const FrameSize& f : kFrames) RegisterFrame(f);
    return true;
}();

}  // namespace
