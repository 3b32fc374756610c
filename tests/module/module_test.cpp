// The module as a host meets it, loaded through the platform's loader against a
// registry file of the test's own: attach and detach, its class objects and when it
// may unload (the cached class factories' module locks), registration and
// unregistration, and the scripts and type library it carries.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "module/objectmap.h"
#include "sdk/effects.h"
#include "sdk/plugininterfaces.h"
#include "platform/ui/resource.h"
#include "resources/moduleresources.h"
#include "platform/com/combase.h"
#include "tests/support/environment.h"
#include "tests/support/module_exports.h"
#include "tests/support/registry_contents.h"

namespace {

using namespace testsupport;

// ---- attach and detach ----------------------------------------------------------------

TEST(ModuleLifetime, AttachRegistersResourcesAndTheDiagnosticsWordAndDetachWithdrawsThem) {
    // Unload whatever an earlier load attached, so that attach runs again below against
    // a registry of this test's own that does not hold the diagnostics word yet.
    ASSERT_EQ(LoadModule().canUnloadNow(), S_OK);
    CoFreeUnusedLibraries();
    TempRegistry registry;
    DebugOutputCapture debug;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "DXTDbgFlags"));

    ModuleExports first = LoadModule();
    ASSERT_NE(first.handle, nullptr) << "the loader refused " << QUILLET_MODULE_PATH;
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, "DXTDbgFlags", "Flags"), DWORD{0});
    char text[64] = {};  // (what the resources hold: the pages', registration's and type library's tests)
    EXPECT_EQ(LoadStringA(first.handle, 102, text, sizeof text), 17);
    size_t size = 0;
    EXPECT_NE(LoadModuleResource(first.handle, "REGISTRY", 115, &size), nullptr);

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
}

// ---- class objects --------------------------------------------------------------------------

class ModuleClassObjects : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadModule();
        ASSERT_NE(m_module.getClassObject, nullptr);
    }
    ComPtr<IClassFactory> Factory(const CLSID& clsid) {
        ComPtr<IClassFactory> factory;
        m_module.getClassObject(clsid, IID_IClassFactory, factory.ReleaseAndGetVoidAddress());
        return factory;
    }

    TempRegistry m_registry;
    ModuleExports m_module;
};

// Every entry hands out a class factory or says the class is not available (never an
// object under a foreign interface); a factory's objects are effects exactly when the
// entry is one, and of the entry's own class. Other classes, the carried scripts' unused class among them, are not
// available.
TEST_F(ModuleClassObjects, EveryEntryMakesObjectsOfItsKindAndNothingElseIsAvailable) {
    for (const ObjectMapEntry& entry : ObjectMap()) {
        SCOPED_TRACE(entry.displayName);
        ComPtr<IClassFactory> factory;
        const HRESULT hr = m_module.getClassObject(*entry.clsid, IID_IClassFactory, factory.ReleaseAndGetVoidAddress());
        if (hr == CLASS_E_CLASSNOTAVAILABLE) {
            EXPECT_FALSE(factory);
            continue;
        }
        ASSERT_EQ(hr, S_OK);
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(m_module.getClassObject(*entry.clsid, IID_IDXTransform, &p), E_NOINTERFACE);
        EXPECT_EQ(p, nullptr);
        ComPtr<IUnknown> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.ReleaseAndGetVoidAddress()), S_OK);
        const bool effect = entry.kind == ObjectKind::Effect;
        for (const IID* iid : {&IID_IDXTransform, &IID_IDXEffect, &IID_ISfExchangeProps}) {
            ComPtr<IUnknown> itf;
            EXPECT_EQ(SUCCEEDED(object->QueryInterface(*iid, itf.ReleaseAndGetVoidAddress())), effect);
        }
        ComPtr<IPersistStreamInit> persist;
        CLSID made = GUID_NULL;
        if (effect && SUCCEEDED(object.As(&persist))) persist->GetClassID(&made);
        EXPECT_EQ(made == *entry.clsid, effect) << "an effect of another class";
    }
    for (const CLSID& clsid : {GUID_NULL, MakeGuid("b9407b6b-d813-493b-8c1d-1a7a275601ba")}) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(m_module.getClassObject(clsid, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(m_module.getClassObject(CLSID_DuoChrome, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ModuleClassObjects, ThreadsShareOneClassObjectPerClassAndTheModuleUnloadsOnlyWhenNothingIsHeld) {
    EXPECT_NE(Factory(CLSID_DuoChrome), Factory(CLSID_Metallic));
    std::vector<IClassFactory*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                ComPtr<IClassFactory> f = Factory(CLSID_DreamGlow);
                ComPtr<IUnknown> object;
                if (f) f->CreateInstance(nullptr, IID_IUnknown, object.ReleaseAndGetVoidAddress());
                seen[t] = f.Get();
            }
        });
    for (std::thread& t : threads) t.join();
    for (IClassFactory* f : seen) EXPECT_EQ(f, seen[0]);
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);  // the cache's own reference holds nothing

    ComPtr<IClassFactory> factory = Factory(CLSID_DreamGlow);
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);  // a client holds the class object
    ComPtr<IUnknown> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.ReleaseAndGetVoidAddress()), S_OK);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);  // an object is alive, and an explicit lock
    object.Reset();
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);
    ASSERT_EQ(Factory(CLSID_DreamGlow)->LockServer(FALSE), S_OK);
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);
}

// ---- registration ---------------------------------------------------------------------------

const char* const kLibId = "{75c20786-10f9-43f2-b35f-36ecb32c51d1}";

std::string ClassKey(const CLSID& clsid) { return "CLSID\\" + GuidToString(clsid); }

class ModuleRegistration : public ModuleClassObjects {
protected:
    // The module file as the registry names it: absolute, and the file the test loaded.
    static void ExpectNamesTheModule(const std::optional<std::string>& path) {
        ASSERT_TRUE(path.has_value());
        EXPECT_TRUE(std::filesystem::path(*path).is_absolute()) << *path;
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::equivalent(*path, QUILLET_MODULE_PATH, ec)) << *path;
    }
};

TEST_F(ModuleRegistration, WritesEachClassWithExactlyTheKeysOfItsKind) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    for (const ObjectMapEntry& c : ObjectMap()) {
        SCOPED_TRACE(c.displayName);
        const std::string key = ClassKey(*c.clsid);
        const std::optional<std::string> path = ReadString(HKEY_CLASSES_ROOT, key + "\\InprocServer32");
        ExpectNamesTheModule(path);
        std::vector<std::string> expected = {" @ = " + std::string(c.displayName), "InprocServer32",
                                             "InprocServer32 @ = " + path.value_or(""),
                                             "InprocServer32 ThreadingModel = Both", "Programmable"};
        if (c.kind == ObjectKind::Effect) {
            expected.insert(expected.begin() + 1,
                            {"Implemented Categories", "Implemented Categories\\{c501edbe-9e70-11d1-9053-00c04fd9189d}"});
            expected.insert(expected.end() - 1, {"ProgID", "ProgID @ = Main.Plugin.1"});
            // The per-effect 'TypeLib' value is never the library's own identifier.
            expected.insert(expected.end(), {"TypeLib", "TypeLib @ = " + GuidToString(c.descriptor->scriptTypeLib),
                                             "VersionIndependentProgID", "VersionIndependentProgID @ = Main.Plugin"});
        }
        EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT, key), expected);
    }
}

TEST_F(ModuleRegistration, ProgramIdsEndOnDuoChromeAndTheTypeLibraryIsRegistered) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    CLSID effect{};
    for (auto [progId, clsid] : {std::pair{"Main.Plugin.1", CLSID_DuoChrome}, {"Main.PluginPP", CLSID_DuoChromePP},
                                 {"Main.Plugin", CLSID_DuoChrome}}) {
        EXPECT_EQ(CLSIDFromProgIDA(progId, &effect), S_OK);
        EXPECT_EQ(effect, clsid) << progId;
    }
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Main.Plugin"), "Quillet DuoChrome");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Main.Plugin\\CurVer"), "Main.Plugin.1");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Main.PluginPP\\CurVer"), "Main.PluginPP.1");

    // Registered, a class reaches a host through the registry alone.
    ComPtr<IDXTransform> transform;
    ASSERT_EQ(CoCreateInstance(effect, nullptr, CLSCTX_INPROC_SERVER, IID_IDXTransform,
                               transform.ReleaseAndGetVoidAddress()),
              S_OK);
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);
    transform.Reset();
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);

    const std::string lib = std::string("TypeLib\\") + kLibId + "\\1.0";
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, lib), "Main 1.0 Type Library");
    ExpectNamesTheModule(ReadString(HKEY_CLASSES_ROOT, lib + "\\0\\win32"));
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, lib + "\\FLAGS"), "0");
    EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, lib + "\\HELPDIR").has_value());
    const struct {
        const char* iid;
        const char* name;
    } interfaces[] = {{"{e31fb81b-1335-11d1-8189-0000f87557db}", "IDXEffect"},
                      {"{8cce0efb-c7f5-4c39-8bca-08e64e3151bc}", "IPlugin"}};
    for (const auto& i : interfaces) {
        const std::string key = std::string("Interface\\") + i.iid;
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key), i.name);
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key + "\\TypeLib"), kLibId);
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key + "\\TypeLib", "Version"), "1.0");
    }
}

// Registering twice changes nothing; unregistering removes what registering added, the
// shared program identifiers and the type library included, and leaves keys of others
// where they are, even below the keys the module shares with them.
TEST_F(ModuleRegistration, RegistersIdempotentlyAndUnregistersExactlyWhatWasAdded) {
    for (const char* key : {"CLSID\\{0b5e4f1a-2c3d-4e5f-8a9b-0c1d2e3f4a5b}\\InprocServer32", "Other.Plugin",
                            "TypeLib\\{0b5e4f1a-2c3d-4e5f-8a9b-0c1d2e3f4a5c}\\1.0",
                            "Interface\\{0b5e4f1a-2c3d-4e5f-8a9b-0c1d2e3f4a5d}"})
        ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, key, "", "someone else"), ERROR_SUCCESS);
    const auto before = ListKeys(HKEY_CLASSES_ROOT);
    ASSERT_EQ(m_module.registerServer(), S_OK);
    const auto once = ListKeys(HKEY_CLASSES_ROOT);
    ASSERT_NE(once, before);
    ASSERT_EQ(m_module.registerServer(), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT), once);

    EXPECT_EQ(m_module.unregisterServer(), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT), before);
    CLSID clsid{};
    EXPECT_NE(CLSIDFromProgIDA("Main.Plugin", &clsid), S_OK);
}

// A registry that cannot be written makes registration fail, and the failure is
// reported rather than hidden; the refused file is left as it was.
TEST_F(ModuleRegistration, FailureIsReportedAndNothingIsWritten) {
    m_registry.WriteText("this is not a registry file\n");
    EXPECT_TRUE(FAILED(m_module.registerServer()));
    EXPECT_EQ(m_registry.ReadText(), "this is not a registry file\n");
}

// ---- what the module carries ------------------------------------------------------------

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Every script carried is the text the module registers with; every map entry runs a
// script of its own for its own class.
TEST(ModuleResources, CarriesTheScriptsAndEachMapEntryRunsOneForItsOwnClass) {
    for (const ModuleBinaryResource& r : RegistryScriptResources()) {
        EXPECT_STREQ(r.type, "REGISTRY");
        EXPECT_EQ(std::string_view(static_cast<const char*>(r.data), r.size), RegistryScriptText(r.id));
    }
    std::set<UINT> used;
    for (const ObjectMapEntry& entry : ObjectMap()) {
        SCOPED_TRACE(entry.displayName);
        EXPECT_TRUE(used.insert(entry.scriptId).second);
        std::string_view script = RegistryScriptText(entry.scriptId);
        EXPECT_TRUE(Contains(script, "ForceRemove " + GuidToString(*entry.clsid) + " = s '" + entry.displayName));
    }
}

}  // namespace
