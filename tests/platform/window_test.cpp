// Windows and message queues as the system uses them: a page window receives the
// notifications that render threads post, dispatched on the thread that owns it; a dead
// window's handle stays harmless and a full queue refuses instead of growing. Each test
// runs on a thread of its own so that it starts with an empty queue.
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/recording_window.h"

namespace {

using testsupport::SeenBy;

HWND MakeWindow() { return testsupport::MakeRecordingWindow(nullptr, 0, {0, 0, 10, 10}, 0); }

// A destroyed window's handle stays harmless (posts refused, what was queued for it
// purged, never reused); a full queue refuses more posts instead of growing.
TEST(Windows, ADeadWindowsHandleIsHarmlessAndAFullQueueRefuses) {
    std::thread([] {
        HWND hwnd = MakeWindow();
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(PostMessageA(hwnd, WM_COMMAND, 1, 0));
        ASSERT_TRUE(DestroyWindow(hwnd));
        EXPECT_FALSE(IsWindow(hwnd) || DestroyWindow(hwnd) || PostMessageA(hwnd, WM_COMMAND, 2, 0));
        MSG msg{}, stale{hwnd, WM_COMMAND, 3, 0, 0, {0, 0}};
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));  // the command was purged with the window
        EXPECT_EQ(DispatchMessageA(&stale), 0);
        EXPECT_TRUE(SeenBy(hwnd, {WM_COMMAND}).empty());
        HWND fresh = MakeWindow();
        EXPECT_NE(fresh, hwnd);
        int accepted = 0;
        while (accepted < 20000 && PostMessageA(fresh, WM_COMMAND, accepted, 0)) ++accepted;
        EXPECT_EQ(accepted, 10000);
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.wParam, 0u);
        EXPECT_TRUE(PostMessageA(fresh, WM_COMMAND, 1, 0));  // room again
        DestroyWindow(fresh);
    }).join();
}

// Posted from another thread, dispatched in order on the owner's; only the owner
// destroys or dispatches, and the window dies with its thread.
TEST(Windows, MessagesFromOtherThreadsAreDispatchedInOrderOnTheOwningThread) {
    HWND hwnd = nullptr;
    std::thread([&] {
        hwnd = MakeWindow();
        ASSERT_NE(hwnd, nullptr);
        constexpr int kCount = 500;
        std::thread poster([hwnd] {
            EXPECT_FALSE(DestroyWindow(hwnd));
            MSG foreign{hwnd, WM_COMMAND, 5, 0, 0, {0, 0}};
            EXPECT_EQ(DispatchMessageA(&foreign), 0);
            for (int i = 0; i < kCount; ++i) EXPECT_TRUE(PostMessageA(hwnd, WM_COMMAND, 1000 + i, 0));
            EXPECT_TRUE(PostMessageA(hwnd, WM_CLOSE, 0, 0));  // DefWindowProc destroys
        });
        MSG msg{};
        int got = 0;
        for (; IsWindow(hwnd) && GetMessageA(&msg, nullptr, 0, 0) > 0; ++got) DispatchMessageA(&msg);
        poster.join();
        EXPECT_EQ(got, kCount + 1);
        PostQuitMessage(3);
        EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0) == 0 && msg.message == WM_QUIT && msg.wParam == 3u);
        std::vector<WPARAM> commands;
        for (const auto& s : SeenBy(hwnd)) {
            EXPECT_EQ(s.thread, GetCurrentThreadId());
            if (s.message == WM_COMMAND) commands.push_back(s.wParam);
        }
        ASSERT_EQ(commands.size(), size_t(kCount));
        for (int i = 0; i < kCount; ++i) EXPECT_EQ(commands[i], WPARAM(1000 + i));
        hwnd = MakeWindow();  // left alive when its thread ends
    }).join();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessageA(hwnd, WM_COMMAND, 0, 0));
}

}  // namespace
