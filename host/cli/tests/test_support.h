// Shared helpers of the command line's tests: the real program run with a registry
// file of its own, over the helpers every test program shares.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace brushwerk::cli::testing {

using TempDir = ::testsupport::TempFolder;
using RunResult = ::testsupport::ProcessResult;
using ::testsupport::ReadBytes;
using ::testsupport::ReadText;
using ::testsupport::WriteBytes;

// Runs the built program with args; stdinFile, when given, becomes standard input and
// the registry is a file inside dir.
RunResult RunProgram(const TempDir& dir, const std::vector<std::string>& args, const std::string& stdinFile = {});

// The module built beside the program, or empty when it does not exist yet.
std::string ModulePath();

}  // namespace brushwerk::cli::testing
