// Whole-frame banding: whatever the processor count and however the rows divide into
// bands (remainders, bands of one row), every effect at every preset gives exactly the
// picture it gives in one band.
#include <gtest/gtest.h>

#include "effects/airbrush.h"
#include "effects/colorize.h"
#include "effects/dreamglow.h"
#include "effects/duochrome.h"
#include "effects/linedrawing.h"
#include "effects/metal.h"
#include "effects/pastelsketch.h"
#include "tests/effects/effect_harness.h"

namespace {

using namespace effect_test;

template <class Effect, class T, const T* Presets, int Count>
struct Subject {
    using EffectType = Effect;
    using Record = T;
    static const T* PresetRows() { return Presets; }
    static constexpr int kPresets = Count;
};

using Subjects = ::testing::Types<
    Subject<CAirBrush, tAIR_BRUSH_PROPS, g_airBrushPresets, kAirBrushPresetCount>,
    Subject<CColorize, tCOLORIZE_PROPS, g_colorizePresets, kColorizePresetCount>,
    Subject<CDreamGlow, tDREAM_GLOW_PROPS, g_dreamGlowPresets, kDreamGlowPresetCount>,
    Subject<CDuoChrome, tDUOCHROME_PROPS, g_duoChromePresets, kDuoChromePresetCount>,
    Subject<CLineDrawing, tLINE_DRAWING_PROPS, g_lineDrawingPresets, kLineDrawingPresetCount>,
    Subject<CMetal, tMETALLIC_PROPS, g_metallicPresets, kMetallicPresetCount>,
    Subject<CPastelSketch, tPASTEL_SKETCHPROPS, g_pastelSketchPresets, kPastelSketchPresetCount>>;

template <class S>
class WholeFrameBanding : public ::testing::Test {};
TYPED_TEST_SUITE(WholeFrameBanding, Subjects);

// A picture with the smooth areas, edges and fine texture of a photograph.
Picture PhotographLike(int width, int height) {
    Picture picture = MakeTestCard(width, height);
    const Picture grain = MakeNoise(width, height, 7);
    const Picture light = MakeGradient(width, height);
    for (size_t i = 0; i < picture.bytes.size(); ++i)
        if (i % 4 != 3) picture.bytes[i] = uint8_t((2 * picture.bytes[i] + light.bytes[i] + grain.bytes[i] / 4) / 4 + 16);
    return picture;
}

TYPED_TEST(WholeFrameBanding, EveryPresetAndProcessorCountGivesTheOneBandPicture) {
    using Effect = typename TypeParam::EffectType;
    using T = typename TypeParam::Record;
    // 67 rows leave a remainder for 2, 3 and 4 bands; 5 rows of 2600 pixels make
    // bands of one row (four bands: 1, 1, 1, 2).
    for (const auto& [width, height] : {std::pair{197, 67}, std::pair{2600, 5}}) {
        const Picture in = PhotographLike(width, height);
        EffectRig<Effect, T> single(1);
        for (ULONG processors : {2u, 3u, 4u, 7u}) {
            EffectRig<Effect, T> banded(processors);
            banded.SetBanding(QUILLET_BANDING_WHOLE_FRAME);
            for (int preset = 0; preset < TypeParam::kPresets; ++preset) {
                const T& record = TypeParam::PresetRows()[preset];
                const Picture expected = single.RenderWith(record, in);
                const Picture actual = banded.RenderWith(record, in);
                ASSERT_EQ(actual, expected) << width << "x" << height << ", " << processors << " processors, preset "
                                            << preset << ": " << FirstDifference(actual, expected);
            }
        }
    }
}

}  // namespace
