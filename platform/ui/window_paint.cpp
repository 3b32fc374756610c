// Painting requests and window device contexts. A window's pixels live in the surface of
// its top-level window; a window DC draws there through the window's client origin,
// clipped to the window and its ancestors. Invalid windows get WM_PAINT from their
// thread's queue when nothing is posted, parents first, so children end up on top.
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "platform/ui/display.h"
#include "platform/ui/message_queue.h"
#include "platform/ui/window_surface.h"
#include "platform/ui/window_table.h"

namespace {

struct Surfaces {
    std::mutex mutex;
    std::map<HWND, std::unique_ptr<BitmapObject>> byWindow;
};
Surfaces& AllSurfaces() {
    static auto* surfaces = new Surfaces;
    return *surfaces;
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
RECT Intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}
RECT Union(const RECT& a, const RECT& b) {
    if (IsEmpty(a)) return b;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

}  // namespace

BitmapObject* TopLevelSurface(HWND top) {
    WindowState w;
    if (!ReadWindowState(top, &w)) return nullptr;
    const int width = w.rect.right - w.rect.left, height = w.rect.bottom - w.rect.top;
    auto& s = AllSurfaces();
    std::lock_guard lock(s.mutex);
    auto& surface = s.byWindow[top];
    if (!surface || surface->width != width || surface->height != height)
        surface = std::make_unique<BitmapObject>(width, height, false);
    return surface.get();
}

bool ReadTopLevelPixel(HWND top, int x, int y, uint32_t* pixel) {
    auto& s = AllSurfaces();
    std::lock_guard lock(s.mutex);
    auto it = s.byWindow.find(top);
    if (it == s.byWindow.end() || x < 0 || y < 0 || x >= it->second->width || y >= it->second->height) return false;
    *pixel = it->second->Row(y)[x];
    return true;
}

void DropTopLevelSurface(HWND top) {
    auto& s = AllSurfaces();
    std::lock_guard lock(s.mutex);
    s.byWindow.erase(top);
}

HDC MakeWindowDC(HWND hwnd, const RECT* clipTo) {
    POINT origin;
    RECT clip;
    HWND top = TopLevelOf(hwnd);
    if (!top || !VisibleRectInTopLevel(hwnd, &origin, &clip)) return nullptr;
    if (clipTo)
        clip = Intersect(clip, RECT{clipTo->left + origin.x, clipTo->top + origin.y, clipTo->right + origin.x,
                                    clipTo->bottom + origin.y});
    auto* dc = new DeviceContext;
    dc->kind = DeviceContext::Kind::Window;
    dc->window = hwnd;
    dc->target = TopLevelSurface(top);
    dc->origin = origin;
    dc->clip = clip;
    dc->font = DefaultGuiFont();
    return dc;
}

extern "C" BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    WindowState w;
    if (!ReadWindowState(hwnd, &w)) return FALSE;
    RECT client{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
    RECT area = rect ? Intersect(*rect, client) : client;
    if (IsEmpty(area)) return TRUE;
    ChangeWindowState(hwnd, [&](WindowState& s) {
        s.update = Union(s.update, area);
        s.erase = s.erase || erase;
    });
    // Children drawn over the area are painted again after their parent.
    for (HWND child : ChildWindows(hwnd)) {
        WindowState c;
        if (!ReadWindowState(child, &c) || !(c.style & WS_VISIBLE)) continue;
        RECT overlap = Intersect(area, c.rect);
        if (IsEmpty(overlap)) continue;
        RECT inChild{overlap.left - c.rect.left, overlap.top - c.rect.top, overlap.right - c.rect.left,
                     overlap.bottom - c.rect.top};
        InvalidateRect(child, &inChild, erase);
    }
    WakeThread(w.thread);
    return TRUE;
}

extern "C" BOOL UpdateWindow(HWND hwnd) {
    WindowState w;
    if (!ReadWindowState(hwnd, &w)) return FALSE;
    if (!IsEmpty(w.update) && IsShownOnScreen(hwnd)) SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

extern "C" HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    WindowState w;
    if (!paint || !ReadWindowState(hwnd, &w)) return nullptr;
    ChangeWindowState(hwnd, [](WindowState& s) {
        s.update = RECT{};
        s.erase = false;
    });
    *paint = PAINTSTRUCT{};
    paint->rcPaint = w.update;
    HDC dc = IsShownOnScreen(hwnd) ? MakeWindowDC(hwnd, &w.update) : nullptr;
    paint->hdc = dc;
    if (dc && w.erase) paint->fErase = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

extern "C" BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (paint && paint->hdc) ReleaseDC(hwnd, paint->hdc);
    return TRUE;
}

extern "C" HDC GetDC(HWND hwnd) {
    if (!hwnd) {
        auto* dc = new DeviceContext;
        dc->kind = DeviceContext::Kind::Screen;
        return dc;
    }
    return MakeWindowDC(hwnd, nullptr);
}

extern "C" int ReleaseDC(HWND /*hwnd*/, HDC dc) {
    if (!dc) return 0;
    // What a window DC drew goes to the screen now.
    if (dc->kind == DeviceContext::Kind::Window) {
        HWND top = TopLevelOf(dc->window);
        if (top && IsShownOnScreen(top)) ActiveDisplay().TopLevelChanged(top);
    }
    delete dc;
    return 1;
}
