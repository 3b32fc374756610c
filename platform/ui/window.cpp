// Windows: classes with a window procedure, and windows owned by the thread that
// creates them.
//
// A window handle is a number looked up in a table, never a pointer, and numbers are
// never reused: a stale or made-up handle is simply not found (IsWindow FALSE,
// PostMessage FALSE, SendMessage 0), so nothing is ever called through a freed window.
// Procedures are called without any table lock held, so they may create, destroy and
// post freely.
#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/display.h"
#include "platform/ui/input.h"
#include "platform/ui/message_queue.h"
#include "platform/ui/standard_controls.h"
#include "platform/ui/window_surface.h"
#include "platform/ui/window_table.h"

namespace {

struct WindowClass {
    std::string name;
    WNDPROC proc;
    HINSTANCE instance;
    WORD atom;
    UINT style;
    int extraBytes;
    HCURSOR cursor;
    HBRUSH background;
};

struct WindowTables {
    std::recursive_mutex mutex;
    std::map<std::string, WindowClass> classes;  // by upper-case name
    std::map<uintptr_t, std::shared_ptr<WindowState>> windows;  // handle order is creation order
    uintptr_t nextHandle = 0x10000;
    WORD nextAtom = 0xC000;
    uint64_t nextZOrder = 1;
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
HWND Handle(uintptr_t key) { return reinterpret_cast<HWND>(key); }

std::shared_ptr<WindowState> FindLocked(WindowTables& t, HWND hwnd) {
    auto it = t.windows.find(Key(hwnd));
    return it == t.windows.end() ? nullptr : it->second;
}

std::shared_ptr<WindowState> Find(HWND hwnd) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    return FindLocked(t, hwnd);
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

std::vector<HWND> ChildrenLocked(WindowTables& t, HWND parent) {
    std::vector<std::pair<uint64_t, HWND>> found;
    for (const auto& [key, w] : t.windows)
        if (w->parent == parent && !w->destroying) found.emplace_back(parent ? key : w->zOrder, Handle(key));
    std::sort(found.begin(), found.end());
    std::vector<HWND> out;
    for (const auto& f : found) out.push_back(f.second);
    return out;
}

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

HWND DeepestAtLocked(WindowTables& t, HWND parent, POINT inParent) {
    auto children = ChildrenLocked(t, parent);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        auto w = FindLocked(t, *it);
        if (!(w->style & WS_VISIBLE) || !Contains(w->rect, inParent)) continue;
        if (w->style & WS_DISABLED) return parent;  // a disabled child lets its parent answer
        return DeepestAtLocked(t, *it, POINT{inParent.x - w->rect.left, inParent.y - w->rect.top});
    }
    return parent;
}

}  // namespace

bool LookupWindow(HWND hwnd, WindowInfo* info) {
    auto record = Find(hwnd);
    if (!record) return false;
    if (info) *info = WindowInfo{record->proc, record->thread};
    return true;
}

bool ReadWindowState(HWND hwnd, WindowState* copy) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    auto w = FindLocked(t, hwnd);
    if (w && copy) *copy = *w;
    return w != nullptr;
}

bool ChangeWindowState(HWND hwnd, const std::function<void(WindowState&)>& change) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    auto w = FindLocked(t, hwnd);
    if (w) change(*w);
    return w != nullptr;
}

std::vector<HWND> ChildWindows(HWND parent) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    return ChildrenLocked(t, parent);
}

HWND TopLevelOf(HWND hwnd) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    for (auto w = FindLocked(t, hwnd); w; w = FindLocked(t, w->parent))
        if (!w->parent) return hwnd;
        else hwnd = w->parent;
    return nullptr;
}

bool IsShownOnScreen(HWND hwnd) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    auto w = FindLocked(t, hwnd);
    for (; w; w = FindLocked(t, w->parent))
        if (!(w->style & WS_VISIBLE)) return false;
        else if (!w->parent) return true;
    return false;
}

bool VisibleRectInTopLevel(HWND hwnd, POINT* origin, RECT* clip) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    auto w = FindLocked(t, hwnd);
    if (!w) return false;
    // Walk up, shifting the window's client rectangle into each parent's coordinates and
    // clipping it by that parent's client area.
    RECT r{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    POINT o{0, 0};
    while (w->parent) {
        o.x += w->rect.left;
        o.y += w->rect.top;
        r = RECT{r.left + w->rect.left, r.top + w->rect.top, r.right + w->rect.left, r.bottom + w->rect.top};
        w = FindLocked(t, w->parent);
        if (!w) return false;
        r.left = std::max<LONG>(r.left, 0);
        r.top = std::max<LONG>(r.top, 0);
        r.right = std::min<LONG>(r.right, w->rect.right - w->rect.left);
        r.bottom = std::min<LONG>(r.bottom, w->rect.bottom - w->rect.top);
    }
    if (origin) *origin = o;
    if (clip) *clip = r;
    return true;
}

HWND WindowFromScreenPoint(POINT point) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    auto tops = ChildrenLocked(t, nullptr);
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        auto w = FindLocked(t, *it);
        if (!(w->style & WS_VISIBLE) || !Contains(w->rect, point)) continue;
        if (w->style & WS_DISABLED) return nullptr;
        return DeepestAtLocked(t, *it, POINT{point.x - w->rect.left, point.y - w->rect.top});
    }
    return nullptr;
}

HWND FindWindowToPaint(DWORD thread, HWND filter) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    // Pre-order over the tree: a parent paints before the children drawn over it.
    std::vector<HWND> pending = ChildrenLocked(t, nullptr);
    std::reverse(pending.begin(), pending.end());
    while (!pending.empty()) {
        HWND hwnd = pending.back();
        pending.pop_back();
        auto w = FindLocked(t, hwnd);
        if (!(w->style & WS_VISIBLE)) continue;
        if (w->thread == thread && w->update.right > w->update.left && w->update.bottom > w->update.top &&
            (!filter || filter == hwnd))
            return hwnd;
        auto children = ChildrenLocked(t, hwnd);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return nullptr;
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

void BringToFront(HWND hwnd) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    if (auto w = FindLocked(t, hwnd)) w->zOrder = t.nextZOrder++;
}

extern "C" WORD RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpfnWndProc || !wc->lpszClassName || !*wc->lpszClassName) return 0;
    if (wc->cbWndExtra < 0 || wc->cbWndExtra > 40 || wc->cbClsExtra < 0) return 0;
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    std::string key = ClassKey(wc->lpszClassName);
    if (t.classes.count(key) || t.nextAtom == 0xFFFF) return 0;
    WORD atom = t.nextAtom++;
    t.classes.emplace(key, WindowClass{wc->lpszClassName, wc->lpfnWndProc, wc->hInstance, atom, wc->style,
                                       wc->cbWndExtra, wc->hCursor, wc->hbrBackground});
    return atom;
}

extern "C" BOOL UnregisterClassA(const char* className, HINSTANCE /*instance*/) {
    auto& t = Tables();
    std::lock_guard lock(t.mutex);
    const WindowClass* c = FindClassLocked(t, className);
    if (!c) return FALSE;
    t.classes.erase(ClassKey(c->name.c_str()));
    return TRUE;
}

extern "C" HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                                int y, int width, int height, HWND parent, void* menu, HINSTANCE instance,
                                void* param) {
    if (parent && !LookupWindow(parent, nullptr)) return nullptr;
    RegisterStandardClasses();
    EnsureCurrentThreadQueue();
    auto record = std::make_shared<WindowState>();
    HWND hwnd = nullptr;
    {
        auto& t = Tables();
        std::lock_guard lock(t.mutex);
        const WindowClass* windowClass = FindClassLocked(t, className);
        if (!windowClass) return nullptr;
        record->proc = windowClass->proc;
        record->thread = GetCurrentThreadId();
        record->parent = parent;
        record->classStyle = windowClass->style;
        record->cursor = windowClass->cursor;
        record->background = windowClass->background;
        record->extra.assign(size_t(windowClass->extraBytes), 0);
        // A child's "menu" argument is its item identifier.
        record->id = parent ? int(reinterpret_cast<intptr_t>(menu)) : 0;
        record->style = style & ~WS_VISIBLE;  // shown below, after WM_CREATE
        record->exStyle = exStyle;
        record->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
        record->text = windowName ? windowName : "";
        record->zOrder = t.nextZOrder++;
        hwnd = Handle(t.nextHandle);
        t.nextHandle += 4;
        t.windows.emplace(Key(hwnd), record);
    }
    CREATESTRUCTA create{param,      instance, menu,      parent,    height,    width,
                         y,          x,        LONG(style), windowName, className, exStyle};
    if (record->proc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

extern "C" BOOL DestroyWindow(HWND hwnd) {
    std::shared_ptr<WindowState> record;
    {
        auto& t = Tables();
        std::lock_guard lock(t.mutex);
        auto w = FindLocked(t, hwnd);
        // Only the owning thread destroys a window, and only once.
        if (!w || w->thread != GetCurrentThreadId() || w->destroying) return FALSE;
        record = w;
        w->destroying = true;
    }
    const bool shown = !record->parent && IsShownOnScreen(hwnd);
    ForgetInputWindow(hwnd);
    record->proc(hwnd, WM_DESTROY, 0, 0);
    for (HWND child : ChildWindows(hwnd)) DestroyWindow(child);
    {
        auto& t = Tables();
        std::lock_guard lock(t.mutex);
        t.windows.erase(Key(hwnd));
    }
    PurgeWindowMessages(record->thread, hwnd);
    if (!record->parent) {
        DropTopLevelSurface(hwnd);
        if (shown) ActiveDisplay().TopLevelDestroyed(hwnd);
    } else if (record->style & WS_VISIBLE) {
        RECT r = record->rect;
        InvalidateRect(record->parent, &r, TRUE);
    }
    return TRUE;
}

extern "C" BOOL IsWindow(HWND hwnd) { return LookupWindow(hwnd, nullptr) ? TRUE : FALSE; }

extern "C" LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowInfo info;
    if (!LookupWindow(hwnd, &info)) return 0;
    if (info.thread == GetCurrentThreadId()) return info.proc(hwnd, msg, wParam, lParam);
    return SendToOtherThread(info.thread, hwnd, msg, wParam, lParam);
}
