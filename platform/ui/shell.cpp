#include "platform/ui/shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <mutex>
#include <thread>

#include "platform/ui/display.h"

extern char** environ;

namespace {
std::mutex g_mutex;
std::vector<std::string> g_requests;
}  // namespace

extern "C" HINSTANCE ShellExecuteA(HWND, const char* verb, const char* file, const char*, const char*, int) {
    if ((verb && std::strcmp(verb, "open") != 0) || !file || !*file)
        return reinterpret_cast<HINSTANCE>(intptr_t(SE_ERR_NOASSOC));
    if (std::strcmp(ActiveDisplay().Name(), "headless") == 0) {
        std::lock_guard lock(g_mutex);
        g_requests.push_back(file);
        return reinterpret_cast<HINSTANCE>(intptr_t(42));
    }
    pid_t pid;
    char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(file), nullptr};
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0)
        return reinterpret_cast<HINSTANCE>(intptr_t(SE_ERR_NOASSOC));
    // The opener runs on its own; a waiting thread keeps it from lingering as a zombie.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return reinterpret_cast<HINSTANCE>(intptr_t(42));
}

std::vector<std::string> HeadlessShellRequests() {
    std::lock_guard lock(g_mutex);
    return g_requests;
}
