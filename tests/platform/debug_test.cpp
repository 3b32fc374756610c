// The debug output channel: where it writes, and that concurrent texts stay whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/com/debug.h"

namespace {

class DebugOutputFile {
public:
    DebugOutputFile() {
        char pattern[] = "/tmp/quillet-debugtest-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        m_folder = made ? made : "/tmp";
        m_path = m_folder + "/debug.txt";
        ::setenv("QUILLET_DEBUG_OUTPUT", m_path.c_str(), 1);
    }
    ~DebugOutputFile() {
        ::unsetenv("QUILLET_DEBUG_OUTPUT");
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    const std::string& Path() const { return m_path; }
    std::string Text() const {
        std::ifstream in(m_path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string m_folder;
    std::string m_path;
};

}  // namespace

TEST(DebugOutput, AppendsToTheNamedFile) {
    DebugOutputFile out;
    OutputDebugStringA("\nEntering Function: CDXBaseNTo1::Setup\n");
    OutputDebugStringA("Leaving Function: CDXBaseNTo1::Setup\n");
    OutputDebugStringA("");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(out.Text(), "\nEntering Function: CDXBaseNTo1::Setup\nLeaving Function: CDXBaseNTo1::Setup\n");
}

TEST(DebugOutput, UnsetWritesNowhereAndDashIsStandardError) {
    DebugOutputFile out;
    ::unsetenv("QUILLET_DEBUG_OUTPUT");
    OutputDebugStringA("lost\n");
    EXPECT_FALSE(std::filesystem::exists(out.Path()));

    ::setenv("QUILLET_DEBUG_OUTPUT", "-", 1);
    testing::internal::CaptureStderr();
    OutputDebugStringA("to stderr\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");

    // A file that cannot be opened is no failure for the caller.
    ::setenv("QUILLET_DEBUG_OUTPUT", "/nonexistent-folder/x/debug.txt", 1);
    OutputDebugStringA("dropped\n");
}

TEST(DebugOutput, ThreadsWritingAtOnceKeepEachTextWhole) {
    DebugOutputFile out;
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
        int t = line[7] - '0';
        ASSERT_TRUE(t >= 0 && t < kThreads);
        EXPECT_EQ(line.substr(10), std::string(300, char('a' + t)));
        ++counts[t];
    }
    for (int c : counts) EXPECT_EQ(c, kLines);
}
