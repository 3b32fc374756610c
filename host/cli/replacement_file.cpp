#include "host/cli/replacement_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/cli/cli_error.h"

namespace brushwerk::cli {
namespace {

// The mode a newly created file would get: the existing target's, else 0666 less the umask.
mode_t ModeFor(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target) : m_target(std::move(target)) {
    const size_t slash = m_target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : m_target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    std::string pattern = folder + "." + base + ".partial-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw CliError("cannot write " + m_target + ": " + std::strerror(errno));
    ::fchmod(fd, ModeFor(m_target));
    ::close(fd);
    m_temp = name.data();
}

ReplacementFile::~ReplacementFile() {
    if (!m_committed) ::unlink(m_temp.c_str());
}

void ReplacementFile::Commit() {
    if (std::rename(m_temp.c_str(), m_target.c_str()) != 0)
        throw CliError("cannot write " + m_target + ": " + std::strerror(errno));
    m_committed = true;
}

}  // namespace brushwerk::cli
