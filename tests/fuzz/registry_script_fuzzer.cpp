// The registry-script interpreter on any text, in a registry kept in memory: a script
// is refused whole or registered and then unregistered, and nothing it does crashes.
#include <cstdint>
#include <string>

#include "platform/com/registry.h"
#include "platform/com/regscript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool inMemory = (RegistryKeepInMemory(), true);
    (void)inMemory;
    const std::string script(reinterpret_cast<const char*>(data), size);
    const RegistryReplacement replacements[] = {{"MODULE", "/usr/lib/libquillet_brushwerk.so"}, {"ID", "{1}"}};
    if (SUCCEEDED(RegistryScriptRun(script.c_str(), TRUE, replacements, 2)))
        RegistryScriptRun(script.c_str(), FALSE, replacements, 2);
    // Start the next input from an empty registry, so that the store stays small.
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        static char name[1 << 16];
        DWORD length = sizeof name;
        while (RegEnumKeyExA(root, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
               RegDeleteTreeA(root, name) == ERROR_SUCCESS)
            length = sizeof name;
    }
    return 0;
}
