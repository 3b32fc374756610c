// `brushwerk studio`'s own options: what to show and where saves go.
#pragma once

#include <string>
#include <vector>

namespace brushwerk::studio {

struct StudioOptions {
    std::string input;         // a PNG or JPEG picture, a video, or empty for the demo picture
    std::string effect;        // the effect to start with (default: the first)
    std::string preset;        // a preset of it by name or index (default: row 0)
    std::string savePrefix = "studio";  // saves go to PREFIX-N.png, .state and .txt
    std::string modulePath;
    unsigned processors = 0;   // 0: the machine's
};

// Throws cli::CliError (usage) on a malformed command line.
StudioOptions ParseStudioOptions(const std::vector<std::string>& args);

const char* StudioUsage();

}  // namespace brushwerk::studio
