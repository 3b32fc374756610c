#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace brushwerk::cli::testing {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/brushwerk-cli-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    m_path = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

std::string ProgramPath() { return BRUSHWERK_PROGRAM; }

std::string ModulePath() {
#ifdef QUILLET_MODULE_PATH
    if (std::filesystem::exists(QUILLET_MODULE_PATH)) return QUILLET_MODULE_PATH;
#endif
    return {};
}

static int ExitStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128; }

RunResult RunProgram(const TempDir& dir, const std::vector<std::string>& args, const std::string& stdinFile,
                     const std::string& extraEnv) {
    std::string command = "QUILLET_REGISTRY=" + ShellQuote(dir.File("registry.reg")) + " " + extraEnv + " " +
                          ShellQuote(ProgramPath());
    for (const std::string& a : args) command += " " + ShellQuote(a);
    command += " < " + ShellQuote(stdinFile.empty() ? "/dev/null" : stdinFile);
    command += " > " + ShellQuote(dir.File(".stdout")) + " 2> " + ShellQuote(dir.File(".stderr"));
    RunResult r;
    r.exitCode = ExitStatus(std::system(command.c_str()));
    r.out = ReadText(dir.File(".stdout"));
    r.err = ReadText(dir.File(".stderr"));
    return r;
}

int RunShell(const TempDir& dir, const std::string& command) {
    const std::string full = "export QUILLET_REGISTRY=" + ShellQuote(dir.File("registry.reg")) + "; " + command;
    return ExitStatus(std::system(("bash -c " + ShellQuote("set -o pipefail; " + full)).c_str()));
}

}  // namespace brushwerk::cli::testing
