// A module loaded through the platform's loader, as a host loads it, with its exports.
#pragma once

#include "platform/com/combase.h"

namespace testsupport {

struct ModuleExports {
    HMODULE handle = nullptr;
    PFN_DllCanUnloadNow canUnloadNow = nullptr;
    PFN_DllGetClassObject getClassObject = nullptr;
    PFN_DllRegisterServer registerServer = nullptr;
    PFN_DllRegisterServer unregisterServer = nullptr;
};

// Empty exports when the loader refuses the file.
ModuleExports LoadModule(const char* path);

#ifdef QUILLET_MODULE_PATH
// The module this build made.
inline ModuleExports LoadModule() { return LoadModule(QUILLET_MODULE_PATH); }
#endif

}  // namespace testsupport
