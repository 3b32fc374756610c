// The debug output channel: each call's text goes out in one write, appended to the
// file named by $QUILLET_DEBUG_OUTPUT ("-": standard error), or nowhere.
#include "platform/com/debug.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex g_outputMutex;

void WriteWhole(int fd, const char* text, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, text, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;  // diagnostics never fail their caller
        }
        text += n;
        size -= static_cast<size_t>(n);
    }
}

}  // namespace

extern "C" void OutputDebugStringA(const char* text) {
    if (!text || !*text) return;
    const char* target = std::getenv("QUILLET_DEBUG_OUTPUT");
    if (!target || !*target) return;
    size_t size = std::strlen(text);
    // The lock keeps lines of threads apart even where one write is split by the system.
    std::lock_guard<std::mutex> guard(g_outputMutex);
    if (std::strcmp(target, "-") == 0) {
        WriteWhole(STDERR_FILENO, text, size);
        return;
    }
    int fd = ::open(target, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return;
    WriteWhole(fd, text, size);
    ::close(fd);
}
