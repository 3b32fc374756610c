// File access for storages: read whole, replace atomically (temporary file, fsync,
// rename, then fsync of the folder so the rename itself survives a crash).
#include "platform/com/storage_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "platform/com/stream_errors.h"

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

HRESULT WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
        done += static_cast<size_t>(n);
    }
    return S_OK;
}

// A new file next to path, with the permissions a created file gets (unlike mkstemp's
// private ones); unique per process and call.
int OpenTemporaryBeside(const std::string& path, std::string* temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

HRESULT ReadStorageFile(const std::string& path, bool forWriting, std::vector<uint8_t>* bytes) {
    bytes->clear();
    int fd = ::open(path.c_str(), (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) return HResultFromOpenErrno(errno, path.c_str());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return STG_E_ACCESSDENIED;
    }
    HRESULT hr = S_OK;
    try {
        uint8_t chunk[65536];
        for (;;) {
            ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                hr = STG_E_READFAULT;
                break;
            }
            if (n == 0) break;
            bytes->insert(bytes->end(), chunk, chunk + n);
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    ::close(fd);
    return hr;
}

HRESULT WriteStorageFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string temporary;
    int fd = OpenTemporaryBeside(path, &temporary);
    if (fd < 0) return HResultFromOpenErrno(errno, path.c_str());
    HRESULT hr = WriteAll(fd, bytes);
    if (SUCCEEDED(hr) && ::fsync(fd) != 0) hr = STG_E_WRITEFAULT;
    if (::close(fd) != 0 && SUCCEEDED(hr)) hr = STG_E_WRITEFAULT;
    if (SUCCEEDED(hr) && ::rename(temporary.c_str(), path.c_str()) != 0) hr = HResultFromOpenErrno(errno, path.c_str());
    if (FAILED(hr)) {
        ::unlink(temporary.c_str());
        return hr;
    }
    int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return S_OK;
}

HRESULT CreateNewStorageFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? STG_E_FILEALREADYEXISTS : HResultFromOpenErrno(errno, path.c_str());
    ::close(fd);
    return S_OK;
}
