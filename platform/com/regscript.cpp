// Runs a parsed registry script against the registry as one write transaction of the
// store: the script either takes effect whole or not at all.
#include "platform/com/regscript.h"

#include "platform/com/debug.h"
#include "platform/com/registry_script.h"
#include "platform/com/registry_store.h"

namespace quillet::reg {
namespace {

bool SetValues(Key& key, const std::vector<ScriptValue>& values) {
    bool changed = false;
    for (const auto& v : values) changed |= key.SetValue(v.name, v.data.type, v.data.bytes);
    return changed;
}

bool RegisterKeys(Tree& tree, Root root, KeyPath& path, const std::vector<ScriptKey>& keys) {
    bool changed = false;
    for (const auto& entry : keys) {
        path.push_back(entry.name);
        if (entry.mode == ScriptKeyMode::ForceRemove || entry.mode == ScriptKeyMode::Delete)
            changed |= tree.DeleteTree(root, path);
        if (entry.mode != ScriptKeyMode::Delete) {
            bool created = false;
            Key& key = tree.Create(root, path, &created);
            changed |= created;
            if (entry.defaultValue) changed |= key.SetValue("", entry.defaultValue->type, entry.defaultValue->bytes);
            changed |= SetValues(key, entry.values);
            changed |= RegisterKeys(tree, root, path, entry.subkeys);
        }
        path.pop_back();
    }
    return changed;
}

// Removes what the script names, deepest first. A key survives when it is NoRemove or
// still has subkeys that the script did not remove (someone else's).
bool UnregisterKeys(Tree& tree, Root root, KeyPath& path, const std::vector<ScriptKey>& keys) {
    bool changed = false;
    for (const auto& entry : keys) {
        path.push_back(entry.name);
        if (Key* key = tree.Find(root, path); key && entry.mode != ScriptKeyMode::Delete) {
            if (entry.mode == ScriptKeyMode::ForceRemove) {
                changed |= tree.DeleteTree(root, path);
            } else {
                for (const auto& v : entry.values) changed |= key->RemoveValue(v.name);
                changed |= UnregisterKeys(tree, root, path, entry.subkeys);
                if (entry.mode != ScriptKeyMode::NoRemove && key->ChildCount() == 0)
                    changed |= tree.DeleteTree(root, path);
            }
        }
        path.pop_back();
    }
    return changed;
}

bool Apply(Tree& tree, const Script& script, bool doRegister) {
    bool changed = false;
    for (const auto& entry : script.roots) {
        KeyPath path;
        Key& rootKey = tree.RootKey(entry.root);
        if (doRegister) {
            changed |= SetValues(rootKey, entry.values);
            changed |= RegisterKeys(tree, entry.root, path, entry.subkeys);
        } else {
            for (const auto& v : entry.values) changed |= rootKey.RemoveValue(v.name);
            changed |= UnregisterKeys(tree, entry.root, path, entry.subkeys);
        }
    }
    return changed;
}

thread_local std::string t_lastScriptError;

}  // namespace
}  // namespace quillet::reg

HRESULT RegistryScriptRun(const char* script, BOOL doRegister, const RegistryReplacement* replacements,
                          size_t replacementCount) {
    using namespace quillet::reg;
    if (!script || (replacementCount > 0 && !replacements)) return E_INVALIDARG;
    for (size_t i = 0; i < replacementCount; ++i)
        if (!replacements[i].name || !replacements[i].value) return E_INVALIDARG;

    Script parsed;
    std::string error;
    if (!ParseRegistryScript(script, replacements, replacementCount, parsed, error)) {
        t_lastScriptError = error;
        OutputDebugStringA(("Registry script error: " + error + "\n").c_str());
        return E_INVALIDARG;
    }
    t_lastScriptError.clear();
    LSTATUS status = Store::Instance().Write([&](Tree& tree, bool& changed) {
        changed = Apply(tree, parsed, doRegister != FALSE);
        return ERROR_SUCCESS;
    });
    return HRESULT_FROM_WIN32(status);
}

std::string RegistryScriptLastError() { return quillet::reg::t_lastScriptError; }
