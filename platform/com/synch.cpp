// Events: manual- and auto-reset, waitable singly or in groups.
//
// Handles are small numbers looked up in a table, never pointers, and never reused:
// a closed or made-up handle is refused (FALSE / WAIT_FAILED) instead of being
// dereferenced. A wait keeps its events alive, so closing a handle another thread is
// waiting on does not pull the object from under it (as on the platform).
//
// All event state sits under one mutex. Each waiting thread has its own condition
// variable, enrolled on every event it waits for; SetEvent wakes exactly those
// waiters. Auto-reset events are consumed by the wait that they satisfy.
#include "platform/com/synch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr DWORD kMaximumWaitObjects = 64;

struct Waiter {
    std::condition_variable wake;
};

struct Event {
    bool manualReset = false;
    bool signaled = false;
    std::vector<Waiter*> waiters;
    std::string name;
};

struct EventTable {
    std::mutex mutex;
    std::map<uintptr_t, std::shared_ptr<Event>> handles;
    std::map<std::string, std::weak_ptr<Event>> named;
    uintptr_t nextHandle = 0x1000;
};

// Never destroyed: handles may be closed from static destructors at exit.
EventTable& Table() {
    static auto* table = new EventTable;
    return *table;
}

uintptr_t Key(HANDLE h) { return reinterpret_cast<uintptr_t>(h); }

// Caller holds the table mutex.
std::shared_ptr<Event> Find(EventTable& table, HANDLE h) {
    auto it = table.handles.find(Key(h));
    return it == table.handles.end() ? nullptr : it->second;
}

void Signal(Event& e) {
    e.signaled = true;
    for (Waiter* w : e.waiters) w->wake.notify_one();
}

// Whether the wait is satisfied now; on success consumes auto-reset events and
// stores the index to report.
bool TrySatisfy(std::vector<std::shared_ptr<Event>>& events, bool waitAll, DWORD* index) {
    if (waitAll) {
        for (auto& e : events)
            if (!e->signaled) return false;
        for (auto& e : events)
            if (!e->manualReset) e->signaled = false;
        *index = 0;
        return true;
    }
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i]->signaled) {
            if (!events[i]->manualReset) events[i]->signaled = false;
            *index = static_cast<DWORD>(i);
            return true;
        }
    }
    return false;
}

DWORD Wait(DWORD count, const HANDLE* handles, bool waitAll, DWORD milliseconds) {
    if (count == 0 || count > kMaximumWaitObjects || !handles) return WAIT_FAILED;
    auto& table = Table();
    std::unique_lock lock(table.mutex);
    std::vector<std::shared_ptr<Event>> events;
    events.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        auto e = Find(table, handles[i]);
        if (!e) return WAIT_FAILED;
        // The same object twice in a wait-for-all cannot be consumed twice at once.
        if (waitAll && std::find(events.begin(), events.end(), e) != events.end()) return WAIT_FAILED;
        events.push_back(std::move(e));
    }

    DWORD index = 0;
    if (TrySatisfy(events, waitAll, &index)) return WAIT_OBJECT_0 + index;
    if (milliseconds == 0) return WAIT_TIMEOUT;

    Waiter self;
    for (auto& e : events) e->waiters.push_back(&self);
    const bool forever = milliseconds == INFINITE;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    DWORD result = WAIT_TIMEOUT;
    for (;;) {
        if (TrySatisfy(events, waitAll, &index)) {
            result = WAIT_OBJECT_0 + index;
            break;
        }
        if (forever) {
            self.wake.wait(lock);
        } else if (self.wake.wait_until(lock, deadline) == std::cv_status::timeout) {
            if (TrySatisfy(events, waitAll, &index)) result = WAIT_OBJECT_0 + index;
            break;
        }
    }
    for (auto& e : events) std::erase(e->waiters, &self);
    return result;
}

}  // namespace

extern "C" HANDLE CreateEventA(void* /*security*/, BOOL manualReset, BOOL initialState, const char* name) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    std::shared_ptr<Event> event;
    // A name already in use opens the existing event; its settings stay as they are.
    if (name && *name) {
        auto it = table.named.find(name);
        if (it != table.named.end()) event = it->second.lock();
    }
    if (!event) {
        event = std::make_shared<Event>();
        event->manualReset = manualReset != FALSE;
        event->signaled = initialState != FALSE;
        if (name && *name) {
            event->name = name;
            table.named[name] = event;
        }
    }
    uintptr_t handle = table.nextHandle;
    table.nextHandle += 4;
    table.handles.emplace(handle, std::move(event));
    return reinterpret_cast<HANDLE>(handle);
}

extern "C" BOOL SetEvent(HANDLE event) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto e = Find(table, event);
    if (!e) return FALSE;
    Signal(*e);
    return TRUE;
}

extern "C" BOOL ResetEvent(HANDLE event) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto e = Find(table, event);
    if (!e) return FALSE;
    e->signaled = false;
    return TRUE;
}

extern "C" DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return Wait(1, &handle, false, milliseconds);
}

extern "C" DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    return Wait(count, handles, waitAll != FALSE, milliseconds);
}

extern "C" BOOL CloseHandle(HANDLE handle) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.handles.find(Key(handle));
    if (it == table.handles.end()) return FALSE;
    std::shared_ptr<Event> event = std::move(it->second);
    table.handles.erase(it);
    if (!event->name.empty() && event.use_count() == 1) table.named.erase(event->name);
    return TRUE;
}
