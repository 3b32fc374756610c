// A stream over a file (the platform's stream on a file).
//
// Opening: STGM_READ opens an existing file read-only; STGM_WRITE or STGM_READWRITE
// opens an existing file for writing without truncating it; adding STGM_CREATE creates
// the file or truncates an existing one. A missing file gives STG_E_FILENOTFOUND, a
// missing folder STG_E_PATHNOTFOUND.
//
// Reads shorter than asked return S_FALSE with the count actually read (0 at the end):
// unlike the memory stream, a file stream reports the shortfall in its result.
// The stream keeps its own position and uses positioned I/O, so one stream may be
// used from several threads. Sharing flags are accepted but not enforced: nothing
// locks the file against other openers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <new>
#include <string>

#include "platform/com/stream_errors.h"
#include "platform/com/stream_seek.h"

namespace {

constexpr DWORD kAccessMask = 0x3;
constexpr DWORD kShareMask = 0x70;
constexpr DWORD kKnownFlags = kAccessMask | kShareMask | STGM_CREATE;

class FileStream final : public IStream {
public:
    FileStream(int fd, DWORD mode) : m_fd(fd), m_mode(mode), m_writable((mode & kAccessMask) != STGM_READ) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) delete this;
        return n;
    }

    HRESULT Read(void* buffer, ULONG cb, ULONG* read) override {
        if (read) *read = 0;
        if (!buffer && cb) return STG_E_INVALIDPOINTER;
        if ((m_mode & kAccessMask) == STGM_WRITE) return STG_E_ACCESSDENIED;
        std::lock_guard lock(m_mutex);
        ULONG total = 0;
        while (total < cb) {
            ssize_t n = ::pread(m_fd, static_cast<char*>(buffer) + total, cb - total,
                                static_cast<off_t>(m_position + total));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                m_position += total;
                if (read) *read = total;
                return STG_E_READFAULT;
            }
            if (n == 0) break;
            total += static_cast<ULONG>(n);
        }
        m_position += total;
        if (read) *read = total;
        return total == cb ? S_OK : S_FALSE;
    }

    HRESULT Write(const void* buffer, ULONG cb, ULONG* written) override {
        if (written) *written = 0;
        if (!buffer && cb) return STG_E_INVALIDPOINTER;
        if (!m_writable) return STG_E_ACCESSDENIED;
        std::lock_guard lock(m_mutex);
        ULONG total = 0;
        while (total < cb) {
            ssize_t n = ::pwrite(m_fd, static_cast<const char*>(buffer) + total, cb - total,
                                 static_cast<off_t>(m_position + total));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                m_position += total;
                if (written) *written = total;
                return n < 0 && (errno == ENOSPC || errno == EFBIG || errno == EDQUOT) ? STG_E_MEDIUMFULL
                                                                                       : STG_E_WRITEFAULT;
            }
            total += static_cast<ULONG>(n);
        }
        m_position += total;
        if (written) *written = total;
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
        std::lock_guard lock(m_mutex);
        uint64_t size = 0;
        if (origin == STREAM_SEEK_END) {
            struct stat st {};
            if (::fstat(m_fd, &st) != 0) return STG_E_READFAULT;
            size = static_cast<uint64_t>(st.st_size);
        }
        uint64_t position = 0;
        HRESULT hr = ComputeSeek(m_position, size, move, origin, &position);
        if (FAILED(hr)) return hr;
        m_position = position;
        if (newPosition) newPosition->QuadPart = position;
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) override {
        if (!m_writable) return STG_E_ACCESSDENIED;
        if (size.QuadPart > static_cast<uint64_t>(INT64_MAX)) return STG_E_MEDIUMFULL;
        std::lock_guard lock(m_mutex);
        if (::ftruncate(m_fd, static_cast<off_t>(size.QuadPart)) != 0)
            return errno == EFBIG || errno == ENOSPC ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
        return S_OK;
    }

    // Writes go straight to the file; Commit makes them durable.
    HRESULT Commit(DWORD /*flags*/) override {
        if (!m_writable) return S_OK;
        return ::fsync(m_fd) == 0 ? S_OK : STG_E_WRITEFAULT;
    }

    HRESULT Stat(STATSTG* stat, DWORD /*flags*/) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) return STG_E_READFAULT;
        stat->cbSize.QuadPart = static_cast<uint64_t>(st.st_size);
        stat->grfMode = m_mode;
        return S_OK;
    }

private:
    ~FileStream() { ::close(m_fd); }

    const int m_fd;
    const DWORD m_mode;
    const bool m_writable;
    std::mutex m_mutex;
    uint64_t m_position = 0;
    std::atomic<ULONG> m_refs{1};
};

}  // namespace

HRESULT SHCreateStreamOnFileA(const char* path, DWORD mode, IStream** stream) {
    if (!stream) return E_INVALIDARG;
    *stream = nullptr;
    if (!path) return STG_E_INVALIDPOINTER;
    if (!*path) return STG_E_INVALIDNAME;
    DWORD access = mode & kAccessMask;
    if ((mode & ~kKnownFlags) != 0 || access == kAccessMask) return STG_E_INVALIDFLAG;
    // Creating a file that can only be read is meaningless.
    if ((mode & STGM_CREATE) && access == STGM_READ) return STG_E_INVALIDFLAG;

    int flags = O_CLOEXEC;
    flags |= access == STGM_READ ? O_RDONLY : access == STGM_WRITE ? O_WRONLY : O_RDWR;
    if (mode & STGM_CREATE) flags |= O_CREAT | O_TRUNC;
    int fd = ::open(path, flags, 0666);
    if (fd < 0) return HResultFromOpenErrno(errno, path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return STG_E_ACCESSDENIED;
    }
    auto* object = new (std::nothrow) FileStream(fd, mode);
    if (!object) {
        ::close(fd);
        return E_OUTOFMEMORY;
    }
    *stream = object;
    return S_OK;
}
