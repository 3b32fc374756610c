// The loader against a real module (tests/fixtures/loader_test_module.cpp): registry
// lookup, DllMain once per load, unloading only when the module agrees, and the
// failures a host meets (unregistered class, missing file, missing export).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/combase.h"
#include "platform/com/comcat.h"
#include "platform/com/objidl.h"
#include "platform/com/registry.h"
#include "platform/ui/resource.h"
#include "tests/platform/storage_test_files.h"

QUILLET_INTERFACE_ID(ITestCounter, "5C1E0F3A-7B2D-4E61-9A8B-2F4D6C8E0A13");
struct ITestCounter : IUnknown {
    virtual LONG Next() = 0;
};

namespace {

constexpr CLSID kCounterClass = MakeGuid("0E6B7C21-93A4-4F5D-8E2C-1B3A5D7F9C04");
constexpr CLSID kUnknownClass = MakeGuid("9A9A9A9A-0000-4000-8000-123456789ABC");

using AttachCountFn = int (*)();
using InstanceFn = HINSTANCE (*)();
using LockCountFn = long (*)();
using RefuseFn = void (*)(BOOL);
using ObserverFn = void (*)(void (*)(HINSTANCE));

std::string ModulePath() {
    char resolved[PATH_MAX];
    return ::realpath(QUILLET_TEST_MODULE_PATH, resolved) ? resolved : QUILLET_TEST_MODULE_PATH;
}

bool IsMapped(const std::string& path) {
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return false;
    ::dlclose(h);
    return true;
}

void WriteDefault(const std::string& keyPath, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void RegisterClassModule(REFCLSID clsid, const std::string& path) {
    WriteDefault("CLSID\\" + GuidToString(clsid) + "\\InprocServer32", path);
}

std::vector<HINSTANCE> g_detached;
void RecordDetach(HINSTANCE h) { g_detached.push_back(h); }

class Loader : public ::testing::Test {
protected:
    void SetUp() override {
        CoFreeUnusedLibraries();  // start from an unloaded module
        ASSERT_FALSE(IsMapped(ModulePath()));
        RegisterClassModule(kCounterClass, ModulePath());
        g_detached.clear();
    }
    void TearDown() override { CoFreeUnusedLibraries(); }

    HMODULE Load() {
        HMODULE module = nullptr;
        EXPECT_EQ(CoLoadModuleByPath(ModulePath().c_str(), &module), S_OK);
        return module;
    }
    template <class F>
    F Export(HMODULE module, const char* name) {
        auto f = reinterpret_cast<F>(GetProcAddress(module, name));
        EXPECT_NE(f, nullptr) << name;
        return f;
    }
    std::string DebugText() const { return runtimetest::ReadText(m_debugFile); }

    runtimetest::TempFolder m_folder;
    runtimetest::ScopedEnv m_registry{"QUILLET_REGISTRY", m_folder.File("registry.reg")};
    std::string m_debugFile = m_folder.File("debug.txt");
    runtimetest::ScopedEnv m_debug{"QUILLET_DEBUG_OUTPUT", m_debugFile};
};

TEST_F(Loader, CreatesRegisteredClassAndAttachesOnceAcrossManyCreations) {
    std::vector<ITestCounter*> counters;
    for (int i = 0; i < 50; ++i) {
        ITestCounter* counter = nullptr;
        ASSERT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                                   reinterpret_cast<void**>(&counter)),
                  S_OK);
        ASSERT_NE(counter, nullptr);
        EXPECT_EQ(counter->Next(), 1);
        EXPECT_EQ(counter->Next(), 2);
        counters.push_back(counter);
    }
    HMODULE module = Load();
    EXPECT_EQ(Export<AttachCountFn>(module, "TestModuleAttachCount")(), 1);
    EXPECT_EQ(Export<LockCountFn>(module, "TestModuleLockCount")(), 50);
    // DllMain received the loader's own handle.
    EXPECT_EQ(Export<InstanceFn>(module, "TestModuleInstance")(), module);
    for (auto* c : counters) c->Release();
    EXPECT_EQ(Export<LockCountFn>(module, "TestModuleLockCount")(), 0);
}

TEST_F(Loader, ConcurrentFirstLoadsAttachExactlyOnce) {
    std::vector<std::thread> threads;
    std::atomic<int> created{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                IUnknown* object = nullptr;
                if (CoCreateInstance(kCounterClass, nullptr, CLSCTX_ALL, IID_IUnknown,
                                     reinterpret_cast<void**>(&object)) == S_OK) {
                    ++created;
                    object->Release();
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(created, 160);
    EXPECT_EQ(Export<AttachCountFn>(Load(), "TestModuleAttachCount")(), 1);
}

TEST_F(Loader, ResolvesOnePathSpelledTwoWaysToOneModule) {
    HMODULE a = Load();
    std::string path = ModulePath();
    std::string other = path.substr(0, path.rfind('/')) + "/./" + path.substr(path.rfind('/') + 1);
    HMODULE b = nullptr;
    ASSERT_EQ(CoLoadModuleByPath(other.c_str(), &b), S_OK);
    EXPECT_EQ(a, b);
    EXPECT_EQ(Export<AttachCountFn>(a, "TestModuleAttachCount")(), 1);
}

TEST_F(Loader, ReportsModuleFileNameAndCutsItToTheBuffer) {
    HMODULE module = Load();
    std::string path = ModulePath();
    char buffer[PATH_MAX];
    ASSERT_EQ(GetModuleFileNameA(module, buffer, sizeof buffer), path.size());
    EXPECT_EQ(std::string(buffer), path);

    char small[8];
    EXPECT_EQ(GetModuleFileNameA(module, small, sizeof small), sizeof small);
    EXPECT_EQ(std::string(small), path.substr(0, 7));
    EXPECT_EQ(GetModuleFileNameA(module, nullptr, 10), 0u);
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1234), buffer, sizeof buffer), 0u);
}

TEST_F(Loader, UnloadsOnlyWhenTheModuleAgreesAndCallsDetach) {
    HMODULE module = Load();
    Export<ObserverFn>(module, "TestModuleOnDetach")(&RecordDetach);

    ITestCounter* counter = nullptr;
    ASSERT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                               reinterpret_cast<void**>(&counter)),
              S_OK);
    CoFreeUnusedLibraries();  // an object is alive: DllCanUnloadNow says S_FALSE
    EXPECT_TRUE(g_detached.empty());
    EXPECT_TRUE(IsMapped(ModulePath()));
    EXPECT_EQ(counter->Next(), 1);  // still callable
    counter->Release();

    Export<RefuseFn>(module, "TestModuleRefuseUnload")(TRUE);
    CoFreeUnusedLibraries();
    EXPECT_TRUE(g_detached.empty());
    EXPECT_NE(GetProcAddress(module, "DllGetClassObject"), nullptr);

    Export<RefuseFn>(module, "TestModuleRefuseUnload")(FALSE);
    CoFreeUnusedLibraries();
    ASSERT_EQ(g_detached.size(), 1u);
    EXPECT_EQ(g_detached[0], module);
    EXPECT_FALSE(IsMapped(ModulePath()));
    // The old handle is stale now, and refused.
    char buffer[PATH_MAX];
    EXPECT_EQ(GetModuleFileNameA(module, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetProcAddress(module, "DllGetClassObject"), nullptr);

    // Loading again gives a fresh module: attached once more, under a new handle.
    HMODULE again = Load();
    EXPECT_NE(again, module);
    EXPECT_EQ(Export<AttachCountFn>(again, "TestModuleAttachCount")(), 1);
}

TEST_F(Loader, CreationsRaceWithUnloadingWithoutLosingTheModule) {
    std::atomic<bool> stop{false};
    std::thread unloader([&] {
        while (!stop) CoFreeUnusedLibraries();
    });
    std::vector<std::thread> creators;
    std::atomic<int> failures{0};
    for (int t = 0; t < 3; ++t) {
        creators.emplace_back([&] {
            for (int i = 0; i < 300; ++i) {
                ITestCounter* counter = nullptr;
                if (CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                                     reinterpret_cast<void**>(&counter)) != S_OK ||
                    counter->Next() != 1)
                    ++failures;
                if (counter) counter->Release();
            }
        });
    }
    for (auto& t : creators) t.join();
    stop = true;
    unloader.join();
    EXPECT_EQ(failures, 0);
}

TEST_F(Loader, ModuleResourcesAnswerForItsHandleUntilItUnloads) {
    HMODULE module = Load();
    char text[64];
    EXPECT_EQ(LoadStringA(module, 100, text, sizeof text), 18);
    EXPECT_STREQ(text, "Loaded test module");
    size_t size = 0;
    EXPECT_NE(LoadModuleResource(module, "registry", 101, &size), nullptr);
    EXPECT_EQ(size, 8u);
    CoFreeUnusedLibraries();
    EXPECT_EQ(LoadStringA(module, 100, text, sizeof text), 0);
}

TEST_F(Loader, RefusesAnUnregisteredClass) {
    IUnknown* object = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
              E_INVALIDARG);
    // Only in-process servers exist here.
    EXPECT_EQ(CoGetClassObject(kCounterClass, 0x4 /* local server */, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);
}

TEST_F(Loader, ReportsAMissingFileWithTheReasonOnTheDebugChannel) {
    std::string missing = m_folder.File("no-such-module.so");
    RegisterClassModule(kUnknownClass, missing);
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              CO_E_DLLNOTFOUND);
    EXPECT_NE(DebugText().find(missing), std::string::npos) << DebugText();

    // A file that is there but is no library: dlopen's own words reach the channel.
    std::string bogus = m_folder.File("bogus.so");
    runtimetest::WriteBytes(bogus, {'n', 'o', 't', ' ', 'E', 'L', 'F'});
    RegisterClassModule(kUnknownClass, bogus);
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              CO_E_DLLNOTFOUND);
    std::string text = DebugText();
    EXPECT_NE(text.find(bogus + ": "), std::string::npos) << text;
    HMODULE module = nullptr;
    EXPECT_EQ(CoLoadModuleByPath(bogus.c_str(), &module), CO_E_DLLNOTFOUND);
    EXPECT_EQ(module, nullptr);
}

TEST_F(Loader, ReportsAModuleWithoutTheClassObjectExport) {
    // The platform library itself is a loadable file without DllGetClassObject.
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&CoTaskMemAlloc), &info), 0);
    RegisterClassModule(kUnknownClass, info.dli_fname);
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              CO_E_ERRORINDLL);
    EXPECT_NE(DebugText().find("DllGetClassObject"), std::string::npos);
}

TEST_F(Loader, PassesTheModulesOwnAnswerThrough) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(kCounterClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    IUnknown* object = nullptr;
    IUnknown* outer = reinterpret_cast<IUnknown*>(factory);  // any non-null outer
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&object)),
              CLASS_E_NOAGGREGATION);
    factory->Release();
    // The module knows no such interface.
    EXPECT_EQ(CoGetClassObject(kCounterClass, CLSCTX_INPROC_SERVER, nullptr, IID_IMarshal,
                               reinterpret_cast<void**>(&object)),
              E_NOINTERFACE);
}

TEST_F(Loader, AnswersThePlatformCategoryManager) {
    ICatRegister* categories = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                               reinterpret_cast<void**>(&categories)),
              S_OK);
    categories->Release();
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(CLSID_StdComponentCategoriesMgr, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ICatRegister, reinterpret_cast<void**>(&categories)), S_OK);
    categories->Release();
    factory->Release();
}

class ProgIds : public Loader {};

TEST_F(ProgIds, ResolveDirectlyOrThroughCurVer) {
    WriteDefault("Test.Counter.1\\CLSID", GuidToString(kCounterClass));
    WriteDefault("Test.Counter\\CurVer", "Test.Counter.1");
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgIDA("Test.Counter.1", &clsid), S_OK);
    EXPECT_EQ(clsid, kCounterClass);
    clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgIDA("Test.Counter", &clsid), S_OK);
    EXPECT_EQ(clsid, kCounterClass);
    clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(L"test.counter", &clsid), S_OK);  // key names ignore case
    EXPECT_EQ(clsid, kCounterClass);

    // A key with a CLSID of its own does not follow CurVer.
    WriteDefault("Test.Both\\CLSID", GuidToString(kUnknownClass));
    WriteDefault("Test.Both\\CurVer", "Test.Counter.1");
    EXPECT_EQ(CLSIDFromProgIDA("Test.Both", &clsid), S_OK);
    EXPECT_EQ(clsid, kUnknownClass);
}

TEST_F(ProgIds, RefuseUnknownMalformedAndCyclicNames) {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgIDA("Nobody.Here", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgIDA("", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgIDA(nullptr, &clsid), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromProgIDA("Nobody.Here", nullptr), E_INVALIDARG);
    WriteDefault("Test.Broken\\CLSID", "{not-a-guid}");
    EXPECT_EQ(CLSIDFromProgIDA("Test.Broken", &clsid), CO_E_CLASSSTRING);
    WriteDefault("Test.Ping\\CurVer", "Test.Pong");
    WriteDefault("Test.Pong\\CurVer", "Test.Ping");
    EXPECT_EQ(CLSIDFromProgIDA("Test.Ping", &clsid), CO_E_CLASSSTRING);
    // A backslash would reach some other key.
    WriteDefault("Test.Counter.1\\CLSID", GuidToString(kCounterClass));
    EXPECT_EQ(CLSIDFromProgIDA("CLSID\\..\\Test.Counter.1", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID(L"Test.\u00e9", &clsid), CO_E_CLASSSTRING);
}

}  // namespace
