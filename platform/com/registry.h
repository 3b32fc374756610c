// The registry: three roots (HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER),
// keys with a default value and named REG_SZ / REG_DWORD values, kept in a text file in
// the ".reg" export format at $QUILLET_REGISTRY (else $XDG_CONFIG_HOME or ~/.config,
// "quillet/registry.reg"). Every change is saved atomically under a file lock.
#pragma once

#include <string>

#include "platform/com/wintypes.h"

struct RegKeyObject;
using HKEY = RegKeyObject*;
using REGSAM = DWORD;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u)))

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Win32 signatures; the results are Win32 error codes. Key names are case-insensitive
// and may contain backslashes for paths below the given key.
extern "C" {
LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM sam, HKEY* result);
LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* klass, DWORD options,
                        REGSAM sam, void* security, HKEY* result, DWORD* disposition);
LSTATUS RegCloseKey(HKEY key);
// name null or "" is the key's default value. type REG_SZ: data is a NUL-terminated string,
// cb includes the NUL. type REG_DWORD: 4 bytes.
LSTATUS RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD cb);
LSTATUS RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cb);
LSTATUS RegDeleteValueA(HKEY key, const char* name);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise), as the platform does.
LSTATUS RegDeleteKeyA(HKEY key, const char* subKey);
// Deletes a key with everything below it.
LSTATUS RegDeleteTreeA(HKEY key, const char* subKey);
LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* reserved, char* klass,
                      DWORD* cchClass, void* lastWrite);
LSTATUS RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* reserved, DWORD* type,
                      BYTE* data, DWORD* cb);
}

// Keeps this process's registry in memory from this call on: it starts as a copy of
// the registry file (empty when there is none or it cannot be read) and no change
// reaches the file. For hosts that reach the module by path and register nothing, so
// that loading the module (which writes its diagnostics word) leaves the person's
// registry file as it was. Call it before loading the module.
void RegistryKeepInMemory();

// Diagnostics of the store itself: the path of the registry file in use, and the
// last load error ("<file>:<line>: <what>") when a malformed file was refused.
std::string RegistryFilePath();
std::string RegistryLastError();
