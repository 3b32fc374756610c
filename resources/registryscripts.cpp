// The registry scripts the module carries: an effect script and a page script for
// each effect, made from its descriptor, plus two that no class uses (101 and 105).
// Every effect script has the same shape, and so has every page script; only the
// display name, the class identifier, the program identifiers and (for effects) the
// 'TypeLib' value differ, so the texts are made from one template each. "%MODULE%"
// stays in the text: the interpreter replaces it with the module's full path when the
// script runs.
#include <algorithm>
#include <array>
#include <string>

#include "resources/moduleresources.h"
#include "sdk/effects.h"

namespace {

enum class ScriptStyle { Effect, Page };

struct ScriptRow {
    UINT id;
    ScriptStyle style;
    const char* display;
    GUID clsid;
    const char* progId;
    const char* versionIndependentProgId;
    GUID typeLib;  // effect style only
};

constexpr size_t kScriptCount = 2 + 2 * std::size(kEffectDescriptors);

// Script 101 is the template the effect scripts were made from and names the library
// itself; the 'TypeLib' value of each effect script is an identifier of its own.
constexpr std::array<ScriptRow, kScriptCount> ScriptRowsInIdOrder() {
    std::array<ScriptRow, kScriptCount> rows{};
    size_t n = 0;
    rows[n++] = {101, ScriptStyle::Effect, "Quillet Brushwerk", MakeGuid("b9407b6b-d813-493b-8c1d-1a7a275601ba"),
                 kEffectProgId, kEffectVersionIndependentProgId, MakeGuid("75c20786-10f9-43f2-b35f-36ecb32c51d1")};
    rows[n++] = {105, ScriptStyle::Page, "Quillet Brushwerk", MakeGuid("36405db3-8710-4ab8-9b9f-2f4ca9ad8564"),
                 kPageProgId, kPageVersionIndependentProgId, {}};
    for (const EffectDescriptor* d : kEffectDescriptors) {
        rows[n++] = {d->scriptId, ScriptStyle::Effect, d->displayName, d->clsid, d->progId, d->versionIndependentProgId,
                     d->scriptTypeLib};
        rows[n++] = {d->pageScriptId, ScriptStyle::Page, d->displayName, d->pageClsid, d->pageProgId,
                     d->pageVersionIndependentProgId, {}};
    }
    std::sort(rows.begin(), rows.end(), [](const ScriptRow& x, const ScriptRow& y) { return x.id < y.id; });
    return rows;
}
constexpr std::array<ScriptRow, kScriptCount> kScriptRows = ScriptRowsInIdOrder();


std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string ScriptText(const ScriptRow& row) {
    const bool effect = row.style == ScriptStyle::Effect;
    const std::string progId = row.versionIndependentProgId;
    const std::string versionedProgId = row.progId;
    const std::string display = Quoted(row.display);
    const std::string clsid = GuidToString(row.clsid);

    std::string s;
    s += "HKCR\n";
    s += "{\n";
    s += "    " + versionedProgId + " = s " + display + "\n";
    s += "    {\n";
    s += "        CLSID = s " + Quoted(clsid) + "\n";
    s += "    }\n";
    s += "    " + progId + " = s " + display + "\n";
    s += "    {\n";
    s += "        CLSID = s " + Quoted(clsid) + "\n";
    s += "        CurVer = s " + Quoted(versionedProgId) + "\n";
    s += "    }\n";
    s += "    NoRemove CLSID\n";
    s += "    {\n";
    s += "        ForceRemove " + clsid + " = s " + display + "\n";
    s += "        {\n";
    if (effect) {
        s += "            ProgID = s " + Quoted(versionedProgId) + "\n";
        s += "            VersionIndependentProgID = s " + Quoted(progId) + "\n";
    }
    s += "            ForceRemove 'Programmable'\n";
    s += "            InprocServer32 = s '%MODULE%'\n";
    s += "            {\n";
    s += "                val ThreadingModel = s 'Both'\n";
    s += "            }\n";
    if (effect) s += "            'TypeLib' = s " + Quoted(GuidToString(row.typeLib)) + "\n";
    s += "        }\n";
    s += "    }\n";
    s += "}\n";
    return s;
}

struct ScriptTable {
    std::array<std::string, kScriptCount> texts;
    std::array<ModuleBinaryResource, kScriptCount> resources;

    ScriptTable() {
        for (size_t i = 0; i < kScriptCount; ++i) {
            texts[i] = ScriptText(kScriptRows[i]);
            resources[i] = {kRegistryResourceType, kScriptRows[i].id, texts[i].data(), texts[i].size()};
        }
    }
};

const ScriptTable& Scripts() {
    static const ScriptTable table;
    return table;
}

}  // namespace

std::span<const ModuleBinaryResource> RegistryScriptResources() { return Scripts().resources; }

std::string_view RegistryScriptText(UINT id) {
    const ScriptTable& table = Scripts();
    for (size_t i = 0; i < kScriptCount; ++i)
        if (kScriptRows[i].id == id) return table.texts[i];
    return {};
}
