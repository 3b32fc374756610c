// `brushwerk studio`: the command's entry from the program's main.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace brushwerk::studio {

// args: what follows "studio". Returns the exit status; throws cli::CliError.
int RunStudio(const std::vector<std::string>& args, std::ostream& out);

}  // namespace brushwerk::studio
