// The region Execute produces: clip, placement, what falls outside the output, and
// frames with nothing to do.
#include "tests/transform/transform_test_effect.h"

namespace {

// Fills a surface so that every sample tells its own coordinates.
void FillWithCoordinates(IDXSurface* s) {
    DXBNDS b{};
    s->GetBounds(&b);
    for (LONG y = 0; y < BoundsHeight(b); ++y)
        for (LONG x = 0; x < BoundsWidth(b); ++x) At(s, x, y) = DXSAMPLE{BYTE(x), BYTE(y), 7, 255};
}

// Checks that output pixel (x, y) holds input pixel (x + dx, y + dy) inside the
// rectangle [l, r) x [t, b) and is untouched (zero) outside it.
void ExpectCopiedRect(IDXSurface* out, LONG l, LONG t, LONG r, LONG b, LONG dx, LONG dy) {
    DXBNDS bounds{};
    out->GetBounds(&bounds);
    for (LONG y = 0; y < BoundsHeight(bounds); ++y)
        for (LONG x = 0; x < BoundsWidth(bounds); ++x) {
            DXSAMPLE s = At(out, x, y);
            if (x >= l && x < r && y >= t && y < b) {
                ASSERT_EQ(s.Blue, BYTE(x + dx)) << x << "," << y;
                ASSERT_EQ(s.Green, BYTE(y + dy)) << x << "," << y;
                ASSERT_EQ(s.Alpha, 255);
            } else {
                ASSERT_EQ(s.Alpha, 0) << "outside at " << x << "," << y;
            }
        }
}

}  // namespace

// The clip lands at the output's origin unless placed; placement moves it, a negative
// one drops the input's first rows and columns, and the output's edge cuts it.
TEST(TransformRegion, ClipAndPlacementDecideWhatLandsWhere) {
    const struct {
        LONG inWidth, inHeight, outWidth, outHeight;
        bool clipped;
        LONG placeX, placeY;
        LONG left, top, right, bottom, dx, dy;  // expected: output rect and its input offset
    } cases[] = {{100, 100, 100, 100, true, 0, 0, 0, 0, 30, 20, 50, 20},
                 {100, 100, 100, 100, true, 10, 5, 10, 5, 40, 25, 40, 15},
                 {100, 100, 100, 100, false, 90, 95, 90, 95, 100, 100, -90, -95},
                 {50, 50, 50, 50, false, -20, -30, 0, 0, 30, 20, 20, 30},
                 {200, 100, 60, 30, false, 0, 0, 0, 0, 60, 30, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "placed at " << c.placeX << "," << c.placeY);
        TestTransform t(4);
        ASSERT_EQ(t.SetupSurfaces(c.inWidth, c.inHeight, c.outWidth, c.outHeight), S_OK);
        FillWithCoordinates(t.input.Get());
        t.effect->copyInput = true;
        const DXBNDS clip = MakeDiscreteBounds(50, 20, 80, 40);
        const DXVEC place = MakeDiscretePoint(c.placeX, c.placeY);
        ASSERT_EQ(t.transform->Execute(nullptr, c.clipped ? &clip : nullptr, &place), S_OK);
        ExpectCopiedRect(t.output.Get(), c.left, c.top, c.right, c.bottom, c.dx, c.dy);
        auto bands = t.effect->SortedBands();
        ASSERT_FALSE(bands.empty());
        EXPECT_EQ(ColMin(bands[0].inputBounds), c.left + c.dx);
        EXPECT_EQ(RowMin(bands[0].inputBounds), c.top + c.dy);
        EXPECT_EQ(ColMin(bands[0].outputBounds), c.left);
        EXPECT_EQ(RowMin(bands[0].outputBounds), c.top);
    }
}

// Frames with nothing to do answer S_FALSE and leave the output alone; clip and
// placement must be discrete and within the capabilities; an effect without bands
// (maxBands 0) executes whole frames itself, which the base refuses with E_FAIL.
TEST(TransformRegion, FramesWithNothingOrNothingAllowedToDoRunNoBand) {
    const DXBNDS outside = MakeDiscreteBounds(200, 200, 300, 300), clip = MakeDiscreteBounds(0, 0, 5, 5);
    DXBNDS continuous = clip;
    continuous.eType = DXBT_CONTINUOUS;
    const DXVEC away = MakeDiscretePoint(100, 0), extreme = MakeDiscretePoint(-0x7FFFFFFF - 1, 0x7FFFFFFF),
                place = MakeDiscretePoint(1, 1);
    DXVEC wide = MakeDiscretePoint(0, 0);
    wide.eType = DXBT_DISCRETE64;
    const struct {
        LONG inSize, outWidth, outHeight;
        const DXBNDS* clip;
        const DXVEC* place;
        ULONG maxBands;
        DWORD miscFlags;  // 0: the base's own
        HRESULT expected;
    } cases[] = {
        {100, 100, 100, &outside, nullptr, 4, 0, S_FALSE},   {100, 100, 100, nullptr, &away, 4, 0, S_FALSE},
        {100, 100, 100, nullptr, &extreme, 4, 0, S_FALSE},   {0, 0, 0, nullptr, nullptr, 4, 0, S_FALSE},
        {64, 0, 10, nullptr, nullptr, 4, 0, S_FALSE},        {10, 10, 10, &continuous, nullptr, 4, 0, E_INVALIDARG},
        {10, 10, 10, nullptr, &wide, 4, 0, E_INVALIDARG},    {10, 10, 10, nullptr, nullptr, 0, 0, E_FAIL},
        {10, 10, 10, &clip, nullptr, 0, 0, E_FAIL},           {10, 10, 10, &clip, nullptr, 0, 0x00030003, E_INVALIDARG},
        {10, 10, 10, nullptr, &place, 0, 0x00030003, E_INVALIDARG}, {10, 10, 10, nullptr, nullptr, 0, 0x00030003, E_FAIL},
    };
    for (const auto& c : cases) {
        TestTransform t(4);
        ASSERT_EQ(t.SetupSurfaces(c.inSize, c.inSize, c.outWidth, c.outHeight), S_OK);
        FillWithCoordinates(t.input.Get());
        t.effect->copyInput = true;
        t.effect->SetMaxBands(c.maxBands);
        if (c.miscFlags) t.effect->SetMiscFlagsField(c.miscFlags);
        EXPECT_EQ(t.transform->Execute(nullptr, c.clip, c.place), c.expected) << &c - cases;
        const ULONG generation = t.effect->GenerationField();  // and again: nothing counts as a change
        EXPECT_EQ(t.transform->Execute(nullptr, c.clip, c.place), c.expected) << &c - cases;
        EXPECT_TRUE(t.effect->bands.empty());
        ExpectCopiedRect(t.output.Get(), 0, 0, 0, 0, 0, 0);
        EXPECT_EQ(t.effect->GenerationField(), generation);
    }
}
