// The command line's own failure: a message for the user and the exit status.
// Used only inside the program; calls into the module return result codes.
#pragma once

#include <stdexcept>
#include <string>

namespace brushwerk::cli {

class CliError : public std::runtime_error {
public:
    explicit CliError(const std::string& message, int exitCode = 1)
        : std::runtime_error(message), m_exitCode(exitCode) {}
    int ExitCode() const { return m_exitCode; }

private:
    int m_exitCode;
};

// Exit statuses: 1 bad input or failed work, 2 bad command line.
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// "0x80004001" for a result code in messages.
std::string HResultText(long hr);

}  // namespace brushwerk::cli
