#include "host/cli/frame_pattern.h"

#include <sys/stat.h>

#include <cstdio>

#include "host/cli/cli_error.h"

namespace brushwerk::cli {
namespace {

// Replaces "%%" by "%" in a literal part of the pattern.
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == '%') ++i;
    }
    return out;
}

}  // namespace

std::optional<FramePattern> FramePattern::Parse(const std::string& text) {
    FramePattern p;
    p.m_text = text;
    size_t conversion = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool zero = j < text.size() && text[j] == '0';
        if (zero) ++j;
        int width = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && width < 100) width = width * 10 + (text[j++] - '0');
        if (j >= text.size() || text[j] != 'd' || width > 32)
            throw CliError("bad sequence pattern '" + text + "': only %d or %0Nd is allowed (write %% for a percent sign)",
                           kExitUsage);
        if (conversion != std::string::npos)
            throw CliError("bad sequence pattern '" + text + "': more than one frame number", kExitUsage);
        conversion = i;
        p.m_width = zero ? width : -width;  // negative: pad with blanks, as printf does
        p.m_prefix = Unescape(text.substr(0, i));
        p.m_suffix = text.substr(j + 1);
        i = j;
    }
    if (conversion == std::string::npos) return std::nullopt;
    p.m_suffix = Unescape(p.m_suffix);
    return p;
}

std::string FramePattern::FileFor(long number) const {
    char digits[48];
    if (m_width > 0)
        std::snprintf(digits, sizeof digits, "%0*ld", m_width, number);
    else
        std::snprintf(digits, sizeof digits, "%*ld", -m_width, number);
    return m_prefix + digits + m_suffix;
}

bool FramePattern::Exists(long number) const {
    struct stat st {};
    return ::stat(FileFor(number).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<long> FramePattern::FindFirst(std::optional<long> start) const {
    if (start) return Exists(*start) ? start : std::nullopt;
    for (long n = 0; n <= 4; ++n)
        if (Exists(n)) return n;
    return std::nullopt;
}

}  // namespace brushwerk::cli
