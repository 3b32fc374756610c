// Message queues, one per thread, made when a thread first needs one (creating a
// window, peeking, getting, sending). Any thread may post; only the owner reads.
//
// Posting takes one short lock and never waits for the receiver. A queue holds at most
// kMaximumPosted messages (posting beyond that fails, as on the platform), so a thread
// that stops reading cannot make its queue grow without bound.
//
// WM_QUIT is a flag rather than a queued message: it is returned once no other posted
// message is waiting, whatever the filter. Messages sent from another thread are
// delivered by the owner inside its PeekMessage / GetMessage calls, before posted
// ones; the sender waits, answering messages sent to its own thread meanwhile, so two
// threads sending to each other do not deadlock.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/ui/display.h"
#include "platform/ui/message_queue.h"
#include "platform/ui/window_table.h"

namespace {

constexpr size_t kMaximumPosted = 10000;
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

struct MessageQueue;

struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<MessageQueue> replyTo;  // its mutex guards done and result
    bool done = false;
    LRESULT result = 0;
};

struct MessageQueue {
    explicit MessageQueue(DWORD thread) : thread(thread) {}
    const DWORD thread;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quitPosted = false;
    int quitCode = 0;
    bool closed = false;
};

struct QueueTable {
    std::mutex mutex;
    std::map<DWORD, std::shared_ptr<MessageQueue>> queues;
};

// Never destroyed: threads end (and close their queues) during process exit.
QueueTable& Queues() {
    static auto* table = new QueueTable;
    return *table;
}

DWORD MessageTime() {
    static const auto start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

std::shared_ptr<MessageQueue> FindQueue(DWORD thread) {
    auto& table = Queues();
    std::lock_guard lock(table.mutex);
    auto it = table.queues.find(thread);
    return it == table.queues.end() ? nullptr : it->second;
}

void Complete(SentMessage& sent, LRESULT result) {
    std::lock_guard lock(sent.replyTo->mutex);
    sent.done = true;
    sent.result = result;
    sent.replyTo->wake.notify_all();
}

// Closes the thread's queue when the thread ends: pending senders get 0, the thread's
// windows are forgotten.
class QueueOwner {
public:
    explicit QueueOwner(std::shared_ptr<MessageQueue> queue) : m_queue(std::move(queue)) {}
    ~QueueOwner() {
        {
            auto& table = Queues();
            std::lock_guard lock(table.mutex);
            table.queues.erase(m_queue->thread);
        }
        std::deque<std::shared_ptr<SentMessage>> pending;
        {
            std::lock_guard lock(m_queue->mutex);
            m_queue->closed = true;
            pending.swap(m_queue->sent);
            m_queue->posted.clear();
        }
        for (auto& s : pending) Complete(*s, 0);
        DropWindowsOfThread(m_queue->thread);
    }
    MessageQueue& Queue() { return *m_queue; }
    const std::shared_ptr<MessageQueue>& Shared() { return m_queue; }

private:
    std::shared_ptr<MessageQueue> m_queue;
};

QueueOwner& CurrentOwner() {
    thread_local QueueOwner owner = [] {
        auto queue = std::make_shared<MessageQueue>(GetCurrentThreadId());
        auto& table = Queues();
        std::lock_guard lock(table.mutex);
        table.queues[queue->thread] = queue;
        return QueueOwner(queue);
    }();
    return owner;
}

MessageQueue& CurrentQueue() { return CurrentOwner().Queue(); }

// Runs every message sent to this thread; called with the queue lock held, released
// around each window procedure.
void DeliverSentMessages(MessageQueue& queue, std::unique_lock<std::mutex>& lock) {
    while (!queue.sent.empty()) {
        std::shared_ptr<SentMessage> sent = std::move(queue.sent.front());
        queue.sent.pop_front();
        lock.unlock();
        LRESULT result = CallWindowProcIfAlive(sent->hwnd, sent->message, sent->wParam, sent->lParam);
        Complete(*sent, result);
        lock.lock();
    }
}

bool Matches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax) {
    if (filter == kThreadMessagesOnly) {
        if (msg.hwnd != nullptr) return false;
    } else if (filter && msg.hwnd != filter) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// Takes (or copies) the first matching message; caller holds the lock.
bool TakeMessage(MessageQueue& queue, MSG* out, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (!Matches(*it, filter, filterMin, filterMax)) continue;
        *out = *it;
        if (remove) queue.posted.erase(it);
        return true;
    }
    if (queue.quitPosted) {
        *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, MessageTime(), {0, 0}};
        if (remove) queue.quitPosted = false;
        return true;
    }
    return false;
}

// A window waiting for WM_PAINT, once nothing is posted; the table is read without the
// queue lock held (the window functions take the table lock first).
bool TakePaint(MessageQueue& queue, std::unique_lock<std::mutex>& lock, MSG* out, HWND filter, UINT filterMin,
               UINT filterMax) {
    if ((filterMin || filterMax) && (WM_PAINT < filterMin || WM_PAINT > filterMax)) return false;
    if (filter == kThreadMessagesOnly) return false;
    lock.unlock();
    HWND hwnd = FindWindowToPaint(queue.thread, filter);
    lock.lock();
    if (!hwnd) return false;
    *out = MSG{hwnd, WM_PAINT, 0, 0, MessageTime(), {0, 0}};
    return true;
}

// Lets a real display turn its pending events into input before the queue is read.
void ProcessDisplayEvents(std::unique_lock<std::mutex>& lock) {
    DisplayBackend* display = DisplayIfStarted();
    if (!display) return;
    lock.unlock();
    display->ProcessEvents();
    lock.lock();
}

bool FilterIsUsable(HWND filter) {
    return !filter || filter == kThreadMessagesOnly || LookupWindow(filter, nullptr);
}

}  // namespace

void EnsureCurrentThreadQueue() { CurrentQueue(); }

void WakeThread(DWORD thread) {
    auto queue = FindQueue(thread);
    if (!queue) return;
    std::lock_guard lock(queue->mutex);
    queue->wake.notify_all();
}

bool PostToThread(DWORD thread, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto queue = FindQueue(thread);
    if (!queue) return false;
    std::lock_guard lock(queue->mutex);
    if (queue->closed || queue->posted.size() >= kMaximumPosted) return false;
    queue->posted.push_back(MSG{hwnd, msg, wParam, lParam, MessageTime(), {0, 0}});
    queue->wake.notify_all();
    return true;
}

void PurgeWindowMessages(DWORD thread, HWND hwnd) {
    auto queue = FindQueue(thread);
    if (!queue) return;
    std::lock_guard lock(queue->mutex);
    std::erase_if(queue->posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
}

LRESULT SendToOtherThread(DWORD thread, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto target = FindQueue(thread);
    if (!target) return 0;
    MessageQueue& own = CurrentQueue();
    auto sent = std::make_shared<SentMessage>(SentMessage{hwnd, msg, wParam, lParam, CurrentOwner().Shared()});
    {
        std::lock_guard lock(target->mutex);
        if (target->closed) return 0;
        target->sent.push_back(sent);
        target->wake.notify_all();
    }
    std::unique_lock lock(own.mutex);
    for (;;) {
        DeliverSentMessages(own, lock);
        if (sent->done) return sent->result;
        own.wake.wait(lock);
    }
}

extern "C" DWORD GetCurrentThreadId() {
    static std::atomic<DWORD> nextId{1};
    thread_local const DWORD id = nextId++;
    return id;
}

extern "C" BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A null window posts to the calling thread, as a thread message.
    if (!hwnd) {
        EnsureCurrentThreadQueue();
        return PostToThread(GetCurrentThreadId(), nullptr, msg, wParam, lParam) ? TRUE : FALSE;
    }
    WindowInfo info;
    if (!LookupWindow(hwnd, &info)) return FALSE;
    return PostToThread(info.thread, hwnd, msg, wParam, lParam) ? TRUE : FALSE;
}

extern "C" BOOL PostThreadMessageA(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    return PostToThread(threadId, nullptr, msg, wParam, lParam) ? TRUE : FALSE;
}

extern "C" void PostQuitMessage(int exitCode) {
    MessageQueue& queue = CurrentQueue();
    std::lock_guard lock(queue.mutex);
    queue.quitPosted = true;
    queue.quitCode = exitCode;
    queue.wake.notify_all();
}

extern "C" BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
    if (!msg || !FilterIsUsable(hwnd)) return FALSE;
    MessageQueue& queue = CurrentQueue();
    std::unique_lock lock(queue.mutex);
    ProcessDisplayEvents(lock);
    DeliverSentMessages(queue, lock);
    if (TakeMessage(queue, msg, hwnd, filterMin, filterMax, (remove & PM_REMOVE) != 0)) return TRUE;
    return TakePaint(queue, lock, msg, hwnd, filterMin, filterMax) ? TRUE : FALSE;
}

extern "C" BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    // The platform answers -1 for an unusable argument, distinct from WM_QUIT's 0.
    if (!msg || !FilterIsUsable(hwnd)) return -1;
    MessageQueue& queue = CurrentQueue();
    std::unique_lock lock(queue.mutex);
    for (;;) {
        ProcessDisplayEvents(lock);
        DeliverSentMessages(queue, lock);
        if (TakeMessage(queue, msg, hwnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
        if (TakePaint(queue, lock, msg, hwnd, filterMin, filterMax)) return TRUE;
        // A real display has no way to wake the queue: look at its events now and then.
        if (DisplayIfStarted())
            queue.wake.wait_for(lock, std::chrono::milliseconds(10));
        else
            queue.wake.wait(lock);
    }
}

extern "C" LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    WindowInfo info;
    // A window's procedure runs only on its own thread.
    if (!LookupWindow(msg->hwnd, &info) || info.thread != GetCurrentThreadId()) return 0;
    return CallWindowProcIfAlive(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
