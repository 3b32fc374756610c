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
#include "platform/com/objidl.h"
#include "platform/com/registry.h"
#include "platform/ui/resource.h"
#include "tests/support/environment.h"

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
    HRESULT Create(REFCLSID clsid, IUnknown** object) {
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(object));
    }

    testsupport::TempRegistry m_registry;
    testsupport::DebugOutputCapture m_debug;
};

TEST_F(Loader, CreatesRegisteredClassAndAttachesOnceAcrossManyCreationsAndSpellings) {
    std::vector<ITestCounter*> counters;
    for (int i = 0; i < 50; ++i) {
        ITestCounter* counter = nullptr;
        ASSERT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                                   reinterpret_cast<void**>(&counter)),
                  S_OK);
        EXPECT_EQ(counter->Next(), 1);
        EXPECT_EQ(counter->Next(), 2);
        counters.push_back(counter);
    }
    HMODULE module = Load();
    const std::string path = ModulePath();
    HMODULE sameFile = nullptr;
    const std::string otherSpelling = path.substr(0, path.rfind('/')) + "/./" + path.substr(path.rfind('/') + 1);
    ASSERT_EQ(CoLoadModuleByPath(otherSpelling.c_str(), &sameFile), S_OK);
    EXPECT_EQ(sameFile, module);
    EXPECT_EQ(Export<AttachCountFn>(module, "TestModuleAttachCount")(), 1);
    EXPECT_EQ(Export<LockCountFn>(module, "TestModuleLockCount")(), 50);
    EXPECT_EQ(Export<InstanceFn>(module, "TestModuleInstance")(), module);  // DllMain got the loader's handle
    for (auto* c : counters) c->Release();
    EXPECT_EQ(Export<LockCountFn>(module, "TestModuleLockCount")(), 0);

    // Registration writes the path GetModuleFileNameA gives, cut to the buffer when it is short.
    char buffer[PATH_MAX], small[8];
    ASSERT_EQ(GetModuleFileNameA(module, buffer, sizeof buffer), path.size());
    EXPECT_EQ(std::string(buffer), path);
    EXPECT_EQ(GetModuleFileNameA(module, small, sizeof small), sizeof small);
    EXPECT_EQ(std::string(small), path.substr(0, 7));
    EXPECT_EQ(GetModuleFileNameA(module, nullptr, 10), 0u);
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1234), buffer, sizeof buffer), 0u);

    char text[64];
    EXPECT_EQ(LoadStringA(module, 100, text, sizeof text), 18);
    EXPECT_STREQ(text, "Loaded test module");
    size_t size = 0;
    EXPECT_NE(LoadModuleResource(module, "registry", 101, &size), nullptr);
    EXPECT_EQ(size, 8u);
}

TEST_F(Loader, ConcurrentFirstLoadsAttachExactlyOnce) {
    std::vector<std::thread> threads;
    std::atomic<int> created{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                IUnknown* object = nullptr;
                if (Create(kCounterClass, &object) == S_OK) {
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
    EXPECT_EQ(LoadStringA(module, 100, buffer, sizeof buffer), 0);

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

TEST_F(Loader, AnswersEachFailureWithItsCodeAndTheReasonOnTheDebugChannel) {
    IUnknown* object = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(Create(kUnknownClass, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr), E_INVALIDARG);
    EXPECT_EQ(CoGetClassObject(kCounterClass, 0x4 /* local server: only in-process ones exist */, nullptr,
                               IID_IClassFactory, reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);

    // The module's own answers pass through.
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(kCounterClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(factory->CreateInstance(factory, IID_IUnknown, reinterpret_cast<void**>(&object)),
              CLASS_E_NOAGGREGATION);
    factory->Release();
    EXPECT_EQ(CoGetClassObject(kCounterClass, CLSCTX_INPROC_SERVER, nullptr, IID_IMarshal,
                               reinterpret_cast<void**>(&object)),
              E_NOINTERFACE);

    // A missing file, a file that is no library (dlopen's own words reach the channel),
    // and a library without DllGetClassObject (the platform library itself).
    testsupport::TempFolder folder;
    const std::string missing = folder.File("no-such-module.so"), bogus = folder.File("bogus.so");
    testsupport::WriteText(bogus, "not ELF");
    Dl_info platform{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&CoTaskMemAlloc), &platform), 0);
    const struct {
        std::string path;
        HRESULT expected;
        std::string reason;
    } cases[] = {{missing, CO_E_DLLNOTFOUND, missing},
                 {bogus, CO_E_DLLNOTFOUND, bogus + ": "},
                 {platform.dli_fname, CO_E_ERRORINDLL, "DllGetClassObject"}};
    for (const auto& c : cases) {
        RegisterClassModule(kUnknownClass, c.path);
        EXPECT_EQ(Create(kUnknownClass, &object), c.expected) << c.path;
        EXPECT_NE(m_debug.Text().find(c.reason), std::string::npos) << m_debug.Text();
    }
    HMODULE module = nullptr;
    EXPECT_EQ(CoLoadModuleByPath(bogus.c_str(), &module), CO_E_DLLNOTFOUND);
    EXPECT_EQ(module, nullptr);
}

TEST_F(Loader, ProgramIdsResolveDirectlyOrThroughCurVerAndRefuseWhatIsNoName) {
    WriteDefault("Test.Counter.1\\CLSID", GuidToString(kCounterClass));
    WriteDefault("Test.Counter\\CurVer", "Test.Counter.1");
    WriteDefault("Test.Both\\CLSID", GuidToString(kUnknownClass));  // its own CLSID wins over CurVer
    WriteDefault("Test.Both\\CurVer", "Test.Counter.1");
    WriteDefault("Test.Broken\\CLSID", "{not-a-guid}");
    WriteDefault("Test.Ping\\CurVer", "Test.Pong");
    WriteDefault("Test.Pong\\CurVer", "Test.Ping");
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"test.counter", &clsid), S_OK);  // key names ignore case
    EXPECT_EQ(clsid, kCounterClass);
    EXPECT_EQ(CLSIDFromProgIDA("Test.Both", &clsid), S_OK);
    EXPECT_EQ(clsid, kUnknownClass);
    for (const char* bad : {"Nobody.Here", "", "Test.Broken", "Test.Ping", "CLSID\\..\\Test.Counter.1"})
        EXPECT_EQ(CLSIDFromProgIDA(bad, &clsid), CO_E_CLASSSTRING) << bad;
    EXPECT_EQ(CLSIDFromProgID(L"Test.\u00e9", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgIDA(nullptr, &clsid), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromProgIDA("Test.Counter", nullptr), E_INVALIDARG);
}

}  // namespace
