// The worker-pool task manager: the tasks of one call really run at the same time on
// its few workers, each task's event is set and completion routine run, the waiting
// rules, and bad tasks refused before any runs.
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

std::atomic<int> g_completions{0};
void CountCompletion(DWORD data) { g_completions += int(data); }
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
    EXPECT_EQ(manager->QueryNumProcessors(nullptr), E_POINTER);
    MakeManager(0)->QueryNumProcessors(&n);
    EXPECT_EQ(n, std::max(1u, std::min(std::thread::hardware_concurrency(), 64u)));
}

TEST(HostTaskManager, SignalsEventsRunsCompletionsAndWaitsAsAsked) {
    auto manager = MakeManager(2);
    HANDLE events[3];
    for (HANDLE& e : events) ASSERT_NE(e = CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr);
    DXTMTASKINFO tasks[3];
    for (int i = 0; i < 3; ++i) tasks[i] = DXTMTASKINFO{&NoWork, nullptr, &CountCompletion, DWORD(1 << i), nullptr};
    DWORD ids[3] = {}, more[3] = {};
    g_completions = 0;
    ASSERT_EQ(manager->ScheduleTasks(tasks, events, ids, 3, INFINITE), S_OK);
    for (HANDLE e : events) EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(g_completions.load(), 7);
    ASSERT_EQ(manager->ScheduleTasks(tasks, nullptr, more, 3, INFINITE), S_OK);
    EXPECT_EQ(std::set<DWORD>({ids[0], ids[1], ids[2], more[0], more[1], more[2]}).size(), 6u);

    // A zero period returns at once, a short one with the timeout code; the event tells
    // when the held task ended.
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

    g_completions = 0;
    DXTMTASKINFO bad[2] = {{&NoWork, nullptr, &CountCompletion, 1, nullptr}, {nullptr, nullptr, nullptr, 0, nullptr}};
    EXPECT_EQ(manager->ScheduleTasks(bad, nullptr, nullptr, 2, INFINITE), E_INVALIDARG);
    EXPECT_EQ(manager->ScheduleTasks(nullptr, nullptr, nullptr, 1, INFINITE), E_INVALIDARG);
    EXPECT_EQ(manager->ScheduleTasks(nullptr, nullptr, nullptr, 0, INFINITE), S_OK);
    EXPECT_EQ(g_completions.load(), 0);
    ComPtr<IDXTaskManager> m;
    EXPECT_EQ(CreateTaskManager(65, m.ReleaseAndGetAddressOf()), E_INVALIDARG);
    EXPECT_EQ(CreateTaskManager(1, nullptr), E_POINTER);
}

}  // namespace
