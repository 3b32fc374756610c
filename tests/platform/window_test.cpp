// Windows and message queues: messages posted from other threads and dispatched on the
// owning thread, the queue's filters and WM_QUIT, sending across threads, and handles
// that outlived their window. Each test runs on a thread of its own so that it starts
// with an empty queue.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/synch.h"
#include "platform/ui/winuser.h"

namespace {

template <class F>
void OnFreshThread(F body) {
    std::thread t(body);
    t.join();
}

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread;
};

// Every message any test window receives, in order.
std::mutex g_seenMutex;
std::vector<Seen> g_seen;
// What WM_CREATE's procedure answers; -1 refuses the creation.
std::atomic<LRESULT> g_createAnswer{0};
std::atomic<bool> g_quitOnDestroy{false};
// What the last WM_CREATE carried (the structure itself lives only during the call).
std::atomic<void*> g_lastCreateParams{nullptr};

LRESULT CALLBACK_Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(g_seenMutex);
        g_seen.push_back({hwnd, msg, wParam, lParam, GetCurrentThreadId()});
    }
    switch (msg) {
    case WM_CREATE:
        g_lastCreateParams = reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams;
        return g_createAnswer;
    case WM_DESTROY:
        if (g_quitOnDestroy) PostQuitMessage(3);
        return 0;
    case WM_USER + 50: return static_cast<LRESULT>(wParam * 2);
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

const char* TestClass() {
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &CALLBACK_Record;
        wc.lpszClassName = "Quillet Test Window";
        EXPECT_NE(RegisterClassA(&wc), 0);
        return "Quillet Test Window";
    }();
    return name;
}

HWND MakeWindow(HWND parent = nullptr, void* param = nullptr) {
    return CreateWindowExA(0, TestClass(), "test", 0, 0, 0, 10, 10, parent, nullptr, nullptr, param);
}

TEST(Windows, CreationSendsWmCreateWithTheCreationParameter) {
    OnFreshThread([] {
        int marker = 0;
        HWND hwnd = MakeWindow(nullptr, &marker);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_TRUE(IsWindow(hwnd));
        auto seen = SeenFor(hwnd);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].message, WM_CREATE);
        EXPECT_EQ(g_lastCreateParams, &marker);
        EXPECT_EQ(seen[0].thread, GetCurrentThreadId());
        EXPECT_TRUE(DestroyWindow(hwnd));
    });
}

TEST(Windows, ClassesAreRegisteredOnceAndLookedUpWithoutCase) {
    TestClass();
    WNDCLASSA wc{};
    wc.lpfnWndProc = &CALLBACK_Record;
    wc.lpszClassName = "quillet test window";
    EXPECT_EQ(RegisterClassA(&wc), 0);  // already there
    wc.lpfnWndProc = nullptr;
    wc.lpszClassName = "Quillet Other";
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
    OnFreshThread([] {
        HWND hwnd = CreateWindowExA(0, "QUILLET TEST WINDOW", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        DestroyWindow(hwnd);
        EXPECT_EQ(CreateWindowExA(0, "No Such Class", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    });
}

TEST(Windows, ARefusedCreationLeavesNoWindow) {
    OnFreshThread([] {
        g_createAnswer = -1;
        HWND hwnd = MakeWindow();
        g_createAnswer = 0;
        EXPECT_EQ(hwnd, nullptr);
    });
}

TEST(Windows, DestroyingSendsWmDestroyAndMakesEveryUseOfTheHandleHarmless) {
    OnFreshThread([] {
        HWND hwnd = MakeWindow();
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(PostMessageA(hwnd, WM_COMMAND, 1, 0));
        ASSERT_TRUE(DestroyWindow(hwnd));
        auto seen = SeenFor(hwnd);
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[1].message, WM_DESTROY);

        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_FALSE(DestroyWindow(hwnd));
        EXPECT_FALSE(PostMessageA(hwnd, WM_COMMAND, 2, 0));
        EXPECT_EQ(SendMessageA(hwnd, WM_USER + 50, 21, 0), 0);
        // The message posted before the window went is not delivered to it.
        MSG msg{};
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        MSG stale{hwnd, WM_COMMAND, 3, 0, 0, {0, 0}};
        EXPECT_EQ(DispatchMessageA(&stale), 0);
        EXPECT_EQ(SeenFor(hwnd).size(), 2u);  // nothing reached the procedure after WM_DESTROY

        HWND madeUp = reinterpret_cast<HWND>(0x4242);
        EXPECT_FALSE(IsWindow(madeUp));
        EXPECT_FALSE(PostMessageA(madeUp, WM_COMMAND, 0, 0));
        // A new window never takes an old window's handle.
        HWND fresh = MakeWindow();
        EXPECT_NE(fresh, hwnd);
        DestroyWindow(fresh);
    });
}

TEST(Windows, DestroyingAParentDestroysItsChildrenAfterIt) {
    OnFreshThread([] {
        HWND parent = MakeWindow();
        HWND child = MakeWindow(parent);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(MakeWindow(reinterpret_cast<HWND>(0x4444)), nullptr);  // no such parent
        {
            std::lock_guard lock(g_seenMutex);
            g_seen.clear();
        }
        ASSERT_TRUE(DestroyWindow(parent));
        EXPECT_FALSE(IsWindow(child));
        std::lock_guard lock(g_seenMutex);
        std::vector<std::pair<HWND, UINT>> order;
        for (const auto& s : g_seen)
            if (s.hwnd == parent || s.hwnd == child) order.emplace_back(s.hwnd, s.message);
        EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{parent, WM_DESTROY}, {child, WM_DESTROY}}));
    });
}

TEST(Messages, PostedFromAnotherThreadAreDispatchedOnTheOwningThread) {
    OnFreshThread([] {
        g_quitOnDestroy = true;
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
        BOOL r;
        while ((r = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
            ASSERT_NE(r, -1);
            DispatchMessageA(&msg);
            ++got;
        }
        poster.join();
        g_quitOnDestroy = false;
        EXPECT_EQ(msg.message, WM_QUIT);
        EXPECT_EQ(msg.wParam, 3u);
        EXPECT_EQ(got, kCount + 1);
        EXPECT_FALSE(IsWindow(hwnd));

        auto seen = SeenFor(hwnd);
        std::vector<WPARAM> commands;
        for (const auto& s : seen) {
            EXPECT_EQ(s.thread, owner);
            if (s.message == WM_COMMAND) commands.push_back(s.wParam);
        }
        ASSERT_EQ(commands.size(), size_t(kCount));
        for (int i = 0; i < kCount; ++i) EXPECT_EQ(commands[i], WPARAM(1000 + i));
    });
}

TEST(Messages, PeekFiltersByRangeWindowAndRemoval) {
    OnFreshThread([] {
        HWND a = MakeWindow();
        HWND b = MakeWindow();
        ASSERT_TRUE(PostMessageA(a, WM_USER + 1, 1, 0));
        ASSERT_TRUE(PostMessageA(b, WM_COMMAND, 2, 0));
        ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 2, 3, 0));

        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
        EXPECT_EQ(msg.wParam, 2u);
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
        EXPECT_EQ(msg.hwnd, b);
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));

        // Thread messages only (window filter -1).
        ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.hwnd, nullptr);
        EXPECT_EQ(msg.wParam, 3u);
        EXPECT_EQ(DispatchMessageA(&msg), 0);  // thread messages have no procedure

        EXPECT_FALSE(PeekMessageA(&msg, b, 0, 0, PM_REMOVE));
        ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, WM_USER + 1);
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
        EXPECT_FALSE(PeekMessageA(&msg, reinterpret_cast<HWND>(0x4246), 0, 0, PM_REMOVE));
        EXPECT_EQ(GetMessageA(&msg, reinterpret_cast<HWND>(0x4246), 0, 0), -1);
        DestroyWindow(a);
        DestroyWindow(b);
    });
}

TEST(Messages, QuitComesAfterThePostedMessagesWhateverTheFilter) {
    OnFreshThread([] {
        ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 7, 0, 0));  // null window: a thread message
        PostQuitMessage(9);
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
        EXPECT_EQ(msg.message, WM_QUIT);  // the range filter does not hold WM_QUIT back
        ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
        EXPECT_EQ(msg.message, WM_USER + 7);
        EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
        EXPECT_EQ(msg.message, WM_QUIT);
        EXPECT_EQ(msg.wParam, 9u);
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    });
}

TEST(Messages, ThreadMessagesReachOnlyThreadsWithAQueue) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> id{0};
    std::thread receiver([&] {
        MSG msg{};
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue, as on the platform
        id = GetCurrentThreadId();
        SetEvent(ready);
        ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
        EXPECT_EQ(msg.message, WM_USER + 3);
        EXPECT_EQ(msg.lParam, 77);
    });
    WaitForSingleObject(ready, INFINITE);
    EXPECT_TRUE(PostThreadMessageA(id, WM_USER + 3, 0, 77));
    receiver.join();
    CloseHandle(ready);
    EXPECT_FALSE(PostThreadMessageA(id, WM_USER + 3, 0, 77));  // its queue ended with it
    EXPECT_FALSE(PostThreadMessageA(0xFFFFFF, WM_USER, 0, 0));
}

TEST(Messages, AWindowDiesWithItsThread) {
    HWND orphan = nullptr;
    OnFreshThread([&] { orphan = MakeWindow(); });
    ASSERT_NE(orphan, nullptr);
    EXPECT_FALSE(IsWindow(orphan));
    EXPECT_FALSE(PostMessageA(orphan, WM_COMMAND, 0, 0));
}

TEST(Messages, OnlyTheOwningThreadDestroysOrDispatches) {
    OnFreshThread([] {
        HWND hwnd = MakeWindow();
        std::thread other([hwnd] {
            EXPECT_FALSE(DestroyWindow(hwnd));
            MSG msg{hwnd, WM_COMMAND, 5, 0, 0, {0, 0}};
            EXPECT_EQ(DispatchMessageA(&msg), 0);
        });
        other.join();
        EXPECT_TRUE(IsWindow(hwnd));
        for (const auto& s : SeenFor(hwnd)) EXPECT_NE(s.message, WM_COMMAND);
        DestroyWindow(hwnd);
    });
}

TEST(Messages, SendRunsTheProcedureDirectlyOrOnTheOwningThread) {
    OnFreshThread([] {
        HWND hwnd = MakeWindow();
        const DWORD owner = GetCurrentThreadId();
        EXPECT_EQ(SendMessageA(hwnd, WM_USER + 50, 21, 0), 42);

        std::atomic<bool> answered{false};
        std::thread sender([&] {
            EXPECT_EQ(SendMessageA(hwnd, WM_USER + 50, 50, 0), 100);
            answered = true;
            PostMessageA(hwnd, WM_USER + 51, 0, 0);
        });
        MSG msg{};
        while (GetMessageA(&msg, nullptr, 0, 0) > 0 && msg.message != WM_USER + 51) DispatchMessageA(&msg);
        sender.join();
        EXPECT_TRUE(answered);
        int sent = 0;
        for (const auto& s : SeenFor(hwnd)) {
            if (s.message == WM_USER + 50) {
                EXPECT_EQ(s.thread, owner);
                ++sent;
            }
        }
        EXPECT_EQ(sent, 2);
        DestroyWindow(hwnd);
    });
}

TEST(Messages, SendToAThreadThatEndsWithoutAnsweringReturnsZero) {
    HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE finish = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND hwnd = nullptr;
    std::thread owner([&] {
        hwnd = MakeWindow();
        SetEvent(created);
        WaitForSingleObject(finish, INFINITE);  // never reads its queue
    });
    WaitForSingleObject(created, INFINITE);
    std::thread sender([&] { EXPECT_EQ(SendMessageA(hwnd, WM_USER + 50, 1, 0), 0); });
    SetEvent(finish);
    owner.join();
    sender.join();
    CloseHandle(created);
    CloseHandle(finish);
}

TEST(Messages, AFullQueueRefusesMorePostsInsteadOfGrowing) {
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
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));  // all purged with the window
    });
}

}  // namespace
