// Windows and message queues as the system uses them: a page window receives the
// notifications that render threads post, dispatched on the thread that owns it;
// a dead window's handle stays harmless and a full queue refuses instead of growing.
// Each test runs on a thread of its own so that it starts with an empty queue.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ui/winuser.h"

namespace {

template <class F>
void OnFreshThread(F body) {
    std::thread(body).join();
}

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    DWORD thread;
};

std::mutex g_seenMutex;
std::vector<Seen> g_seen;                 // every message a test window receives, in order
std::atomic<LRESULT> g_createAnswer{0};   // -1 refuses the creation
std::atomic<void*> g_lastCreateParams{nullptr};

LRESULT RecordingProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(g_seenMutex);
        g_seen.push_back({hwnd, msg, wParam, GetCurrentThreadId()});
    }
    switch (msg) {
    case WM_CREATE:
        g_lastCreateParams = reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams;
        return g_createAnswer;
    case WM_DESTROY: PostQuitMessage(3); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

std::vector<Seen> SeenFor(HWND hwnd) {
    std::lock_guard lock(g_seenMutex);
    std::vector<Seen> out;
    for (const auto& s : g_seen)
        if (s.hwnd == hwnd) out.push_back(s);
    return out;
}

HWND MakeWindow(HWND parent = nullptr, void* param = nullptr) {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &RecordingProcedure;
        wc.lpszClassName = "Quillet Test Window";
        return RegisterClassA(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "quillet test WINDOW", "test", 0, 0, 0, 10, 10, parent, nullptr, nullptr, param);
}

TEST(Windows, LiveFromCreationToDestructionAndLeaveAHarmlessHandle) {
    OnFreshThread([] {
        int marker = 0;
        HWND hwnd = MakeWindow(nullptr, &marker);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(g_lastCreateParams, &marker);
        HWND child = MakeWindow(hwnd);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(MakeWindow(reinterpret_cast<HWND>(0x4444)), nullptr);  // no such parent
        g_createAnswer = -1;
        EXPECT_EQ(MakeWindow(), nullptr);
        g_createAnswer = 0;

        ASSERT_TRUE(PostMessageA(hwnd, WM_COMMAND, 1, 0));
        ASSERT_TRUE(DestroyWindow(hwnd));
        EXPECT_FALSE(IsWindow(child));  // children go with their parent
        std::vector<UINT> messages;
        for (const auto& s : SeenFor(hwnd)) messages.push_back(s.message);
        EXPECT_EQ(messages, (std::vector<UINT>{WM_CREATE, WM_DESTROY}));

        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_FALSE(DestroyWindow(hwnd));
        EXPECT_FALSE(PostMessageA(hwnd, WM_COMMAND, 2, 0));
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, WM_QUIT);  // the command posted before the end was purged with the window
        MSG stale{hwnd, WM_COMMAND, 3, 0, 0, {0, 0}};
        EXPECT_EQ(DispatchMessageA(&stale), 0);
        EXPECT_EQ(SeenFor(hwnd).size(), 2u);
        EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x4242), WM_COMMAND, 0, 0));
        HWND fresh = MakeWindow();
        EXPECT_NE(fresh, hwnd);  // a new window never takes an old window's handle
        DestroyWindow(fresh);
    });
}

TEST(Windows, MessagesPostedFromAnotherThreadAreDispatchedInOrderOnTheOwningThread) {
    OnFreshThread([] {
        HWND hwnd = MakeWindow();
        ASSERT_NE(hwnd, nullptr);
        const DWORD owner = GetCurrentThreadId();
        constexpr int kCount = 500;
        std::thread poster([hwnd] {
            for (int i = 0; i < kCount; ++i) EXPECT_TRUE(PostMessageA(hwnd, WM_COMMAND, 1000 + i, 0));
            EXPECT_TRUE(PostMessageA(hwnd, WM_CLOSE, 0, 0));  // DefWindowProc destroys, WM_DESTROY quits
        });
        MSG msg{};
        int got = 0;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            DispatchMessageA(&msg);
            ++got;
        }
        poster.join();
        EXPECT_EQ(msg.message, WM_QUIT);
        EXPECT_EQ(msg.wParam, 3u);
        EXPECT_EQ(got, kCount + 1);
        std::vector<WPARAM> commands;
        for (const auto& s : SeenFor(hwnd)) {
            EXPECT_EQ(s.thread, owner);
            if (s.message == WM_COMMAND) commands.push_back(s.wParam);
        }
        ASSERT_EQ(commands.size(), size_t(kCount));
        for (int i = 0; i < kCount; ++i) EXPECT_EQ(commands[i], WPARAM(1000 + i));
    });
}

TEST(Windows, OnlyTheOwningThreadDestroysOrDispatchesAndTheWindowDiesWithIt) {
    HWND orphan = nullptr;
    OnFreshThread([&] {
        orphan = MakeWindow();
        std::thread other([hwnd = orphan] {
            EXPECT_FALSE(DestroyWindow(hwnd));
            MSG msg{hwnd, WM_COMMAND, 5, 0, 0, {0, 0}};
            EXPECT_EQ(DispatchMessageA(&msg), 0);
        });
        other.join();
        EXPECT_TRUE(IsWindow(orphan));
        for (const auto& s : SeenFor(orphan)) EXPECT_NE(s.message, WM_COMMAND);
    });
    ASSERT_NE(orphan, nullptr);
    EXPECT_FALSE(IsWindow(orphan));
    EXPECT_FALSE(PostMessageA(orphan, WM_COMMAND, 0, 0));
}

TEST(Windows, AFullQueueRefusesMorePostsInsteadOfGrowing) {
    OnFreshThread([] {
        HWND hwnd = MakeWindow();
        int accepted = 0;
        while (accepted < 20000 && PostMessageA(hwnd, WM_COMMAND, accepted, 0)) ++accepted;
        EXPECT_EQ(accepted, 10000);
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.wParam, 0u);
        EXPECT_TRUE(PostMessageA(hwnd, WM_COMMAND, 1, 0));  // room again
        DestroyWindow(hwnd);
    });
}

}  // namespace
