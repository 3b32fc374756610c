// Environment variables and the channels the system reads from them, set for one
// scope: the registry file and the debug output channel.
#pragma once

#include <optional>
#include <string>

#include "tests/support/files.h"

namespace testsupport {

// Sets (or, with no value, removes) an environment variable for the scope and
// restores what was there before.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_saved;
};

// $QUILLET_REGISTRY pointed at a fresh file in a folder of its own.
class TempRegistry {
public:
    TempRegistry();
    const std::string& Folder() const { return m_folder.Path(); }
    const std::string& Path() const { return m_path; }
    std::string ReadText() const { return testsupport::ReadText(m_path); }
    void WriteText(const std::string& text) const { testsupport::WriteText(m_path, text); }
    // Makes the store read the file again, as a new process would: it drops its
    // cache whenever the registry's path changes.
    void ForceReload() const;

private:
    TempFolder m_folder;
    std::string m_path;
    ScopedEnv m_env;
};

// $QUILLET_DEBUG_OUTPUT pointed at a fresh file; Text() is what was written so far.
class DebugOutputCapture {
public:
    DebugOutputCapture();
    const std::string& Path() const { return m_path; }
    std::string Text() const { return ReadText(m_path); }

private:
    TempFolder m_folder;
    std::string m_path;
    ScopedEnv m_env;
};

}  // namespace testsupport
