// The three commands of the program. Each returns the exit status and reports
// failures as CliError.
#pragma once

#include <ostream>

#include "host/cli/cli_options.h"

namespace brushwerk::cli {

int RunList(const ListOptions& options, std::ostream& out);
int RunRender(const RenderOptions& options, std::ostream& messages);
int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& errors);
int RunRegister(const RegisterOptions& options, bool doRegister, std::ostream& out);

}  // namespace brushwerk::cli
