// What every effect owes its host, through the real effect objects: every preset's
// picture (one digest per effect, so a changed preset or rule shows); the eyedropper's
// pass-through (Air Brush has none); the same bytes through either sample format, row
// order or one surface for both; every band rendered as a picture of its own, down to
// bands of one row; a clipped, placed region; failing locks; an input copy that cannot
// be made; every preset at full HD; records the knobs never produce; and one whole
// record per band while the record changes. Each effect's own file keeps its numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "host/surface.h"
#include "tests/effects/effect_harness.h"
#include "tests/support/pictures.h"
#include "transform/dxbounds.h"

namespace effect_test {
namespace {

// See EveryPresetAndOddRecordGivesItsKnownPicture.
const std::map<std::string, uint64_t> kPresetDigests = {
    {"airbrush", 0x952022a0f95f3577ull},  {"colorize", 0x6ff8195bbb35e1f7ull},    {"dreamglow", 0x4051882d310b5b2eull},
    {"duochrome", 0x3eb9675e109ac858ull}, {"linedrawing", 0x42acbb10d4e55f23ull}, {"metallic", 0x35ee544c54abd1a9ull},
    {"pastelsketch", 0x8245e03e36414bd6ull},
};

template <class S>
class EffectContract : public ::testing::Test {
protected:
    using T = typename S::Props;
    using Rig = EffectRig<typename S::Class, T>;
    // Line Drawing and Pastel Sketch filter 3 x 3: each band's outermost pixels are
    // copies of their inner neighbours. Dream Glow raises alpha; the others keep it.
    static constexpr bool kEdgeFilter =
        std::is_same_v<typename S::Class, CLineDrawing> || std::is_same_v<typename S::Class, CPastelSketch>;
    static constexpr bool kRaisesAlpha = std::is_same_v<typename S::Class, CDreamGlow>;
    // Air Brush's bands too low for a kernel work against what the output held.
    static constexpr bool kWritesWhateverTheOutputHeld = !std::is_same_v<typename S::Class, CAirBrush>;

    static const T& Preset(int row) { return S::Preset(row); }
    static int Last() { return S::PresetCount() - 1; }

    // The record's number fields, from the descriptor.
    static std::vector<float*> Floats(T& record) {
        std::vector<float*> floats;
        for (const RecordFieldDescriptor& f : S::Descriptor().fields)
            if (f.kind == FieldKind::Number)
                floats.push_back(reinterpret_cast<float*>(reinterpret_cast<unsigned char*>(&record) + f.offset));
        return floats;
    }

    static void ExpectAlpha(const Picture& out, const Picture& in, int processors) {
        if (!kEdgeFilter) {
            for (size_t i = 3; i < in.bytes.size(); i += 4) {
                const bool ok = kRaisesAlpha ? out.bytes[i] >= in.bytes[i] : out.bytes[i] == in.bytes[i];
                ASSERT_TRUE(ok) << "alpha of pixel " << i / 4;
            }
            return;
        }
        for (const BandRows& band : BandsOf(in.width, in.height, processors)) {
            if (band.rows < 3 || in.width < 3) continue;
            const int w = in.width, bottom = band.top + band.rows - 1;
            for (int y = band.top; y <= bottom; ++y)
                for (int x = 0; x < w; ++x) {
                    const bool inner = y != band.top && y != bottom && x != 0 && x != w - 1;
                    const uint8_t* p = out.At(x, y);
                    if (inner) {
                        ASSERT_EQ(p[3], in.At(x, y)[3]) << "alpha of (" << x << ", " << y << ")";
                    } else {
                        const uint8_t* q = out.At(std::clamp(x, 1, w - 2), std::clamp(y, band.top + 1, bottom - 1));
                        ASSERT_TRUE(std::equal(p, p + 4, q)) << "frame pixel (" << x << ", " << y << ")";
                    }
                }
        }
    }
};
TYPED_TEST_SUITE(EffectContract, SevenEffects);

// Every preset over a test card and translucent noise in three bands; preset 0 on
// frames of one pixel, of a few pixels, of bands of one row; and every number field
// of preset 0 set to values the knobs never produce: all folded into one digest per
// effect, so that a change to any rule, preset or band edge shows.
TYPED_TEST(EffectContract, EveryPresetAndOddRecordGivesItsKnownPicture) {
    using T = typename TestFixture::T;
    uint64_t digest = 0;
    auto fold = [&](const T& record, const Picture& in, int processors) {
        const Picture out = typename TestFixture::Rig(processors).RenderWith(record, in);
        digest = digest * 31 + testsupport::Digest(out.bytes.data(), out.width * 4, out.height, out.width * 4);
    };
    const Picture card = MakeTestCard(97, 67), noise = MakeNoise(97, 67, 5, false);
    for (int row = 0; row <= TestFixture::Last(); ++row) {
        fold(TestFixture::Preset(row), card, 3);
        fold(TestFixture::Preset(row), noise, 3);
    }
    for (auto [w, h, processors] : {std::tuple{1, 1, 1}, std::tuple{5, 4, 1}, std::tuple{301, 4, 2},
                                    std::tuple{2048, 6, 4}, std::tuple{31, 140, 4}})
        fold(TestFixture::Preset(0), MakeNoise(w, h, w + h, false), processors);
    const Picture small = MakeNoise(31, 23, 8, false);
    T probe = TestFixture::Preset(0);
    for (size_t i = 0; i < TestFixture::Floats(probe).size(); ++i)
        for (float v : {-1.0f, -1e30f, 1e30f, 7.5f, std::numeric_limits<float>::quiet_NaN()}) {
            T record = TestFixture::Preset(0);
            *TestFixture::Floats(record)[i] = v;
            fold(record, small, 1);
        }
    EXPECT_EQ(digest, kPresetDigests.at(TypeParam::Descriptor().shortName));
}

TYPED_TEST(EffectContract, TheDropperPassesTheInputThroughUnlessTheEffectHasNoColourToPick) {
    const Picture in = MakeNoise(41, 33, 9, false);
    typename TestFixture::Rig rig(2);
    for (int row : {0, TestFixture::Last()}) {
        const Picture rendered = rig.RenderWith(TestFixture::Preset(row), in);
        DropperActive dropper;
        const Picture& expected = TypeParam::Class::kBandTraits.passInputThroughForDropper ? in : rendered;
        EXPECT_EQ(FirstDifference(rig.RenderWith(TestFixture::Preset(row), in), expected), "") << "preset " << row;
    }
}

// Opaque pictures give the same bytes through either sample format. An input whose rows
// run upwards, or one surface for both, changes nothing; an output whose rows run
// upwards gives the result of both running upwards (each view is turned the output's way).
// 70 rows in one band give every Air Brush preset a kernel.
TYPED_TEST(EffectContract, SampleFormatsRowOrdersAndOneSurfaceForBoth) {
    const Picture in = MakeTestCard(45, 70);
    const Picture black(in.width, in.height, 0, 0, 0, 0);
    typename TestFixture::Rig rig(2);
    for (int row = 0; row <= TestFixture::Last(); ++row) {
        const auto& p = TestFixture::Preset(row);
        const Picture plain = rig.RenderWith(p, in);
        RenderOptions straight, straightIn, straightOut, inputUp, outputUp, bothUp, inPlace, inPlaceUp, overBlack;
        straight.inputFormat = straight.outputFormat = DXPF_ARGB32;
        straightIn.inputFormat = DXPF_ARGB32;
        straightOut.outputFormat = DXPF_ARGB32;
        inputUp.inputBottomUp = true;
        outputUp.outputBottomUp = true;
        bothUp.inputBottomUp = bothUp.outputBottomUp = true;
        inPlace.inPlace = true;
        inPlaceUp.inPlace = inPlaceUp.inputBottomUp = true;
        overBlack.outputBefore = &black;
        const Picture upwards = rig.RenderWith(p, in, bothUp);
        for (const RenderOptions& o : {straight, straightIn, straightOut, inputUp, inPlace})
            EXPECT_EQ(FirstDifference(rig.RenderWith(p, in, o), plain), "") << "preset " << row;
        for (const RenderOptions& o : {outputUp, inPlaceUp})
            EXPECT_EQ(FirstDifference(rig.RenderWith(p, in, o), upwards), "") << "preset " << row;
        if (TestFixture::kWritesWhateverTheOutputHeld) {
            EXPECT_EQ(FirstDifference(rig.RenderWith(p, in, overBlack), plain), "") << "preset " << row;
        }
    }
}

TYPED_TEST(EffectContract, EveryBandIsRenderedAsAPictureOfItsOwn) {
    const int sizes[][2] = {{1, 1}, {3, 3}, {5, 4}, {17, 9}, {63, 65}, {64, 64}, {131, 130}};
    typename TestFixture::Rig alone(1);
    for (const auto& size : sizes) {
        const Picture in = MakeTestCard(size[0], size[1]);
        for (int processors = 1; processors <= 4; ++processors) {
            typename TestFixture::Rig rig(processors);
            const Picture out = rig.RenderWith(TestFixture::Preset(0), in);
            const Picture expected = ByBands(in, OutputFill(in.width, in.height), processors,
                                             [&](const Picture& band, const Picture&) {
                                                 return alone.RenderWith(TestFixture::Preset(0), band);
                                             });
            EXPECT_EQ(FirstDifference(out, expected), "") << size[0] << "x" << size[1] << ", " << processors;
            TestFixture::ExpectAlpha(out, in, processors);
        }
    }
}

// Frames of 4096-pixel rows on four processors: four bands of 1, 2 or 3 rows, which
// show nothing of what the output surface held (but Air Brush's kernel-less bands).
TYPED_TEST(EffectContract, BandsOfOneTwoAndThreeRows) {
    for (int rows : {1, 2, 3}) {
        const Picture in = MakeNoise(4096, 4 * rows, 21, false);
        ASSERT_EQ(BandsOf(in.width, in.height, 4).size(), 4u);
        typename TestFixture::Rig rig(4);
        const Picture black(in.width, in.height, 0, 0, 0, 0);
        RenderOptions overBlack;
        overBlack.outputBefore = &black;
        for (int row = 0; row <= TestFixture::Last(); ++row) {
            const Picture out = rig.RenderWith(TestFixture::Preset(row), in);
            if (TestFixture::kWritesWhateverTheOutputHeld) {
                EXPECT_EQ(FirstDifference(rig.RenderWith(TestFixture::Preset(row), in, overBlack), out), "")
                    << rows << "-row bands, preset " << row;
            }
            TestFixture::ExpectAlpha(out, in, 4);
        }
    }
}

// Input rows 20..109, columns 10..149 land at the output's (15, 50) as a picture of
// their own, in three bands; nothing else of the output changes. Without a placement
// a clip lands at the origin.
TYPED_TEST(EffectContract, AClippedRegionLandsAtThePlacementAsAPictureOfItsOwn) {
    const Picture in = MakeTestCard(160, 120);
    const DXBNDS clip = MakeDiscreteBounds(10, 20, 150, 110);
    const DXVEC placement = MakeDiscretePoint(15, 50);
    const Picture fill = OutputFill(160, 120);
    auto crop = [](const Picture& p, int left, int top, int width, int height) {
        Picture part(width, height);
        for (int y = 0; y < height; ++y) std::memcpy(part.At(0, y), p.At(left, top + y), static_cast<size_t>(width) * 4);
        return part;
    };
    for (const DXVEC* at : {&placement, static_cast<const DXVEC*>(nullptr)}) {
        const int left = at ? 15 : 0, top = at ? 50 : 0;
        const int width = std::min(140, 160 - left), height = std::min(90, 120 - top);
        RenderOptions options;
        options.clip = &clip;
        options.placement = at;
        typename TestFixture::Rig rig(4);
        const Picture out = rig.RenderWith(TestFixture::Preset(0), in, options);
        // The region alone, over what the output held there.
        const Picture before = crop(fill, left, top, width, height);
        RenderOptions alone;
        alone.outputBefore = &before;
        const Picture region = rig.RenderWith(TestFixture::Preset(0), crop(in, 10, 20, width, height), alone);
        Picture expected = fill;
        for (int y = 0; y < height; ++y)
            std::memcpy(expected.At(left, top + y), region.At(0, y), static_cast<size_t>(width) * 4);
        EXPECT_EQ(FirstDifference(out, expected), "") << "at " << left << ", " << top;
    }
}

// A lock that fails ends the frame with its code and leaves the output as it was.
TYPED_TEST(EffectContract, AFailingLockEndsTheFrameWithItsCode) {
    const Picture in = MakeTestCard(90, 70);
    for (int processors : {1, 4}) {
        typename TestFixture::Rig rig(processors);
        ASSERT_EQ(rig.SetProps(TestFixture::Preset(0)), S_OK);
        for (bool output : {true, false}) {
            RenderOptions options;
            (output ? options.outputLockFailure : options.inputLockFailure) = output ? E_ACCESSDENIED : E_OUTOFMEMORY;
            const RenderResult r = rig.Render(in, options);
            EXPECT_EQ(r.execute, output ? E_ACCESSDENIED : E_OUTOFMEMORY);
            EXPECT_EQ(FirstDifference(r.output, OutputFill(in.width, in.height)), "");
        }
    }
}

// One surface as input and output needs a private copy of the input band; a row too
// wide for any copy (2^29 - 1 pixels, over a few real bytes that nothing may touch)
// fails the frame with E_OUTOFMEMORY instead of reporting success.
TYPED_TEST(EffectContract, AnInputCopyThatCannotBeMadeFailsTheFrame) {
    constexpr LONG kWidth = (1 << 29) - 1;
    uint8_t bytes[64] = {};
    ComPtr<IDXSurface> surface;
    ASSERT_EQ(CreateSurfaceOnMemory(bytes, kWidth, 1, kWidth * 4, DXPF_PMARGB32, surface.ReleaseAndGetAddressOf()), S_OK);
    typename TestFixture::Rig rig(4);
    IUnknown* objects[1] = {surface.Get()};
    ASSERT_EQ(rig.Transform()->Setup(objects, 1, objects, 1, 0), S_OK);
    EXPECT_EQ(rig.Transform()->Execute(nullptr, nullptr, nullptr), E_OUTOFMEMORY);
    EXPECT_EQ(rig.Transform()->Setup(nullptr, 0, nullptr, 0, 0), S_OK);
    EXPECT_EQ(std::count(bytes, bytes + 64, 0), 64);
}

// Every preset, and records full of values the knobs never produce, at full HD on four
// processors; each such value alone in each field renders the same over two different
// prior outputs (Air Brush aside: its negative kernels keep what the output held).
TYPED_TEST(EffectContract, PresetsAndRecordsOutsideTheKnobsAtFullHd) {
    using T = typename TestFixture::T;
    const Picture card = MakeTestCard(1920, 1080);
    const Picture small = MakeNoise(97, 90, 2, false);
    const Picture black(small.width, small.height, 0, 0, 0, 0);
    RenderOptions overBlack;
    overBlack.outputBefore = &black;
    typename TestFixture::Rig rig(4);
    for (int row = 0; row <= TestFixture::Last(); ++row) {
        SCOPED_TRACE(testing::Message() << "preset " << row);
        TestFixture::ExpectAlpha(rig.RenderWith(TestFixture::Preset(row), card), card, 4);
    }
    const float hostile[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), -1.0f, -1e30f, 1e30f, FLT_MAX, -FLT_MAX, 7.5f,
                             FLT_MIN / 4};
    for (float v : hostile) {
        T all = TestFixture::Preset(0);
        for (float* field : TestFixture::Floats(all)) *field = v;
        ASSERT_EQ(rig.SetProps(all), S_OK);
        ASSERT_EQ(rig.Render(card).execute, S_OK) << v;
        for (size_t i = 0; i < TestFixture::Floats(all).size(); ++i) {
            T one = TestFixture::Preset(1);
            *TestFixture::Floats(one)[i] = v;
            const Picture a = rig.RenderWith(one, small);
            if (!TestFixture::kWritesWhateverTheOutputHeld) continue;
            EXPECT_EQ(FirstDifference(rig.RenderWith(one, small, overBlack), a), "") << v << " in field " << i;
            TestFixture::ExpectAlpha(a, small, 4);
        }
    }
}

// While another thread keeps switching the record, every band of every frame shows one
// of the two records from top to bottom.
TYPED_TEST(EffectContract, EachBandRendersOneWholeRecord) {
    const Picture in = MakeTestCard(256, 128);  // 4 bands of 32 rows
    const auto& a = TestFixture::Preset(0);
    const auto& b = TestFixture::Preset(TestFixture::Last());
    typename TestFixture::Rig rig(4);
    const Picture withA = rig.RenderWith(a, in), withB = rig.RenderWith(b, in);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop.load(); ++i) rig.SetProps(i & 1 ? a : b);
    });
    for (int frame = 0; frame < 20; ++frame) {
        const RenderResult r = rig.Render(in);
        ASSERT_EQ(r.execute, S_OK);
        for (int band = 0; band < 4; ++band) {
            const Picture rows = r.output.Rows(band * 32, 32);
            EXPECT_TRUE(rows == withA.Rows(band * 32, 32) || rows == withB.Rows(band * 32, 32)) << frame << " " << band;
        }
    }
    stop = true;
    writer.join();
}

}  // namespace
}  // namespace effect_test
