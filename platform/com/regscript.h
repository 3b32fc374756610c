// The registry-script interpreter: runs a script of the platform's registration
// language against the registry.
//
//     HKCR
//     {
//         Main.Plugin = s 'Display'
//         {
//             CLSID = s '{...}'
//         }
//         NoRemove CLSID
//         {
//             ForceRemove {...} = s 'Display'
//             {
//                 InprocServer32 = s '%MODULE%'
//                 {
//                     val ThreadingModel = s 'Both'
//                 }
//                 'TypeLib' = s '{...}'
//             }
//         }
//     }
//
// Registering creates the keys and values (ForceRemove keys are first deleted whole);
// unregistering deletes the keys the script names, deepest first, except NoRemove keys,
// and a key that still holds subkeys the script does not name stays. %NAME% is replaced
// by the matching replacement (MODULE: the module's full path); "%%" is a literal '%'.
#pragma once

#include <string>

#include "platform/com/wintypes.h"

struct RegistryReplacement {
    const char* name;   // without the percent signs, e.g. "MODULE"
    const char* value;
};

// A malformed script gives E_INVALIDARG (the whole script is parsed before anything is
// written); registry failures give HRESULT_FROM_WIN32 of the registry's error.
HRESULT RegistryScriptRun(const char* script, BOOL doRegister, const RegistryReplacement* replacements,
                          size_t replacementCount);

// The text of the last parse error ("line N: what"), for diagnostics.
std::string RegistryScriptLastError();
