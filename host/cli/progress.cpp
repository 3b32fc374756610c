#include "host/cli/progress.h"

#include <unistd.h>

namespace brushwerk::cli {

FrameProgress::FrameProgress(bool requested, bool quiet, std::FILE* out)
    : m_out(out), m_terminal(::isatty(::fileno(out)) != 0), m_start(std::chrono::steady_clock::now()) {
    m_enabled = !quiet && (requested || m_terminal);
}

FrameProgress::~FrameProgress() { Finish(); }

std::string FrameProgress::Line(long done, long total, double seconds) {
    char buf[128];
    int n = total > 0 ? std::snprintf(buf, sizeof buf, "frame %ld/%ld", done, total)
                      : std::snprintf(buf, sizeof buf, "frame %ld", done);
    std::string line(buf, static_cast<size_t>(n));
    if (seconds > 0.0 && done > 0) {
        const double fps = done / seconds;
        std::snprintf(buf, sizeof buf, "  %.1f fps", fps);
        line += buf;
        if (total > done) {
            const long left = static_cast<long>((total - done) / fps + 0.5);
            std::snprintf(buf, sizeof buf, "  %ld:%02ld left", left / 60, left % 60);
            line += buf;
        }
    }
    return line;
}

void FrameProgress::Frame(long done, long total) {
    if (!m_enabled) return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const std::string line = Line(done, total, seconds);
    if (m_terminal) {
        std::fprintf(m_out, "\r%s\033[K", line.c_str());  // erase what a longer line left
        m_pending = true;
    } else {
        std::fprintf(m_out, "%s\n", line.c_str());
    }
    std::fflush(m_out);
}

void FrameProgress::Finish() {
    if (m_pending) std::fputc('\n', m_out);
    m_pending = false;
}

}  // namespace brushwerk::cli
