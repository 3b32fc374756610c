#include "tests/support/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "tests/support/files.h"

extern char** environ;

namespace testsupport {

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& stdinPath,
                         const std::string& stdoutPath, const std::map<std::string, std::string>& environment) {
    ProcessResult result;
    if (argv.empty()) return result;
    TempFolder streams;
    const std::string outPath = stdoutPath.empty() ? streams.File("out") : stdoutPath;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, stdinPath.empty() ? "/dev/null" : stdinPath.c_str(),
                                     O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, streams.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const size_t eq = entry.find('=');
        if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : environment) merged[name] = value;
    std::vector<std::string> envText;
    for (const auto& [name, value] : merged) envText.push_back(name + "=" + value);
    std::vector<std::string> argText = argv;
    std::vector<char*> envp, args;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    for (std::string& a : argText) args.push_back(a.data());
    args.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned == 0) {
        int status = 0;
        if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    }
    if (stdoutPath.empty()) result.out = ReadText(outPath);
    result.err = ReadText(streams.File("err"));
    return result;
}

ProcessResult RunShell(const std::string& command, const std::map<std::string, std::string>& environment) {
    return RunProcess({"bash", "-c", "set -o pipefail; " + command}, "", "", environment);
}

bool HaveProgram(const std::string& name) {
    const char* path = ::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    return false;
}

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

}  // namespace testsupport
