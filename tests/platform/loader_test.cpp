// The loader against a real module (tests/fixtures/loader_test_module.cpp): registry
// lookup by class, DllMain once per load, unloading only when the module
// agrees, and the failures a host meets.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <thread>

#include "platform/com/combase.h"
#include "platform/com/objidl.h"
#include "platform/ui/resource.h"
#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

QUILLET_INTERFACE_ID(ITestCounter, "5C1E0F3A-7B2D-4E61-9A8B-2F4D6C8E0A13");
struct ITestCounter : IUnknown {
    virtual LONG Next() = 0;
};

namespace {

constexpr CLSID kCounterClass = MakeGuid("0E6B7C21-93A4-4F5D-8E2C-1B3A5D7F9C04");
constexpr CLSID kUnknownClass = MakeGuid("9A9A9A9A-0000-4000-8000-123456789ABC");

std::string ModulePath() {
    char resolved[PATH_MAX];
    return ::realpath(QUILLET_TEST_MODULE_PATH, resolved) ? resolved : QUILLET_TEST_MODULE_PATH;
}

bool IsMapped() {
    void* h = ::dlopen(ModulePath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h) ::dlclose(h);
    return h != nullptr;
}

void RegisterClassModule(REFCLSID clsid, const std::string& path) {
    ASSERT_EQ(testsupport::WriteString(HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(clsid) + "\\InprocServer32", "", path),
              ERROR_SUCCESS);
}

std::vector<HINSTANCE> g_detached;
void RecordDetach(HINSTANCE h) { g_detached.push_back(h); }

class Loader : public ::testing::Test {
protected:
    void SetUp() override {
        CoFreeUnusedLibraries();  // start from an unloaded module
        ASSERT_FALSE(IsMapped());
        RegisterClassModule(kCounterClass, ModulePath());
        g_detached.clear();
    }
    void TearDown() override { CoFreeUnusedLibraries(); }

    HMODULE Load(const std::string& path = ModulePath()) {
        HMODULE module = nullptr;
        EXPECT_EQ(CoLoadModuleByPath(path.c_str(), &module), S_OK);
        return module;
    }
    // Calls one of the fixture's own exports.
    template <class R, class... A>
    R Call(HMODULE module, const char* name, A... args) {
        auto f = reinterpret_cast<R (*)(A...)>(GetProcAddress(module, name));
        EXPECT_NE(f, nullptr) << name;
        return f ? f(args...) : R();
    }
    ITestCounter* Counter() {
        ITestCounter* counter = nullptr;
        EXPECT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                                   reinterpret_cast<void**>(&counter)),
                  S_OK);
        return counter;
    }

    testsupport::TempRegistry m_registry;
    testsupport::DebugOutputCapture m_debug;
};

// Creations from several threads load and attach once; the module holds a lock per
// object, gets the loader's handle in DllMain and answers for its file and resources.
TEST_F(Loader, CreatesRegisteredClassesAndAttachesOnce) {
    std::atomic<int> created{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i)
                if (ITestCounter* c = Counter()) created += c->Next() == 1 && c->Next() == 2 && c->Release() == 0;
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(created, 80);
    ITestCounter* held = Counter();
    const std::string path = ModulePath(), dir = path.substr(0, path.rfind('/'));
    HMODULE module = Load();
    EXPECT_EQ(Load(dir + "/./" + path.substr(dir.size() + 1)), module);  // another spelling of the same file
    EXPECT_EQ(Call<int>(module, "TestModuleAttachCount"), 1);
    EXPECT_EQ(Call<long>(module, "TestModuleLockCount"), 1);
    EXPECT_EQ(Call<HINSTANCE>(module, "TestModuleInstance"), module);
    held->Release();
    EXPECT_EQ(Call<long>(module, "TestModuleLockCount"), 0);

    char buffer[PATH_MAX], text[64];
    ASSERT_EQ(GetModuleFileNameA(module, buffer, sizeof buffer), path.size());
    EXPECT_EQ(std::string(buffer), path);
    EXPECT_EQ(LoadStringA(module, 100, text, sizeof text), 18);
    EXPECT_STREQ(text, "Loaded test module");
}

TEST_F(Loader, UnloadsOnlyWhenTheModuleAgreesAndCallsDetach) {
    HMODULE module = Load();
    Call<void>(module, "TestModuleOnDetach", &RecordDetach);
    ITestCounter* counter = Counter();
    CoFreeUnusedLibraries();  // an object is alive: DllCanUnloadNow says S_FALSE
    EXPECT_TRUE(IsMapped());
    EXPECT_EQ(counter->Next(), 1);
    counter->Release();
    Call<void>(module, "TestModuleRefuseUnload", TRUE);
    CoFreeUnusedLibraries();
    EXPECT_TRUE(g_detached.empty());
    Call<void>(module, "TestModuleRefuseUnload", FALSE);
    CoFreeUnusedLibraries();
    EXPECT_EQ(g_detached, std::vector<HINSTANCE>{module});
    EXPECT_FALSE(IsMapped());
    // The old handle is stale now, and refused.
    char buffer[PATH_MAX];
    EXPECT_EQ(GetModuleFileNameA(module, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetProcAddress(module, "DllGetClassObject"), nullptr);
    EXPECT_EQ(LoadStringA(module, 100, buffer, sizeof buffer), 0);
    // Loading again gives a fresh module under a new handle.
    HMODULE again = Load();
    EXPECT_NE(again, module);
    EXPECT_EQ(Call<int>(again, "TestModuleAttachCount"), 1);

    // Creations racing with unloading never lose the module under an object.
    std::atomic<bool> stop{false};
    std::thread unloader([&] {
        while (!stop) CoFreeUnusedLibraries();
    });
    std::atomic<int> failures{0};
    std::vector<std::thread> creators;
    for (int t = 0; t < 3; ++t)
        creators.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                ITestCounter* c = Counter();
                failures += !c || c->Next() != 1;
                if (c) c->Release();
            }
        });
    for (auto& t : creators) t.join();
    stop = true;
    unloader.join();
    EXPECT_EQ(failures, 0);
}

TEST_F(Loader, AnswersEachFailureWithItsCodeAndTheReasonOnTheDebugChannel) {
    IUnknown* object = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
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
        EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&object)),
                  c.expected)
            << c.path;
        EXPECT_NE(m_debug.Text().find(c.reason), std::string::npos) << m_debug.Text();
    }
    HMODULE module = nullptr;
    EXPECT_EQ(CoLoadModuleByPath(bogus.c_str(), &module), CO_E_DLLNOTFOUND);
    EXPECT_EQ(module, nullptr);
}

}  // namespace
