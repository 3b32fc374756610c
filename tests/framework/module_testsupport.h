// Shared by the module tests: the real module loaded through the platform's loader
// against a registry file of the test's own, and small readers of that registry.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/combase.h"
#include "platform/com/registry.h"

namespace module_test {

// The module's exports, looked up once the loader has it.
struct ModuleExports {
    HMODULE handle = nullptr;
    PFN_DllMain dllMain = nullptr;
    PFN_DllCanUnloadNow canUnloadNow = nullptr;
    PFN_DllGetClassObject getClassObject = nullptr;
    PFN_DllRegisterServer registerServer = nullptr;
    PFN_DllRegisterServer unregisterServer = nullptr;
};

inline ModuleExports LoadModule() {
    ModuleExports m;
    EXPECT_EQ(CoLoadModuleByPath(QUILLET_MODULE_PATH, &m.handle), S_OK);
    if (!m.handle) return m;
    m.dllMain = reinterpret_cast<PFN_DllMain>(GetProcAddress(m.handle, "DllMain"));
    m.canUnloadNow = reinterpret_cast<PFN_DllCanUnloadNow>(GetProcAddress(m.handle, "DllCanUnloadNow"));
    m.getClassObject = reinterpret_cast<PFN_DllGetClassObject>(GetProcAddress(m.handle, "DllGetClassObject"));
    m.registerServer = reinterpret_cast<PFN_DllRegisterServer>(GetProcAddress(m.handle, "DllRegisterServer"));
    m.unregisterServer = reinterpret_cast<PFN_DllRegisterServer>(GetProcAddress(m.handle, "DllUnregisterServer"));
    return m;
}

// Points $QUILLET_REGISTRY at a fresh file for the life of the test, then restores it.
class TemporaryRegistry {
public:
    TemporaryRegistry() {
        char pattern[] = "/tmp/brushwerk-module-XXXXXX";
        const char* dir = mkdtemp(pattern);
        EXPECT_NE(dir, nullptr);
        m_dir = dir ? dir : "/tmp";
        m_file = m_dir + "/registry.reg";
        if (const char* old = getenv("QUILLET_REGISTRY")) m_previous = old;
        setenv("QUILLET_REGISTRY", m_file.c_str(), 1);
    }
    ~TemporaryRegistry() {
        if (m_previous) setenv("QUILLET_REGISTRY", m_previous->c_str(), 1);
        else unsetenv("QUILLET_REGISTRY");
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    const std::string& File() const { return m_file; }

private:
    std::string m_dir;
    std::string m_file;
    std::optional<std::string> m_previous;
};

inline bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A REG_SZ value below HKEY_CLASSES_ROOT ("" = the key's default value).
inline std::optional<std::string> StringValue(const std::string& path, const char* name = "") {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    char buffer[4096] = {};
    DWORD type = 0, size = sizeof buffer;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::string(buffer);
}

// The names of a key's subkeys (values == false) or values (values == true).
inline std::vector<std::string> Names(const std::string& path, bool values) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD size = sizeof name;
        LSTATUS status = values ? RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)
                                : RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    RegCloseKey(key);
    return names;
}
inline std::vector<std::string> SubkeyNames(const std::string& path) { return Names(path, false); }
inline std::vector<std::string> ValueNames(const std::string& path) { return Names(path, true); }

// Every key below HKEY_CLASSES_ROOT with its values ("path" -> "name=type:data;..."),
// to compare the whole tree before and after.
inline void CollectTree(const std::string& path, std::map<std::string, std::string>& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::string values;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameSize = sizeof name, type = 0;
        BYTE data[4096];
        DWORD dataSize = sizeof data;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        values += std::string(name, nameSize) + "=" + std::to_string(type) + ":" +
                  std::string(reinterpret_cast<char*>(data), dataSize) + ";";
    }
    RegCloseKey(key);
    out[path] = values;
    for (const std::string& child : SubkeyNames(path)) CollectTree(path.empty() ? child : path + "\\" + child, out);
}

inline std::map<std::string, std::string> ClassesRootTree() {
    std::map<std::string, std::string> tree;
    CollectTree("", tree);
    return tree;
}

inline void SetString(const std::string& path, const char* name, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace module_test
