// Events and the debug output channel as the transform base uses them: one manual-reset
// event per band, reset before the bands start, set by workers on other threads, waited
// for all at once; traces written from those threads, each text whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "platform/com/debug.h"
#include "platform/com/synch.h"
#include "tests/support/environment.h"

namespace {

TEST(Events, SignalResetAndWaitForAllBands) {
    constexpr int kBands = 4;
    std::vector<HANDLE> done;
    for (int i = 0; i < kBands; ++i) done.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(WaitForMultipleObjects(kBands, done.data(), TRUE, 10), WAIT_TIMEOUT);
    std::vector<std::thread> workers;  // set on other threads, waited for all at once
    for (int i = 0; i < kBands; ++i) workers.emplace_back([&, i] { SetEvent(done[i]); });
    ASSERT_EQ(WaitForMultipleObjects(kBands, done.data(), TRUE, INFINITE), WAIT_OBJECT_0);
    for (auto& t : workers) t.join();
    EXPECT_EQ(WaitForMultipleObjects(kBands, done.data(), TRUE, 0), WAIT_OBJECT_0);  // manual reset: still set
    ResetEvent(done[1]);
    EXPECT_EQ(WaitForMultipleObjects(kBands, done.data(), TRUE, 5), WAIT_TIMEOUT);  // three are not all

    // A closed handle is refused, and a new event never takes its number.
    const HANDLE closed = done[1];
    ASSERT_TRUE(CloseHandle(closed));
    EXPECT_EQ(WaitForMultipleObjects(kBands, done.data(), TRUE, INFINITE), WAIT_FAILED);
    done[1] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(done[1], closed);
    for (HANDLE h : done) EXPECT_TRUE(CloseHandle(h));
}

TEST(DebugOutput, AppendsToTheNamedFileOrStandardErrorAndOtherwiseNowhere) {
    testsupport::DebugOutputCapture out;
    OutputDebugStringA("\nEntering Function: CDXBaseNTo1::Setup\n");
    EXPECT_EQ(out.Text(), "\nEntering Function: CDXBaseNTo1::Setup\n");
    std::filesystem::remove(out.Path());
    {
        testsupport::ScopedEnv unset("QUILLET_DEBUG_OUTPUT", std::nullopt);
        OutputDebugStringA("lost\n");
    }
    EXPECT_FALSE(std::filesystem::exists(out.Path()));
    {
        testsupport::ScopedEnv dash("QUILLET_DEBUG_OUTPUT", "-");
        testing::internal::CaptureStderr();
        OutputDebugStringA("to stderr\n");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
    }
    {
        testsupport::ScopedEnv nowhere("QUILLET_DEBUG_OUTPUT", "/nonexistent-folder/x/debug.txt");
        OutputDebugStringA("dropped\n");  // no failure for the caller
    }
    // Threads writing at once keep each text whole.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            const std::string line = std::to_string(t) + std::string(300, char('a' + t)) + "\n";
            for (int i = 0; i < 200; ++i) OutputDebugStringA(line.c_str());
        });
    for (auto& t : threads) t.join();
    std::istringstream lines(out.Text());
    std::string line;
    int counts[4] = {};
    while (std::getline(lines, line)) {
        const int t = line[0] - '0';
        ASSERT_TRUE(t >= 0 && t < 4 && line == std::to_string(t) + std::string(300, char('a' + t))) << line.substr(0, 40);
        ++counts[t];
    }
    for (int c : counts) EXPECT_EQ(c, 200);
}

}  // namespace
