#include "tests/support/registry_contents.h"

namespace testsupport {
namespace {

// An open key, closed at the end of the scope.
struct OpenKey {
    HKEY key = nullptr;
    OpenKey(HKEY root, const std::string& path) {
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
    }
    ~OpenKey() {
        if (key) RegCloseKey(key);
    }
};

std::vector<std::string> Names(HKEY root, const std::string& path, bool values) {
    std::vector<std::string> names;
    OpenKey open(root, path);
    if (!open.key) return names;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD size = sizeof name;
        LSTATUS status = values ? RegEnumValueA(open.key, i, name, &size, nullptr, nullptr, nullptr, nullptr)
                                : RegEnumKeyExA(open.key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
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
        if (type == REG_SZ)
            line += reinterpret_cast<const char*>(data);
        else if (type == REG_DWORD)
            line += "dword:" + std::to_string(*reinterpret_cast<const DWORD*>(data));
        else
            line += "type" + std::to_string(type);
        out.push_back(line);
    }
    for (const std::string& child : Names(root, path, false)) {
        out.push_back(Join(prefix, child));
        ListInto(root, Join(path, child), Join(prefix, child), out);
    }
}

void TreeInto(HKEY root, const std::string& path, std::map<std::string, std::string>& out) {
    std::string values;
    {
        OpenKey open(root, path);
        if (!open.key) return;
        for (DWORD i = 0;; ++i) {
            char name[512];
            DWORD nameSize = sizeof name, type = 0;
            BYTE data[4096];
            DWORD dataSize = sizeof data;
            if (RegEnumValueA(open.key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
            values += std::string(name, nameSize) + "=" + std::to_string(type) + ":" +
                      std::string(reinterpret_cast<char*>(data), dataSize) + ";";
        }
    }
    out[path] = values;
    for (const std::string& child : Names(root, path, false)) TreeInto(root, Join(path, child), out);
}

}  // namespace

bool KeyExists(HKEY root, const std::string& path) { return OpenKey(root, path).key != nullptr; }

std::optional<std::string> ReadString(HKEY root, const std::string& path, const char* name) {
    OpenKey open(root, path);
    if (!open.key) return std::nullopt;
    char data[4096] = {};
    DWORD type = 0, size = sizeof data;
    if (RegQueryValueExA(open.key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::string(data);
}

LSTATUS WriteString(HKEY root, const std::string& path, const char* name, const std::string& text) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return status;
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& path) { return Names(root, path, false); }
std::vector<std::string> ValueNames(HKEY root, const std::string& path) { return Names(root, path, true); }

std::vector<std::string> ListKeys(HKEY root, const std::string& path) {
    std::vector<std::string> out;
    ListInto(root, path, "", out);
    return out;
}

std::map<std::string, std::string> KeyTree(HKEY root) {
    std::map<std::string, std::string> tree;
    TreeInto(root, "", tree);
    return tree;
}

}  // namespace testsupport
