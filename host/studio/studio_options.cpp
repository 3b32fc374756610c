#include "host/studio/studio_options.h"

#include <cstdlib>

#include "host/cli/cli_error.h"

namespace brushwerk::studio {
namespace {

[[noreturn]] void Usage(const std::string& text) { throw cli::CliError("studio: " + text, cli::kExitUsage); }

}  // namespace

StudioOptions ParseStudioOptions(const std::vector<std::string>& args) {
    StudioOptions o;
    bool haveInput = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string w = args[i], value;
        const size_t eq = w.find('=');
        const bool option = w.size() > 2 && w.rfind("--", 0) == 0;
        if (option && eq != std::string::npos) value = w.substr(eq + 1), w = w.substr(0, eq);
        auto next = [&]() -> std::string {
            if (eq != std::string::npos) return value;
            if (i + 1 >= args.size()) Usage(w + " needs a value");
            return args[++i];
        };
        if (w == "--effect") o.effect = next();
        else if (w == "--preset") o.preset = next();
        else if (w == "--save-to") o.savePrefix = next();
        else if (w == "--module") o.modulePath = next();
        else if (w == "--processors") {
            const std::string v = next();
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || n < 1 || n > 64) Usage("--processors takes 1 to 64, not '" + v + "'");
            o.processors = unsigned(n);
        } else if (option) Usage("unknown option '" + w + "'");
        else if (!haveInput) o.input = w, haveInput = true;
        else Usage("one picture or video only, not also '" + w + "'");
    }
    if (o.savePrefix.empty()) Usage("--save-to needs a name");
    return o;
}

const char* StudioUsage() {
    return R"(  brushwerk studio [PICTURE | VIDEO] [--effect E] [--preset P] [--save-to PREFIX]
      A window that shows the picture (default: the demo picture; PNG, JPEG, or a
      video's frames through ffmpeg) through one effect, rendered again in the
      background at every change, beside the effect's property page.
      Keys: 1-7 effect, Left/Right preset, B before/after, E eyedropper (then click
      the preview or anywhere on screen), K second keyframe here (again: clear),
      comma/period keyframe position, minus/equals video frame, S save, Q quit.
      S writes PREFIX-N.png (the rendered picture), PREFIX-N.state (the record, for
      render --load-state) and PREFIX-N.txt (the render command that makes the
      same picture, also printed).
)";
}

}  // namespace brushwerk::studio
