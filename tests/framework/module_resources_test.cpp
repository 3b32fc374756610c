// What the module carries: the registry scripts word for word, the object map's
// agreement with them, the type library and the assembled resource table.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "framework/clsids.h"
#include "framework/objectmap.h"
#include "resources/moduleresources.h"

namespace {

const char* const kDuoChromeEffectScript =
    "HKCR\n"
    "{\n"
    "    Main.Plugin.1 = s 'Quillet DuoChrome'\n"
    "    {\n"
    "        CLSID = s '{befbeec5-6bae-426b-b2e8-76d19b37810e}'\n"
    "    }\n"
    "    Main.Plugin = s 'Quillet DuoChrome'\n"
    "    {\n"
    "        CLSID = s '{befbeec5-6bae-426b-b2e8-76d19b37810e}'\n"
    "        CurVer = s 'Main.Plugin.1'\n"
    "    }\n"
    "    NoRemove CLSID\n"
    "    {\n"
    "        ForceRemove {befbeec5-6bae-426b-b2e8-76d19b37810e} = s 'Quillet DuoChrome'\n"
    "        {\n"
    "            ProgID = s 'Main.Plugin.1'\n"
    "            VersionIndependentProgID = s 'Main.Plugin'\n"
    "            ForceRemove 'Programmable'\n"
    "            InprocServer32 = s '%MODULE%'\n"
    "            {\n"
    "                val ThreadingModel = s 'Both'\n"
    "            }\n"
    "            'TypeLib' = s '{c86526ea-902d-4432-b27c-c59c729e75b2}'\n"
    "        }\n"
    "    }\n"
    "}\n";

const char* const kAirBrushPageScript =
    "HKCR\n"
    "{\n"
    "    Main.PluginPP.1 = s 'Quillet Air Brush'\n"
    "    {\n"
    "        CLSID = s '{b415fd10-ed21-4620-a41a-554613db1a84}'\n"
    "    }\n"
    "    Main.PluginPP = s 'Quillet Air Brush'\n"
    "    {\n"
    "        CLSID = s '{b415fd10-ed21-4620-a41a-554613db1a84}'\n"
    "        CurVer = s 'Main.PluginPP.1'\n"
    "    }\n"
    "    NoRemove CLSID\n"
    "    {\n"
    "        ForceRemove {b415fd10-ed21-4620-a41a-554613db1a84} = s 'Quillet Air Brush'\n"
    "        {\n"
    "            ForceRemove 'Programmable'\n"
    "            InprocServer32 = s '%MODULE%'\n"
    "            {\n"
    "                val ThreadingModel = s 'Both'\n"
    "            }\n"
    "        }\n"
    "    }\n"
    "}\n";

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

TEST(ModuleResources, EffectAndPageScriptsWordForWord) {
    EXPECT_EQ(RegistryScriptText(115), kDuoChromeEffectScript);
    EXPECT_EQ(RegistryScriptText(108), kAirBrushPageScript);
}

TEST(ModuleResources, CarriesSixteenScriptsInIdOrder) {
    std::vector<UINT> ids;
    for (const ModuleBinaryResource& r : RegistryScriptResources()) {
        EXPECT_STREQ(r.type, "REGISTRY");
        EXPECT_EQ(std::string_view(static_cast<const char*>(r.data), r.size), RegistryScriptText(r.id));
        ids.push_back(r.id);
    }
    std::vector<UINT> expected{101};
    for (UINT id = 105; id <= 119; ++id) expected.push_back(id);
    EXPECT_EQ(ids, expected);
    EXPECT_TRUE(RegistryScriptText(102).empty());
    EXPECT_TRUE(RegistryScriptText(120).empty());
}

TEST(ModuleResources, UnusedScriptsNameTheProduct) {
    std::string_view effectStyle = RegistryScriptText(101);
    EXPECT_TRUE(Contains(effectStyle, "ForceRemove {b9407b6b-d813-493b-8c1d-1a7a275601ba} = s 'Quillet Brushwerk'"));
    EXPECT_TRUE(Contains(effectStyle, "VersionIndependentProgID = s 'Main.Plugin'"));
    std::string_view pageStyle = RegistryScriptText(105);
    EXPECT_TRUE(Contains(pageStyle, "ForceRemove {36405db3-8710-4ab8-9b9f-2f4ca9ad8564} = s 'Quillet Brushwerk'"));
    EXPECT_FALSE(Contains(pageStyle, "TypeLib"));
    for (const ObjectMapEntry& entry : ObjectMap()) EXPECT_NE(entry.scriptId, 101u);
}

// Every map entry's script registers that entry's class under its display name, with
// the program identifiers and lines of its kind.
TEST(ModuleResources, EachMapEntryRunsAScriptForItsOwnClass) {
    std::set<UINT> used;
    for (const ObjectMapEntry& entry : ObjectMap()) {
        SCOPED_TRACE(entry.displayName);
        std::string_view script = RegistryScriptText(entry.scriptId);
        ASSERT_FALSE(script.empty());
        EXPECT_TRUE(used.insert(entry.scriptId).second);
        const std::string clsid = GuidToString(*entry.clsid);
        const std::string display = std::string("'") + entry.displayName + "'";
        EXPECT_TRUE(Contains(script, "ForceRemove " + clsid + " = s " + display + "\n"));
        EXPECT_TRUE(Contains(script, "CLSID = s '" + clsid + "'\n"));
        const bool effect = entry.kind == ObjectKind::Effect;
        EXPECT_EQ(Contains(script, "    Main.Plugin.1 = s " + display), effect);
        EXPECT_EQ(Contains(script, "    Main.PluginPP.1 = s " + display), !effect);
        EXPECT_EQ(Contains(script, "ProgID = s 'Main.Plugin.1'"), effect);
        EXPECT_EQ(Contains(script, "'TypeLib' = s '{"), effect);
        // The per-effect 'TypeLib' value is never the library's own identifier.
        EXPECT_FALSE(Contains(script, GuidToString(MainTypeLibrary().libid)));
    }
}

TEST(ModuleResources, EffectScriptsNameTheirOwnTypeLibValues) {
    const std::pair<UINT, const char*> values[] = {
        {109, "65bcee9e-5221-44dd-a0aa-ff375e3dfbce"}, {107, "bec30f5e-ffa1-4769-b12c-11b8d6611c67"},
        {111, "7d6a1a4d-5331-42d4-be02-c18a24250d15"}, {113, "3c61d9f2-c1c8-41a4-907b-0995258ca4c9"},
        {117, "c501f4cd-9c4b-4ad0-9943-f899ee8f3ad8"}, {119, "fa1eaa6b-d6de-4b7f-9e70-db81c5f0dafd"},
        {115, "c86526ea-902d-4432-b27c-c59c729e75b2"},
    };
    for (auto [id, value] : values)
        EXPECT_TRUE(Contains(RegistryScriptText(id), std::string("'TypeLib' = s '{") + value + "}'")) << id;
}

}  // namespace
