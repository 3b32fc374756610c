// The Reg* functions as the system, its hosts and the stand-in's own readers call them:
// each step of one sequence with the code it must answer, then writers in several
// threads and processes at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

using namespace testsupport;

namespace {

HKEY g_key, g_sub;  // handles the steps below share
DWORD g_disposition, g_type, g_size;
char g_data[16];

LSTATUS Create(HKEY root, const char* path, HKEY* key = &g_sub) {
    return RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key, &g_disposition);
}
LSTATUS Open(HKEY root, const char* path, REGSAM access, HKEY* key) { return RegOpenKeyExA(root, path, 0, access, key); }
LSTATUS Set(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
}
LSTATUS Query(HKEY key, const char* name, DWORD capacity, bool withData = true) {
    g_size = capacity;
    g_type = 0;
    std::memset(g_data, '#', sizeof g_data);
    return RegQueryValueExA(key, name, nullptr, &g_type, withData ? reinterpret_cast<BYTE*>(g_data) : nullptr, &g_size);
}
LSTATUS EnumKey(HKEY key, DWORD index, DWORD capacity) {
    g_size = capacity;
    return RegEnumKeyExA(key, index, g_data, &g_size, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(RegistryApi, EachStepAnswersWithItsCode) {
    TempRegistry reg;
    static const DWORD ten = 10;
    struct Step {
        const char* what;
        std::function<LSTATUS()> call;
        LSTATUS expected;
        std::function<bool()> after = [] { return true; };
    };
    const Step steps[] = {
        {"create", [] { return Create(HKEY_CLASSES_ROOT, "Main.Plugin\\CLSID"); }, ERROR_SUCCESS,
         [] { return g_disposition == REG_CREATED_NEW_KEY && RegCloseKey(g_sub) == ERROR_SUCCESS; }},
        {"create again in other case", [] { return Create(HKEY_CLASSES_ROOT, "MAIN.PLUGIN\\clsid"); }, ERROR_SUCCESS,
         [] { return g_disposition == REG_OPENED_EXISTING_KEY && RegCloseKey(g_sub) == ERROR_SUCCESS; }},
        {"open", [] { return Open(HKEY_CLASSES_ROOT, "main.plugin", KEY_READ, &g_key); }, ERROR_SUCCESS},
        {"enum keeps the spelling", [] { return EnumKey(g_key, 0, 16); }, ERROR_SUCCESS,
         [] { return std::string(g_data) == "CLSID" && g_size == 5; }},
        {"enum into too small a buffer", [] { return EnumKey(g_key, 0, 1); }, ERROR_MORE_DATA},
        {"enum past the end", [] { return EnumKey(g_key, 1, 16); }, ERROR_NO_MORE_ITEMS},
        {"missing key", [] { return Open(HKEY_CLASSES_ROOT, "Nope", KEY_READ, &g_sub); }, ERROR_FILE_NOT_FOUND,
         [] { return g_sub == nullptr; }},
        {"roots are separate trees", [] { return Open(HKEY_LOCAL_MACHINE, "Main.Plugin", KEY_READ, &g_sub); },
         ERROR_FILE_NOT_FOUND},
        {"close", [] { return RegCloseKey(g_key); }, ERROR_SUCCESS},
        {"create for values", [] { return Create(HKEY_CLASSES_ROOT, "DXTDbgFlags", &g_key); }, ERROR_SUCCESS},
        {"dword", [] { return Set(g_key, "Flags", REG_DWORD, &ten, 4); }, ERROR_SUCCESS},
        {"dword read in other case", [] { return Query(g_key, "flags", 4); }, ERROR_SUCCESS,
         [] { return g_type == REG_DWORD && g_size == 4 && *reinterpret_cast<DWORD*>(g_data) == 10; }},
        {"unset default value", [] { return Query(g_key, "", 16); }, ERROR_FILE_NOT_FOUND},
        {"default value", [] { return Set(g_key, nullptr, REG_SZ, "hello", 6); }, ERROR_SUCCESS},
        {"size asked without data", [] { return Query(g_key, "", 0, false); }, ERROR_SUCCESS,
         [] { return g_size == 6 && g_type == REG_SZ; }},
        {"too small a buffer", [] { return Query(g_key, nullptr, 3); }, ERROR_MORE_DATA, [] { return g_size == 6; }},
        {"exactly enough", [] { return Query(g_key, nullptr, 6); }, ERROR_SUCCESS,
         [] { return std::string(g_data) == "hello"; }},
        {"close again", [] { return RegCloseKey(g_key); }, ERROR_SUCCESS},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(step.call(), step.expected) << step.what;
        EXPECT_TRUE(step.after()) << step.what;
    }
    EXPECT_EQ(RegistryFilePath(), reg.Path());
}

namespace {

constexpr int kKeysPerWriter = 40;

std::string KeyName(int writer, int i) { return "Writer" + std::to_string(writer) + "\\Key" + std::to_string(i); }

// Writes its keys, reading each back at once (a read in between must see a whole
// file); returns the failed calls.
int RegisterKeys(int writer) {
    int failures = 0;
    for (int i = 0; i < kKeysPerWriter; ++i) {
        failures += WriteString(HKEY_CLASSES_ROOT, KeyName(writer, i), "Owner", std::to_string(writer)) != ERROR_SUCCESS;
        failures += ReadString(HKEY_CLASSES_ROOT, KeyName(writer, i), "Owner") != std::to_string(writer);
    }
    return failures;
}

bool TemporaryFileIn(const std::string& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().string().find(".tmp.") != std::string::npos) return true;
    return false;
}

}  // namespace

// Threads of one process and seven other processes (each with the store of its own)
// registering at once: every key is in the file afterwards, no temporary file is left.
TEST(RegistryConcurrency, ThreadsAndProcessesRegisteringAtOnceLoseNothing) {
    TempRegistry reg;
    constexpr int kProcesses = 7, kThreads = 3;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) _exit(RegisterKeys(p) == 0 ? 0 : 1);
        children.push_back(pid);
    }
    int failures[kThreads] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back([t, &failures] { failures[t] = RegisterKeys(kProcesses + t); });
    for (auto& t : threads) t.join();
    for (int f : failures) EXPECT_EQ(f, 0);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    reg.ForceReload();
    for (int w = 0; w < kProcesses + kThreads; ++w)
        for (int i = 0; i < kKeysPerWriter; ++i)
            EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, KeyName(w, i), "Owner"), std::to_string(w)) << KeyName(w, i);
    EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, "").size(), size_t(kProcesses + kThreads)) << "only the Writer keys";
    EXPECT_FALSE(TemporaryFileIn(reg.Folder()));
}

// A writer killed while it writes its temporary file: the registry file keeps the last
// whole save, and the next save clears away what the killed one left.
TEST(RegistryConcurrency, AWriterKilledInTheMiddleOfASaveLeavesTheFileWhole) {
    TempRegistry reg;
    constexpr int kValues = 500;
    constexpr size_t kLength = 4000;  // saves of 2 MB, so that one is caught in progress
    auto name = [](int i) { return "v" + std::to_string(i % kValues); };
    for (int v = 0; v < kValues; ++v)
        ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Big", name(v).c_str(), std::string(kLength, 'a')), ERROR_SUCCESS);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
        for (int i = 1;; ++i) WriteString(HKEY_CLASSES_ROOT, "Big", name(i).c_str(), std::string(kLength, char('a' + i % 26)));
    bool caught = false;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20); !caught && std::chrono::steady_clock::now() < end;)
        caught = TemporaryFileIn(reg.Folder());
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_TRUE(caught);
    reg.ForceReload();
    for (int v = 0; v < kValues; ++v) {
        const std::optional<std::string> text = ReadString(HKEY_CLASSES_ROOT, "Big", name(v).c_str());
        ASSERT_TRUE(text) << RegistryLastError();
        EXPECT_TRUE(*text == std::string(kLength, text->front())) << name(v) << " is not whole";
    }
    EXPECT_EQ(WriteString(HKEY_CLASSES_ROOT, "After", "", "kill"), ERROR_SUCCESS);
    EXPECT_FALSE(TemporaryFileIn(reg.Folder()));
}
