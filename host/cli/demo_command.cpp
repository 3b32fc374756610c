// `brushwerk demo`: the built-in test card through every effect and its first presets,
// written as PNG files into one folder; no input files needed.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "host/cli/cli_error.h"
#include "host/cli/commands.h"
#include "host/cli/demo_picture.h"
#include "host/cli/effect_instance.h"
#include "host/cli/picture_files.h"
#include "host/cli/text_output.h"

namespace brushwerk::cli {
namespace {

constexpr int kPresetsPerEffect = 3;

void MakeDirectories(const std::string& path) {
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty()) continue;
        if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
            throw CliError("cannot make folder " + partial + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) throw CliError(path + " is not a folder");
}

}  // namespace

int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& errors) {
    std::string folder = options.directory;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    MakeDirectories(folder);

    ModuleHost host(ModuleLocation{options.modulePath});
    const unsigned processors = options.processors ? options.processors : std::max(1u, std::thread::hardware_concurrency());
    const Image card = DrawTestCard();
    const std::string cardPath = folder + "/testcard.png";
    WritePicture(cardPath, card);
    out << "wrote " << cardPath << "  (the test card, " << card.width << "x" << card.height << ")\n";

    int written = 1, failed = 0;
    for (const EffectInfo& effect : AllEffects()) {
        try {
            EffectInstance fx(host, effect);
            fx.SetSite(processors);
            const std::vector<std::string> presets = fx.PresetNames();
            for (int i = 0; i < kPresetsPerEffect && i < static_cast<int>(presets.size()); ++i) {
                fx.SelectPreset(i);
                Image result = MakeImage(card.width, card.height, AlphaForm::Straight);
                fx.Render(card, result);
                char index[8];
                std::snprintf(index, sizeof index, "%02d", i);
                const std::string path = folder + "/" + effect.shortName + "-" + index + "-" + Slug(presets[i]) + ".png";
                WritePicture(path, result);
                out << "wrote " << path << "  (" << host.DisplayName(effect) << ", preset " << i << " \"" << presets[i]
                    << "\")\n";
                ++written;
            }
        } catch (const CliError& e) {
            errors << "brushwerk: " << e.what() << "\n";
            ++failed;
        }
    }
    out << written << " files in " << folder << "/";
    if (failed) out << "; " << failed << " effect(s) failed";
    out << "\n";
    return failed ? kExitFailure : 0;
}

}  // namespace brushwerk::cli
