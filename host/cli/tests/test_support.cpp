#include "test_support.h"

#include <filesystem>

namespace brushwerk::cli::testing {

std::string ModulePath() {
#ifdef QUILLET_MODULE_PATH
    if (std::filesystem::exists(QUILLET_MODULE_PATH)) return QUILLET_MODULE_PATH;
#endif
    return {};
}

RunResult RunProgram(const TempDir& dir, const std::vector<std::string>& args, const std::string& stdinFile) {
    std::vector<std::string> argv = {BRUSHWERK_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    return ::testsupport::RunProcess(argv, stdinFile, "", {{"QUILLET_REGISTRY", dir.File("registry.reg")}});
}

}  // namespace brushwerk::cli::testing
