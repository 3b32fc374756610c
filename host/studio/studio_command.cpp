#include "host/studio/studio_command.h"

#include <cstdlib>

#include "host/cli/cli_error.h"
#include "host/studio/studio.h"

namespace brushwerk::studio {

int RunStudio(const std::vector<std::string>& args, std::ostream& out) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            out << "Usage:\n" << StudioUsage();
            return 0;
        }
    const StudioOptions options = ParseStudioOptions(args);
    // A window needs a display: the X server's, unless the headless one is chosen.
    const char* chosen = std::getenv("QUILLET_DISPLAY");
    if (!std::getenv("DISPLAY") && !(chosen && *chosen))
        throw cli::CliError("studio: no display (DISPLAY is not set); run it in an X session or under xvfb-run");
    Studio studio(options, out);
    return studio.Run();
}

}  // namespace brushwerk::studio
