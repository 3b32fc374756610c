#include "host/frei0r/host_string.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace brushwerk::frei0r {
namespace {

constexpr uintptr_t kPage = 4096;

class Pipe {
public:
    Pipe() { m_ok = ::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) == 0; }
    ~Pipe() {
        if (m_ok) {
            ::close(m_fds[0]);
            ::close(m_fds[1]);
        }
    }
    bool Ok() const { return m_ok; }
    int ReadEnd() const { return m_fds[0]; }
    int WriteEnd() const { return m_fds[1]; }

private:
    int m_fds[2] = {-1, -1};
    bool m_ok = false;
};

// A C string at address, read a page at a time so that no read crosses into memory
// the string does not reach.
bool ReadCString(const char* address, std::string* text) {
    if (!address) return false;
    std::string read;
    char chunk[kPage];
    while (read.size() < kLongestHostString) {
        const uintptr_t at = reinterpret_cast<uintptr_t>(address) + read.size();
        const size_t toPageEnd = kPage - (at % kPage);
        const size_t want = std::min(toPageEnd, kLongestHostString - read.size());
        if (!CopyReadableBytes(reinterpret_cast<const void*>(at), want, chunk)) return false;
        if (const void* end = std::memchr(chunk, '\0', want)) {
            read.append(chunk, static_cast<const char*>(end) - chunk);
            *text = std::move(read);
            return true;
        }
        read.append(chunk, want);
    }
    return false;
}

}  // namespace

bool CopyReadableBytes(const void* address, size_t size, void* out) {
    if (!address || size > kPage) return false;
    if (size == 0) return true;
    Pipe pipe;
    if (!pipe.Ok()) return false;
    // The kernel copies from our memory and answers EFAULT where it is not readable.
    if (::write(pipe.WriteEnd(), address, size) != static_cast<ssize_t>(size)) return false;
    return ::read(pipe.ReadEnd(), out, size) == static_cast<ssize_t>(size);
}

bool ReadHostString(const void* param, std::string* text) {
    if (!param) return false;
    const char* pointer = nullptr;
    if (CopyReadableBytes(param, sizeof pointer, &pointer)) {
        if (!pointer) return false;  // a null string
        if (ReadCString(pointer, text)) return true;
    }
    return ReadCString(static_cast<const char*>(param), text);
}

}  // namespace brushwerk::frei0r
