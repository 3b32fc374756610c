// Registration as the module does it: the registry-script interpreter on an effect's
// script (ForceRemove, NoRemove, Delete, replacements taken literally, refusals that
// write nothing) and the category manager's Implemented / Required Categories keys.
#include <gtest/gtest.h>

#include "platform/com/comcat.h"
#include "platform/com/regscript.h"
#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

using namespace testsupport;

namespace {

const std::string kClassKey = "CLSID\\{952fb6e1-477a-4770-af38-661f9af5ab8d}";
const char* const kModule = "/opt/quillet/libquillet_brushwerk.so";
const std::string kScript =
    "HKCR\n{\n"
    "    Main.Plugin = s 'Quillet Air Brush'\n    {\n        CLSID = s '{952fb6e1-477a-4770-af38-661f9af5ab8d}'\n"
    "        CurVer = s 'Main.Plugin.1'\n    }\n"
    "    NoRemove CLSID\n    {\n"
    "        ForceRemove {952fb6e1-477a-4770-af38-661f9af5ab8d} = s 'Quillet Air Brush'\n        {\n"
    "            ForceRemove 'Programmable'\n"
    "            InprocServer32 = s '%MODULE%'\n            {\n                val ThreadingModel = s 'Both'\n            }\n"
    "        }\n    }\n}\n";

HRESULT RunScript(const std::string& script, BOOL doRegister, const char* module = kModule) {
    RegistryReplacement r{"MODULE", module};
    return RegistryScriptRun(script.c_str(), doRegister, &r, 1);
}

}  // namespace

TEST(RegistryScript, RegistersReregistersAndUnregistersAnEffect) {
    TempRegistry reg;
    // Quotes, braces and blanks in the module's path cannot change the script's structure.
    const char* odd = "/home/o'brien/My } Libs/%x/lib.so";
    ASSERT_EQ(RunScript(kScript, TRUE, odd), S_OK);
    reg.ForceReload();
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32"), odd);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", "ThreadingModel"), "Both");

    // Registering again: ForceRemove keys lose what was added under them, other keys
    // are updated in place.
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, kClassKey + "\\Stale\\Deeper", "", "old"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, kClassKey + "\\Programmable", "Leftover", "x"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Main.Plugin\\Extra", "", "someone else"), ERROR_SUCCESS);
    ASSERT_EQ(RunScript(kScript, TRUE), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT, kClassKey),
              (std::vector<std::string>{" @ = Quillet Air Brush", "InprocServer32",
                                        std::string("InprocServer32 @ = ") + kModule,
                                        "InprocServer32 ThreadingModel = Both", "Programmable"}));

    // Unregistering: NoRemove keys stay even when empty, a key with foreign subkeys
    // survives, under a ForceRemove key nothing does; twice changes nothing.
    ASSERT_EQ(RunScript(kScript, FALSE), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT),
              (std::vector<std::string>{"CLSID", "Main.Plugin", "Main.Plugin @ = Quillet Air Brush",
                                        "Main.Plugin\\Extra", "Main.Plugin\\Extra @ = someone else"}));
    const std::string after = reg.ReadText();
    ASSERT_EQ(RunScript(kScript, FALSE), S_OK);
    EXPECT_EQ(reg.ReadText(), after);
}

TEST(RegistryScript, ValuesNumbersKeywordsAndRoots) {
    TempRegistry reg;
    const std::string script =
        "HKEY_CURRENT_USER\n{\n    NoRemove Software\n    {\n        NoRemove Quillet\n        {\n"
        "            val 'Knobs Drag Vertical' = d '1'\n            val Hex = d '0x1F'\n"
        "            val Max = d '4294967295'\n            val Text = s 'it''s 100%% {done}'\n"
        "            'val' = s 'a key named val'\n        }\n    }\n}\n"
        "HKLM { Gone }\n";
    ASSERT_EQ(WriteString(HKEY_LOCAL_MACHINE, "Gone\\Sub", "", "x"), ERROR_SUCCESS);
    ASSERT_EQ(RegistryScriptRun(script.c_str(), TRUE, nullptr, 0), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CURRENT_USER),
              (std::vector<std::string>{"Software", "Software\\Quillet", "Software\\Quillet Hex = dword:31",
                                        "Software\\Quillet Knobs Drag Vertical = dword:1",
                                        "Software\\Quillet Max = dword:4294967295",
                                        "Software\\Quillet Text = it's 100% {done}", "Software\\Quillet\\val",
                                        "Software\\Quillet\\val @ = a key named val"}));
    ASSERT_EQ(RegistryScriptRun(script.c_str(), FALSE, nullptr, 0), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CURRENT_USER), (std::vector<std::string>{"Software", "Software\\Quillet"}));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Gone\\Sub"));  // its subkeys are not the script's
    ASSERT_EQ(RegistryScriptRun("HKLM { Delete Gone }", TRUE, nullptr, 0), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Gone"));
}

TEST(RegistryScript, MalformedScriptWritesNothingAndNamesTheLine) {
    TempRegistry reg;
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Existing", "", "1"), ERROR_SUCCESS);
    const std::string before = reg.ReadText();
    std::string missingQuote = kScript, badType = kScript;
    missingQuote.replace(missingQuote.find("s 'Main.Plugin.1'"), 17, "s 'Main.Plugin.1");
    badType.replace(badType.find("val ThreadingModel = s"), 22, "val ThreadingModel = x");
    const struct {
        std::string script, error;
    } cases[] = {
        {missingQuote, "line 6: unterminated string"},
        {kScript.substr(0, kScript.rfind('}')), "line 19: missing '}' at the end of the script"},
        {badType, "line 15: unsupported value type \"x\""},
        {"HKXX\n{\n}\n", "line 1: expected a root key (HKCR, HKLM, HKCU), found \"HKXX\""},
        {"HKCR\n{\n  A = s '%NOPE%'\n}\n", "line 3: unknown replacement %NOPE%"},
        {"HKCR\n{\n  A = s '100%'\n}\n", "line 3: unterminated replacement in \"100%\""},
        {"HKCR\n{\n  A = d '4294967296'\n}\n", "line 3: bad number '4294967296'"},
        {"HKCR\n{\n  A = d '12ab'\n}\n", "line 3: bad number '12ab'"},
        {"HKCR\n{\n  A =\n}\n", "line 4: expected a value type (s or d)"},
        {"HKCR\n{\n  val\n}\n", "line 4: expected a value name after 'val'"},
        {"HKCR\n{\n  A\n  {\n    = s 'x'\n  }\n}\n", "line 5: expected a key name"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunScript(c.script, TRUE), E_INVALIDARG) << c.script;
        EXPECT_EQ(RegistryScriptLastError(), c.error);
        EXPECT_EQ(RunScript(c.script, FALSE), E_INVALIDARG);
        EXPECT_EQ(reg.ReadText(), before);
    }
    const std::string unusable = "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A\n";
    reg.WriteText(unusable);
    EXPECT_EQ(RunScript(kScript, TRUE), HRESULT_FROM_WIN32(ERROR_BADDB));
    EXPECT_EQ(reg.ReadText(), unusable);
}

TEST(ComponentCategories, ImplementedAndRequiredKeysComeAndGo) {
    TempRegistry reg;
    constexpr CLSID kClass = MakeGuid("952FB6E1-477A-4770-AF38-661F9AF5AB8D");
    constexpr CATID kTransform = MakeGuid("C501EDBE-9E70-11D1-9053-00C04FD9189D");
    constexpr CATID kOther = MakeGuid("40FC6ED5-2438-11CF-A3DB-080036F12502");
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, kClassKey, "", "Quillet Air Brush"), ERROR_SUCCESS);
    ComPtr<ICatRegister> manager;
    ASSERT_EQ(CreateStdComponentCategoriesMgr(nullptr, IID_ICatRegister, manager.ReleaseAndGetVoidAddress()), S_OK);
    const CATID both[] = {kTransform, kOther};
    ASSERT_EQ(manager->RegisterClassImplCategories(kClass, 2, both), S_OK);
    ASSERT_EQ(manager->RegisterClassReqCategories(kClass, 1, &kOther), S_OK);
    reg.ForceReload();
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT, kClassKey),
              (std::vector<std::string>{" @ = Quillet Air Brush", "Implemented Categories",
                                        "Implemented Categories\\{40fc6ed5-2438-11cf-a3db-080036f12502}",
                                        "Implemented Categories\\{c501edbe-9e70-11d1-9053-00c04fd9189d}",
                                        "Required Categories", "Required Categories\\{40fc6ed5-2438-11cf-a3db-080036f12502}"}));
    // Removing one keeps the folder; removing the last removes it, never the class key;
    // removing what is not there is fine.
    ASSERT_EQ(manager->UnRegisterClassReqCategories(kClass, 1, &kOther), S_OK);
    ASSERT_EQ(manager->UnRegisterClassImplCategories(kClass, 1, &kOther), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT, kClassKey).size(), 3u);
    ASSERT_EQ(manager->UnRegisterClassImplCategories(kClass, 1, &kTransform), S_OK);
    EXPECT_EQ(manager->UnRegisterClassImplCategories(kClass, 1, &kTransform), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT, kClassKey), std::vector<std::string>{" @ = Quillet Air Brush"});

    reg.WriteText("not a registry file\n");
    EXPECT_EQ(manager->RegisterClassImplCategories(kClass, 1, &kOther), HRESULT_FROM_WIN32(ERROR_BADDB));
}
