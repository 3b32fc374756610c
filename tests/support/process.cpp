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

    // This process's environment with the given variables in place of its own.
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        if (!environment.count(std::string(*e).substr(0, std::string(*e).find('=')))) envText.push_back(*e);
    for (const auto& [name, value] : environment) envText.push_back(name + "=" + value);
    std::vector<char*> envp, args;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
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

bool HaveProgram(const std::string& name) {
    const char* path = ::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    return false;
}

}  // namespace testsupport
