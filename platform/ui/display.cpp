// Chooses the display back end once per process.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/ui/display.h"

namespace {
std::atomic<DisplayBackend*> g_display{nullptr};
}

DisplayBackend& ActiveDisplay() {
    static std::once_flag once;
    std::call_once(once, [] {
        const char* chosen = std::getenv("QUILLET_DISPLAY");
        const char* x = std::getenv("DISPLAY");
        DisplayBackend* display = nullptr;
        if (!(chosen && std::strcmp(chosen, "headless") == 0) && x && *x) display = MakeX11Display();
        // No X server to reach: the virtual screen keeps windows usable.
        g_display = display ? display : MakeHeadlessDisplay();
    });
    return *g_display.load();
}

DisplayBackend* DisplayIfStarted() { return g_display.load(); }
