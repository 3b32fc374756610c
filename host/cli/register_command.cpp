// `brushwerk register` / `unregister`: the module's own registration entry points,
// against the registry file this program uses.
#include "host/cli/commands.h"
#include "host/cli/module_host.h"
#include "platform/com/registry.h"

namespace brushwerk::cli {

int RunRegister(const RegisterOptions& options, bool doRegister, std::ostream& out) {
    ModuleHost host(ModuleLocation{options.modulePath, false});
    if (doRegister) {
        host.Register();
        out << "registered " << host.ModulePath() << " in " << RegistryFilePath() << "\n";
    } else {
        host.Unregister();
        out << "unregistered " << host.ModulePath() << " from " << RegistryFilePath() << "\n";
    }
    return 0;
}

}  // namespace brushwerk::cli
