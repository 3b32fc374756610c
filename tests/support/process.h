// Running another program from a test: standard streams redirected, extra
// environment variables, exit code and error text collected.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
    int exitCode = -1;  // -1: did not start or did not exit normally
    std::string out;
    std::string err;
};

// argv[0] is looked up on PATH; an empty stdinPath reads /dev/null, an empty stdoutPath
// captures standard output into the result; environment adds to this process's own.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& stdinPath = {},
                         const std::string& stdoutPath = {},
                         const std::map<std::string, std::string>& environment = {});

// True when a program of that name is on PATH.
bool HaveProgram(const std::string& name);

}  // namespace testsupport
