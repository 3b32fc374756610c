// Whole frames through the real effect objects of Air Brush, Dream Glow and Colorize
// (host site, memory surfaces, Setup once, Execute per iteration) at 1920x1080 and
// 3840x2160, on one band (one processor) and on four bands (four processors), each at
// the preset with its shortest and its longest kernel (Colorize: fewest and most
// smoothing passes), beside a plain copy of the frame (the memory floor); and in
// whole-frame banding (bands are slices of one picture) on one band and on two, the
// speed-up that two processors give while the picture stays the one-band picture. Also the
// column and row filters over a padded full-HD frame with the 97-tap tent, generic
// beside the running-sum path. Wall-clock time: four bands run on the workers.
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "effects/airbrush.h"
#include "effects/colorize.h"
#include "effects/dreamglow.h"
#include "host/site.h"
#include "host/surface.h"
#include "image/cpudispatch.h"
#include "image/filter_rowcol_fast.h"
#include "image/ippi_generic.h"
#include "platform/com/object.h"

namespace {

struct FrameSize {
    int width, height;
    const char* name;
};
constexpr FrameSize kFrames[] = {{1920, 1080, "1920x1080"}, {3840, 2160, "3840x2160"}};

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

void ReportFrames(benchmark::State& state, int width, int height) {
    state.SetBytesProcessed(state.iterations() * int64_t{width} * height * 4);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

template <class Effect, class T>
void RunEffect(benchmark::State& state, const T& record, int width, int height, ULONG processors,
               QuilletBandingMode banding) {
    std::vector<uint8_t> input = TestFrame(width, height);
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
                                  (bands == 1 ? "band" : "bands") + (banding == QUILLET_BANDING_WHOLE_FRAME ? "/wholeframe" : "");
        const int w = f.width, h = f.height;
        Register(label, [=](benchmark::State& state) { RunEffect<Effect, T>(state, record, w, h, bands, banding); });
    }
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
        Register(f.name, [filter](benchmark::State& state) {
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
            ReportFrames(state, kWidth, kHeight);
        });
    }
}

void RegisterFrame(const FrameSize& f) {
    const int w = f.width, h = f.height;
    Register(std::string("BlurFloor_FrameCopy/") + f.name, [=](benchmark::State& state) {
        std::vector<uint8_t> src = TestFrame(w, h), dst(src.size());
        for (auto _ : state) {
            std::memcpy(dst.data(), src.data(), src.size());
            benchmark::ClobberMemory();
        }
        ReportFrames(state, w, h);
    });
    RegisterEffect<CAirBrush>("AirBrush_TouchUp_shortest", g_airBrushPresets[5], f);
    RegisterEffect<CAirBrush>("AirBrush_Fog_longest", g_airBrushPresets[2], f);
    RegisterEffect<CDreamGlow>("DreamGlow_NightVision_shortest", g_dreamGlowPresets[6], f);
    RegisterEffect<CDreamGlow>("DreamGlow_Afterlife_longest", g_dreamGlowPresets[0], f);
    RegisterEffect<CColorize>("Colorize_PinkNoPasses_shortest", g_colorizePresets[7], f);
    RegisterEffect<CColorize>("Colorize_FadedPrimary3Passes_longest", g_colorizePresets[4], f);
}

const bool g_registered = [] {
    ippStaticInit();
    for (const FrameSize& f : kFrames) RegisterFrame(f);
    RegisterTentFilters();
    return true;
}();

}  // namespace
