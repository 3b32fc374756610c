#include "host/cli/progress.h"

#include <unistd.h>

namespace brushwerk::cli {

FrameProgress::FrameProgress(bool requested, std::FILE* out)
    : m_out(out), m_terminal(::isatty(::fileno(out)) != 0) {
    m_enabled = requested || m_terminal;
}

FrameProgress::~FrameProgress() { Finish(); }

void FrameProgress::Frame(long done, long total) {
    if (!m_enabled) return;
    if (m_terminal) {
        if (total > 0) std::fprintf(m_out, "\rframe %ld/%ld", done, total);
        else std::fprintf(m_out, "\rframe %ld", done);
        m_pending = true;
    } else {
        if (total > 0) std::fprintf(m_out, "frame %ld/%ld\n", done, total);
        else std::fprintf(m_out, "frame %ld\n", done);
    }
    std::fflush(m_out);
}

void FrameProgress::Finish() {
    if (m_pending) std::fputc('\n', m_out);
    m_pending = false;
}

}  // namespace brushwerk::cli
