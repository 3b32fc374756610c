// `brushwerk demo`: the built-in test picture through every effect, no input needed.
// Into a folder: a contact sheet of the original and the seven effects at their first
// preset, the test picture, and each effect at its first presets. With a ".png" name:
// the contact sheet alone.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "host/cli/cli_error.h"
#include "host/cli/commands.h"
#include "host/cli/contact_sheet.h"
#include "host/cli/demo_picture.h"
#include "host/cli/checked_session.h"
#include "host/cli/picture_files.h"
#include "host/cli/text_output.h"

namespace brushwerk::cli {
namespace {

constexpr int kPresetsPerEffect = 3;
constexpr int kSheetPanelWidth = 320;
constexpr int kSheetPanelHeight = 180;
constexpr int kSheetColumns = 4;

void MakeDirectories(const std::string& path) {
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        const std::string partial = path.substr(0, pos);
        if (partial.empty()) continue;
        if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
            throw CliError("cannot make folder " + partial + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) throw CliError(path + " is not a folder");
}

bool EndsWithPng(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".png";
}

Image RenderWith(CheckedSession& fx, int preset, const Image& picture) {
    fx.SelectPreset(preset);
    Image result = MakeImage(picture.width, picture.height, AlphaForm::Straight);
    fx.Render(picture, result);
    return result;
}

struct DemoRun {
    const ModuleHost& host;
    unsigned processors;
    QuilletBandingMode banding;
    std::ostream& out;
    std::ostream& errors;
    int failed = 0;
};

// The original and every effect at its first preset; effects that fail are left out.
void WriteSheet(DemoRun& run, const std::string& path) {
    const Image picture = DrawTestCard(kSheetPanelWidth, kSheetPanelHeight);
    std::vector<Image> renders;
    std::vector<std::string> labels{"Original"};
    renders.reserve(AllEffects().size());
    for (const EffectInfo& effect : AllEffects()) {
        try {
            CheckedSession fx(run.host, effect);
            fx.SetSite(run.processors, run.banding);
            renders.push_back(RenderWith(fx, 0, picture));
            labels.push_back(run.host.DisplayName(effect));
        } catch (const CliError& e) {
            run.errors << "brushwerk: " << e.what() << "\n";
            ++run.failed;
        }
    }
    std::vector<SheetPanel> panels{{labels[0], &picture}};
    for (size_t i = 0; i < renders.size(); ++i) panels.push_back({labels[i + 1], &renders[i]});
    WritePicture(path, BuildContactSheet(panels, kSheetColumns));
    run.out << "wrote " << path << "  (contact sheet: the original and " << renders.size()
            << " effects at their first preset)\n";
}

}  // namespace

int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& errors) {
    ModuleHost host(ModuleLocation{options.modulePath});
    const unsigned processors = options.processors ? options.processors : std::max(1u, std::thread::hardware_concurrency());
    DemoRun run{host, processors, options.banding, out, errors};

    if (EndsWithPng(options.target)) {
        WriteSheet(run, options.target);
        return run.failed ? kExitFailure : 0;
    }

    std::string folder = options.target;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    MakeDirectories(folder);
    WriteSheet(run, folder + "/contact-sheet.png");
    run.failed = 0;  // the per-effect renders below report each failing effect again

    const Image picture = DrawTestCard();
    const std::string picturePath = folder + "/testcard.png";
    WritePicture(picturePath, picture);
    out << "wrote " << picturePath << "  (the test picture, " << picture.width << "x" << picture.height << ")\n";
    int written = 2;
    for (const EffectInfo& effect : AllEffects()) {
        try {
            CheckedSession fx(host, effect);
            fx.SetSite(processors, options.banding);
            const std::vector<std::string> presets = fx.PresetNames();
            for (int i = 0; i < kPresetsPerEffect && i < static_cast<int>(presets.size()); ++i) {
                const Image result = RenderWith(fx, i, picture);
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
            ++run.failed;
        }
    }
    out << written << " files in " << folder << "/";
    if (run.failed) out << "; " << run.failed << " effect(s) failed";
    out << "\n";
    return run.failed ? kExitFailure : 0;
}

}  // namespace brushwerk::cli
