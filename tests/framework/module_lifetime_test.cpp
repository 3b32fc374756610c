// Load and unload of the real module: what DllMain's attach sets up (resources, the
// transform base's diagnostics word) and that detach takes it all down again, so the
// module can be unloaded and loaded afresh.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/ui/resource.h"
#include "tests/framework/module_testsupport.h"

namespace {

using namespace module_test;

// Points $QUILLET_DEBUG_OUTPUT at a file of the test's own.
class CapturedDebugOutput {
public:
    explicit CapturedDebugOutput(const std::string& file) : m_file(file) {
        if (const char* old = getenv("QUILLET_DEBUG_OUTPUT")) m_previous = old;
        setenv("QUILLET_DEBUG_OUTPUT", m_file.c_str(), 1);
    }
    ~CapturedDebugOutput() {
        if (m_previous) setenv("QUILLET_DEBUG_OUTPUT", m_previous->c_str(), 1);
        else unsetenv("QUILLET_DEBUG_OUTPUT");
    }
    std::string Text() const {
        std::ifstream in(m_file);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string m_file;
    std::optional<std::string> m_previous;
};

std::optional<DWORD> DwordValue(const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD value = 0, type = 0, size = sizeof value;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return value;
}

TEST(ModuleLifetime, AttachRegistersResourcesAndDetachWithdrawsThem) {
    TemporaryRegistry registry;
    CapturedDebugOutput debug(registry.File() + ".debug");

    ModuleExports first = LoadModule();
    ASSERT_NE(first.handle, nullptr);
    char text[64] = {};
    EXPECT_EQ(LoadStringA(first.handle, 102, text, sizeof text), 17);
    EXPECT_STREQ(text, "Quillet Brushwerk");
    size_t size = 0;
    EXPECT_NE(LoadModuleResource(first.handle, "REGISTRY", 115, &size), nullptr);
    EXPECT_GT(size, 0u);
    EXPECT_NE(LoadModuleResource(first.handle, "TYPELIB", 1, &size), nullptr);

    // Nothing is held, so the loader unloads it; detach must leave no resources behind.
    ASSERT_EQ(first.canUnloadNow(), S_OK);
    CoFreeUnusedLibraries();
    EXPECT_EQ(LoadModuleResource(first.handle, "REGISTRY", 115, &size), nullptr);
    EXPECT_EQ(debug.Text().find("left its resources registered"), std::string::npos) << debug.Text();

    // Loaded again, it is a working module under its new handle.
    ModuleExports second = LoadModule();
    ASSERT_NE(second.handle, nullptr);
    EXPECT_NE(second.handle, first.handle);
    EXPECT_EQ(LoadStringA(second.handle, 102, text, sizeof text), 17);
    EXPECT_EQ(second.registerServer(), S_OK);
    EXPECT_EQ(StringValue("CLSID\\{952fb6e1-477a-4770-af38-661f9af5ab8d}"), "Quillet Air Brush");
    EXPECT_EQ(second.unregisterServer(), S_OK);
}

// Loading reads the transform base's diagnostics word, creating it when missing.
TEST(ModuleLifetime, AttachCreatesTheDiagnosticsWord) {
    // Unload whatever an earlier load attached, so that attach runs again below against
    // a registry of this test's own that does not hold the word yet.
    ModuleExports loaded = LoadModule();
    ASSERT_EQ(loaded.canUnloadNow(), S_OK);
    CoFreeUnusedLibraries();

    TemporaryRegistry registry;
    EXPECT_FALSE(KeyExists("DXTDbgFlags"));
    ModuleExports again = LoadModule();
    ASSERT_NE(again.handle, nullptr);
    EXPECT_EQ(DwordValue("DXTDbgFlags", "Flags"), DWORD{0});
}

}  // namespace
