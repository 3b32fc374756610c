// The process's view of the registry file. Reads work on a cached tree that is
// re-loaded whenever the file changed on disk (another process saved) or the file's
// path changed ($QUILLET_REGISTRY is read at every use). Writes run as transactions:
// under the process lock and an exclusive flock on "<file>.lock", the file is read
// afresh, the change is applied, and the result is written to a temporary file that
// is renamed over the old one, so concurrent writers in several processes lose nothing
// and readers never see half a file. A malformed file is refused (ERROR_BADDB) and
// never overwritten. Internal to the registry stand-in.
#pragma once

#include <functional>
#include <string>

#include "platform/com/registry_tree.h"

namespace quillet::reg {

// Where the registry lives: $QUILLET_REGISTRY, else $XDG_CONFIG_HOME/quillet/registry.reg,
// else ~/.config/quillet/registry.reg. Empty when no home can be found.
std::string ResolveRegistryPath();

class Store {
public:
    static Store& Instance();

    // Runs read on the current contents. Returns read's status, or the store's error
    // (ERROR_BADDB for a malformed file).
    LSTATUS Read(const std::function<LSTATUS(const Tree&)>& read);
    // Runs change on the freshest contents and saves when it reports a change. A
    // failing change leaves the file untouched, so a transaction is all or nothing.
    LSTATUS Write(const std::function<LSTATUS(Tree&, bool& changed)>& change);
    // From now on this process keeps its registry in memory: a copy of the file as it
    // is now (empty when there is none or it cannot be used), changed by writes that
    // never reach the file.
    void KeepInMemory();

    std::string LastError();

    struct Impl;

private:
    Store();
    Impl* m_impl;  // never freed: the store outlives every static that may use it
};

}  // namespace quillet::reg
