#include "host/frei0r/host_string.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace brushwerk::frei0r {
namespace {

class Pipe {
public:
    Pipe() { m_ok = ::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) == 0; }
    ~Pipe() {
        if (m_ok) {
            ::close(m_fds[0]);
            ::close(m_fds[1]);
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    // Copies size bytes from address when all of them are readable: the kernel copies
    // from our memory and answers EFAULT where it is not. Raw system calls, so that no
    // library wrapper (a sanitizer's, say) looks at the address first.
    bool Copy(const void* address, size_t size, void* out) const {
        if (!m_ok || !address) return false;
        if (::syscall(SYS_write, m_fds[1], address, size) != static_cast<long>(size)) return false;
        return ::syscall(SYS_read, m_fds[0], out, size) == static_cast<long>(size);
    }

private:
    int m_fds[2] = {-1, -1};
    bool m_ok = false;
};

// A C string at address, one character at a time, so that nothing past its end is read.
bool ReadCString(const Pipe& pipe, const char* address, std::string* text) {
    std::string read;
    for (size_t i = 0; i < kLongestHostString; ++i) {
        char c = 0;
        if (!pipe.Copy(address + i, 1, &c)) return false;
        if (c == '\0') {
            *text = std::move(read);
            return true;
        }
        read += c;
    }
    return false;
}

}  // namespace

bool ReadHostString(const void* param, std::string* text) {
    if (!param) return false;
    const Pipe pipe;
    const char* pointer = nullptr;
    if (pipe.Copy(param, sizeof pointer, &pointer)) {
        if (!pointer) return false;  // a null string
        if (ReadCString(pipe, pointer, text)) return true;
    }
    return ReadCString(pipe, static_cast<const char*>(param), text);
}

}  // namespace brushwerk::frei0r
