// Events across threads: manual and auto reset, waiting for any or all, timeouts, and
// handles that were closed or never existed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/com/synch.h"

namespace {

// Closes on scope exit.
struct Event {
    explicit Event(BOOL manual, BOOL initial = FALSE, const char* name = nullptr)
        : h(CreateEventA(nullptr, manual, initial, name)) {}
    ~Event() { CloseHandle(h); }
    HANDLE h;
};

TEST(Events, ManualResetStaysSignalledUntilReset) {
    Event e(TRUE);
    ASSERT_NE(e.h, nullptr);
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_TIMEOUT);
    ASSERT_TRUE(SetEvent(e.h));
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e.h, INFINITE), WAIT_OBJECT_0);
    ASSERT_TRUE(ResetEvent(e.h));
    EXPECT_EQ(WaitForSingleObject(e.h, 10), WAIT_TIMEOUT);
    Event initiallySet(TRUE, TRUE);
    EXPECT_EQ(WaitForSingleObject(initiallySet.h, 0), WAIT_OBJECT_0);
}

TEST(Events, AutoResetIsConsumedByTheWaitItSatisfies) {
    Event e(FALSE, TRUE);
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_TIMEOUT);
    // Setting twice before anyone waits still releases one wait.
    SetEvent(e.h);
    SetEvent(e.h);
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_TIMEOUT);
}

TEST(Events, AutoResetReleasesOneWaiterPerSet) {
    Event e(FALSE);
    Event released(FALSE);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            EXPECT_EQ(WaitForSingleObject(e.h, INFINITE), WAIT_OBJECT_0);
            ++woken;
            SetEvent(released.h);
        });
    }
    for (int i = 0; i < 3; ++i) {
        SetEvent(e.h);
        ASSERT_EQ(WaitForSingleObject(released.h, INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(woken, i + 1);
    }
    for (auto& t : waiters) t.join();
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_TIMEOUT);
}

TEST(Events, WaitForAnyReportsTheFirstSignalledAndConsumesOnlyIt) {
    Event a(FALSE), b(FALSE), c(TRUE);
    HANDLE handles[] = {a.h, b.h, c.h};
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(b.h);
    SetEvent(c.h);
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, 0), WAIT_OBJECT_0 + 2);  // b consumed, c manual
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, 0), WAIT_OBJECT_0 + 2);
}

TEST(Events, WaitForAllConsumesNothingUntilEveryEventIsSet) {
    Event a(FALSE), b(FALSE);
    HANDLE handles[] = {a.h, b.h};
    SetEvent(a.h);
    EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 5), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(a.h, 0), WAIT_OBJECT_0);  // still set after the failed wait
    SetEvent(a.h);
    SetEvent(b.h);
    EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(a.h, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(b.h, 0), WAIT_TIMEOUT);
}

TEST(Events, WaitForAllReturnsOnceWorkersOnOtherThreadsSignalEach) {
    constexpr int kBands = 4;
    std::vector<HANDLE> done;
    for (int i = 0; i < kBands; ++i) done.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < kBands; ++i) {
        workers.emplace_back([&, i] {
            ++finished;
            SetEvent(done[i]);
        });
    }
    EXPECT_EQ(WaitForMultipleObjects(kBands, done.data(), TRUE, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(finished, kBands);
    for (auto& t : workers) t.join();
    for (HANDLE h : done) EXPECT_TRUE(CloseHandle(h));
}

TEST(Events, PingPongBetweenTwoThreadsLosesNoSignal) {
    Event ping(FALSE), pong(FALSE);
    constexpr int kRounds = 5000;
    std::thread partner([&] {
        for (int i = 0; i < kRounds; ++i) {
            ASSERT_EQ(WaitForSingleObject(ping.h, INFINITE), WAIT_OBJECT_0);
            SetEvent(pong.h);
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        SetEvent(ping.h);
        ASSERT_EQ(WaitForSingleObject(pong.h, INFINITE), WAIT_OBJECT_0);
    }
    partner.join();
}

TEST(Events, NamedEventsShareOneObject) {
    Event first(TRUE, FALSE, "quillet-test-shared");
    Event second(FALSE, TRUE, "quillet-test-shared");  // opens the first: its settings stay
    EXPECT_NE(first.h, second.h);
    EXPECT_EQ(WaitForSingleObject(first.h, 0), WAIT_TIMEOUT);
    std::thread waiter([&] { EXPECT_EQ(WaitForSingleObject(first.h, INFINITE), WAIT_OBJECT_0); });
    SetEvent(second.h);
    waiter.join();
    EXPECT_EQ(WaitForSingleObject(second.h, 0), WAIT_OBJECT_0);  // manual reset, as first made it
}

TEST(Events, RefuseClosedAndMadeUpHandles) {
    HANDLE h = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_FALSE(SetEvent(h));
    EXPECT_FALSE(ResetEvent(h));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
    HANDLE madeUp = reinterpret_cast<HANDLE>(0xDEAD0);
    EXPECT_EQ(WaitForSingleObject(madeUp, INFINITE), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(nullptr));

    Event e(TRUE);
    HANDLE mixed[] = {e.h, h};
    EXPECT_EQ(WaitForMultipleObjects(2, mixed, FALSE, INFINITE), WAIT_FAILED);
    HANDLE twice[] = {e.h, e.h};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, mixed, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(65, mixed, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(1, nullptr, FALSE, 0), WAIT_FAILED);
    // A new event never takes over an old handle's number.
    HANDLE fresh = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(fresh, h);
    CloseHandle(fresh);
}

}  // namespace
