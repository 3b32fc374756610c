// Numbered file sequences written as printf-style patterns: "in_%04d.png" names
// in_0001.png, in_0002.png, ... Exactly one %d (with optional zero-padded width) is
// allowed; "%%" stands for a percent sign.
#pragma once

#include <optional>
#include <string>

namespace brushwerk::cli {

class FramePattern {
public:
    // Nullopt when text has no conversion (a plain file name); throws CliError when it
    // has a malformed or second conversion.
    static std::optional<FramePattern> Parse(const std::string& text);

    std::string FileFor(long number) const;
    const std::string& Text() const { return m_text; }

    // The first existing frame: start when given, else the first of 0..4 that exists
    // (sequences commonly start at 0 or 1). Nullopt when none does.
    std::optional<long> FindFirst(std::optional<long> start) const;
    bool Exists(long number) const;

private:
    std::string m_text, m_prefix, m_suffix;
    int m_width = 0;
};

}  // namespace brushwerk::cli
