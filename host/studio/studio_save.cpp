#include "host/studio/studio_save.h"

#include <filesystem>
#include <fstream>

#include "host/cli/cli_error.h"
#include "host/cli/picture_files.h"
#include "host/cli/record_values.h"
#include "host/cli/replacement_file.h"
#include "host/studio/frame_supply.h"

namespace brushwerk::studio {
namespace {

void WriteBytes(const std::string& path, const void* data, size_t size) {
    cli::ReplacementFile file(path);
    {
        std::ofstream out(file.TempPath(), std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(data), std::streamsize(size));
        if (!out.flush()) throw cli::CliError("cannot write " + path);
    }
    file.Commit();
}

}  // namespace

std::string RenderCommand(const SaveRequest& r, const std::string& input, const std::string& state,
                          const std::string& output) {
    std::string command = ShellQuoted(r.program) + " render " + r.effect->shortName;
    if (!r.modulePath.empty()) command += " --module " + ShellQuoted(r.modulePath);
    command += " --load-state " + ShellQuoted(state);
    if (r.secondKey) {
        for (const cli::RecordField& field : r.effect->fields)
            command += " --to-set " + ShellQuoted(std::string(field.name) + "=" + cli::FormatField(*r.secondKey, field));
        const std::string frame = std::to_string(r.keyframeStep + 1);
        command += " --frames " + std::to_string(kKeyframeSteps + 1) + " --range " + frame + "-" + frame;
    }
    return command + " " + ShellQuoted(input) + " " + ShellQuoted(output);
}

SavedFiles SaveStudioResult(const SaveRequest& r) {
    namespace fs = std::filesystem;
    std::string base;
    for (int n = 1;; ++n) {
        base = r.prefix + "-" + std::to_string(n);
        if (!fs::exists(base + ".png") && !fs::exists(base + ".state") && !fs::exists(base + ".txt") &&
            !fs::exists(base + "-source.png"))
            break;
    }
    SavedFiles saved;
    saved.picture = base + ".png";
    saved.state = base + ".state";
    saved.commandFile = base + ".txt";
    std::string input = r.sourcePath;
    if (input.empty()) {
        // The demo picture and video frames exist only in memory: the command needs a file.
        input = base + "-source.png";
        cli::WritePicture(input, *r.source);
    }
    cli::WritePicture(saved.picture, *r.rendered);
    WriteBytes(saved.state, r.record.data(), r.record.size());
    // Keyframed renders are a job of many frames; the command renders just this one,
    // which the pattern numbers by its place in the job.
    const std::string output = r.secondKey ? base + "_%04d.png" : base + ".png";
    saved.command = RenderCommand(r, fs::absolute(input).string(), fs::absolute(saved.state).string(),
                                  fs::absolute(output).string());
    const std::string text = saved.command + "\n";
    WriteBytes(saved.commandFile, text.data(), text.size());
    return saved;
}

}  // namespace brushwerk::studio
