// Windows: classes with a window procedure, and windows owned by the thread that
// creates them.
//
// A window handle is a number looked up in a table, never a pointer, and numbers are
// never reused: a stale or made-up handle is simply not found (IsWindow FALSE,
// PostMessage FALSE, SendMessage 0), so nothing is ever called through a freed window.
// Procedures are called without any table lock held, so they may create, destroy and
// post freely.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/message_queue.h"
#include "platform/ui/window_table.h"

namespace {

struct WindowClass {
    std::string name;
    WNDPROC proc;
    HINSTANCE instance;
    WORD atom;
};

struct WindowRecord {
    WNDPROC proc;
    DWORD thread;
    HWND parent;
    bool destroying = false;
};

struct WindowTables {
    std::mutex mutex;
    std::map<std::string, WindowClass> classes;  // by upper-case name
    std::map<uintptr_t, std::shared_ptr<WindowRecord>> windows;
    uintptr_t nextHandle = 0x10000;
    WORD nextAtom = 0xC000;
};

// Never destroyed: threads may end after static destruction began.
WindowTables& Tables() {
    static auto* tables = new WindowTables;
    return *tables;
}

std::string ClassKey(const char* name) {
    std::string key(name);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return key;
}

uintptr_t Key(HWND hwnd) { return reinterpret_cast<uintptr_t>(hwnd); }

std::shared_ptr<WindowRecord> Find(HWND hwnd) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    auto it = t.windows.find(Key(hwnd));
    return it == t.windows.end() ? nullptr : it->second;
}

// A class name argument may also be an atom (a small integer in place of the pointer).
const WindowClass* FindClassLocked(WindowTables& t, const char* name) {
    uintptr_t value = reinterpret_cast<uintptr_t>(name);
    if (value != 0 && value < 0x10000) {
        for (const auto& [key, c] : t.classes)
            if (c.atom == value) return &c;
        return nullptr;
    }
    if (!name) return nullptr;
    auto it = t.classes.find(ClassKey(name));
    return it == t.classes.end() ? nullptr : &it->second;
}

}  // namespace

bool LookupWindow(HWND hwnd, WindowInfo* info) {
    auto record = Find(hwnd);
    if (!record) return false;
    if (info) *info = WindowInfo{record->proc, record->thread};
    return true;
}

LRESULT CallWindowProcIfAlive(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto record = Find(hwnd);
    return record ? record->proc(hwnd, msg, wParam, lParam) : 0;
}

void DropWindowsOfThread(DWORD thread) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    std::erase_if(t.windows, [thread](const auto& entry) { return entry.second->thread == thread; });
}

extern "C" WORD RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpfnWndProc || !wc->lpszClassName || !*wc->lpszClassName) return 0;
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    std::string key = ClassKey(wc->lpszClassName);
    if (t.classes.count(key) || t.nextAtom == 0xFFFF) return 0;
    WORD atom = t.nextAtom++;
    t.classes.emplace(key, WindowClass{wc->lpszClassName, wc->lpfnWndProc, wc->hInstance, atom});
    return atom;
}

extern "C" HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                                int y, int width, int height, HWND parent, void* menu, HINSTANCE instance,
                                void* param) {
    if (parent && !LookupWindow(parent, nullptr)) return nullptr;
    EnsureCurrentThreadQueue();
    auto record = std::make_shared<WindowRecord>();
    HWND hwnd = nullptr;
    {
        auto& t = Tables();
        std::lock_guard lock(t.mutex);
        const WindowClass* windowClass = FindClassLocked(t, className);
        if (!windowClass) return nullptr;
        record->proc = windowClass->proc;
        record->thread = GetCurrentThreadId();
        record->parent = parent;
        hwnd = reinterpret_cast<HWND>(t.nextHandle);
        t.nextHandle += 4;
        t.windows.emplace(Key(hwnd), record);
    }
    CREATESTRUCTA create{param,      instance, menu,      parent,    height,    width,
                         y,          x,        LONG(style), windowName, className, exStyle};
    if (record->proc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    return hwnd;
}

extern "C" BOOL DestroyWindow(HWND hwnd) {
    std::shared_ptr<WindowRecord> record;
    std::vector<HWND> children;
    {
        auto& t = Tables();
        std::lock_guard lock(t.mutex);
        auto it = t.windows.find(Key(hwnd));
        // Only the owning thread destroys a window, and only once.
        if (it == t.windows.end() || it->second->thread != GetCurrentThreadId() || it->second->destroying)
            return FALSE;
        record = it->second;
        record->destroying = true;
    }
    record->proc(hwnd, WM_DESTROY, 0, 0);
    {
        auto& t = Tables();
        std::lock_guard lock(t.mutex);
        for (const auto& [key, child] : t.windows)
            if (child->parent == hwnd) children.push_back(reinterpret_cast<HWND>(key));
    }
    for (HWND child : children) DestroyWindow(child);
    {
        auto& t = Tables();
        std::lock_guard lock(t.mutex);
        t.windows.erase(Key(hwnd));
    }
    PurgeWindowMessages(record->thread, hwnd);
    return TRUE;
}

extern "C" BOOL IsWindow(HWND hwnd) { return LookupWindow(hwnd, nullptr) ? TRUE : FALSE; }

extern "C" LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowInfo info;
    if (!LookupWindow(hwnd, &info)) return 0;
    if (info.thread == GetCurrentThreadId()) return info.proc(hwnd, msg, wParam, lParam);
    return SendToOtherThread(info.thread, hwnd, msg, wParam, lParam);
}

extern "C" LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    if (msg == WM_CLOSE) DestroyWindow(hwnd);
    return 0;
}
