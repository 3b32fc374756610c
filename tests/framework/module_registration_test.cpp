// Registration of the real module, loaded through the platform's loader, against a
// registry file of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/clsids.h"
#include "tests/framework/module_testsupport.h"

namespace {

using namespace module_test;

const char* const kImageTransformCategory = "{c501edbe-9e70-11d1-9053-00c04fd9189d}";
const char* const kLibId = "{75c20786-10f9-43f2-b35f-36ecb32c51d1}";

const struct {
    const CLSID& clsid;
    const char* display;
} kClasses[] = {
    {CLSID_AirBrush, "Quillet Air Brush"},         {CLSID_AirBrushPP, "Quillet Air Brush"},
    {CLSID_PastelSketch, "Quillet Pastel Sketch"}, {CLSID_PastelSketchPP, "Quillet Pastel Sketch"},
    {CLSID_Colorize, "Quillet Colorize"},          {CLSID_ColorizePP, "Quillet Colorize"},
    {CLSID_DreamGlow, "Quillet Dream Glow"},       {CLSID_DreamGlowPP, "Quillet Dream Glow"},
    {CLSID_LineDrawing, "Quillet Line Drawing"},   {CLSID_LineDrawingPP, "Quillet Line Drawing"},
    {CLSID_Metallic, "Quillet Metallic"},          {CLSID_MetallicPP, "Quillet Metallic"},
    {CLSID_DuoChrome, "Quillet DuoChrome"},        {CLSID_DuoChromePP, "Quillet DuoChrome"},
};

std::string ClassKey(const CLSID& clsid) { return "CLSID\\" + GuidToString(clsid); }

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

class ModuleRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadModule();
        ASSERT_NE(m_module.registerServer, nullptr);
        ASSERT_NE(m_module.unregisterServer, nullptr);
    }
    // The module file as the registry names it: absolute, and the file the test loaded.
    void ExpectNamesTheModule(const std::optional<std::string>& path) {
        ASSERT_TRUE(path.has_value());
        EXPECT_TRUE(std::filesystem::path(*path).is_absolute()) << *path;
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::equivalent(*path, QUILLET_MODULE_PATH, ec)) << *path;
    }

    TemporaryRegistry m_registry;
    ModuleExports m_module;
};

TEST_F(ModuleRegistration, RegistersAllFourteenClasses) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    for (const auto& c : kClasses) {
        SCOPED_TRACE(c.display);
        const std::string key = ClassKey(c.clsid);
        EXPECT_EQ(StringValue(key), c.display);
        ExpectNamesTheModule(StringValue(key + "\\InprocServer32"));
        EXPECT_EQ(StringValue(key + "\\InprocServer32", "ThreadingModel"), "Both");
        EXPECT_TRUE(KeyExists(key + "\\Programmable"));
    }
}

TEST_F(ModuleRegistration, EffectKeysExactly) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    const std::string key = ClassKey(CLSID_AirBrush);
    EXPECT_EQ(Sorted(SubkeyNames(key)), Sorted({"ProgID", "VersionIndependentProgID", "Programmable", "InprocServer32",
                                                "TypeLib", "Implemented Categories"}));
    EXPECT_EQ(ValueNames(key), std::vector<std::string>{""});
    EXPECT_EQ(StringValue(key), "Quillet Air Brush");
    EXPECT_EQ(StringValue(key + "\\ProgID"), "Main.Plugin.1");
    EXPECT_EQ(StringValue(key + "\\VersionIndependentProgID"), "Main.Plugin");
    EXPECT_EQ(StringValue(key + "\\TypeLib"), "{65bcee9e-5221-44dd-a0aa-ff375e3dfbce}");
    EXPECT_EQ(Sorted(ValueNames(key + "\\InprocServer32")), Sorted({"", "ThreadingModel"}));
    EXPECT_TRUE(SubkeyNames(key + "\\Programmable").empty());
    EXPECT_EQ(SubkeyNames(key + "\\Implemented Categories"), std::vector<std::string>{kImageTransformCategory});
}

TEST_F(ModuleRegistration, PageKeysExactly) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    const std::string key = ClassKey(CLSID_MetallicPP);
    EXPECT_EQ(Sorted(SubkeyNames(key)), Sorted({"Programmable", "InprocServer32"}));
    EXPECT_EQ(StringValue(key), "Quillet Metallic");
    EXPECT_EQ(Sorted(ValueNames(key + "\\InprocServer32")), Sorted({"", "ThreadingModel"}));
}

TEST_F(ModuleRegistration, ProgramIdentifiersEndOnDuoChrome) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    CLSID effect{}, page{}, versioned{};
    EXPECT_EQ(CLSIDFromProgIDA("Main.Plugin", &effect), S_OK);
    EXPECT_EQ(effect, CLSID_DuoChrome);
    EXPECT_EQ(CLSIDFromProgIDA("Main.Plugin.1", &versioned), S_OK);
    EXPECT_EQ(versioned, CLSID_DuoChrome);
    EXPECT_EQ(CLSIDFromProgIDA("Main.PluginPP", &page), S_OK);
    EXPECT_EQ(page, CLSID_DuoChromePP);

    EXPECT_EQ(StringValue("Main.Plugin"), "Quillet DuoChrome");
    EXPECT_EQ(StringValue("Main.Plugin\\CurVer"), "Main.Plugin.1");
    EXPECT_EQ(StringValue("Main.PluginPP\\CurVer"), "Main.PluginPP.1");
    EXPECT_EQ(StringValue("Main.PluginPP.1\\CLSID"), GuidToString(CLSID_DuoChromePP));
}

TEST_F(ModuleRegistration, RegistersTheTypeLibrary) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    const std::string lib = std::string("TypeLib\\") + kLibId + "\\1.0";
    EXPECT_EQ(StringValue(lib), "Main 1.0 Type Library");
    ExpectNamesTheModule(StringValue(lib + "\\0\\win32"));
    EXPECT_EQ(StringValue(lib + "\\FLAGS"), "0");
    EXPECT_TRUE(StringValue(lib + "\\HELPDIR").has_value());

    const struct {
        const char* iid;
        const char* name;
    } interfaces[] = {{"{e31fb81b-1335-11d1-8189-0000f87557db}", "IDXEffect"},
                      {"{8cce0efb-c7f5-4c39-8bca-08e64e3151bc}", "IPlugin"}};
    for (const auto& i : interfaces) {
        const std::string key = std::string("Interface\\") + i.iid;
        EXPECT_EQ(StringValue(key), i.name);
        EXPECT_EQ(StringValue(key + "\\TypeLib"), kLibId);
        EXPECT_EQ(StringValue(key + "\\TypeLib", "Version"), "1.0");
    }
}

TEST_F(ModuleRegistration, RegistryFileIsReadableText) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    std::ifstream in(m_registry.File());
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    EXPECT_EQ(s.rfind("Windows Registry Editor Version 5.00", 0), 0u);
    EXPECT_NE(s.find("[HKEY_CLASSES_ROOT\\CLSID\\{befbeec5-6bae-426b-b2e8-76d19b37810e}]"), std::string::npos);
    EXPECT_NE(s.find("\"ThreadingModel\"=\"Both\""), std::string::npos);
}

TEST_F(ModuleRegistration, RegisteringTwiceGivesTheSameRegistry) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    const auto once = ClassesRootTree();
    ASSERT_EQ(m_module.registerServer(), S_OK);
    EXPECT_EQ(ClassesRootTree(), once);
}

// Unregistering removes what registering added, the shared program identifiers and the
// type library included, and leaves keys of others where they are, even below the keys
// the module shares with them.
TEST_F(ModuleRegistration, UnregisterRemovesExactlyWhatWasAdded) {
    SetString("CLSID\\{0b5e4f1a-2c3d-4e5f-8a9b-0c1d2e3f4a5b}\\InprocServer32", "", "/opt/other/libother.so");
    SetString("Other.Plugin", "", "Someone else");
    SetString("TypeLib\\{0b5e4f1a-2c3d-4e5f-8a9b-0c1d2e3f4a5c}\\1.0", "", "Other 1.0 Type Library");
    SetString("Interface\\{0b5e4f1a-2c3d-4e5f-8a9b-0c1d2e3f4a5d}", "", "IOther");
    const auto before = ClassesRootTree();

    ASSERT_EQ(m_module.registerServer(), S_OK);
    ASSERT_NE(ClassesRootTree(), before);
    EXPECT_EQ(m_module.unregisterServer(), S_OK);

    EXPECT_EQ(ClassesRootTree(), before);
    EXPECT_FALSE(KeyExists("Main.Plugin"));
    EXPECT_FALSE(KeyExists("Main.Plugin.1"));
    EXPECT_FALSE(KeyExists("Main.PluginPP"));
    EXPECT_FALSE(KeyExists("Main.PluginPP.1"));
    EXPECT_FALSE(KeyExists(std::string("TypeLib\\") + kLibId));
    for (const auto& c : kClasses) EXPECT_FALSE(KeyExists(ClassKey(c.clsid))) << c.display;
    CLSID clsid{};
    EXPECT_NE(CLSIDFromProgIDA("Main.Plugin", &clsid), S_OK);
}

// A registry that cannot be written makes registration fail, and the failure is
// reported rather than hidden; the refused file is left as it was.
TEST_F(ModuleRegistration, FailureIsReportedAndNothingIsWritten) {
    {
        std::ofstream out(m_registry.File());
        out << "this is not a registry file\n";
    }
    EXPECT_TRUE(FAILED(m_module.registerServer()));
    std::ifstream in(m_registry.File());
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "this is not a registry file");
}

}  // namespace
