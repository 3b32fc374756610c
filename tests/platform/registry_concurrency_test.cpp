// Several writers at once, in threads of one process and in separate processes, each
// registering its own keys: every key must be in the file afterwards.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/com/regscript.h"
#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

using testsupport::KeyExists;
using testsupport::ReadString;
using testsupport::TempRegistry;
using testsupport::WriteString;

namespace {

constexpr int kKeysPerWriter = 40;

std::string KeyName(int writer, int i) { return "Writer" + std::to_string(writer) + "\\Key" + std::to_string(i); }

// Returns the number of failed calls.
int RegisterKeys(int writer) {
    int failures = 0;
    for (int i = 0; i < kKeysPerWriter; ++i) {
        if (WriteString(HKEY_CLASSES_ROOT, KeyName(writer, i).c_str(), "Owner", std::to_string(writer)) != ERROR_SUCCESS)
            ++failures;
        // Reads in between must always see a whole file.
        if (ReadString(HKEY_CLASSES_ROOT, KeyName(writer, i).c_str(), "Owner") != std::to_string(writer)) ++failures;
    }
    return failures;
}

void ExpectAllKeys(int writers) {
    for (int w = 0; w < writers; ++w)
        for (int i = 0; i < kKeysPerWriter; ++i)
            EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, KeyName(w, i).c_str(), "Owner"), std::to_string(w)) << KeyName(w, i);
}

}  // namespace

TEST(RegistryConcurrency, ThreadsRegisteringAtOnceLoseNothing) {
    TempRegistry reg;
    constexpr int kThreads = 4;
    int failures[kThreads] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back([t, &failures] { failures[t] = RegisterKeys(t); });
    for (auto& t : threads) t.join();
    for (int f : failures) EXPECT_EQ(f, 0);
    ExpectAllKeys(kThreads);
}

TEST(RegistryConcurrency, ThreadsRunningScriptsAtOnce) {
    TempRegistry reg;
    constexpr int kThreads = 4;
    std::vector<std::thread> threads;
    HRESULT results[kThreads] = {};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &results] {
            std::string script = "HKCR { NoRemove Shared { Entry" + std::to_string(t) +
                                 " = s '%MODULE%' { val Index = d '" + std::to_string(t) + "' } } }";
            std::string module = "/lib/m" + std::to_string(t) + ".so";
            RegistryReplacement r{"MODULE", module.c_str()};
            for (int round = 0; round < 10 && SUCCEEDED(results[t]); ++round) {
                results[t] = RegistryScriptRun(script.c_str(), TRUE, &r, 1);
                if (SUCCEEDED(results[t]) && round % 2 == 0) results[t] = RegistryScriptRun(script.c_str(), FALSE, &r, 1);
            }
        });
    }
    for (auto& t : threads) t.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(results[t], S_OK);
        std::string key = "Shared\\Entry" + std::to_string(t);
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key.c_str(), ""), "/lib/m" + std::to_string(t) + ".so");
    }
}

TEST(RegistryProcesses, TwoProcessesRegisteringAtOnceLoseNothing) {
    TempRegistry reg;
    constexpr int kProcesses = 3;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) _exit(RegisterKeys(p) == 0 ? 0 : 1);
        children.push_back(pid);
    }
    // The parent writes too, while the children run.
    EXPECT_EQ(RegisterKeys(kProcesses), 0);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ExpectAllKeys(kProcesses + 1);
    // No temporary files are left behind.
    for (const auto& entry : std::filesystem::directory_iterator(reg.Folder()))
        EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << entry.path();
}
