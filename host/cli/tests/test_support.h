// Shared helpers of the command line's tests: a temporary folder per test, files,
// and running the real program with its own registry file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace brushwerk::cli::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::string ReadText(const std::string& path);

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built program with args (each quoted for the shell). stdinFile, when given,
// becomes standard input; the registry is a file inside dir. Standard output is kept
// in a file of dir and read back.
RunResult RunProgram(const TempDir& dir, const std::vector<std::string>& args, const std::string& stdinFile = {},
                     const std::string& extraEnv = {});
// Runs a whole shell pipeline (for ffmpeg) with the registry inside dir.
int RunShell(const TempDir& dir, const std::string& command);

std::string ProgramPath();
// The module built beside the program, or empty when it does not exist yet.
std::string ModulePath();
std::string ShellQuote(const std::string& s);

}  // namespace brushwerk::cli::testing
