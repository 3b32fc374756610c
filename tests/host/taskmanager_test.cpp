// The worker-pool task manager: tasks really run at the same time, events are set,
// completion routines run, waiting rules, and the workers are created once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "host/taskmanager.h"

namespace {

ComPtr<IDXTaskManager> MakeManager(ULONG processors) {
    ComPtr<IDXTaskManager> m;
    EXPECT_EQ(CreateTaskManager(processors, m.ReleaseAndGetAddressOf()), S_OK);
    return m;
}

// A meeting point that reports whether every party arrived (bounded so that a pool
// running the tasks one after another fails the test instead of hanging it).
class Meeting {
public:
    explicit Meeting(int parties) : m_parties(parties) {}
    bool ArriveAndWait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (++m_arrived == m_parties) m_all.notify_all();
        return m_all.wait_for(lock, std::chrono::seconds(20), [&] { return m_arrived >= m_parties; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_all;
    int m_parties;
    int m_arrived = 0;
};

struct MeetingTask {
    Meeting* meeting;
    std::atomic<bool> allMet{false};
    std::thread::id thread;
};

void MeetTask(void* data, BOOL* keepGoing) {
    auto* t = static_cast<MeetingTask*>(data);
    t->thread = std::this_thread::get_id();
    t->allMet = t->meeting->ArriveAndWait() && *keepGoing;
}

struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    void Open() {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        opened.notify_all();
    }
};

void WaitAtGate(void* data, BOOL*) {
    auto* g = static_cast<Gate*>(data);
    std::unique_lock<std::mutex> lock(g->mutex);
    g->opened.wait(lock, [&] { return g->open; });
}

std::atomic<int> g_completions{0};
void CountCompletion(DWORD data) { g_completions += int(data); }
void NoWork(void*, BOOL*) {}

}  // namespace

TEST(HostTaskManagerConcurrency, TasksOfOneCallRunAtTheSameTime) {
    auto manager = MakeManager(4);
    Meeting meeting(4);
    MeetingTask data[4];
    DXTMTASKINFO tasks[4];
    for (int i = 0; i < 4; ++i) {
        data[i].meeting = &meeting;
        tasks[i] = DXTMTASKINFO{&MeetTask, &data[i], nullptr, 0, nullptr};
    }
    ASSERT_EQ(manager->ScheduleTasks(tasks, nullptr, nullptr, 4, INFINITE), S_OK);
    std::set<std::thread::id> threads;
    for (auto& d : data) {
        EXPECT_TRUE(d.allMet);
        threads.insert(d.thread);
    }
    EXPECT_EQ(threads.size(), 4u);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

TEST(HostTaskManager, SignalsEachTaskEventAndRunsCompletions) {
    auto manager = MakeManager(2);
    HANDLE events[3];
    for (HANDLE& e : events) {
        e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(e, nullptr);
    }
    DXTMTASKINFO tasks[3];
    for (int i = 0; i < 3; ++i) tasks[i] = DXTMTASKINFO{&NoWork, nullptr, &CountCompletion, DWORD(1 << i), nullptr};
    DWORD ids[3] = {};
    g_completions = 0;
    ASSERT_EQ(manager->ScheduleTasks(tasks, events, ids, 3, INFINITE), S_OK);
    for (HANDLE e : events) EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(g_completions.load(), 7);
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_NE(ids[1], ids[2]);
    DWORD more[3] = {};
    ASSERT_EQ(manager->ScheduleTasks(tasks, nullptr, more, 3, INFINITE), S_OK);
    EXPECT_NE(more[0], ids[0]);
    for (HANDLE e : events) CloseHandle(e);
}

TEST(HostTaskManager, WaitPeriodsZeroAndTimedOut) {
    auto manager = MakeManager(2);
    Gate gate;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DXTMTASKINFO task{&WaitAtGate, &gate, nullptr, 0, nullptr};
    // Zero: the call returns at once; the event tells when the task ended.
    ASSERT_EQ(manager->ScheduleTasks(&task, &event, nullptr, 1, 0), S_OK);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    gate.Open();
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);

    // A short period while the task is held: the timeout code, and the task still ends.
    Gate held;
    ResetEvent(event);
    DXTMTASKINFO heldTask{&WaitAtGate, &held, nullptr, 0, nullptr};
    EXPECT_EQ(manager->ScheduleTasks(&heldTask, &event, nullptr, 1, 20), TASKMANAGER_E_WAITTIMEOUT);
    held.Open();
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    CloseHandle(event);
}

TEST(HostTaskManager, RefusesBadTasksBeforeRunningAny) {
    auto manager = MakeManager(2);
    g_completions = 0;
    DXTMTASKINFO tasks[2] = {{&NoWork, nullptr, &CountCompletion, 1, nullptr}, {nullptr, nullptr, nullptr, 0, nullptr}};
    EXPECT_EQ(manager->ScheduleTasks(tasks, nullptr, nullptr, 2, INFINITE), E_INVALIDARG);
    EXPECT_EQ(manager->ScheduleTasks(nullptr, nullptr, nullptr, 1, INFINITE), E_INVALIDARG);
    EXPECT_EQ(manager->ScheduleTasks(nullptr, nullptr, nullptr, 0, INFINITE), S_OK);
    EXPECT_EQ(g_completions.load(), 0);
    ComPtr<IDXTaskManager> m;
    EXPECT_EQ(CreateTaskManager(65, m.ReleaseAndGetAddressOf()), E_INVALIDARG);
    EXPECT_EQ(CreateTaskManager(1, nullptr), E_POINTER);
}

TEST(HostTaskManager, ReportsProcessorsAndKeepsItsWorkers) {
    auto four = MakeManager(4);
    ULONG n = 0;
    ASSERT_EQ(four->QueryNumProcessors(&n), S_OK);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(four->QueryNumProcessors(nullptr), E_POINTER);
    auto machine = MakeManager(0);
    machine->QueryNumProcessors(&n);
    unsigned hw = std::thread::hardware_concurrency();
    EXPECT_EQ(n, hw == 0 ? 1u : std::min(hw, 64u));

    // Many calls, always the same few worker threads.
    std::set<std::thread::id> seen;
    std::mutex mutex;
    struct Probe {
        std::set<std::thread::id>* seen;
        std::mutex* mutex;
    } probe{&seen, &mutex};
    auto record = [](void* data, BOOL*) {
        auto* p = static_cast<Probe*>(data);
        std::lock_guard<std::mutex> lock(*p->mutex);
        p->seen->insert(std::this_thread::get_id());
    };
    for (int round = 0; round < 50; ++round) {
        DXTMTASKINFO tasks[4];
        for (auto& t : tasks) t = DXTMTASKINFO{record, &probe, nullptr, 0, nullptr};
        ASSERT_EQ(four->ScheduleTasks(tasks, nullptr, nullptr, 4, INFINITE), S_OK);
    }
    EXPECT_LE(seen.size(), 4u);
}
