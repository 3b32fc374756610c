// The region Execute produces: clip, placement, what falls outside the output, and
// frames with nothing to do.
#include "tests/transform/transform_test_effect.h"

namespace {

// Fills a surface so that every sample tells its own coordinates.
void FillWithCoordinates(IDXSurface* s) {
    BYTE* first = nullptr;
    LONG pitch = 0;
    GetSurfaceMemory(s, &first, &pitch);
    DXBNDS b{};
    s->GetBounds(&b);
    for (LONG y = 0; y < BoundsHeight(b); ++y)
        for (LONG x = 0; x < BoundsWidth(b); ++x)
            reinterpret_cast<DXSAMPLE*>(first + ptrdiff_t(y) * pitch)[x] = DXSAMPLE{BYTE(x), BYTE(y), 7, 255};
}

DXSAMPLE At(IDXSurface* s, LONG x, LONG y) {
    BYTE* first = nullptr;
    LONG pitch = 0;
    GetSurfaceMemory(s, &first, &pitch);
    return reinterpret_cast<DXSAMPLE*>(first + ptrdiff_t(y) * pitch)[x];
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

TEST(TransformRegion, ClipLandsAtTheOutputOrigin) {
    TestTransform t(1);
    ASSERT_EQ(t.SetupSurfaces(100, 100, 100, 100), S_OK);
    FillWithCoordinates(t.input.Get());
    t.effect->copyInput = true;
    DXBNDS clip = MakeDiscreteBounds(50, 20, 80, 40);
    ASSERT_EQ(t.transform->Execute(nullptr, &clip, nullptr), S_OK);
    ASSERT_EQ(t.effect->bands.size(), 1u);
    EXPECT_EQ(ColMin(t.effect->bands[0].inputBounds), 50);
    EXPECT_EQ(RowMin(t.effect->bands[0].inputBounds), 20);
    EXPECT_EQ(ColMin(t.effect->bands[0].outputBounds), 0);
    EXPECT_EQ(RowMin(t.effect->bands[0].outputBounds), 0);
    ExpectCopiedRect(t.output.Get(), 0, 0, 30, 20, 50, 20);
}

TEST(TransformRegion, PlacementMovesTheRegionAndTheOutputEdgeCutsIt) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(100, 100, 100, 100), S_OK);
    FillWithCoordinates(t.input.Get());
    t.effect->copyInput = true;
    DXBNDS clip = MakeDiscreteBounds(50, 20, 80, 40);
    DXVEC place = MakeDiscretePoint(10, 5);
    ASSERT_EQ(t.transform->Execute(nullptr, &clip, &place), S_OK);
    ExpectCopiedRect(t.output.Get(), 10, 5, 40, 25, 40, 15);

    // The whole input placed at (90, 95): only a 10 x 5 corner fits.
    TestTransform corner(4);
    ASSERT_EQ(corner.SetupSurfaces(100, 100, 100, 100), S_OK);
    FillWithCoordinates(corner.input.Get());
    corner.effect->copyInput = true;
    DXVEC far = MakeDiscretePoint(90, 95);
    ASSERT_EQ(corner.transform->Execute(nullptr, nullptr, &far), S_OK);
    ASSERT_EQ(corner.effect->bands.size(), 1u);
    EXPECT_EQ(BoundsWidth(corner.effect->bands[0].inputBounds), 10);
    EXPECT_EQ(BoundsHeight(corner.effect->bands[0].inputBounds), 5);
    ExpectCopiedRect(corner.output.Get(), 90, 95, 100, 100, -90, -95);

    // A negative placement drops the input's first rows and columns.
    TestTransform left(1);
    ASSERT_EQ(left.SetupSurfaces(50, 50, 50, 50), S_OK);
    FillWithCoordinates(left.input.Get());
    left.effect->copyInput = true;
    DXVEC before = MakeDiscretePoint(-20, -30);
    ASSERT_EQ(left.transform->Execute(nullptr, nullptr, &before), S_OK);
    ExpectCopiedRect(left.output.Get(), 0, 0, 30, 20, 20, 30);
}

TEST(TransformRegion, SmallerOutputTakesWhatFits) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(200, 100, 60, 30), S_OK);
    FillWithCoordinates(t.input.Get());
    t.effect->copyInput = true;
    ASSERT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ExpectCopiedRect(t.output.Get(), 0, 0, 60, 30, 0, 0);
}

TEST(TransformRegion, NothingToDoGivesSFalseAndLeavesTheOutput) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(100, 100, 100, 100), S_OK);
    FillWithCoordinates(t.input.Get());
    t.effect->copyInput = true;
    DXBNDS missing = MakeDiscreteBounds(200, 200, 300, 300);
    EXPECT_EQ(t.transform->Execute(nullptr, &missing, nullptr), S_FALSE);
    DXVEC away = MakeDiscretePoint(100, 0);
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, &away), S_FALSE);
    DXVEC extreme = MakeDiscretePoint(-0x7FFFFFFF - 1, 0x7FFFFFFF);
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, &extreme), S_FALSE);
    EXPECT_TRUE(t.effect->bands.empty());
    ExpectCopiedRect(t.output.Get(), 0, 0, 0, 0, 0, 0);
    ULONG before = t.effect->GenerationField();
    EXPECT_EQ(t.transform->Execute(nullptr, &missing, nullptr), S_FALSE);
    EXPECT_EQ(t.effect->GenerationField(), before);
}

TEST(TransformRegion, ZeroSizeSurfaces) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(0, 0, 0, 0), S_OK);
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_TRUE(t.effect->bands.empty());

    TestTransform emptyOut(4);
    ASSERT_EQ(emptyOut.SetupSurfaces(64, 64, 0, 10), S_OK);
    EXPECT_EQ(emptyOut.transform->Execute(nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_TRUE(emptyOut.effect->bands.empty());
}

TEST(TransformRegion, ClipAndPlacementMustBeDiscrete) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(10, 10, 10, 10), S_OK);
    DXBNDS clip = MakeDiscreteBounds(0, 0, 5, 5);
    clip.eType = DXBT_CONTINUOUS;
    EXPECT_EQ(t.transform->Execute(nullptr, &clip, nullptr), E_INVALIDARG);
    DXVEC place = MakeDiscretePoint(0, 0);
    place.eType = DXBT_DISCRETE64;
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, &place), E_INVALIDARG);
    EXPECT_TRUE(t.effect->bands.empty());
}

TEST(TransformRegion, WholeFrameRoad) {
    // maxBands 0: the effect executes whole frames itself (the base's answer: E_FAIL);
    // clip and placement only with their capabilities.
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(10, 10, 10, 10), S_OK);
    t.effect->SetMaxBands(0);
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), E_FAIL);
    DXBNDS clip = MakeDiscreteBounds(0, 0, 5, 5);
    EXPECT_EQ(t.transform->Execute(nullptr, &clip, nullptr), E_FAIL);  // 0x02000000 is set
    t.effect->SetMiscFlagsField(0x00030003);  // neither clip nor placement supported
    EXPECT_EQ(t.transform->Execute(nullptr, &clip, nullptr), E_INVALIDARG);
    DXVEC place = MakeDiscretePoint(1, 1);
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, &place), E_INVALIDARG);
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), E_FAIL);
    EXPECT_TRUE(t.effect->bands.empty());
}
