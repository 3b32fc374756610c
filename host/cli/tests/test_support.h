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
inline RunResult RunProgram(const TempDir& dir, std::vector<std::string> args, const std::string& stdinFile = {}) {
    args.insert(args.begin(), BRUSHWERK_PROGRAM);
    return ::testsupport::RunProcess(args, stdinFile, "", {{"QUILLET_REGISTRY", dir.File("registry.reg")}});
}

}  // namespace brushwerk::cli::testing
