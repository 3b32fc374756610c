// Execute's band count and band split, where bands run, concurrency of the bands and
// the result of a frame whose bands fail.
#include <atomic>
#include <functional>
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

// One band per 4096 pixels (rounded up), at most one per processor and one per row,
// split relative to the first row with the last band taking every remaining row.
TEST(TransformBands, SplitsTheFrameByPixelsProcessorsAndRows) {
    const struct {
        LONG width, height;
        ULONG processors;
        LONG top, bottom;  // the rows asked for
        std::vector<LONG> rows;
    } cases[] = {{64, 64, 4, 0, 64, {32, 32}},
                 {256, 256, 8, 0, 256, {64, 64, 64, 64}},  // 16 bands' worth: four at most
                 {1000, 10, 4, 0, 10, {3, 3, 4}},          // (10000 >> 12) + 1 = 3 bands
                 {1000, 30, 4, 5, 15, {3, 3, 4}},          // lands at the output's row 0
                 {2000, 8, 3, 0, 8, {2, 2, 4}},
                 {5000, 2, 4, 0, 2, {1, 1}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " rows " << c.top << ".." << c.bottom);
        TestTransform t(c.processors);
        ASSERT_EQ(t.SetupSurfaces(c.width, c.height, c.width, c.height), S_OK);
        t.effect->copyInput = true;
        BYTE* in = nullptr;
        LONG pitch = 0;
        GetSurfaceMemory(t.input.Get(), &in, &pitch);
        std::memset(in, 0xAB, size_t(pitch) * c.height);
        const DXBNDS clip = MakeDiscreteBounds(0, c.top, c.width, c.bottom);
        ASSERT_EQ(t.transform->Execute(nullptr, c.top == 0 ? nullptr : &clip, nullptr), S_OK);
        ExpectBandRows(t.effect, c.top, c.rows, c.top);
        for (auto& b : t.effect->bands) EXPECT_NE(b.thread, std::this_thread::get_id());
        BYTE* out = nullptr;
        GetSurfaceMemory(t.output.Get(), &out, &pitch);
        const LONG rows = c.bottom - c.top;
        for (size_t i = 0; i < size_t(pitch) * rows; ++i) ASSERT_EQ(out[i], 0xAB) << "byte " << i;  // every row
    }

    // A hook asking for more bands than rows (or none) is kept within 1..rows.
    TestTransform hooked(4);
    ASSERT_EQ(hooked.SetupSurfaces(10, 3, 10, 3), S_OK);
    hooked.effect->forcedBandCount = 9;
    ASSERT_EQ(hooked.transform->Execute(&kRequest, nullptr, nullptr), S_OK);
    ExpectBandRows(hooked.effect, 0, {1, 1, 1}, 0);
}

// One band runs on the calling thread (one processor, one row, or too few pixels)
// unless a request id is given.
TEST(TransformBands, ASingleBandRunsOnTheCallerUnlessARequestIdIsGiven) {
    const struct {
        LONG width, height;
        ULONG processors;
        const GUID* request;
    } cases[] = {{256, 256, 1, nullptr}, {20000, 1, 4, nullptr}, {63, 64, 4, nullptr}, {63, 64, 4, &kRequest}};
    for (const auto& c : cases) {
        TestTransform t(c.processors);
        ASSERT_EQ(t.SetupSurfaces(c.width, c.height, c.width, c.height), S_OK);
        ASSERT_EQ(t.transform->Execute(c.request, nullptr, nullptr), S_OK);
        ASSERT_EQ(t.effect->bands.size(), 1u);
        EXPECT_EQ(t.effect->bands[0].thread == std::this_thread::get_id(), c.request == nullptr);
        EXPECT_EQ(BoundsHeight(t.effect->bands[0].inputBounds), c.height);
        EXPECT_FALSE(t.effect->sawStopFlag || t.effect->sawForeignTransform);
    }
}

// The bands of one frame run together (each waits until all four arrived); two effects
// sharing one site's pool, executed by host threads of their own, never fail.
TEST(TransformBandsConcurrency, BandsOfOneFrameRunTogetherAndFramesFromSeveralHostThreads) {
    TestTransform a(4), b(4);
    ASSERT_EQ(a.SetupSurfaces(128, 128, 128, 128), S_OK);
    a.effect->meetingParties = 4;
    ASSERT_EQ(a.transform->Execute(nullptr, nullptr, nullptr), S_OK);
    ExpectBandRows(a.effect, 0, {32, 32, 32, 32}, 0);
    std::set<std::thread::id> threads;
    for (auto& band : a.effect->bands) threads.insert(band.thread);
    EXPECT_EQ(threads.size(), 4u);

    a.effect->meetingParties = 0;
    a.effect->bands.clear();
    ASSERT_EQ(b.effect->SetSite(a.hostSite.Get()), S_OK);
    ASSERT_EQ(a.SetupSurfaces(100, 100, 100, 100), S_OK);
    ASSERT_EQ(b.SetupSurfaces(100, 100, 100, 100), S_OK);
    a.effect->copyInput = b.effect->copyInput = true;
    std::atomic<int> failures{0};
    auto run = [&](TestTransform& t) {
        for (int i = 0; i < 40; ++i) failures += t.transform->Execute(nullptr, nullptr, nullptr) != S_OK;
    };
    std::thread ta(run, std::ref(a)), tb(run, std::ref(b));
    ta.join();
    tb.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(a.effect->bands.size(), 40u * 3);
}

// A frame answers its first failing band in band order (every band still runs), a
// band's S_FALSE unless one failed, and a throwing frame routine as a failure.
TEST(TransformBands, FirstFailingBandInBandOrder) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(128, 128, 128, 128), S_OK);
    TestTransform one(1);
    ASSERT_EQ(one.SetupSurfaces(8, 8, 8, 8), S_OK);
    using Band = std::function<HRESULT(LONG row)>;
    const struct {
        TestTransform& t;
        Band band;
        HRESULT expected;
        const GUID* request = nullptr;
    } cases[] = {
        // Bands start at rows 0, 32, 64, 96: band 3 usually fails first in time.
        {t, [](LONG row) { return row == 32 ? (std::this_thread::sleep_for(std::chrono::milliseconds(20)), E_OUTOFMEMORY)
                                 : row == 96 ? E_INVALIDARG : S_OK; }, E_OUTOFMEMORY},
        {t, [](LONG row) { return row == 0 ? S_FALSE : row == 64 ? E_FAIL : S_OK; }, E_FAIL},
        {t, [](LONG row) { return row == 64 ? S_FALSE : S_OK; }, S_FALSE},
        {one, [](LONG) { return E_ACCESSDENIED; }, E_ACCESSDENIED},
        {one, [](LONG) -> HRESULT { throw std::runtime_error("band"); }, E_FAIL},
        {one, [](LONG) -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY, &kRequest},
    };
    for (const auto& c : cases) {
        c.t.effect->bands.clear();
        c.t.effect->bandResult = [&c](const BandWorkInfo& w) { return c.band(RowMin(w.inputBounds)); };
        EXPECT_EQ(c.t.transform->Execute(c.request, nullptr, nullptr), c.expected) << &c - cases;
        EXPECT_EQ(c.t.effect->bands.size(), &c.t == &t ? 4u : 1u);
    }
}
