// The debug output channel: where it writes, and that concurrent texts stay whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/com/debug.h"
#include "tests/support/environment.h"

namespace {

TEST(DebugOutput, AppendsToTheNamedFileOrStandardErrorAndOtherwiseNowhere) {
    testsupport::DebugOutputCapture out;
    OutputDebugStringA("\nEntering Function: CDXBaseNTo1::Setup\n");
    OutputDebugStringA("Leaving Function: CDXBaseNTo1::Setup\n");
    OutputDebugStringA("");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(out.Text(), "\nEntering Function: CDXBaseNTo1::Setup\nLeaving Function: CDXBaseNTo1::Setup\n");
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
    // A file that cannot be opened is no failure for the caller.
    testsupport::ScopedEnv nowhere("QUILLET_DEBUG_OUTPUT", "/nonexistent-folder/x/debug.txt");
    OutputDebugStringA("dropped\n");
}

TEST(DebugOutput, ThreadsWritingAtOnceKeepEachTextWhole) {
    testsupport::DebugOutputCapture out;
    constexpr int kThreads = 4, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            std::string line = "thread " + std::to_string(t) + ": " + std::string(300, char('a' + t)) + "\n";
            for (int i = 0; i < kLines; ++i) OutputDebugStringA(line.c_str());
        });
    }
    for (auto& t : threads) t.join();
    std::istringstream lines(out.Text());
    std::string line;
    int counts[kThreads] = {};
    while (std::getline(lines, line)) {
        ASSERT_EQ(line.size(), 310u) << line.substr(0, 40);
        const int t = line[7] - '0';
        ASSERT_TRUE(t >= 0 && t < kThreads);
        EXPECT_EQ(line.substr(10), std::string(300, char('a' + t)));
        ++counts[t];
    }
    for (int c : counts) EXPECT_EQ(c, kLines);
}

}  // namespace
