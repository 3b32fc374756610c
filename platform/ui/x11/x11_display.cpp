// The X11 display: each shown top-level window is a real X window showing the composed
// surface of its window tree. Pointer and key events become input in root-window
// coordinates (the screen coordinates of the window system), capture is a pointer grab,
// and screen pixels are read from the root window, so the eyedropper sees what a person
// sees. Xlib is used from one thread at a time under a lock.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/ui/display.h"
#include "platform/ui/input.h"
#include "platform/ui/window_surface.h"
#include "platform/ui/window_table.h"

namespace {

struct Shown {
    Window window = 0;
    bool mapped = false;
};

int Shift(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++shift;
    return shift;
}

UINT VirtualKey(KeySym key) {
    switch (key) {
    case XK_Tab: case XK_ISO_Left_Tab: return VK_TAB;
    case XK_BackSpace: return VK_BACK;
    case XK_Return: case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_Left: return VK_LEFT;
    case XK_Right: return VK_RIGHT;
    case XK_Home: return VK_HOME;
    case XK_End: return VK_END;
    case XK_Delete: return VK_DELETE;
    case XK_Shift_L: case XK_Shift_R: return VK_SHIFT;
    default:
        if (key >= XK_a && key <= XK_z) return UINT(key - XK_a + 'A');
        if (key < 0x80) return UINT(key);
        return 0;
    }
}

class X11Display final : public DisplayBackend {
public:
    explicit X11Display(::Display* display) : m_display(display), m_root(DefaultRootWindow(display)) {
        m_deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    }
    const char* Name() const override { return "x11"; }

    void TopLevelChanged(HWND top) override {
        WindowState w;
        if (!ReadWindowState(top, &w)) return;
        std::lock_guard lock(m_mutex);
        const int width = std::max<int>(1, w.rect.right - w.rect.left);
        const int height = std::max<int>(1, w.rect.bottom - w.rect.top);
        Shown& shown = m_shown[top];
        if (!shown.window) {
            XSetWindowAttributes attributes{};
            attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                    KeyPressMask | StructureNotifyMask;
            shown.window = XCreateWindow(m_display, m_root, w.rect.left, w.rect.top, width, height, 0,
                                         CopyFromParent, InputOutput, CopyFromParent, CWEventMask, &attributes);
            XStoreName(m_display, shown.window, w.text.c_str());
            XSizeHints hints{};
            hints.flags = USPosition | USSize;
            hints.x = w.rect.left, hints.y = w.rect.top, hints.width = width, hints.height = height;
            XSetWMNormalHints(m_display, shown.window, &hints);
            XSetWMProtocols(m_display, shown.window, &m_deleteWindow, 1);
            if (m_cursor) XDefineCursor(m_display, shown.window, m_cursor);
        }
        const bool visible = (w.style & WS_VISIBLE) != 0;
        XMoveResizeWindow(m_display, shown.window, w.rect.left, w.rect.top, width, height);
        if (visible && !shown.mapped) XMapRaised(m_display, shown.window);
        if (!visible && shown.mapped) XUnmapWindow(m_display, shown.window);
        shown.mapped = visible;
        PutSurfaceLocked(top, shown.window);
        XFlush(m_display);
    }

    void TopLevelDestroyed(HWND top) override {
        std::lock_guard lock(m_mutex);
        auto it = m_shown.find(top);
        if (it == m_shown.end()) return;
        XDestroyWindow(m_display, it->second.window);
        m_shown.erase(it);
        XFlush(m_display);
    }

    bool ReadScreenPixel(int x, int y, COLORREF* color) override {
        std::lock_guard lock(m_mutex);
        XWindowAttributes root;
        XGetWindowAttributes(m_display, m_root, &root);
        if (x < 0 || y < 0 || x >= root.width || y >= root.height) return false;
        XImage* image = XGetImage(m_display, m_root, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return false;
        unsigned long pixel = XGetPixel(image, 0, 0);
        auto channel = [&](unsigned long mask) { return int((pixel & mask) >> Shift(mask)) & 255; };
        *color = RGB(channel(image->red_mask), channel(image->green_mask), channel(image->blue_mask));
        XDestroyImage(image);
        return true;
    }

    void GrabPointer(HWND top) override {
        std::lock_guard lock(m_mutex);
        auto it = top ? m_shown.find(top) : m_shown.end();
        if (it == m_shown.end()) {
            XUngrabPointer(m_display, CurrentTime);
        } else {
            XGrabPointer(m_display, it->second.window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                         GrabModeAsync, GrabModeAsync, None, m_cursor, CurrentTime);
        }
        XFlush(m_display);
    }

    void ShowCursorShape(HCURSOR cursor) override {
        std::lock_guard lock(m_mutex);
        unsigned shape = XC_left_ptr;
        if (cursor && cursor->systemName == IDC_IBEAM) shape = XC_xterm;
        else if (cursor && (cursor->systemName == IDC_CROSS || !cursor->systemName)) shape = XC_crosshair;
        m_cursor = cursor && !cursor->pixels.empty() ? PictureCursorLocked(*cursor) : None;
        if (m_cursor == None) m_cursor = XCreateFontCursor(m_display, shape);
        for (const auto& [hwnd, shown] : m_shown) XDefineCursor(m_display, shown.window, m_cursor);
        // During a capture (the eyedropper sampling) the grab's cursor is the one shown.
        XChangeActivePointerGrab(m_display, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, m_cursor, CurrentTime);
        XFlush(m_display);
    }

    void ProcessEvents() override {
        // Events are read under the lock and turned into input after it is released.
        std::vector<XEvent> events;
        {
            std::lock_guard lock(m_mutex);
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                events.push_back(event);
            }
        }
        for (XEvent& event : events) Handle(event);
    }

private:
    // A module's cursor in the core protocol's two colours: opaque pixels (alpha of
    // half or more) show, dark ones black and light ones white.
    Cursor PictureCursorLocked(const CursorObject& cursor) {
        const int stride = (cursor.width + 7) / 8;
        std::vector<char> source(size_t(stride) * cursor.height), mask(source.size());
        for (int y = 0; y < cursor.height; ++y)
            for (int x = 0; x < cursor.width; ++x) {
                const uint32_t p = cursor.pixels[size_t(y) * cursor.width + x];
                const uint32_t alpha = p >> 24, sum = (p & 255) + ((p >> 8) & 255) + ((p >> 16) & 255);
                if (alpha < 128) continue;
                const char bit = char(1 << (x & 7));
                mask[size_t(y) * stride + x / 8] |= bit;
                if (sum * 2 < alpha * 3) source[size_t(y) * stride + x / 8] |= bit;  // premultiplied mean below half
            }
        Pixmap sourceMap = XCreateBitmapFromData(m_display, m_root, source.data(), cursor.width, cursor.height);
        Pixmap maskMap = XCreateBitmapFromData(m_display, m_root, mask.data(), cursor.width, cursor.height);
        XColor black{}, white{};
        white.red = white.green = white.blue = 0xFFFF;
        black.flags = white.flags = DoRed | DoGreen | DoBlue;
        Cursor made = XCreatePixmapCursor(m_display, sourceMap, maskMap, &black, &white, unsigned(cursor.hotX),
                                          unsigned(cursor.hotY));
        XFreePixmap(m_display, sourceMap);
        XFreePixmap(m_display, maskMap);
        return made;
    }

    HWND WindowOf(Window window) {
        std::lock_guard lock(m_mutex);
        for (const auto& [hwnd, shown] : m_shown)
            if (shown.window == window) return hwnd;
        return nullptr;
    }

    void Handle(XEvent& event) {
        switch (event.type) {
        case Expose:
            if (HWND top = WindowOf(event.xexpose.window)) {
                std::lock_guard lock(m_mutex);
                PutSurfaceLocked(top, event.xexpose.window);
                XFlush(m_display);
            }
            break;
        case ConfigureNotify:
            // A window manager may place the window elsewhere: its screen position is the truth.
            if (HWND top = WindowOf(event.xconfigure.window)) {
                int x = 0, y = 0;
                Window child;
                {
                    std::lock_guard lock(m_mutex);
                    XTranslateCoordinates(m_display, event.xconfigure.window, m_root, 0, 0, &x, &y, &child);
                }
                ChangeWindowState(top, [x, y](WindowState& w) {
                    w.rect = RECT{x, y, x + w.rect.right - w.rect.left, y + w.rect.bottom - w.rect.top};
                });
            }
            break;
        case ButtonPress:
        case ButtonRelease: {
            const bool down = event.type == ButtonPress;
            UINT message = event.xbutton.button == Button1 ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                           : event.xbutton.button == Button3 ? (down ? WM_RBUTTONDOWN : WM_RBUTTONUP) : 0;
            if (message) InjectMouseInput(event.xbutton.x_root, event.xbutton.y_root, message);
            break;
        }
        case MotionNotify:
            InjectMouseInput(event.xmotion.x_root, event.xmotion.y_root, WM_MOUSEMOVE);
            break;
        case KeyPress: {
            char text[8] = {};
            KeySym key = 0;
            int length = XLookupString(&event.xkey, text, sizeof text - 1, &key, nullptr);
            UINT vk = VirtualKey(key);
            char character = length == 1 && static_cast<unsigned char>(text[0]) >= 0x20 ? text[0] : 0;
            if (vk == VK_BACK) character = 0;
            if (vk || character) InjectKeyInput(vk, character);
            break;
        }
        case ClientMessage:
            if (Atom(event.xclient.data.l[0]) == m_deleteWindow)
                if (HWND top = WindowOf(event.xclient.window)) PostMessageA(top, WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
    }

    void PutSurfaceLocked(HWND top, Window window) {
        BitmapObject* surface = TopLevelSurface(top);
        if (!surface || !surface->width || !surface->height) return;
        // XPutImage wants the image's own copy of the rows, top-down.
        auto* data = static_cast<char*>(std::malloc(size_t(surface->width) * surface->height * 4));
        if (!data) return;
        for (int y = 0; y < surface->height; ++y)
            std::memcpy(data + size_t(y) * surface->width * 4, surface->Row(y), size_t(surface->width) * 4);
        Visual* visual = DefaultVisual(m_display, DefaultScreen(m_display));
        XImage* image = XCreateImage(m_display, visual, DefaultDepth(m_display, DefaultScreen(m_display)), ZPixmap, 0,
                                     data, surface->width, surface->height, 32, surface->width * 4);
        if (!image) {
            std::free(data);
            return;
        }
        XPutImage(m_display, window, DefaultGC(m_display, DefaultScreen(m_display)), image, 0, 0, 0, 0,
                  surface->width, surface->height);
        XDestroyImage(image);  // frees data
    }

    ::Display* m_display;
    Window m_root;
    Atom m_deleteWindow;
    Cursor m_cursor = 0;
    std::recursive_mutex m_mutex;
    std::map<HWND, Shown> m_shown;
};

}  // namespace

DisplayBackend* MakeX11Display() {
    XInitThreads();
    ::Display* display = XOpenDisplay(nullptr);
    return display ? new X11Display(display) : nullptr;
}
