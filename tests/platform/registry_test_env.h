// Test helpers: a registry file of the test's own in a fresh temporary folder, and a
// listing of registry contents read back through the Reg* functions.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/com/registry.h"

namespace regtest {

class TempRegistry {
public:
    TempRegistry() {
        char pattern[] = "/tmp/quillet-regtest-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        m_folder = made ? made : "/tmp";
        m_path = m_folder + "/registry.reg";
        if (const char* old = std::getenv("QUILLET_REGISTRY")) m_saved = old, m_hadSaved = true;
        Use(m_path);
    }
    ~TempRegistry() {
        if (m_hadSaved)
            ::setenv("QUILLET_REGISTRY", m_saved.c_str(), 1);
        else
            ::unsetenv("QUILLET_REGISTRY");
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    static void Use(const std::string& path) { ::setenv("QUILLET_REGISTRY", path.c_str(), 1); }

    const std::string& Folder() const { return m_folder; }
    const std::string& Path() const { return m_path; }

    std::string ReadText(const std::string& path = {}) const {
        std::ifstream in(path.empty() ? m_path : path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void WriteText(const std::string& text) const {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out << text;
    }

    // Makes the store read the file from disk again, as a new process would: it
    // drops its cache whenever the registry's path changes.
    void ForceReload() const {
        Use(m_folder + "/elsewhere.reg");
        HKEY k = nullptr;
        RegOpenKeyExA(HKEY_CLASSES_ROOT, "x", 0, KEY_READ, &k);
        if (k) RegCloseKey(k);
        Use(m_path);
    }

private:
    std::string m_folder;
    std::string m_path;
    std::string m_saved;
    bool m_hadSaved = false;
};

// Every key below root\path and its values, one line each, in enumeration order:
//   "Sub\Key"                 for a key
//   "Sub\Key @ = text"        for a string value ("@" is the default value)
//   "Sub\Key Flags = dword:10" for a DWORD
inline void ListKey(HKEY key, const std::string& prefix, std::vector<std::string>& out) {
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD cchName = sizeof name;
        DWORD type = 0;
        BYTE data[4096];
        DWORD cb = sizeof data;
        if (RegEnumValueA(key, i, name, &cchName, nullptr, &type, data, &cb) != ERROR_SUCCESS) break;
        std::string line = prefix + " " + (*name ? name : "@") + " = ";
        if (type == REG_SZ)
            line += reinterpret_cast<const char*>(data);
        else if (type == REG_DWORD)
            line += "dword:" + std::to_string(*reinterpret_cast<const DWORD*>(data));
        else
            line += "type" + std::to_string(type);
        out.push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD cchName = sizeof name;
        if (RegEnumKeyExA(key, i, name, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        std::string childPrefix = prefix.empty() ? name : prefix + "\\" + name;
        out.push_back(childPrefix);
        HKEY child = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            ListKey(child, childPrefix, out);
            RegCloseKey(child);
        }
    }
}

inline std::vector<std::string> List(HKEY root, const char* path = "") {
    std::vector<std::string> out;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
    ListKey(key, "", out);
    RegCloseKey(key);
    return out;
}

inline bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The string value, or "<missing>".
inline std::string ReadString(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
    char data[4096];
    DWORD cb = sizeof data, type = 0;
    LSTATUS st = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &cb);
    RegCloseKey(key);
    if (st != ERROR_SUCCESS || type != REG_SZ) return "<missing>";
    return std::string(data);
}

inline LSTATUS WriteString(HKEY root, const char* path, const char* name, const std::string& text) {
    HKEY key = nullptr;
    LSTATUS st = RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (st != ERROR_SUCCESS) return st;
    st = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return st;
}

}  // namespace regtest
