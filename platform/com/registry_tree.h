// The registry's contents in memory: three roots, each a tree of keys; a key holds
// named values and subkeys. Names compare case-insensitively (ASCII) and keep the
// spelling they were created with. Internal to the registry stand-in.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/registry.h"

namespace quillet::reg {

enum class Root : int { ClassesRoot = 0, CurrentUser = 1, LocalMachine = 2 };
inline constexpr int kRootCount = 3;

// "HKEY_CLASSES_ROOT" and so on.
const char* RootLongName(Root root);
// Accepts the long names and the short forms HKCR, HKCU, HKLM, in any case.
std::optional<Root> RootFromName(std::string_view name);

struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
bool NamesEqual(std::string_view a, std::string_view b);

// A key or value name may hold any character but the control characters (the file
// format is line based); a key name also no backslash, which separates path parts.
bool IsValidKeyName(std::string_view name);
bool IsValidValueName(std::string_view name);

using KeyPath = std::vector<std::string>;
// Keys nest at most this deep, as on the platform.
inline constexpr size_t kMaxKeyDepth = 512;
// Appends the parts of "A\B\C" to path; empty parts (doubled or trailing
// backslashes) are skipped. False when a part is not a valid key name or the path
// would nest deeper than kMaxKeyDepth.
bool AppendKeyPath(std::string_view text, KeyPath& path);

struct Value {
    std::string name;  // "" is the key's default value
    DWORD type = REG_NONE;
    std::string data;  // REG_SZ: the text without its NUL; REG_DWORD: 4 bytes little-endian
};

std::string DwordBytes(DWORD value);
DWORD DwordFromBytes(std::string_view bytes);

class Key {
public:
    explicit Key(std::string name = {}) : m_name(std::move(name)) {}

    const std::string& Name() const { return m_name; }

    Key* Child(std::string_view name) const;
    // Returns the existing child or a new one; *created tells which.
    Key& AddChild(std::string_view name, bool* created = nullptr);
    bool RemoveChild(std::string_view name);
    size_t ChildCount() const { return m_subkeys.size(); }
    // Children in name order.
    const Key* ChildAt(size_t index) const;
    template <class F>
    void ForEachChild(F&& f) const {
        for (const auto& [name, child] : m_subkeys) f(*child);
    }

    const Value* FindValue(std::string_view name) const;
    // Adds or replaces; false when the value already held exactly this.
    bool SetValue(std::string_view name, DWORD type, std::string data);
    bool RemoveValue(std::string_view name);
    void ClearValues() { m_values.clear(); }
    void ClearChildren() { m_subkeys.clear(); }
    size_t ValueCount() const { return m_values.size(); }
    // The default value first, then the others in name order.
    const Value* ValueAt(size_t index) const;
    template <class F>
    void ForEachValue(F&& f) const {
        for (const auto& [name, value] : m_values) f(value);
    }

private:
    std::string m_name;
    std::map<std::string, std::unique_ptr<Key>, NameLess> m_subkeys;
    std::map<std::string, Value, NameLess> m_values;
};

class Tree {
public:
    Key& RootKey(Root root) { return m_roots[static_cast<int>(root)]; }
    const Key& RootKey(Root root) const { return m_roots[static_cast<int>(root)]; }

    Key* Find(Root root, const KeyPath& path);
    const Key* Find(Root root, const KeyPath& path) const;
    // Creates the missing keys along the path; *created is true when the last one is new.
    Key& Create(Root root, const KeyPath& path, bool* created = nullptr);
    // Removes the key at path with everything below it. A root cannot be removed.
    bool DeleteTree(Root root, const KeyPath& path);

private:
    Key m_roots[kRootCount];
};

}  // namespace quillet::reg
