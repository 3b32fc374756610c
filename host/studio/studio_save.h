// What a save writes: the rendered picture as PNG, the record as a state file that
// `brushwerk render --load-state` reads, and the render command line that makes the same
// picture from them (kept in a text file beside them).
#pragma once

#include <optional>
#include <string>

#include "host/cli/effect_catalog.h"
#include "host/cli/image.h"
#include "host/common/effect_session.h"

namespace brushwerk::studio {

// The second keyframe's position runs in steps of 1/kKeyframeSteps: a render job of
// kKeyframeSteps + 1 frames puts its frame i at exactly i / kKeyframeSteps.
constexpr int kKeyframeSteps = 100;

struct SaveRequest {
    const cli::EffectInfo* effect = nullptr;
    common::RecordBytes record;
    std::optional<common::RecordBytes> secondKey;
    int keyframeStep = 0;            // 0..kKeyframeSteps, with secondKey
    const cli::Image* rendered = nullptr;
    const cli::Image* source = nullptr;
    std::string sourcePath;          // a file render reads; empty: the source is written out
    std::string prefix;              // PREFIX-N.*
    std::string program;             // how the command names brushwerk
    std::string modulePath;          // passed on with --module when given
};

struct SavedFiles {
    std::string picture, state, commandFile, command;
};

// Writes the files at the first N whose names are all free; throws cli::CliError.
SavedFiles SaveStudioResult(const SaveRequest& request);

// The command that renders request's picture into output (a pattern when keyframed).
std::string RenderCommand(const SaveRequest& request, const std::string& input, const std::string& state,
                          const std::string& output);

}  // namespace brushwerk::studio
