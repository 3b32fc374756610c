// The registry-script interpreter on the effect and page scripts the module carries.
#include <gtest/gtest.h>

#include "platform/com/regscript.h"
#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

using testsupport::KeyExists;
using testsupport::ListKeys;
using testsupport::ReadString;
using testsupport::TempRegistry;
using testsupport::WriteString;

namespace {

const char* const kAirBrush = "{952fb6e1-477a-4770-af38-661f9af5ab8d}";
const char* const kAirBrushTypeLib = "{65bcee9e-5221-44dd-a0aa-ff375e3dfbce}";
const char* const kModule = "/opt/quillet/libquillet_brushwerk.so";

std::string EffectScript(const std::string& clsid, const std::string& display, const std::string& typelib) {
    return "HKCR\n"
           "{\n"
           "    Main.Plugin.1 = s '" + display + "'\n"
           "    {\n"
           "        CLSID = s '" + clsid + "'\n"
           "    }\n"
           "    Main.Plugin = s '" + display + "'\n"
           "    {\n"
           "        CLSID = s '" + clsid + "'\n"
           "        CurVer = s 'Main.Plugin.1'\n"
           "    }\n"
           "    NoRemove CLSID\n"
           "    {\n"
           "        ForceRemove " + clsid + " = s '" + display + "'\n"
           "        {\n"
           "            ProgID = s 'Main.Plugin.1'\n"
           "            VersionIndependentProgID = s 'Main.Plugin'\n"
           "            ForceRemove 'Programmable'\n"
           "            InprocServer32 = s '%MODULE%'\n"
           "            {\n"
           "                val ThreadingModel = s 'Both'\n"
           "            }\n"
           "            'TypeLib' = s '" + typelib + "'\n"
           "        }\n"
           "    }\n"
           "}\n";
}

HRESULT RunScript(const std::string& script, BOOL doRegister, const char* module = kModule) {
    RegistryReplacement r{"MODULE", module};
    return RegistryScriptRun(script.c_str(), doRegister, &r, 1);
}

const std::string kAirBrushScript = EffectScript(kAirBrush, "Quillet Air Brush", kAirBrushTypeLib);

}  // namespace

// What the whole module's registration does not show: NoRemove keys stay even when
// empty, keys with foreign subkeys survive, and unregistering twice changes nothing.
TEST(RegistryScript, KeyWithForeignSubkeysSurvivesUnregister) {
    TempRegistry reg;
    ASSERT_EQ(RunScript(kAirBrushScript, TRUE), S_OK);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Main.Plugin\\Extra", "", "someone else"), ERROR_SUCCESS);
    // Under the ForceRemove class key a foreign subkey does not protect anything.
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kAirBrush + "\\Foreign").c_str(), "", "x"),
              ERROR_SUCCESS);
    ASSERT_EQ(RunScript(kAirBrushScript, FALSE), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT),
              (std::vector<std::string>{"CLSID", "Main.Plugin", "Main.Plugin @ = Quillet Air Brush",
                                        "Main.Plugin\\Extra", "Main.Plugin\\Extra @ = someone else"}));
    const std::string after = reg.ReadText();
    ASSERT_EQ(RunScript(kAirBrushScript, FALSE), S_OK);
    EXPECT_EQ(reg.ReadText(), after);
}

TEST(RegistryScript, ForceRemoveClearsStaleSubkeysOnReregister) {
    TempRegistry reg;
    ASSERT_EQ(RunScript(kAirBrushScript, TRUE, "/old/place.so"), S_OK);
    const std::string clsidKey = std::string("CLSID\\") + kAirBrush;
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, (clsidKey + "\\Stale\\Deeper").c_str(), "", "old"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, (clsidKey + "\\Programmable").c_str(), "Leftover", "x"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Main.Plugin\\Unrelated", "", "kept"), ERROR_SUCCESS);
    ASSERT_EQ(RunScript(kAirBrushScript, TRUE), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, (clsidKey + "\\Stale").c_str()));
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, (clsidKey + "\\Programmable").c_str(), "Leftover"), std::nullopt);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, (clsidKey + "\\InprocServer32").c_str(), ""), kModule);
    // Keys that are not ForceRemove are updated in place.
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Main.Plugin\\Unrelated", ""), "kept");
}

TEST(RegistryScript, ModuleReplacementIsTakenLiterally) {
    TempRegistry reg;
    // Quotes, braces and blanks in the path cannot change the script's structure.
    const char* odd = "/home/o'brien/My } Libs/%x/lib.so";
    ASSERT_EQ(RunScript(kAirBrushScript, TRUE, odd), S_OK);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kAirBrush + "\\InprocServer32").c_str(), ""),
              odd);
    reg.ForceReload();  // and through the file
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kAirBrush + "\\InprocServer32").c_str(), ""),
              odd);
}

TEST(RegistryScript, MalformedScriptWritesNothingAndNamesTheLine) {
    TempRegistry reg;
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Existing", "", "1"), ERROR_SUCCESS);
    const std::string before = reg.ReadText();
    struct Case {
        std::string script;
        std::string error;
    };
    std::string missingQuote = kAirBrushScript;
    missingQuote.replace(missingQuote.find("s 'Main.Plugin'"), 15, "s 'Main.Plugin");
    std::string missingBrace = kAirBrushScript.substr(0, kAirBrushScript.rfind('}'));
    std::string badType = kAirBrushScript;
    badType.replace(badType.find("val ThreadingModel = s"), 22, "val ThreadingModel = x");
    const Case cases[] = {
        {missingQuote, "line 17: unterminated string"},
        {missingBrace, "line 26: missing '}' at the end of the script"},
        {badType, "line 21: unsupported value type \"x\""},
        {"HKXX\n{\n}\n", "line 1: expected a root key (HKCR, HKLM, HKCU), found \"HKXX\""},
        {"HKCR\n{\n  A = s '%NOPE%'\n}\n", "line 3: unknown replacement %NOPE%"},
        {"HKCR\n{\n  A = s '100%'\n}\n", "line 3: unterminated replacement in \"100%\""},
        {"HKCR\n{\n  A = d '4294967296'\n}\n", "line 3: bad number '4294967296'"},
        {"HKCR\n{\n  A = d '12ab'\n}\n", "line 3: bad number '12ab'"},
        {"HKCR\n{\n  A =\n}\n", "line 4: expected a value type (s or d)"},
        {"HKCR\n{\n  val\n}\n", "line 4: expected a value name after 'val'"},
        {"HKCR\n{\n  A\n  {\n    = s 'x'\n  }\n}\n", "line 5: expected a key name"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunScript(c.script, TRUE), E_INVALIDARG) << c.script;
        EXPECT_EQ(RegistryScriptLastError(), c.error);
        EXPECT_EQ(RunScript(c.script, FALSE), E_INVALIDARG);
        EXPECT_EQ(reg.ReadText(), before);
    }
    EXPECT_EQ(RegistryScriptRun(nullptr, TRUE, nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(RegistryScriptRun("HKCR { }", TRUE, nullptr, 1), E_INVALIDARG);
    const std::string unusable = "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A\n";
    reg.WriteText(unusable);
    EXPECT_EQ(RunScript(kAirBrushScript, TRUE), HRESULT_FROM_WIN32(ERROR_BADDB));
    EXPECT_EQ(reg.ReadText(), unusable);
}

TEST(RegistryScript, ValuesNumbersKeywordsAndRoots) {
    TempRegistry reg;
    const std::string script =
        "HKEY_CURRENT_USER\n"
        "{\n"
        "    NoRemove Software\n"
        "    {\n"
        "        NoRemove Quillet\n"
        "        {\n"
        "            val 'Knobs Drag Vertical' = d '1'\n"
        "            val Hex = d '0x1F'\n"
        "            val Max = d '4294967295'\n"
        "            val Text = s 'it''s 100%% {done}'\n"
        "            'val' = s 'a key named val'\n"
        "        }\n"
        "    }\n"
        "}\n"
        "HKLM { Gone }\n";
    ASSERT_EQ(WriteString(HKEY_LOCAL_MACHINE, "Gone\\Sub", "", "x"), ERROR_SUCCESS);
    ASSERT_EQ(RegistryScriptRun(script.c_str(), TRUE, nullptr, 0), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CURRENT_USER),
              (std::vector<std::string>{"Software", "Software\\Quillet",
                                        "Software\\Quillet Hex = dword:31",
                                        "Software\\Quillet Knobs Drag Vertical = dword:1",
                                        "Software\\Quillet Max = dword:4294967295",
                                        "Software\\Quillet Text = it's 100% {done}",
                                        "Software\\Quillet\\val", "Software\\Quillet\\val @ = a key named val"}));
    ASSERT_EQ(RegistryScriptRun(script.c_str(), FALSE, nullptr, 0), S_OK);
    // NoRemove keys stay; their values named with val and their other children go.
    EXPECT_EQ(ListKeys(HKEY_CURRENT_USER), (std::vector<std::string>{"Software", "Software\\Quillet"}));
    // A key whose subkeys the script does not name stays.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Gone\\Sub"));

    // Delete removes a key whole when registering.
    ASSERT_EQ(RegistryScriptRun("HKLM { Delete Gone }", TRUE, nullptr, 0), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Gone"));
}

