// Points the debug output channel at a temporary file of this test for its lifetime
// and reads back what was written.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

class DebugOutputCapture {
public:
    DebugOutputCapture() {
        char path[] = "/tmp/brushwerk-records-debug-XXXXXX";
        int fd = mkstemp(path);
        if (fd >= 0) close(fd);
        m_path = path;
        const char* previous = std::getenv("QUILLET_DEBUG_OUTPUT");
        m_hadPrevious = previous != nullptr;
        if (previous) m_previous = previous;
        setenv("QUILLET_DEBUG_OUTPUT", m_path.c_str(), 1);
    }
    ~DebugOutputCapture() {
        if (m_hadPrevious)
            setenv("QUILLET_DEBUG_OUTPUT", m_previous.c_str(), 1);
        else
            unsetenv("QUILLET_DEBUG_OUTPUT");
        unlink(m_path.c_str());
    }
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    std::string Text() const {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string m_path;
    std::string m_previous;
    bool m_hadPrevious = false;
};
