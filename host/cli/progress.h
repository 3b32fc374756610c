// The frame counter of long work on standard error: rewritten in place on a terminal,
// one line per frame when asked for with --progress elsewhere.
#pragma once

#include <cstdio>

namespace brushwerk::cli {

class FrameProgress {
public:
    FrameProgress(bool requested, std::FILE* out = stderr);
    ~FrameProgress();
    void Frame(long done, long total /* 0: unknown */);
    void Finish();

private:
    std::FILE* m_out;
    bool m_enabled;
    bool m_terminal;
    bool m_pending = false;
};

}  // namespace brushwerk::cli
