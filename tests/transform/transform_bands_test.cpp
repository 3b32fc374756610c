// Execute's band count and band split, where bands run, concurrency of the bands and
// the result of a frame whose bands fail.
#include <atomic>
#include <set>
#include <stdexcept>

#include "tests/transform/transform_test_effect.h"

namespace {

const GUID kRequest = MakeGuid("0badcafe-1234-5678-9abc-def012345678");

// Asserts that the recorded bands have the given row counts, cover [first, first +
// sum) of the input without gap, and land `shift` rows lower in the output.
void ExpectBandRows(CTestEffect* effect, LONG first, std::vector<LONG> rows, LONG shift) {
    auto bands = effect->SortedBands();
    ASSERT_EQ(bands.size(), rows.size());
    LONG y = first;
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(RowMin(bands[i].inputBounds), y) << "band " << i;
        EXPECT_EQ(RowMax(bands[i].inputBounds) - RowMin(bands[i].inputBounds), rows[i]) << "band " << i;
        EXPECT_EQ(RowMin(bands[i].outputBounds), y - shift) << "band " << i;
        EXPECT_EQ(BoundsHeight(bands[i].outputBounds), rows[i]) << "band " << i;
        EXPECT_EQ(BoundsWidth(bands[i].outputBounds), BoundsWidth(bands[i].inputBounds));
        y += rows[i];
    }
}

}  // namespace

TEST(TransformBands, OneBandPer4096PixelsUpToTheProcessors) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(64, 64, 64, 64), S_OK);
    ASSERT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(t.effect->offeredBandCount, 2u);
    ExpectBandRows(t.effect, 0, {32, 32}, 0);
    for (auto& b : t.effect->bands) EXPECT_NE(b.thread, std::this_thread::get_id());

    // 256 x 256 is 16 bands' worth: four at most.
    TestTransform big(8);
    ASSERT_EQ(big.SetupSurfaces(256, 256, 256, 256), S_OK);
    ASSERT_EQ(big.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ExpectBandRows(big.effect, 0, {64, 64, 64, 64}, 0);

    // One processor: one band on the calling thread, however large the frame.
    TestTransform single(1);
    ASSERT_EQ(single.SetupSurfaces(256, 256, 256, 256), S_OK);
    ASSERT_EQ(single.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(single.effect->bands.size(), 1u);
    EXPECT_EQ(single.effect->bands[0].thread, std::this_thread::get_id());
}

TEST(TransformBands, SingleBandRunsOnTheCallerUnlessARequestIdIsGiven) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(63, 64, 63, 64), S_OK);
    ASSERT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(t.effect->bands.size(), 1u);
    EXPECT_EQ(t.effect->bands[0].thread, std::this_thread::get_id());
    EXPECT_EQ(BoundsHeight(t.effect->bands[0].inputBounds), 64);

    t.effect->bands.clear();
    ASSERT_EQ(t.transform->Execute(&kRequest, nullptr, nullptr), S_OK);
    ASSERT_EQ(t.effect->bands.size(), 1u);
    EXPECT_NE(t.effect->bands[0].thread, std::this_thread::get_id());
    EXPECT_FALSE(t.effect->sawStopFlag);
    EXPECT_FALSE(t.effect->sawForeignTransform);
}

TEST(TransformBands, TenRowsInThreeBands) {
    // 1000 x 10 = 10000 pixels: (10000 >> 12) + 1 = 3 bands.
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(1000, 10, 1000, 10), S_OK);
    ASSERT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ExpectBandRows(t.effect, 0, {3, 3, 4}, 0);
}

TEST(TransformBands, SplitIsRelativeToTheFirstRow) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(1000, 30, 1000, 30), S_OK);
    DXBNDS clip = MakeDiscreteBounds(0, 5, 1000, 15);
    ASSERT_EQ(t.transform->Execute(nullptr, &clip, nullptr), S_OK);
    ExpectBandRows(t.effect, 5, {3, 3, 4}, 5);  // lands at the output's row 0
}

TEST(TransformBands, LastBandTakesEveryRemainingRow) {
    // 2000 x 8 with 3 processors: 3 bands of 8 / 3 = 2 rows; the last takes rows 4..7.
    TestTransform t(3);
    ASSERT_EQ(t.SetupSurfaces(2000, 8, 2000, 8), S_OK);
    t.effect->copyInput = true;
    BYTE* in = nullptr;
    LONG pitch = 0;
    GetSurfaceMemory(t.input.Get(), &in, &pitch);
    std::memset(in, 0xAB, size_t(pitch) * 8);
    ASSERT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ExpectBandRows(t.effect, 0, {2, 2, 4}, 0);
    BYTE* out = nullptr;
    GetSurfaceMemory(t.output.Get(), &out, &pitch);
    for (size_t i = 0; i < size_t(pitch) * 8; ++i) ASSERT_EQ(out[i], 0xAB) << "byte " << i;  // every row rendered
}

TEST(TransformBands, NeverMoreBandsThanRows) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(5000, 2, 5000, 2), S_OK);  // 3 bands' worth, 2 rows
    ASSERT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ExpectBandRows(t.effect, 0, {1, 1}, 0);

    TestTransform oneRow(4);
    ASSERT_EQ(oneRow.SetupSurfaces(20000, 1, 20000, 1), S_OK);
    ASSERT_EQ(oneRow.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(oneRow.effect->bands.size(), 1u);
    EXPECT_EQ(oneRow.effect->bands[0].thread, std::this_thread::get_id());

    // A hook asking for more bands than rows (or none) is kept within 1..rows.
    TestTransform hooked(4);
    ASSERT_EQ(hooked.SetupSurfaces(10, 3, 10, 3), S_OK);
    hooked.effect->forcedBandCount = 9;
    ASSERT_EQ(hooked.transform->Execute(&kRequest, nullptr, nullptr), S_OK);
    ExpectBandRows(hooked.effect, 0, {1, 1, 1}, 0);
}

TEST(TransformBandsConcurrency, BandsOfOneFrameRunTogether) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(128, 128, 128, 128), S_OK);
    t.effect->meetingParties = 4;  // every band waits until all four arrived
    ASSERT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ExpectBandRows(t.effect, 0, {32, 32, 32, 32}, 0);
    std::set<std::thread::id> threads;
    for (auto& b : t.effect->bands) threads.insert(b.thread);
    EXPECT_EQ(threads.size(), 4u);
}

TEST(TransformBandsConcurrency, RepeatedFramesFromSeveralHostThreads) {
    // Two effect objects sharing one site (one pool of four workers), each executed by
    // its own host thread many times.
    TestTransform a(4), b(4);
    ASSERT_EQ(b.effect->SetSite(a.hostSite.Get()), S_OK);
    ASSERT_EQ(a.SetupSurfaces(100, 100, 100, 100), S_OK);
    ASSERT_EQ(b.SetupSurfaces(100, 100, 100, 100), S_OK);
    a.effect->copyInput = b.effect->copyInput = true;
    std::atomic<int> failures{0};
    auto run = [&](TestTransform& t) {
        for (int i = 0; i < 40; ++i)
            if (t.transform->Execute(nullptr, nullptr, nullptr) != S_OK) ++failures;
    };
    std::thread ta(run, std::ref(a)), tb(run, std::ref(b));
    ta.join();
    tb.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(a.effect->bands.size(), 40u * 3);
}

TEST(TransformBands, FirstFailingBandInBandOrder) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(128, 128, 128, 128), S_OK);
    // Bands start at rows 0, 32, 64, 96: bands 1 and 3 fail, band 3 usually first in time.
    t.effect->bandResult = [](const BandWorkInfo& w) -> HRESULT {
        LONG row = RowMin(w.inputBounds);
        if (row == 32) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return E_OUTOFMEMORY;
        }
        if (row == 96) return E_INVALIDARG;
        return S_OK;
    };
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), E_OUTOFMEMORY);
    EXPECT_EQ(t.effect->bands.size(), 4u);  // every band ran

    // A band's S_FALSE before a failing band does not hide the failure.
    t.effect->bandResult = [](const BandWorkInfo& w) -> HRESULT {
        LONG row = RowMin(w.inputBounds);
        return row == 0 ? S_FALSE : row == 64 ? E_FAIL : S_OK;
    };
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), E_FAIL);
    t.effect->bandResult = [](const BandWorkInfo& w) -> HRESULT { return RowMin(w.inputBounds) == 64 ? S_FALSE : S_OK; };
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_FALSE);

    // The single band's own result, on the caller's thread.
    TestTransform one(1);
    ASSERT_EQ(one.SetupSurfaces(8, 8, 8, 8), S_OK);
    one.effect->bandResult = [](const BandWorkInfo&) -> HRESULT { return E_ACCESSDENIED; };
    EXPECT_EQ(one.transform->Execute(nullptr, nullptr, nullptr), E_ACCESSDENIED);
    // A throwing frame routine becomes a failure, not a crash.
    one.effect->bandResult = [](const BandWorkInfo&) -> HRESULT { throw std::runtime_error("band"); };
    EXPECT_EQ(one.transform->Execute(nullptr, nullptr, nullptr), E_FAIL);
    one.effect->bandResult = [](const BandWorkInfo&) -> HRESULT { throw std::bad_alloc(); };
    EXPECT_EQ(one.transform->Execute(&kRequest, nullptr, nullptr), E_OUTOFMEMORY);
}
