// A registry script parsed into keys and values, before anything touches the
// registry. Internal to the script interpreter (regscript.h is the public face).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/registry_tree.h"
#include "platform/com/regscript.h"

namespace quillet::reg {

enum class ScriptKeyMode {
    Normal,
    NoRemove,     // never deleted when unregistering; its children still are
    ForceRemove,  // deleted whole before registering and when unregistering
    Delete,       // deleted whole when registering; nothing else happens to it
};

struct ScriptData {
    DWORD type = REG_SZ;  // REG_SZ or REG_DWORD
    std::string bytes;    // as the tree stores them
};

struct ScriptValue {
    std::string name;
    ScriptData data;
};

struct ScriptKey {
    std::string name;
    ScriptKeyMode mode = ScriptKeyMode::Normal;
    std::optional<ScriptData> defaultValue;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
    Root root = Root::ClassesRoot;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> subkeys;
};

struct Script {
    std::vector<ScriptRoot> roots;
};

// Parses the whole script, with %NAME% replaced inside names and quoted strings (so a
// replacement holding quotes, braces or spaces cannot change the script's structure).
// On failure, error is "line N: what".
bool ParseRegistryScript(std::string_view text, const RegistryReplacement* replacements, size_t replacementCount,
                         Script& script, std::string& error);

}  // namespace quillet::reg
