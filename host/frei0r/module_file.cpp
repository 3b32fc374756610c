#include "host/frei0r/module_file.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace brushwerk::frei0r {
namespace {

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

// Any address inside this shared object will do for dladdr.
void AnchorOfThisObject() {}

}  // namespace

std::string PluginDirectory() {
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&AnchorOfThisObject), &info) || !info.dli_fname) return {};
    const std::string file = Resolved(info.dli_fname);
    const size_t slash = file.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

ModuleFileSearch FindModuleFile(const std::string& builtPath) {
    ModuleFileSearch search;
    const char* fromEnvironment = ::getenv("QUILLET_MODULE");
    if (fromEnvironment && *fromEnvironment) {
        search.tried.push_back(std::string(fromEnvironment) + " ($QUILLET_MODULE)");
        if (IsFile(fromEnvironment)) search.found = Resolved(fromEnvironment);
        return search;
    }
    std::vector<std::string> candidates;
    const std::string pluginDir = PluginDirectory();
    if (!pluginDir.empty()) {
        candidates.push_back(pluginDir + "/" + kModuleFileName);
        candidates.push_back(pluginDir + "/../" + kModuleFileName);
    }
    if (!builtPath.empty()) candidates.push_back(builtPath);
    for (const std::string& path : candidates) {
        search.tried.push_back(path);
        if (IsFile(path)) {
            search.found = Resolved(path);
            break;
        }
    }
    return search;
}

}  // namespace brushwerk::frei0r
