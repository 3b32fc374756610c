// The Reg* functions: handles that name a key by its path (so they stay meaningful
// when the store re-loads the file another process saved), each call one read or
// one write transaction of the store.
#include "platform/com/registry.h"

#include <cstring>
#include <mutex>
#include <unordered_set>

#include "platform/com/registry_store.h"

using quillet::reg::AppendKeyPath;
using quillet::reg::IsValidValueName;
using quillet::reg::Key;
using quillet::reg::KeyPath;
using quillet::reg::Root;
using quillet::reg::Store;
using quillet::reg::Tree;
using quillet::reg::Value;

struct RegKeyObject {
    Root root;
    KeyPath path;
    REGSAM access;
};

namespace {

constexpr REGSAM kAllRights = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS;
constexpr REGSAM kGenericRead = 0x80000000u;
constexpr REGSAM kGenericWrite = 0x40000000u;
constexpr REGSAM kGenericAll = 0x10000000u;
constexpr REGSAM kMaximumAllowed = 0x02000000u;

// The rights a handle opened with sam holds, with the generic rights spelled out.
REGSAM GrantedRights(REGSAM sam) {
    REGSAM rights = sam & kAllRights;
    if (sam & kGenericRead) rights |= KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
    if (sam & kGenericWrite) rights |= KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
    if (sam & (kGenericAll | kMaximumAllowed)) rights |= kAllRights;
    return rights;
}

// Open handles, so that a stale or foreign handle is refused instead of followed.
std::mutex g_handlesMutex;
std::unordered_set<RegKeyObject*>& Handles() {
    static auto* handles = new std::unordered_set<RegKeyObject*>;
    return *handles;
}

bool PredefinedRoot(HKEY key, Root& root) {
    if (key == HKEY_CLASSES_ROOT) root = Root::ClassesRoot;
    else if (key == HKEY_CURRENT_USER) root = Root::CurrentUser;
    else if (key == HKEY_LOCAL_MACHINE) root = Root::LocalMachine;
    else return false;
    return true;
}

// Copies what a handle names; false for a handle that is not open.
bool Resolve(HKEY key, RegKeyObject& out) {
    Root root;
    if (PredefinedRoot(key, root)) {
        out = RegKeyObject{root, {}, kAllRights};
        return true;
    }
    std::lock_guard<std::mutex> guard(g_handlesMutex);
    if (!Handles().count(key)) return false;
    out = *key;
    return true;
}

HKEY NewHandle(Root root, KeyPath path, REGSAM sam) {
    auto* handle = new RegKeyObject{root, std::move(path), GrantedRights(sam)};
    std::lock_guard<std::mutex> guard(g_handlesMutex);
    Handles().insert(handle);
    return handle;
}

// The bytes a query hands out: a string with its NUL.
std::string QueryBytes(const Value& value) {
    if (value.type == REG_SZ) return value.data + '\0';
    return value.data;
}

// Copies bytes to data with the platform's buffer rules.
LSTATUS CopyOut(const std::string& bytes, BYTE* data, DWORD* cb) {
    DWORD size = static_cast<DWORD>(bytes.size());
    if (!data) {
        if (cb) *cb = size;
        return ERROR_SUCCESS;
    }
    if (*cb < size) {
        *cb = size;
        return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, bytes.data(), size);
    *cb = size;
    return ERROR_SUCCESS;
}

LSTATUS CopyName(const std::string& name, char* buffer, DWORD* cch) {
    if (*cch < name.size() + 1) return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *cch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

}  // namespace

extern "C" {

LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD /*options*/, REGSAM sam, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    RegKeyObject base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    KeyPath path = base.path;
    if (!AppendKeyPath(subKey ? subKey : "", path)) return ERROR_FILE_NOT_FOUND;
    LSTATUS status = Store::Instance().Read([&](const Tree& tree) {
        if (!tree.Find(base.root, base.path)) return ERROR_KEY_DELETED;
        return tree.Find(base.root, path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (status == ERROR_SUCCESS) *result = NewHandle(base.root, std::move(path), sam);
    return status;
}

LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD /*reserved*/, char* /*klass*/, DWORD /*options*/,
                        REGSAM sam, void* /*security*/, HKEY* result, DWORD* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    RegKeyObject base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    KeyPath path = base.path;
    if (!AppendKeyPath(subKey ? subKey : "", path)) return ERROR_INVALID_PARAMETER;

    bool created = false;
    auto create = [&](Tree& tree, bool& changed) {
        if (!tree.Find(base.root, base.path)) return ERROR_KEY_DELETED;
        if (tree.Find(base.root, path)) return ERROR_SUCCESS;
        if (!(base.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        tree.Create(base.root, path);
        changed = created = true;
        return ERROR_SUCCESS;
    };
    // Opening an existing key needs no write transaction.
    LSTATUS status = Store::Instance().Read([&](const Tree& tree) {
        return tree.Find(base.root, path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (status == ERROR_FILE_NOT_FOUND) status = Store::Instance().Write(create);
    if (status != ERROR_SUCCESS) return status;
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(base.root, std::move(path), sam);
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    Root root;
    if (PredefinedRoot(key, root)) return ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> guard(g_handlesMutex);
        if (!Handles().erase(key)) return ERROR_INVALID_HANDLE;
    }
    delete key;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, const char* name, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD cb) {
    RegKeyObject base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    if (!(base.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    std::string valueName = name ? name : "";
    if (!IsValidValueName(valueName)) return ERROR_INVALID_PARAMETER;
    if (!data && cb > 0) return ERROR_INVALID_PARAMETER;
    const char* bytes = reinterpret_cast<const char*>(data);
    std::string stored;
    if (type == REG_SZ) {
        if (bytes) stored.assign(bytes, strnlen(bytes, cb));
    } else if (type == REG_DWORD) {
        if (cb != 4) return ERROR_INVALID_PARAMETER;
        stored.assign(bytes, 4);
    } else if (bytes) {
        stored.assign(bytes, cb);
    }
    return Store::Instance().Write([&](Tree& tree, bool& changed) {
        Key* k = tree.Find(base.root, base.path);
        if (!k) return ERROR_KEY_DELETED;
        changed = k->SetValue(valueName, type, stored);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegQueryValueExA(HKEY key, const char* name, DWORD* /*reserved*/, DWORD* type, BYTE* data, DWORD* cb) {
    RegKeyObject base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    if (!(base.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (data && !cb) return ERROR_INVALID_PARAMETER;
    return Store::Instance().Read([&](const Tree& tree) {
        const Key* k = tree.Find(base.root, base.path);
        if (!k) return ERROR_KEY_DELETED;
        const Value* v = k->FindValue(name ? name : "");
        if (!v) return ERROR_FILE_NOT_FOUND;
        if (type) *type = v->type;
        return CopyOut(QueryBytes(*v), data, cb);
    });
}

LSTATUS RegDeleteValueA(HKEY key, const char* name) {
    RegKeyObject base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    if (!(base.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return Store::Instance().Write([&](Tree& tree, bool& changed) {
        Key* k = tree.Find(base.root, base.path);
        if (!k) return ERROR_KEY_DELETED;
        if (!k->RemoveValue(name ? name : "")) return ERROR_FILE_NOT_FOUND;
        changed = true;
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteKeyA(HKEY key, const char* subKey) {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    RegKeyObject base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    KeyPath path = base.path;
    if (!AppendKeyPath(subKey, path)) return ERROR_FILE_NOT_FOUND;
    if (path.empty()) return ERROR_ACCESS_DENIED;  // a root cannot be deleted
    return Store::Instance().Write([&](Tree& tree, bool& changed) {
        const Key* target = tree.Find(base.root, path);
        if (!target) return ERROR_FILE_NOT_FOUND;
        if (target->ChildCount() > 0) return ERROR_ACCESS_DENIED;
        changed = tree.DeleteTree(base.root, path);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteTreeA(HKEY key, const char* subKey) {
    RegKeyObject base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    KeyPath path = base.path;
    if (!AppendKeyPath(subKey ? subKey : "", path)) return ERROR_FILE_NOT_FOUND;
    bool contentsOnly = path.size() == base.path.size();  // no subkey: empty the key itself
    if (contentsOnly && path.empty()) return ERROR_ACCESS_DENIED;  // never wipe a whole root
    return Store::Instance().Write([&](Tree& tree, bool& changed) {
        Key* target = tree.Find(base.root, path);
        if (!target) return contentsOnly ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
        if (contentsOnly) {
            changed = target->ChildCount() > 0 || target->ValueCount() > 0;
            target->ClearChildren();
            target->ClearValues();
        } else {
            changed = tree.DeleteTree(base.root, path);
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* /*reserved*/, char* klass,
                      DWORD* cchClass, void* lastWrite) {
    if (!name || !cchName) return ERROR_INVALID_PARAMETER;
    RegKeyObject base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    if (!(base.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    return Store::Instance().Read([&](const Tree& tree) {
        const Key* k = tree.Find(base.root, base.path);
        if (!k) return ERROR_KEY_DELETED;
        const Key* child = k->ChildAt(index);
        if (!child) return ERROR_NO_MORE_ITEMS;
        LSTATUS status = CopyName(child->Name(), name, cchName);
        if (status != ERROR_SUCCESS) return status;
        if (klass && cchClass && *cchClass > 0) klass[0] = '\0';
        if (cchClass) *cchClass = 0;
        if (lastWrite) std::memset(lastWrite, 0, 8);  // a FILETIME; the store keeps no times
        return ERROR_SUCCESS;
    });
}

LSTATUS RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* /*reserved*/, DWORD* type,
                      BYTE* data, DWORD* cb) {
    if (!name || !cchName) return ERROR_INVALID_PARAMETER;
    if (data && !cb) return ERROR_INVALID_PARAMETER;
    RegKeyObject base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    if (!(base.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    return Store::Instance().Read([&](const Tree& tree) {
        const Key* k = tree.Find(base.root, base.path);
        if (!k) return ERROR_KEY_DELETED;
        const Value* v = k->ValueAt(index);
        if (!v) return ERROR_NO_MORE_ITEMS;
        LSTATUS status = CopyName(v->name, name, cchName);
        if (status != ERROR_SUCCESS) return status;
        if (type) *type = v->type;
        return CopyOut(QueryBytes(*v), data, cb);
    });
}

}  // extern "C"

std::string RegistryFilePath() { return quillet::reg::ResolveRegistryPath(); }

void RegistryKeepInMemory() { Store::Instance().KeepInMemory(); }

std::string RegistryLastError() { return Store::Instance().LastError(); }
