// Every effect and every preset rendered as a host renders them (the module loaded by
// path, an object per frame, sited on a task manager of 1 to 4 processors, per band and
// whole frame) on small odd-sized frames: one band, and four bands of uneven height.
// Run under valgrind's memcheck (ctest label "valgrind"), where a read of invalid or
// uninitialised memory fails the run. The output starts as a copy of the input, as our
// hosts hand it over (Air Brush reads what the output held when its kernel is empty),
// and is written to /dev/null, so that memcheck checks every byte the effect wrote.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <random>

#include "host/common/effect_catalog.h"
#include "host/common/effect_session.h"
#include "platform/com/combase.h"
#include "platform/com/registry.h"

namespace {

using brushwerk::common::EffectSession;

// Premultiplied samples, most of them with partial alpha.
std::unique_ptr<BYTE[]> NoiseFrame(int width, int height) {
    std::mt19937 rng(static_cast<unsigned>(width * 131 + height));
    auto frame = std::make_unique<BYTE[]>(size_t(width) * height * 4);
    for (size_t i = 0; i < size_t(width) * height * 4; i += 4) {
        const BYTE alpha = rng() % 4 ? BYTE(rng()) : 255;
        for (int c = 0; c < 3; ++c) frame[i + c] = BYTE(rng() % (alpha + 1u));
        frame[i + 3] = alpha;
    }
    return frame;
}

// A new object of the effect, as our hosts drive one (the session hands the output a
// copy of the input before the frame).
HRESULT Render(IClassFactory* factory, const EffectDescriptor& effect, int preset, ULONG processors,
               QuilletBandingMode banding, int width, int height, int sink) {
    ComPtr<IUnknown> object;
    EffectSession session(effect);
    HRESULT hr = factory->CreateInstance(nullptr, IID_IUnknown, object.ReleaseAndGetVoidAddress());
    if (SUCCEEDED(hr)) hr = session.Start(object.Get());
    if (SUCCEEDED(hr)) hr = session.SelectPreset(preset);
    if (SUCCEEDED(hr)) hr = session.UseSite(processors, banding);
    const std::unique_ptr<BYTE[]> in = NoiseFrame(width, height);
    const std::unique_ptr<BYTE[]> out = std::make_unique<BYTE[]>(size_t(width) * height * 4);
    if (SUCCEEDED(hr))
        hr = session.Render({in.get(), width, height, width * 4, true}, {out.get(), width, height, width * 4, true});
    if (SUCCEEDED(hr) && ::write(sink, out.get(), size_t(width) * height * 4) < 0) hr = E_FAIL;
    return hr;
}

}  // namespace

int main() {
    RegistryKeepInMemory();
    HMODULE module = nullptr;
    if (FAILED(CoLoadModuleByPath(QUILLET_MODULE_PATH, &module))) return 2;
    auto getClassObject = reinterpret_cast<PFN_DllGetClassObject>(GetProcAddress(module, "DllGetClassObject"));
    const int sink = ::open("/dev/null", O_WRONLY);
    // 131x127 makes four bands (one per 4096 pixels) of 31 and 32 rows; 7x5 one band.
    const struct { int width, height; } sizes[] = {{131, 127}, {7, 5}};
    int renders = 0, failures = 0;
    for (const auto& effect : brushwerk::common::AllEffects()) {
        ComPtr<IClassFactory> factory;
        if (!getClassObject || FAILED(getClassObject(effect.clsid, IID_IClassFactory, factory.ReleaseAndGetVoidAddress())))
            return 2;
        for (int preset = 0; preset < effect.presetCount; ++preset)
            for (ULONG processors = 1; processors <= 4; ++processors)
                for (const auto banding : {QUILLET_BANDING_PER_BAND, QUILLET_BANDING_WHOLE_FRAME})
                    for (const auto& size : sizes) {
                        ++renders;
                        const HRESULT hr = Render(factory.Get(), effect, preset, processors, banding, size.width, size.height, sink);
                        if (FAILED(hr)) {
                            ++failures;
                            std::fprintf(stderr, "%s preset %d, %lu processors, banding %d, %dx%d: 0x%08X\n",
                                         effect.shortName, preset, static_cast<unsigned long>(processors), int(banding),
                                         size.width, size.height, unsigned(hr));
                        }
                    }
    }
    std::printf("%d renders, %d failed\n", renders, failures);
    return failures || renders == 0 ? 1 : 0;
}
