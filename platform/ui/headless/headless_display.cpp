// The headless display: a virtual screen in memory. The screen shows the top-level
// windows' surfaces front to back over the desktop colour; input comes only from
// InjectMouseInput and InjectKeyInput (the tests).
#include "platform/ui/display.h"
#include "platform/ui/window_surface.h"
#include "platform/ui/window_table.h"

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

class HeadlessDisplay final : public DisplayBackend {
public:
    const char* Name() const override { return "headless"; }
    void TopLevelChanged(HWND) override {}
    void TopLevelDestroyed(HWND) override {}
    bool ReadScreenPixel(int x, int y, COLORREF* color) override {
        if (x < 0 || y < 0 || x >= kScreenWidth || y >= kScreenHeight) return false;
        auto tops = ChildWindows(nullptr);
        for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
            WindowState w;
            if (!ReadWindowState(*it, &w) || !(w.style & WS_VISIBLE)) continue;
            uint32_t pixel;
            if (ReadTopLevelPixel(*it, x - w.rect.left, y - w.rect.top, &pixel)) {
                *color = ColorFromPixel(pixel);
                return true;
            }
        }
        *color = GetSysColor(COLOR_BACKGROUND);
        return true;
    }
    void GrabPointer(HWND) override {}
    void ShowCursorShape(HCURSOR) override {}
    void ProcessEvents() override {}
};

}  // namespace

DisplayBackend* MakeHeadlessDisplay() { return new HeadlessDisplay; }
