// The X11 display in a real X server: what a window paints is read back from the root
// window, as the eyedropper reads the screen. Runs under xvfb-run (a test of its own);
// skipped in the headless runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/support/recording_window.h"

namespace {

TEST(X11Display, ReadsBackTheOwnPixelsOfARealWindow) {
    const char* chosen = std::getenv("QUILLET_DISPLAY");
    if (!std::getenv("DISPLAY") || (chosen && std::string(chosen) == "headless")) GTEST_SKIP() << "no X server";
    HWND window = testsupport::MakeRecordingWindow(nullptr, 0, {20, 30, 80, 70});
    ASSERT_NE(window, nullptr);
    HBRUSH green = CreateSolidBrush(RGB(20, 200, 60));
    COLORREF seen = CLR_INVALID;
    // The server maps the window in its own time; paint until the pixel shows (or give up).
    for (int attempt = 0; attempt < 100 && seen != RGB(20, 200, 60); ++attempt) {
        PumpWaitingMessages();
        HDC dc = GetDC(window);
        RECT inner{10, 10, 30, 20};
        FillRect(dc, &inner, green);
        ReleaseDC(window, dc);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seen = testsupport::ScreenPixel(35, 45);
    }
    EXPECT_EQ(seen, RGB(20, 200, 60));
    EXPECT_EQ(testsupport::ScreenPixel(25, 35), GetSysColor(COLOR_BTNFACE));
    DeleteObject(green);
    DestroyWindow(window);
}

}  // namespace
