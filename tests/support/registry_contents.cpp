#include "tests/support/registry_contents.h"

#include <cstdio>

namespace testsupport {
namespace {

// An open key, closed at the end of the scope.
struct OpenKey {
    HKEY key = nullptr;
    OpenKey(HKEY root, const std::string& path, REGSAM access = KEY_READ) {
        if (RegOpenKeyExA(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) key = nullptr;
    }
    ~OpenKey() {
        if (key) RegCloseKey(key);
    }
};

std::vector<std::string> Names(HKEY root, const std::string& path) {
    std::vector<std::string> names;
    OpenKey open(root, path);
    for (DWORD i = 0; open.key; ++i) {
        char name[512];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(open.key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

std::string Join(const std::string& path, const std::string& child) { return path.empty() ? child : path + "\\" + child; }

void ListInto(HKEY root, const std::string& path, const std::string& prefix, std::vector<std::string>& out) {
    OpenKey open(root, path);
    if (!open.key) return;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD cchName = sizeof name, type = 0;
        BYTE data[4096];
        DWORD cb = sizeof data;
        if (RegEnumValueA(open.key, i, name, &cchName, nullptr, &type, data, &cb) != ERROR_SUCCESS) break;
        std::string line = prefix + " " + (*name ? name : "@") + " = ";
        if (type == REG_SZ) {
            line += reinterpret_cast<const char*>(data);
        } else if (type == REG_DWORD) {
            line += "dword:" + std::to_string(*reinterpret_cast<const DWORD*>(data));
        } else {
            line += "hex(" + std::to_string(type) + "):";
            for (DWORD b = 0; b < cb; ++b) {
                char hex[4];
                std::snprintf(hex, sizeof hex, b ? ",%02x" : "%02x", data[b]);
                line += hex;
            }
        }
        out.push_back(line);
    }
    for (const std::string& child : Names(root, path)) {
        out.push_back(Join(prefix, child));
        ListInto(root, Join(path, child), Join(prefix, child), out);
    }
}

template <class T>
std::optional<T> Read(HKEY root, const std::string& path, const char* name, DWORD wanted) {
    OpenKey open(root, path);
    T data{};
    DWORD type = 0, size = sizeof data;
    if (!open.key || RegQueryValueExA(open.key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != wanted)
        return std::nullopt;
    return data;
}

LSTATUS Write(HKEY root, const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status;
}

struct Text {
    char chars[4096];
};

}  // namespace

bool KeyExists(HKEY root, const std::string& path) { return OpenKey(root, path).key != nullptr; }

std::optional<std::string> ReadString(HKEY root, const std::string& path, const char* name) {
    auto text = Read<Text>(root, path, name, REG_SZ);
    return text ? std::optional<std::string>(text->chars) : std::nullopt;
}

std::optional<DWORD> ReadDword(HKEY root, const std::string& path, const char* name) {
    return Read<DWORD>(root, path, name, REG_DWORD);
}

LSTATUS WriteString(HKEY root, const std::string& path, const char* name, const std::string& text) {
    return Write(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

LSTATUS WriteDword(HKEY root, const std::string& path, const char* name, DWORD value) {
    return Write(root, path, name, REG_DWORD, &value, sizeof value);
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& path) { return Names(root, path); }

std::vector<std::string> ListKeys(HKEY root, const std::string& path) {
    std::vector<std::string> out;
    ListInto(root, path, "", out);
    return out;
}

}  // namespace testsupport
