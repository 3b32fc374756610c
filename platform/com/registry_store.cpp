#include "platform/com/registry_store.h"

#include <fcntl.h>
#include <pthread.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>

#include "platform/com/registry_file.h"

namespace quillet::reg {

namespace {

// Identifies one version of the file: every save renames a new inode into place, and
// an edit in place changes the times or the size.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileStamp Of(const struct stat& st) {
        FileStamp s;
        s.exists = true;
        s.device = st.st_dev;
        s.inode = st.st_ino;
        s.size = st.st_size;
        s.modified = st.st_mtim;
        s.changed = st.st_ctim;
        return s;
    }
    bool operator==(const FileStamp& o) const {
        if (exists != o.exists) return false;
        if (!exists) return true;
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

FileStamp StampOfPath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return FileStamp{};
    return FileStamp::Of(st);
}

LSTATUS WriteErrorFromErrno(int e) {
    switch (e) {
        case EACCES:
        case EPERM:
        case EROFS: return ERROR_ACCESS_DENIED;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        default: return ERROR_CANTWRITE;
    }
}

std::string ErrnoText(int e) { return std::strerror(e); }

// The outcome of reading the file from disk.
struct Loaded {
    LSTATUS status = ERROR_SUCCESS;  // ERROR_BADDB when malformed
    bool unreadable = false;         // exists but cannot be read: an empty registry for readers
    std::unique_ptr<Tree> tree = std::make_unique<Tree>();
    FileStamp stamp;
    std::string error;
};

Loaded LoadFile(const std::string& path) {
    Loaded result;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        if (e != ENOENT && e != ENOTDIR) {
            result.unreadable = true;
            result.error = path + ": cannot read: " + ErrnoText(e);
        }
        return result;
    }
    struct stat st {};
    std::string text;
    const bool stated = ::fstat(fd, &st) == 0;
    bool ok = stated && S_ISREG(st.st_mode);
    int e = stated ? (S_ISDIR(st.st_mode) ? EISDIR : EINVAL) : errno;
    if (ok) {
        result.stamp = FileStamp::Of(st);
        char buffer[16384];
        for (;;) {
            ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                text.append(buffer, static_cast<size_t>(n));
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                ok = false;
                e = errno;
                break;
            }
        }
    }
    ::close(fd);
    if (!ok) {
        result.unreadable = true;
        result.error = path + ": cannot read: " +
                       (e == EISDIR ? "it is a directory" : e == EINVAL ? "it is not a regular file" : ErrnoText(e));
        return result;
    }
    RegFileError error;
    if (!ParseRegFile(text, *result.tree, error)) {
        result.status = ERROR_BADDB;
        result.tree = std::make_unique<Tree>();
        result.error = path + ":" + std::to_string(error.line) + ": " + error.what;
    }
    return result;
}

std::atomic<unsigned> g_tempCounter{0};

// Writes text beside path and renames it into place.
LSTATUS SaveAtomically(const std::string& path, const std::string& text, std::string& error) {
    std::string temp = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(++g_tempCounter);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        int e = errno;
        error = path + ": cannot save: " + ErrnoText(e);
        return WriteErrorFromErrno(e);
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) (void)::fchmod(fd, old.st_mode & 07777);
    size_t done = 0;
    int e = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            e = errno;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0 && e == 0) e = errno;
    if (e == 0 && ::rename(temp.c_str(), path.c_str()) != 0) e = errno;
    if (e != 0) {
        ::unlink(temp.c_str());
        error = path + ": cannot save: " + ErrnoText(e);
        return WriteErrorFromErrno(e);
    }
    return ERROR_SUCCESS;
}

// Temporary files are written only under the file lock, so one found while holding it
// was left by a writer that died in the middle of a save: it is removed.
void RemoveAbandonedTemporaries(const std::string& path) {
    const std::filesystem::path file(path);
    const std::string prefix = file.filename().string() + ".tmp.";
    std::error_code ec;
    std::filesystem::directory_iterator it(file.parent_path().empty() ? "." : file.parent_path(), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (it->path().filename().string().starts_with(prefix)) std::filesystem::remove(it->path(), ignored);
    }
}

// Holds an exclusive flock on "<path>.lock" for its lifetime.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        m_fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            m_errno = errno;
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            m_errno = errno;
            ::close(m_fd);
            m_fd = -1;
            return;
        }
    }
    ~FileLock() {
        if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return m_fd >= 0; }
    int Errno() const { return m_errno; }

private:
    int m_fd = -1;
    int m_errno = 0;
};

// A registry file that is a symbolic link is saved where the link points, so that
// the link stays (and every process locks the same file).
std::string SaveTarget(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path;
    std::filesystem::path target = std::filesystem::canonical(path, ec);
    return ec ? path : target.string();
}

}  // namespace

std::string ResolveRegistryPath() {
    if (const char* p = std::getenv("QUILLET_REGISTRY"); p && *p) return p;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') return std::string(x) + "/quillet/registry.reg";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else {
        struct passwd pw {};
        struct passwd* found = nullptr;
        char buffer[4096];
        if (::getpwuid_r(::getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
            home = found->pw_dir;
    }
    if (home.empty()) return {};
    return home + "/.config/quillet/registry.reg";
}

struct Store::Impl {
    std::mutex mutex;
    std::string path;  // the file the cache below belongs to
    bool cached = false;
    FileStamp stamp;
    Loaded contents;
    std::string lastError;
    bool inMemory = false;  // KeepInMemory: contents is the registry, the file is not used

    void Install(Loaded loaded) {
        contents = std::move(loaded);
        stamp = contents.stamp;
        cached = true;
        if (!contents.error.empty())
            lastError = contents.error;
        else
            lastError.clear();
    }

    // Makes the cache match the file at path; returns the store's status for readers.
    LSTATUS Refresh(const std::string& current) {
        if (current != path) {
            path = current;
            cached = false;
        }
        if (!cached || !(StampOfPath(path) == stamp)) Install(LoadFile(path));
        return contents.status;
    }
};

namespace {
Store::Impl* g_forkGuard = nullptr;
}

Store::Store() : m_impl(new Impl) {
    // A child forked while another thread held the store must not inherit a locked mutex.
    g_forkGuard = m_impl;
    ::pthread_atfork([] { g_forkGuard->mutex.lock(); }, [] { g_forkGuard->mutex.unlock(); },
                     [] { g_forkGuard->mutex.unlock(); });
}

Store& Store::Instance() {
    static Store* store = new Store;
    return *store;
}

LSTATUS Store::Read(const std::function<LSTATUS(const Tree&)>& read) {
    std::lock_guard<std::mutex> guard(m_impl->mutex);
    if (m_impl->inMemory) return read(*m_impl->contents.tree);
    std::string path = ResolveRegistryPath();
    if (path.empty()) {
        m_impl->lastError = "no registry file: neither QUILLET_REGISTRY nor a home folder is set";
        return ERROR_CANTOPEN;
    }
    LSTATUS status = m_impl->Refresh(path);
    if (status != ERROR_SUCCESS) return status;
    return read(*m_impl->contents.tree);
}

LSTATUS Store::Write(const std::function<LSTATUS(Tree&, bool& changed)>& change) {
    Impl& impl = *m_impl;
    std::lock_guard<std::mutex> guard(impl.mutex);
    if (impl.inMemory) {
        // The change runs on a copy, so that a failing one leaves nothing half done.
        auto copy = std::make_unique<Tree>();
        RegFileError unused;
        ParseRegFile(FormatRegFile(*impl.contents.tree), *copy, unused);
        bool changed = false;
        LSTATUS status = change(*copy, changed);
        if (status == ERROR_SUCCESS && changed) impl.contents.tree = std::move(copy);
        return status;
    }
    std::string configured = ResolveRegistryPath();
    if (configured.empty()) {
        impl.lastError = "no registry file: neither QUILLET_REGISTRY nor a home folder is set";
        return ERROR_CANTOPEN;
    }
    if (configured != impl.path) {
        impl.path = configured;
        impl.cached = false;
    }
    const std::string path = SaveTarget(configured);
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            impl.lastError = folder.string() + ": cannot create folder: " + ec.message();
            return WriteErrorFromErrno(ec.value());
        }
    }
    FileLock lock(path);
    if (!lock.Held()) {
        impl.lastError = path + ".lock: cannot lock: " + ErrnoText(lock.Errno());
        return WriteErrorFromErrno(lock.Errno());
    }

    // Under the lock, start from what is on disk now: another process may have saved.
    Loaded fresh = LoadFile(path);
    if (fresh.status != ERROR_SUCCESS) {
        LSTATUS status = fresh.status;
        impl.Install(std::move(fresh));
        return status;
    }
    if (fresh.unreadable) {
        // Never replace a file whose contents could not be read.
        impl.lastError = fresh.error;
        impl.cached = false;
        return ERROR_ACCESS_DENIED;
    }
    bool changed = false;
    LSTATUS status = change(*fresh.tree, changed);
    if (status != ERROR_SUCCESS) {
        impl.cached = false;  // the tree may be half changed: read the file again next time
        return status;
    }
    if (changed) {
        RemoveAbandonedTemporaries(path);
        std::string error;
        status = SaveAtomically(path, FormatRegFile(*fresh.tree), error);
        if (status != ERROR_SUCCESS) {
            impl.lastError = error;
            impl.cached = false;
            return status;
        }
        fresh.stamp = StampOfPath(path);
    }
    impl.Install(std::move(fresh));
    return ERROR_SUCCESS;
}

void Store::KeepInMemory() {
    std::lock_guard<std::mutex> guard(m_impl->mutex);
    if (m_impl->inMemory) return;
    const std::string path = ResolveRegistryPath();
    Loaded snapshot = path.empty() ? Loaded{} : LoadFile(path);
    // Nothing is written back, so a file that cannot be used is simply an empty start.
    if (snapshot.status != ERROR_SUCCESS) snapshot.status = ERROR_SUCCESS;
    m_impl->path = path;
    m_impl->Install(std::move(snapshot));
    m_impl->inMemory = true;
}

std::string Store::LastError() {
    std::lock_guard<std::mutex> guard(m_impl->mutex);
    return m_impl->lastError;
}

}  // namespace quillet::reg
