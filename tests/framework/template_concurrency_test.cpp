// The record under concurrent use: host threads set, load, select and keyframe the
// record while the transform base runs frames of four bands on the host's task manager.
// Every band's snapshot must be one whole record that some writer set, and it must not
// change while the band reads it. Meant to run clean under ThreadSanitizer as well.
#include <atomic>
#include <thread>
#include <vector>

#include "host/site.h"
#include "host/surface.h"
#include "tests/support/environment.h"
#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

constexpr int kPatterns = 8;

// Every record a writer below can leave in the effect.
std::vector<tCOLORIZE_PROPS> ValidRecords() {
    std::vector<tCOLORIZE_PROPS> valid(g_colorizePresets, g_colorizePresets + kColorizePresetCount);
    for (int k = 0; k < kPatterns; ++k) valid.push_back(PatternRecord<tCOLORIZE_PROPS>(k * 13));
    return valid;
}

bool IsValid(const std::vector<tCOLORIZE_PROPS>& valid, const tCOLORIZE_PROPS& r) {
    for (const auto& v : valid)
        if (SameBytes(v, r)) return true;
    return false;
}

// A Colorize whose frame routine checks its own snapshot instead of drawing.
class SnapshotCheckingColorize : public CColorize {
public:
    HRESULT ProcessBand(const BandWorkInfo&, BOOL*) override {
        const tCOLORIZE_PROPS taken = TakeFrameSnapshot();
        const tCOLORIZE_PROPS& props = FrameProps();
        bool ok = SameBytes(taken, props) && IsValid(*s_valid, props);
        for (int i = 0; i < 200 && ok; ++i) {
            std::this_thread::yield();
            ok = SameBytes(taken, FrameProps());  // never changes under the band
        }
        ++s_bands;
        if (!ok) ++s_bad;
        return ok ? S_OK : E_FAIL;
    }
    static inline const std::vector<tCOLORIZE_PROPS>* s_valid = nullptr;
    static inline std::atomic<int> s_bands{0};
    static inline std::atomic<int> s_bad{0};
};

TEST(TemplateConcurrency, BandsOfConcurrentFramesSeeWholeStableRecords) {
    ModuleStrings strings;
    testsupport::DebugOutputCapture capture;  // interpolated snapshots write rows
    const auto valid = ValidRecords();
    SnapshotCheckingColorize::s_valid = &valid;
    SnapshotCheckingColorize::s_bands = 0;
    SnapshotCheckingColorize::s_bad = 0;

    auto effect = CreateEffect<SnapshotCheckingColorize>();
    ComPtr<IUnknown> site;
    ASSERT_EQ(CreateHostSite(4, site.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IDXSurface> input, output;
    ASSERT_EQ(CreateMemorySurface(128, 128, DXPF_PMARGB32, input.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(CreateMemorySurface(128, 128, DXPF_PMARGB32, output.ReleaseAndGetAddressOf()), S_OK);
    auto transform = Query<IDXTransform>(effect);
    ASSERT_EQ(Query<IObjectWithSite>(effect)->SetSite(site.Get()), S_OK);
    IUnknown* inputs[] = {input.Get()};
    IUnknown* outputs[] = {output.Get()};
    ASSERT_EQ(transform->Setup(inputs, 1, outputs, 1, 0), S_OK);

    std::atomic<bool> stop{false};
    std::vector<std::thread> writers;
    writers.emplace_back([&] {  // the page
        auto exchange = Exchange<tCOLORIZE_PROPS>(effect);
        for (int k = 0; !stop; ++k) {
            const tCOLORIZE_PROPS r = PatternRecord<tCOLORIZE_PROPS>((k % kPatterns) * 13);
            EXPECT_EQ(exchange->SetProps(&r), S_OK);
            tCOLORIZE_PROPS back{};
            exchange->GetProps(&back);
            EXPECT_TRUE(IsValid(valid, back));
        }
    });
    writers.emplace_back([&] {  // automation loading records
        auto automation = Query<IDXTSfAutomation>(effect);
        for (int k = 0; !stop; ++k) {
            auto stream = StreamOf(PatternRecord<tCOLORIZE_PROPS>(((k + 3) % kPatterns) * 13));
            EXPECT_EQ(automation->LoadProps(stream.Get()), S_OK);
        }
    });
    writers.emplace_back([&] {  // presets
        auto presets = Query<IStaticFilterPreset>(effect);
        auto persist = Query<IPersistStreamInit>(effect);
        auto automation = Query<IDXTSfAutomation>(effect);
        for (int k = 0; !stop; ++k) {
            EXPECT_EQ(presets->SelectPreset(k % kColorizePresetCount), S_OK);
            persist->InitNew();
            automation->LoadProps(MemoryStream().Get());  // fails: falls back to preset 0
        }
    });
    writers.emplace_back([&] {  // keyframes: equal keys interpolate to themselves at any position
        auto automation = Query<IDXTSfAutomation>(effect);
        for (int k = 0; !stop; ++k) {
            // Presets, not patterns: their floats are finite and their padding zero, as an
            // interpolated record's always is.
            const tCOLORIZE_PROPS& key = g_colorizePresets[k % kColorizePresetCount];
            EXPECT_EQ(automation->SetKeyframes(StreamOf(key).Get(), StreamOf(key).Get()), S_OK);
            automation->SetPosition((k % 7) / 6.0);
            automation->SetInterpolate(k % 3 != 0);
        }
    });

    const int frames = 150;
    for (int f = 0; f < frames; ++f) ASSERT_EQ(transform->Execute(nullptr, nullptr, nullptr), S_OK) << "frame " << f;
    stop = true;
    for (auto& t : writers) t.join();

    EXPECT_EQ(SnapshotCheckingColorize::s_bands.load(), frames * 4) << "four bands per 128 x 128 frame";
    EXPECT_EQ(SnapshotCheckingColorize::s_bad.load(), 0);
    Query<IObjectWithSite>(effect)->SetSite(nullptr);
}

}  // namespace
