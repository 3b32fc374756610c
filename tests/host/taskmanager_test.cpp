// The worker-pool task manager: the tasks of one call really run at the same time on
// its few workers, each task's event is set, and the waiting rules.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "host/taskmanager.h"

namespace {

ComPtr<IDXTaskManager> MakeManager(ULONG processors) {
    ComPtr<IDXTaskManager> m;
    EXPECT_EQ(CreateTaskManager(processors, m.ReleaseAndGetAddressOf()), S_OK);
    return m;
}

// Tasks that wait until `parties` of them arrived or the gate opens (bounded, so that a
// pool running the tasks one after another fails the test instead of hanging it).
struct Meeting {
    std::mutex mutex;
    std::condition_variable changed;
    int parties = 0, arrived = 0;
    bool open = false;
    std::set<std::thread::id> threads;
    std::atomic<int> met{0};
    static void Task(void* data, BOOL* keepGoing) {
        auto* m = static_cast<Meeting*>(data);
        std::unique_lock<std::mutex> lock(m->mutex);
        m->threads.insert(std::this_thread::get_id());
        if (++m->arrived == m->parties) m->changed.notify_all();
        m->met += m->changed.wait_for(lock, std::chrono::seconds(20), [&] { return m->arrived >= m->parties || m->open; }) &&
                  *keepGoing;
    }
    void Open() {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
};

void NoWork(void*, BOOL*) {}

TEST(HostTaskManager, TasksOfOneCallRunTogetherOnTheSameFewWorkers) {
    auto manager = MakeManager(4);
    Meeting meeting;
    meeting.parties = 4;
    DXTMTASKINFO tasks[4];
    for (auto& t : tasks) t = DXTMTASKINFO{&Meeting::Task, &meeting, nullptr, 0, nullptr};
    for (int round = 0; round < 20; ++round) {
        meeting.arrived = 0;
        ASSERT_EQ(manager->ScheduleTasks(tasks, nullptr, nullptr, 4, INFINITE), S_OK);
    }
    EXPECT_EQ(meeting.met, 80);
    EXPECT_EQ(meeting.threads.size(), 4u);  // always the same four, never the caller
    EXPECT_EQ(meeting.threads.count(std::this_thread::get_id()), 0u);
    ULONG n = 0;
    ASSERT_EQ(manager->QueryNumProcessors(&n), S_OK);
    EXPECT_EQ(n, 4u);
    MakeManager(0)->QueryNumProcessors(&n);
    EXPECT_EQ(n, std::max(1u, std::min(std::thread::hardware_concurrency(), 64u)));
}

// As the transform base schedules its bands: each task's event is set when it ends; a
// zero period returns at once, a short one with the timeout code.
TEST(HostTaskManager, SignalsEachTasksEventAndWaitsAsAsked) {
    auto manager = MakeManager(2);
    HANDLE events[3];
    for (HANDLE& e : events) ASSERT_NE(e = CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr);
    DXTMTASKINFO tasks[3];
    for (auto& t : tasks) t = DXTMTASKINFO{&NoWork, nullptr, nullptr, 0, nullptr};
    ASSERT_EQ(manager->ScheduleTasks(tasks, events, nullptr, 3, INFINITE), S_OK);
    for (HANDLE e : events) EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    for (DWORD period : {0u, 20u}) {
        Meeting held;
        held.parties = 2;  // never all there: the task waits for the gate
        ResetEvent(events[0]);
        DXTMTASKINFO task{&Meeting::Task, &held, nullptr, 0, nullptr};
        EXPECT_EQ(manager->ScheduleTasks(&task, events, nullptr, 1, period), period ? TASKMANAGER_E_WAITTIMEOUT : S_OK);
        EXPECT_EQ(WaitForSingleObject(events[0], 0), WAIT_TIMEOUT);
        held.Open();
        EXPECT_EQ(WaitForSingleObject(events[0], INFINITE), WAIT_OBJECT_0);
    }
    for (HANDLE e : events) CloseHandle(e);
}

}  // namespace
