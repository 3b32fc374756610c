// Events as the transform base uses them: one manual-reset event per band, reset before
// the bands start, set by workers on other threads, waited for all at once; and
// handles that were closed or never existed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/com/synch.h"

namespace {

TEST(Events, ManualResetStaysSignalledUntilReset) {
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    ASSERT_TRUE(SetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, INFINITE), WAIT_OBJECT_0);
    ASSERT_TRUE(ResetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 10), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(e));
    HANDLE initiallySet = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(initiallySet, 0), WAIT_OBJECT_0);
    CloseHandle(initiallySet);
}

TEST(Events, WaitForAllReturnsOnlyOnceEveryWorkerOfTheRoundHasSignalled) {
    constexpr int kBands = 4, kRounds = 300;
    std::vector<HANDLE> done;
    for (int i = 0; i < kBands; ++i) done.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    for (int round = 0; round < kRounds; ++round) {
        for (HANDLE h : done) ResetEvent(h);
        std::atomic<int> finished{0};
        std::vector<std::thread> workers;
        for (int i = 0; i < kBands; ++i) {
            workers.emplace_back([&, i] {
                ++finished;
                SetEvent(done[i]);
            });
        }
        ASSERT_EQ(WaitForMultipleObjects(kBands, done.data(), TRUE, INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(finished, kBands);
        for (auto& t : workers) t.join();
    }
    for (HANDLE h : done) ResetEvent(h);
    SetEvent(done[0]);
    EXPECT_EQ(WaitForMultipleObjects(kBands, done.data(), TRUE, 5), WAIT_TIMEOUT);  // one is not all
    for (HANDLE h : done) EXPECT_TRUE(CloseHandle(h));
}

TEST(Events, RefuseClosedAndMadeUpHandles) {
    HANDLE h = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_FALSE(SetEvent(h));
    EXPECT_FALSE(ResetEvent(h));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0xDEAD0), INFINITE), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(nullptr));

    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE mixed[] = {e, h};
    EXPECT_EQ(WaitForMultipleObjects(2, mixed, TRUE, INFINITE), WAIT_FAILED);
    HANDLE twice[] = {e, e};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, mixed, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(65, mixed, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(1, nullptr, TRUE, 0), WAIT_FAILED);
    EXPECT_NE(e, h);  // a new event never takes over an old handle's number
    CloseHandle(e);
}

}  // namespace
