// The stored state crosses the real module: effects created from the loaded shared
// library (as a host creates them) save exactly the record bytes that the effect
// objects of this process read back, and the other way round, and they name their
// presets from the module's own string table.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/com/combase.h"
#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

#ifdef QUILLET_MODULE_PATH

class PersistModule : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Loading runs DllMain, which reads (and may create) a registry value: give it
        // a registry file of its own.
        char pattern[] = "/tmp/brushwerk-persist-module-XXXXXX";
        const char* dir = mkdtemp(pattern);
        ASSERT_NE(dir, nullptr);
        s_dir = dir;
        const char* previous = getenv("QUILLET_REGISTRY");
        s_hadPrevious = previous != nullptr;
        if (previous) s_previous = previous;
        setenv("QUILLET_REGISTRY", (s_dir + "/registry.reg").c_str(), 1);
        HMODULE module = nullptr;
        ASSERT_EQ(CoLoadModuleByPath(QUILLET_MODULE_PATH, &module), S_OK);
        s_getClassObject = reinterpret_cast<PFN_DllGetClassObject>(GetProcAddress(module, "DllGetClassObject"));
        ASSERT_NE(s_getClassObject, nullptr);
    }
    static void TearDownTestSuite() {
        if (s_hadPrevious)
            setenv("QUILLET_REGISTRY", s_previous.c_str(), 1);
        else
            unsetenv("QUILLET_REGISTRY");
        std::error_code ignored;
        std::filesystem::remove_all(s_dir, ignored);
    }

    static ComPtr<IUnknown> CreateFromModule(REFCLSID clsid) {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(s_getClassObject(clsid, IID_IClassFactory, factory.ReleaseAndGetVoidAddress()), S_OK);
        ComPtr<IUnknown> object;
        if (factory) {
            EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.ReleaseAndGetVoidAddress()), S_OK);
        }
        return object;
    }

    template <class Case>
    void CheckEffect() {
        using T = typename Case::Props;
        SCOPED_TRACE(GuidToString(Case::ClassId()));
        ComPtr<IUnknown> moduleEffect = CreateFromModule(Case::ClassId());
        ASSERT_TRUE(moduleEffect);
        ComPtr<IUnknown> localEffect = CreateEffect<typename Case::Class>();

        ULARGE_INTEGER size{};
        ASSERT_EQ(Query<IPersistStreamInit>(moduleEffect)->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size.QuadPart, sizeof(T));
        EXPECT_TRUE(SameBytes(PropsOf<T>(moduleEffect), Case::Presets()[0]));

        // Module -> stream -> this process.
        const T pattern = PatternRecord<T>(23);
        ASSERT_EQ(Exchange<T>(moduleEffect)->SetProps(&pattern), S_OK);
        auto stream = MemoryStream();
        ASSERT_EQ(Query<IPersistStreamInit>(moduleEffect)->Save(stream.Get(), TRUE), S_OK);
        EXPECT_EQ(StreamBytes(stream.Get()), BytesOf(pattern));
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        ASSERT_EQ(Query<IPersistStreamInit>(localEffect)->Load(stream.Get()), S_OK);
        EXPECT_TRUE(SameBytes(PropsOf<T>(localEffect), pattern));

        // This process -> storage -> module.
        const T other = PatternRecord<T>(91);
        Exchange<T>(localEffect)->SetProps(&other);
        ComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateMemoryStorage(storage.ReleaseAndGetAddressOf()), S_OK);
        ASSERT_EQ(Query<IPersistStorage>(localEffect)->Save(storage.Get(), TRUE), S_OK);
        ASSERT_EQ(Query<IPersistStorage>(moduleEffect)->Load(storage.Get()), S_OK);
        EXPECT_TRUE(SameBytes(PropsOf<T>(moduleEffect), other));

        // Names from the module's string table, as this process's table has them.
        auto modulePresets = Query<IStaticFilterPreset>(moduleEffect);
        auto localPresets = Query<IStaticFilterPreset>(localEffect);
        for (int i = 0; i < Case::kPresetCount; ++i) {
            wchar_t fromModule[64] = {}, fromHere[64] = {};
            ASSERT_EQ(modulePresets->GetPresetName(i, fromModule, 64), S_OK) << i;
            ASSERT_EQ(localPresets->GetPresetName(i, fromHere, 64), S_OK) << i;
            EXPECT_STREQ(fromModule, fromHere) << i;
        }
        CAUUID pages{};
        ASSERT_EQ(Query<ISpecifyPropertyPages>(moduleEffect)->GetPages(&pages), S_OK);
        ASSERT_EQ(pages.cElems, 1u);
        EXPECT_EQ(pages.pElems[0], Case::PageId());
        CoTaskMemFree(pages.pElems);
    }

    ModuleStrings strings;
    static inline std::string s_dir;
    static inline std::string s_previous;
    static inline bool s_hadPrevious = false;
    static inline PFN_DllGetClassObject s_getClassObject = nullptr;
};

TEST_F(PersistModule, EveryEffectOfTheModuleStoresTheSameBytes) {
    CheckEffect<AirBrushCase>();
    CheckEffect<ColorizeCase>();
    CheckEffect<DreamGlowCase>();
    CheckEffect<DuoChromeCase>();
    CheckEffect<LineDrawingCase>();
    CheckEffect<MetalCase>();
    CheckEffect<PastelSketchCase>();
}

#endif  // QUILLET_MODULE_PATH

}  // namespace
