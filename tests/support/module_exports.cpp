#include "tests/support/module_exports.h"

namespace testsupport {

ModuleExports LoadModule(const char* path) {
    ModuleExports m;
    if (CoLoadModuleByPath(path, &m.handle) != S_OK || !m.handle) return {};
    m.canUnloadNow = reinterpret_cast<PFN_DllCanUnloadNow>(GetProcAddress(m.handle, "DllCanUnloadNow"));
    m.getClassObject = reinterpret_cast<PFN_DllGetClassObject>(GetProcAddress(m.handle, "DllGetClassObject"));
    m.registerServer = reinterpret_cast<PFN_DllRegisterServer>(GetProcAddress(m.handle, "DllRegisterServer"));
    m.unregisterServer = reinterpret_cast<PFN_DllRegisterServer>(GetProcAddress(m.handle, "DllUnregisterServer"));
    return m;
}

}  // namespace testsupport
