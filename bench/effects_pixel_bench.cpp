// Whole frames through the real effect objects of Line Drawing, Duo Chrome, Metallic
// and Pastel Sketch at 1920x1080 and 3840x2160 (bench/effect_runner.h: one band and
// four per band, one and two whole frame, beside a plain copy of the frame).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/effect_runner.h"
#include "effects/duochrome.h"
#include "effects/linedrawing.h"
#include "effects/metal.h"
#include "effects/pastelsketch.h"
#include "image/cpudispatch.h"

namespace {

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

void RegisterFrame(const effect_bench::FrameSize& f) {
    effect_bench::RegisterFrameCopy("EffectFloor", &Picture, f);
    effect_bench::RegisterEffect<CLineDrawing>("LineDrawing_PenAndPaper", g_lineDrawingPresets[4], &Picture, f);
    effect_bench::RegisterEffect<CDuoChrome>("DuoChrome_YellowBlue", g_duoChromePresets[9], &Picture, f);
    effect_bench::RegisterEffect<CMetal>("Metallic_Gold", g_metallicPresets[3], &Picture, f);
    effect_bench::RegisterEffect<CPastelSketch>("PastelSketch_Cartoon", g_pastelSketchPresets[0], &Picture, f);
}

// Registered before the benchmark library's main runs.
const bool g_registered = [] {
    ippStaticInit();
    for (const effect_bench::FrameSize& f : effect_bench::kFrames) RegisterFrame(f);
    return true;
}();

}  // namespace
