// What Line Drawing, Duo Chrome, Metallic and Pastel Sketch share, through the real
// effect objects: the dropper passes the input through; opaque pictures give the same
// bytes through either sample format and row order; alpha is kept (the edge effects
// replicate it into each band's outermost rows and columns); every band is rendered as
// a picture of its own, whatever the output held before; clipped regions, failing
// locks, all presets at full HD and records full of values the knobs never produce.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "effects/airbrush.h"
#include "effects/colorize.h"
#include "effects/dreamglow.h"
#include "effects/duochrome.h"
#include "effects/linedrawing.h"
#include "effects/metal.h"
#include "effects/pastelsketch.h"
#include "host/surface.h"
#include "tests/effects/band_checks.h"
#include "tests/effects/effect_harness.h"

namespace effect_test {
namespace {

template <class Effect>
struct Traits;

template <>
struct Traits<CLineDrawing> {
    using Record = tLINE_DRAWING_PROPS;
    static constexpr const Record* kPresets = g_lineDrawingPresets;
    static constexpr int kPresetCount = kLineDrawingPresetCount;
    static constexpr bool kReplicatedFrame = true;
    static std::vector<float*> Floats(Record& r) { return {&r.density, &r.contrast}; }
};

template <>
struct Traits<CPastelSketch> {
    using Record = tPASTEL_SKETCHPROPS;
    static constexpr const Record* kPresets = g_pastelSketchPresets;
    static constexpr int kPresetCount = kPastelSketchPresetCount;
    static constexpr bool kReplicatedFrame = true;
    static std::vector<float*> Floats(Record& r) { return {&r.density, &r.blend}; }
};

template <>
struct Traits<CDuoChrome> {
    using Record = tDUOCHROME_PROPS;
    static constexpr const Record* kPresets = g_duoChromePresets;
    static constexpr int kPresetCount = kDuoChromePresetCount;
    static constexpr bool kReplicatedFrame = false;
    static std::vector<float*> Floats(Record& r) { return {&r.blend}; }
};

template <>
struct Traits<CMetal> {
    using Record = tMETALLIC_PROPS;
    static constexpr const Record* kPresets = g_metallicPresets;
    static constexpr int kPresetCount = kMetallicPresetCount;
    static constexpr bool kReplicatedFrame = false;
    static std::vector<float*> Floats(Record& r) { return {&r.shine, &r.highlights, &r.calibrate, &r.metal, &r.picture}; }
};

template <class Effect>
class PixelEffectTest : public ::testing::Test {
protected:
    using T = typename Traits<Effect>::Record;
    using Rig = EffectRig<Effect, T>;
    static const T& Preset(int row) { return Traits<Effect>::kPresets[row]; }
    static constexpr int kPresetCount = Traits<Effect>::kPresetCount;

    // Alpha of every pixel is the input's; for the edge effects, of every inner pixel of
    // every band, with each band's frame replicated.
    static void ExpectAlphaKept(const Picture& out, const Picture& in, const std::vector<BandRows>& bands) {
        if (!Traits<Effect>::kReplicatedFrame) {
            size_t i = 3;
            while (i < in.bytes.size() && out.bytes[i] == in.bytes[i]) i += 4;
            EXPECT_GE(i, in.bytes.size()) << "alpha of pixel " << i / 4;
            return;
        }
        for (const BandRows& band : bands) {
            if (band.rows < 3 || in.width < 3) continue;
            ExpectFrameReplicated(out, band.top, band.rows);
            for (int y = band.top + 1; y < band.top + band.rows - 1; ++y) {
                int x = 1;
                while (x < in.width - 1 && out.At(x, y)[3] == in.At(x, y)[3]) ++x;
                ASSERT_EQ(x, in.width - 1) << "alpha of pixel (" << x << ", " << y << ")";
            }
        }
    }
};

using TheFourEffects = ::testing::Types<CLineDrawing, CPastelSketch, CDuoChrome, CMetal>;
TYPED_TEST_SUITE(PixelEffectTest, TheFourEffects);

template <class Effect>
using PixelEffectBands = PixelEffectTest<Effect>;
TYPED_TEST_SUITE(PixelEffectBands, TheFourEffects);

TYPED_TEST(PixelEffectTest, DropperPassesTheInputThrough) {
    const Picture in = MakeNoise(41, 33, 9, false);
    typename TestFixture::Rig rig(2);
    DropperActive dropper;
    for (int row = 0; row < TestFixture::kPresetCount; ++row)
        EXPECT_EQ(FirstDifference(rig.RenderWith(TestFixture::Preset(row), in), in), "") << "preset " << row;
}

TYPED_TEST(PixelEffectTest, OpaquePicturesGiveTheSameBytesThroughEitherFormatAndRowOrder) {
    const Picture in = MakeTestCard(45, 37);
    typename TestFixture::Rig rig(2);
    for (int row = 0; row < TestFixture::kPresetCount; ++row) {
        const Picture reference = rig.RenderWith(TestFixture::Preset(row), in);
        RenderOptions straightOut, straightIn, upwards, inPlace;
        straightOut.outputFormat = DXPF_ARGB32;
        straightIn.inputFormat = DXPF_ARGB32;
        upwards.inputBottomUp = true;
        inPlace.inPlace = true;
        for (const RenderOptions& o : {straightOut, straightIn, upwards, inPlace})
            EXPECT_EQ(FirstDifference(rig.RenderWith(TestFixture::Preset(row), in, o), reference), "") << "preset " << row;
    }
}

TYPED_TEST(PixelEffectBands, AlphaIsKept) {
    const Picture in = MakeNoise(131, 130, 17, false);
    for (int processors : {1, 4}) {
        typename TestFixture::Rig rig(processors);
        for (int row = 0; row < TestFixture::kPresetCount; ++row)
            TestFixture::ExpectAlphaKept(rig.RenderWith(TestFixture::Preset(row), in), in,
                                         BandsOf(in.width, in.height, processors));
    }
}

// Per-pixel effects come out the same however the frame is cut; the edge effects
// render each band as a picture of its own.
TYPED_TEST(PixelEffectBands, EveryBandIsRenderedAsAPictureOfItsOwn) {
    const int sizes[][2] = {{1, 1}, {3, 3}, {5, 4}, {17, 9}, {63, 65}, {64, 64}, {131, 130}};
    for (const auto& size : sizes) {
        const Picture in = MakeTestCard(size[0], size[1]);
        for (int processors = 1; processors <= 4; ++processors) {
            typename TestFixture::Rig rig(processors);
            const auto bands = BandsOf(in.width, in.height, processors);
            EXPECT_EQ(FirstDifference(rig.RenderWith(TestFixture::Preset(0), in),
                                      RenderBandByBand<TypeParam>(TestFixture::Preset(0), in, bands)),
                      "")
                << size[0] << "x" << size[1] << ", " << processors << " processors";
        }
    }
}

// Frames of 4096-pixel rows on four processors: four bands of 1, 2 or 3 rows, none of
// which shows what the output surface held before.
TYPED_TEST(PixelEffectBands, BandsOfOneTwoAndThreeRowsAreDefined) {
    for (int rows : {1, 2, 3}) {
        const Picture in = MakeNoise(4096, 4 * rows, 21, false);
        const auto bands = BandsOf(in.width, in.height, 4);
        ASSERT_EQ(bands.size(), 4u);
        typename TestFixture::Rig rig(4);
        const Picture black(in.width, in.height, 0, 0, 0, 0);
        RenderOptions overBlack;
        overBlack.outputBefore = &black;
        for (int row = 0; row < TestFixture::kPresetCount; ++row) {
            const Picture out = rig.RenderWith(TestFixture::Preset(row), in);
            EXPECT_EQ(FirstDifference(rig.RenderWith(TestFixture::Preset(row), in, overBlack), out), "")
                << rows << "-row bands, preset " << row;
            TestFixture::ExpectAlphaKept(out, in, bands);
        }
    }
}

TYPED_TEST(PixelEffectBands, AClipIsRenderedAsAPictureOfItsOwnAtTheOrigin) {
    ExpectClipRendersAsItsOwnPicture<TypeParam>(TestFixture::Preset(0), MakeTestCard(150, 120), 50, 20, 81, 90, 4);
}

TYPED_TEST(PixelEffectBands, AFailingLockEndsTheFrameWithItsCode) {
    ExpectFailingLocksEndTheFrame<TypeParam>(TestFixture::Preset(0), 1);
    ExpectFailingLocksEndTheFrame<TypeParam>(TestFixture::Preset(0), 4);
}

TYPED_TEST(PixelEffectBands, EveryPresetRendersAFullHdFrame) {
    const Picture in = MakeTestCard(1920, 1080);
    const auto bands = BandsOf(in.width, in.height, 4);
    typename TestFixture::Rig rig(4);
    for (int row = 0; row < TestFixture::kPresetCount; ++row) {
        SCOPED_TRACE(testing::Message() << "preset " << row);
        TestFixture::ExpectAlphaKept(rig.RenderWith(TestFixture::Preset(row), in), in, bands);
    }
}

// Every float field set to one such value (full HD), and each field alone (a small
// frame, rendered over two different prior outputs with the same result).
TYPED_TEST(PixelEffectBands, RecordsOutsideTheKnobsRenderDeterministically) {
    using T = typename TestFixture::T;
    const Picture card = MakeTestCard(1920, 1080);
    const Picture small = MakeNoise(97, 90, 2, false);
    const Picture black(small.width, small.height, 0, 0, 0, 0);
    RenderOptions overBlack;
    overBlack.outputBefore = &black;
    typename TestFixture::Rig rig(4);
    for (float v : HostileFloats()) {
        T full = TestFixture::Preset(0);
        for (float* field : Traits<TypeParam>::Floats(full)) *field = v;
        TestFixture::ExpectAlphaKept(rig.RenderWith(full, card), card, BandsOf(card.width, card.height, 4));
        for (size_t i = 0; i < Traits<TypeParam>::Floats(full).size(); ++i) {
            T one = TestFixture::Preset(1);
            *Traits<TypeParam>::Floats(one)[i] = v;
            const Picture a = rig.RenderWith(one, small);
            EXPECT_EQ(FirstDifference(rig.RenderWith(one, small, overBlack), a), "") << v << " in field " << i;
            TestFixture::ExpectAlphaKept(a, small, BandsOf(small.width, small.height, 4));
        }
    }
}

template <class Effect>
class EveryEffect : public ::testing::Test {};
using TheSevenEffects = ::testing::Types<CAirBrush, CColorize, CDreamGlow, CDuoChrome, CLineDrawing, CMetal, CPastelSketch>;
TYPED_TEST_SUITE(EveryEffect, TheSevenEffects);

// One surface as input and output needs a private copy of the input band; a row too
// wide for any copy (2^29 - 1 pixels, over a few real bytes that nothing may touch)
// fails the frame with E_OUTOFMEMORY instead of reporting success.
TYPED_TEST(EveryEffect, AnInputCopyThatCannotBeMadeFailsTheFrame) {
    constexpr LONG kWidth = (1 << 29) - 1;
    uint8_t bytes[64] = {};
    ComPtr<IDXSurface> surface;
    ASSERT_EQ(CreateSurfaceOnMemory(bytes, kWidth, 1, kWidth * 4, DXPF_PMARGB32, surface.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IUnknown> effect;
    ASSERT_EQ(CreateComInstance<TypeParam>(nullptr, IID_IUnknown, effect.ReleaseAndGetVoidAddress()), S_OK);
    ComPtr<IObjectWithSite> withSite;
    ComPtr<IDXTransform> transform;
    ComPtr<IUnknown> site;
    ASSERT_EQ(effect.As(&withSite), S_OK);
    ASSERT_EQ(effect.As(&transform), S_OK);
    ASSERT_EQ(CreateHostSite(4, site.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(withSite->SetSite(site.Get()), S_OK);
    IUnknown* objects[1] = {surface.Get()};
    ASSERT_EQ(transform->Setup(objects, 1, objects, 1, 0), S_OK);
    EXPECT_EQ(transform->Execute(nullptr, nullptr, nullptr), E_OUTOFMEMORY);
    EXPECT_EQ(transform->Setup(nullptr, 0, nullptr, 0, 0), S_OK);
    EXPECT_EQ(std::count(bytes, bytes + 64, 0), 64);
}

}  // namespace
}  // namespace effect_test
