// The registry scripts the module carries, one per class plus two that no class uses
// (101 and 105). Every effect script has the same shape, and so has every page script;
// only the display name, the class identifier and (for effects) the 'TypeLib' value
// differ, so the texts are made from one template each rather than written out
// sixteen times. "%MODULE%" stays in the text: the interpreter replaces it with the
// module's full path when the script runs.
#include <array>
#include <string>

#include "resources/moduleresources.h"

namespace {

enum class ScriptStyle { Effect, Page };

struct ScriptRow {
    UINT id;
    ScriptStyle style;
    const char* display;
    const char* clsid;    // lower case, without braces
    const char* typeLib;  // effect style only
};

// The 'TypeLib' value of each effect script is an identifier of its own, not the
// library's. Script 101 is the template the effect scripts were made from and names
// the library itself.
constexpr ScriptRow kScriptRows[] = {
    {101, ScriptStyle::Effect, "Quillet Brushwerk", "b9407b6b-d813-493b-8c1d-1a7a275601ba",
     "75c20786-10f9-43f2-b35f-36ecb32c51d1"},
    {105, ScriptStyle::Page, "Quillet Brushwerk", "36405db3-8710-4ab8-9b9f-2f4ca9ad8564", nullptr},
    {106, ScriptStyle::Page, "Quillet Pastel Sketch", "402debad-ccc3-4de6-9348-c7fe5a3ba39a", nullptr},
    {107, ScriptStyle::Effect, "Quillet Pastel Sketch", "7df87c52-e6ee-483b-86d0-bbeb9aace01a",
     "bec30f5e-ffa1-4769-b12c-11b8d6611c67"},
    {108, ScriptStyle::Page, "Quillet Air Brush", "b415fd10-ed21-4620-a41a-554613db1a84", nullptr},
    {109, ScriptStyle::Effect, "Quillet Air Brush", "952fb6e1-477a-4770-af38-661f9af5ab8d",
     "65bcee9e-5221-44dd-a0aa-ff375e3dfbce"},
    {110, ScriptStyle::Page, "Quillet Colorize", "2fc6216b-8324-4b5a-bdf0-2da166d44c7a", nullptr},
    {111, ScriptStyle::Effect, "Quillet Colorize", "3df0a492-f601-463f-a6aa-358b5a3ca376",
     "7d6a1a4d-5331-42d4-be02-c18a24250d15"},
    {112, ScriptStyle::Page, "Quillet Dream Glow", "7a82782a-b3b2-435d-81e2-18c6e4ac574b", nullptr},
    {113, ScriptStyle::Effect, "Quillet Dream Glow", "dbb1ef99-3deb-4bba-8461-a4226cacb4c5",
     "3c61d9f2-c1c8-41a4-907b-0995258ca4c9"},
    {114, ScriptStyle::Page, "Quillet DuoChrome", "84943f77-8ef0-4989-a5eb-b63c2381c1f5", nullptr},
    {115, ScriptStyle::Effect, "Quillet DuoChrome", "befbeec5-6bae-426b-b2e8-76d19b37810e",
     "c86526ea-902d-4432-b27c-c59c729e75b2"},
    {116, ScriptStyle::Page, "Quillet Line Drawing", "df6fa19a-06ba-477d-8276-665276d0c297", nullptr},
    {117, ScriptStyle::Effect, "Quillet Line Drawing", "67eceffc-0dd6-4f9d-a709-1ce0f0dbed2a",
     "c501f4cd-9c4b-4ad0-9943-f899ee8f3ad8"},
    {118, ScriptStyle::Page, "Quillet Metallic", "d027eef8-922d-4e4f-b6b8-c1d1470648f3", nullptr},
    {119, ScriptStyle::Effect, "Quillet Metallic", "e3a00d06-4eb9-4b50-a817-86aaca4ff114",
     "fa1eaa6b-d6de-4b7f-9e70-db81c5f0dafd"},
};
constexpr size_t kScriptCount = std::size(kScriptRows);

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string ScriptText(const ScriptRow& row) {
    const bool effect = row.style == ScriptStyle::Effect;
    const std::string progId = effect ? "Main.Plugin" : "Main.PluginPP";
    const std::string versionedProgId = progId + ".1";
    const std::string display = Quoted(row.display);
    const std::string clsid = std::string("{") + row.clsid + "}";

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
    if (effect) s += "            'TypeLib' = s " + Quoted(std::string("{") + row.typeLib + "}") + "\n";
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
