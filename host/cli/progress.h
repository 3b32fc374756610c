// The frame counter of long work on standard error: frames done, frames per second and
// time left, rewritten in place on a terminal; one line per frame when asked for with
// --progress elsewhere; nothing with --quiet or when standard error is no terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace brushwerk::cli {

class FrameProgress {
public:
    FrameProgress(bool requested, bool quiet, std::FILE* out = stderr);
    ~FrameProgress();
    void Frame(long done, long total /* 0: unknown */);
    void Finish();

    // "frame 12/100  24.0 fps  0:03 left": the line for done frames after seconds.
    static std::string Line(long done, long total, double seconds);

private:
    std::FILE* m_out;
    bool m_enabled;
    bool m_terminal;
    bool m_pending = false;
    std::chrono::steady_clock::time_point m_start;
};

}  // namespace brushwerk::cli
