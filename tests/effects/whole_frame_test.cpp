// Whole-frame banding: whatever the processor count and however the rows divide into
// bands (remainders, bands of one row), every effect at every preset gives exactly the
// picture it gives in one band, through either row order, straight samples and one
// surface as input and output too.
#include <gtest/gtest.h>

#include "tests/effects/effect_harness.h"

namespace {

using namespace effect_test;

template <class S>
class WholeFrame : public ::testing::Test {};
TYPED_TEST_SUITE(WholeFrame, SevenEffects);

// A picture with the smooth areas, edges and fine texture of a photograph.
Picture PhotographLike(int width, int height) {
    Picture picture = MakeTestCard(width, height);
    const Picture grain = MakeNoise(width, height, 7);
    const Picture light = MakeGradient(width, height);
    for (size_t i = 0; i < picture.bytes.size(); ++i)
        if (i % 4 != 3) picture.bytes[i] = uint8_t((2 * picture.bytes[i] + light.bytes[i] + grain.bytes[i] / 4) / 4 + 16);
    return picture;
}

TYPED_TEST(WholeFrame, EveryPresetAndProcessorCountGivesTheOneBandPicture) {
    using Effect = typename TypeParam::Class;
    using T = typename TypeParam::Props;
    EffectRig<Effect, T> single(1);
    // Straight input samples come to a band as a converted copy of just the rows it
    // asked for, so a band reading beyond them does not find the picture there.
    RenderOptions straightInput;
    straightInput.inputFormat = DXPF_ARGB32;
    // 67 rows leave a remainder for 2, 3 and 4 bands; 7 rows of 1800 pixels make
    // four bands of 1, 1, 1 and 4 rows, three of 2, 2 and 3.
    for (const auto& [width, height] : {std::pair{197, 67}, std::pair{1800, 7}}) {
        const Picture in = PhotographLike(width, height);
        for (ULONG processors : {1u, 2u, 3u, 4u, 7u}) {
            EffectRig<Effect, T> banded(processors);
            banded.SetBanding(QUILLET_BANDING_WHOLE_FRAME);
            for (int preset = 0; preset < TypeParam::PresetCount(); ++preset) {
                const T& record = TypeParam::Preset(preset);
                const Picture expected = single.RenderWith(record, in, straightInput);
                const Picture actual = banded.RenderWith(record, in, straightInput);
                ASSERT_EQ(actual, expected) << width << "x" << height << ", " << processors << " processors, preset "
                                            << preset << ": " << FirstDifference(actual, expected);
            }
        }
    }
}

// Bottom-up rows turn the picture the views show, straight samples go through
// converted copies, and one surface as both input and output must not let a band
// read rows another band has already written.
TYPED_TEST(WholeFrame, RowOrdersFormatsAndInPlaceGiveTheOneBandPicture) {
    using Effect = typename TypeParam::Class;
    using T = typename TypeParam::Props;
    EffectRig<Effect, T> single(1), banded(4);
    banded.SetBanding(QUILLET_BANDING_WHOLE_FRAME);
    const Picture in = PhotographLike(131, 97);
    const T& record = TypeParam::Preset(0);
    RenderOptions cases[5];
    cases[0].inputBottomUp = cases[0].outputBottomUp = true;
    cases[1].outputBottomUp = true;
    cases[2].inputBottomUp = true;
    cases[3].inputFormat = cases[3].outputFormat = DXPF_ARGB32;
    cases[4].inPlace = true;
    for (int i = 0; i < 5; ++i) {
        const Picture expected = single.RenderWith(record, in, cases[i]);
        const Picture actual = banded.RenderWith(record, in, cases[i]);
        EXPECT_EQ(actual, expected) << "case " << i << ": " << FirstDifference(actual, expected);
    }
}

}  // namespace
