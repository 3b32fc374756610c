// Where the studio's frames come from: a still picture (PNG or JPEG), the built-in demo
// picture, or a video, one frame at a time decoded by ffmpeg (when it is installed).
#pragma once

#include <string>

#include "host/cli/image.h"

namespace brushwerk::studio {

class FrameSupply {
public:
    // Empty path: the demo picture. Throws cli::CliError when nothing can be read.
    explicit FrameSupply(const std::string& path);

    bool IsVideo() const { return m_video; }
    int FrameCount() const { return m_frames; }
    // Frame index (0-based) with straight alpha; stills have frame 0 only. Throws cli::CliError.
    cli::Image Frame(int index) const;
    // The file `brushwerk render` can read for the picture: the still itself; empty for the
    // demo picture and video frames, which a save writes out beside the result.
    const std::string& RenderablePath() const { return m_renderable; }
    const std::string& Name() const { return m_name; }

private:
    std::string m_path;
    std::string m_name;
    std::string m_renderable;
    bool m_video = false;
    int m_frames = 1;
    int m_width = 0, m_height = 0;
};

// A word quoted for the POSIX shell when it needs quoting.
std::string ShellQuoted(const std::string& word);

}  // namespace brushwerk::studio
