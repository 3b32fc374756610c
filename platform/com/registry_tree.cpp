#include "platform/com/registry_tree.h"

#include <algorithm>
#include <iterator>


namespace quillet::reg {

namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }
}  // namespace

const char* RootLongName(Root root) {
    switch (root) {
        case Root::ClassesRoot: return "HKEY_CLASSES_ROOT";
        case Root::CurrentUser: return "HKEY_CURRENT_USER";
        case Root::LocalMachine: return "HKEY_LOCAL_MACHINE";
    }
    return "";
}

std::optional<Root> RootFromName(std::string_view name) {
    if (NamesEqual(name, "HKEY_CLASSES_ROOT") || NamesEqual(name, "HKCR")) return Root::ClassesRoot;
    if (NamesEqual(name, "HKEY_CURRENT_USER") || NamesEqual(name, "HKCU")) return Root::CurrentUser;
    if (NamesEqual(name, "HKEY_LOCAL_MACHINE") || NamesEqual(name, "HKLM")) return Root::LocalMachine;
    return std::nullopt;
}

bool NameLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) {
                                            return static_cast<unsigned char>(LowerAscii(x)) <
                                                   static_cast<unsigned char>(LowerAscii(y));
                                        });
}

bool NamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool IsValidValueName(std::string_view name) { return std::none_of(name.begin(), name.end(), IsControl); }

bool IsValidKeyName(std::string_view name) {
    return !name.empty() && name.find('\\') == std::string_view::npos && IsValidValueName(name);
}

bool AppendKeyPath(std::string_view text, KeyPath& path) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\\', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view part = text.substr(start, end - start);
        if (!part.empty()) {
            if (!IsValidKeyName(part)) return false;
            path.emplace_back(part);
        }
        start = end + 1;
    }
    return path.size() <= kMaxKeyDepth;
}

std::string DwordBytes(DWORD value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

DWORD DwordFromBytes(std::string_view bytes) {
    DWORD value = 0;
    for (size_t i = 0; i < 4 && i < bytes.size(); ++i)
        value |= static_cast<DWORD>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

Key* Key::Child(std::string_view name) const {
    auto it = m_subkeys.find(name);
    return it == m_subkeys.end() ? nullptr : it->second.get();
}

Key& Key::AddChild(std::string_view name, bool* created) {
    auto it = m_subkeys.find(name);
    if (created) *created = (it == m_subkeys.end());
    if (it != m_subkeys.end()) return *it->second;
    auto child = std::make_unique<Key>(std::string(name));
    Key& ref = *child;
    m_subkeys.emplace(std::string(name), std::move(child));
    return ref;
}

bool Key::RemoveChild(std::string_view name) {
    auto it = m_subkeys.find(name);
    if (it == m_subkeys.end()) return false;
    m_subkeys.erase(it);
    return true;
}

const Key* Key::ChildAt(size_t index) const {
    if (index >= m_subkeys.size()) return nullptr;
    return std::next(m_subkeys.begin(), static_cast<std::ptrdiff_t>(index))->second.get();
}

const Value* Key::FindValue(std::string_view name) const {
    auto it = m_values.find(name);
    return it == m_values.end() ? nullptr : &it->second;
}

bool Key::SetValue(std::string_view name, DWORD type, std::string data) {
    auto it = m_values.find(name);
    if (it == m_values.end()) {
        m_values.emplace(std::string(name), Value{std::string(name), type, std::move(data)});
        return true;
    }
    // An existing value keeps the spelling of its name, as the platform does.
    if (it->second.type == type && it->second.data == data) return false;
    it->second.type = type;
    it->second.data = std::move(data);
    return true;
}

bool Key::RemoveValue(std::string_view name) {
    auto it = m_values.find(name);
    if (it == m_values.end()) return false;
    m_values.erase(it);
    return true;
}

const Value* Key::ValueAt(size_t index) const {
    // The map orders "" (the default value) first already.
    if (index >= m_values.size()) return nullptr;
    return &std::next(m_values.begin(), static_cast<std::ptrdiff_t>(index))->second;
}

Key* Tree::Find(Root root, const KeyPath& path) {
    Key* key = &RootKey(root);
    for (const auto& part : path) {
        key = key->Child(part);
        if (!key) return nullptr;
    }
    return key;
}

const Key* Tree::Find(Root root, const KeyPath& path) const {
    return const_cast<Tree*>(this)->Find(root, path);
}

Key& Tree::Create(Root root, const KeyPath& path, bool* created) {
    Key* key = &RootKey(root);
    bool last = false;
    for (const auto& part : path) key = &key->AddChild(part, &last);
    if (created) *created = last;
    return *key;
}

bool Tree::DeleteTree(Root root, const KeyPath& path) {
    if (path.empty()) return false;
    KeyPath parentPath(path.begin(), path.end() - 1);
    Key* parent = Find(root, parentPath);
    return parent && parent->RemoveChild(path.back());
}

}  // namespace quillet::reg
