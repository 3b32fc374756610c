// An output written in full before it replaces its target: the data goes to a
// temporary file beside the target, which is renamed over the target on Commit.
// Until then the target is untouched; without Commit the temporary file is removed,
// so a failure never leaves a partial file and never destroys an existing one.
#pragma once

#include <string>

namespace brushwerk::cli {

class ReplacementFile {
public:
    // Creates the temporary file; throws CliError ("cannot write TARGET: ...") when the
    // target's folder does not take it.
    explicit ReplacementFile(std::string target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    const std::string& TempPath() const { return m_temp; }
    const std::string& Target() const { return m_target; }
    // Moves the finished file into place.
    void Commit();

private:
    std::string m_target;
    std::string m_temp;
    bool m_committed = false;
};

}  // namespace brushwerk::cli
