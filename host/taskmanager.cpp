// The worker pool behind IDXTaskManager. The pool's state lives in a shared block that
// every worker holds, so that a manager whose last reference goes away on one of its
// own workers can still end cleanly (that worker is detached instead of joined).
#include "host/taskmanager.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/com/object.h"

namespace {

// One ScheduleTasks call: how many of its tasks have not ended yet.
struct TaskBatch {
    std::mutex mutex;
    std::condition_variable allEnded;
    ULONG remaining = 0;
};

struct QueuedTask {
    DXTMTASKINFO info;
    HANDLE event;
    std::shared_ptr<TaskBatch> batch;
};

struct PoolState {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<QueuedTask> queue;
    bool stopping = false;
    DWORD nextTaskId = 1;
};

void RunTask(QueuedTask& task) {
    BOOL continueProcessing = TRUE;
    try {
        task.info.pfnTaskProc(task.info.pTaskData, &continueProcessing);
    } catch (...) {
        // A throwing task must not take the worker down with it.
    }
    if (task.info.pfnCompletionAPC) {
        try {
            task.info.pfnCompletionAPC(task.info.dwCompletionData);
        } catch (...) {
        }
    }
    if (task.event) SetEvent(task.event);
    std::lock_guard<std::mutex> lock(task.batch->mutex);
    if (--task.batch->remaining == 0) task.batch->allEnded.notify_all();
}

// Runs queued tasks until the pool stops and the queue is empty. The caller wakes one
// worker; a worker that takes a task while more are queued wakes the next. Woken one by
// one from a running thread, each lands on an idle processor; woken all at once by a
// caller about to sleep, two could be queued on one processor and the second band of a
// frame start a millisecond late.
void WorkerLoop(std::shared_ptr<PoolState> state) {
    for (;;) {
        QueuedTask task;
        bool more = false;
        {
            std::unique_lock<std::mutex> lock(state->mutex);
            state->wake.wait(lock, [&] { return state->stopping || !state->queue.empty(); });
            if (state->queue.empty()) return;
            task = std::move(state->queue.front());
            state->queue.pop_front();
            more = !state->queue.empty();
        }
        if (more) state->wake.notify_one();
        RunTask(task);
    }
}

class CTaskManager : public ComObjectRoot, public IDXTaskManager {
public:
    explicit CTaskManager(ULONG threadCount) : m_threadCount(threadCount) {}

    static REFIID PrimaryInterfaceId() { return IID_IDXTaskManager; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_IDXTaskManager) {
            *object = static_cast<IDXTaskManager*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }

    HRESULT FinalConstruct(IUnknown*) {
        try {
            m_state = std::make_shared<PoolState>();
            m_threads.reserve(m_threadCount);
            for (ULONG i = 0; i < m_threadCount; ++i) m_threads.emplace_back(WorkerLoop, m_state);
        } catch (...) {
            StopWorkers();
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    void FinalRelease() { StopWorkers(); }

    HRESULT QueryNumProcessors(ULONG* count) override {
        if (!count) return E_POINTER;
        *count = m_threadCount;
        return S_OK;
    }

    HRESULT ScheduleTasks(DXTMTASKINFO* tasks, HANDLE* events, DWORD* taskIds, ULONG count,
                          ULONG waitPeriod) override {
        if (count == 0) return S_OK;
        if (!tasks) return E_INVALIDARG;
        for (ULONG i = 0; i < count; ++i)
            if (!tasks[i].pfnTaskProc) return E_INVALIDARG;

        auto batch = std::make_shared<TaskBatch>();
        batch->remaining = count;
        {
            std::lock_guard<std::mutex> lock(m_state->mutex);
            for (ULONG i = 0; i < count; ++i) {
                if (taskIds) taskIds[i] = m_state->nextTaskId;
                ++m_state->nextTaskId;
                m_state->queue.push_back(QueuedTask{tasks[i], events ? events[i] : nullptr, batch});
            }
        }
        m_state->wake.notify_one();

        if (waitPeriod == 0) return S_OK;
        std::unique_lock<std::mutex> lock(batch->mutex);
        auto ended = [&] { return batch->remaining == 0; };
        if (waitPeriod == INFINITE) {
            batch->allEnded.wait(lock, ended);
            return S_OK;
        }
        return batch->allEnded.wait_for(lock, std::chrono::milliseconds(waitPeriod), ended)
                   ? S_OK
                   : TASKMANAGER_E_WAITTIMEOUT;
    }

private:
    void StopWorkers() {
        if (m_state) {
            std::lock_guard<std::mutex> lock(m_state->mutex);
            m_state->stopping = true;
        }
        if (m_state) m_state->wake.notify_all();
        for (std::thread& t : m_threads) {
            if (t.get_id() == std::this_thread::get_id())
                t.detach();
            else if (t.joinable())
                t.join();
        }
        m_threads.clear();
    }

    ULONG m_threadCount;
    std::shared_ptr<PoolState> m_state;
    std::vector<std::thread> m_threads;
};

}  // namespace

HRESULT CreateTaskManager(ULONG processorCount, IDXTaskManager** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (processorCount > 64) return E_INVALIDARG;
    if (processorCount == 0) {
        processorCount = std::thread::hardware_concurrency();
        if (processorCount == 0) processorCount = 1;
        if (processorCount > 64) processorCount = 64;
    }
    return CreateComInstance<CTaskManager>(nullptr, IID_IDXTaskManager, reinterpret_cast<void**>(out),
                                           processorCount);
}
