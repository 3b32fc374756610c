// The command line's grammar: the three commands and their options, parsed into plain
// structures. Every option takes "--name value" or "--name=value".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/cli/image.h"
#include "host/cli/raw_frames.h"
#include "sdk/banding_service.h"

namespace brushwerk::cli {

struct ListOptions {
    bool json = false;
    std::string modulePath;
};

// Frames first..last of a job, counted from 1, both included.
struct FrameRange {
    long first = 1;
    long last = 1;
    long Count() const { return last - first + 1; }
};

struct RenderOptions {
    std::string effect;
    std::optional<std::string> preset;
    std::vector<std::string> sets;
    std::optional<std::string> toPreset;
    std::vector<std::string> toSets;
    unsigned processors = 0;  // 0: the machine's
    QuilletBandingMode banding = QUILLET_BANDING_WHOLE_FRAME;
    std::optional<FrameSize> size;
    AlphaForm streamAlpha = AlphaForm::Straight;
    std::optional<long> frames;
    std::optional<long> start;
    std::optional<FrameRange> range;  // with frames: only these frames of the job
    std::string loadState;
    std::string saveState;
    int jpegQuality = 92;
    bool progress = false;  // counter even when standard error is no terminal
    bool quiet = false;     // no counter at all
    bool stats = false;     // time spent inside and outside the effect, at the end
    std::string modulePath;
    std::string input;   // empty with output: only --save-state work
    std::string output;

    bool Animated() const { return toPreset.has_value() || !toSets.empty(); }
};

struct DemoOptions {
    // A folder gets the contact sheet, the test picture and every effect at its first
    // presets; a name ending in ".png" gets the contact sheet alone.
    std::string target = "brushwerk-demo";
    unsigned processors = 0;
    QuilletBandingMode banding = QUILLET_BANDING_WHOLE_FRAME;
    std::string modulePath;
};

struct RegisterOptions {
    std::string modulePath;
};

enum class CommandKind { Help, Version, List, Render, Demo, Register, Unregister };

struct CommandLine {
    CommandKind kind = CommandKind::Help;
    ListOptions list;
    RenderOptions render;
    DemoOptions demo;
    RegisterOptions registration;
};

// Throws CliError with exit status kExitUsage on a malformed command line.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace brushwerk::cli
