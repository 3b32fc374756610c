// The transform base's class-wide parts: the debug-flags word from the registry, the
// traces and failure reports on the debug output channel, and class registration.
#include "transform/dtbase_trace.h"
#include "platform/com/kit/module.h"
#include "platform/ui/resource.h"
#include "tests/transform/transform_test_effect.h"
#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

namespace {

// Points the debug channel at a file of this test and restores the flags afterwards.
class DebugCapture : public testsupport::DebugOutputCapture {
public:
    explicit DebugCapture(DWORD flags) : m_saved(CDXBaseNTo1::DebugFlags()) { CDXBaseNTo1::SetDebugFlags(flags); }
    ~DebugCapture() { CDXBaseNTo1::SetDebugFlags(m_saved); }

private:
    DWORD m_saved;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

DWORD ReadFlagsValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "DXTDbgFlags", 0, KEY_READ, &key) != ERROR_SUCCESS) return 0xDEAD;
    DWORD type = 0, value = 0xBEEF, cb = sizeof value;
    LSTATUS st = RegQueryValueExA(key, "Flags", nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb);
    RegCloseKey(key);
    return st == ERROR_SUCCESS && type == REG_DWORD ? value : 0xBEEF;
}

}  // namespace

TEST(TransformDiagnostics, DebugFlagsComeFromTheRegistry) {
    testsupport::TempRegistry registry;
    DWORD saved = CDXBaseNTo1::DebugFlags();
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CLASSES_ROOT, "DXTDbgFlags"));
    EXPECT_EQ(CDXBaseNTo1::LoadDebugFlags(), 0u);
    EXPECT_EQ(ReadFlagsValue(), 0u);  // key and value created
    EXPECT_TRUE(Contains(registry.ReadText(), "[HKEY_CLASSES_ROOT\\DXTDbgFlags]"));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "DXTDbgFlags", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const DWORD three = 3;
    RegSetValueExA(key, "Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&three), sizeof three);
    RegCloseKey(key);
    EXPECT_EQ(CDXBaseNTo1::LoadDebugFlags(), 3u);
    EXPECT_EQ(CDXBaseNTo1::DebugFlags(), 3u);
    EXPECT_EQ(ReadFlagsValue(), 3u);  // an existing value is left alone
    CDXBaseNTo1::SetDebugFlags(saved);
}

TEST(TransformDiagnostics, TracesAndFailureReports) {
    DebugCapture capture(DXTDBG_TRACE_FUNCTIONS | DXTDBG_REPORT_FAILURES);
    {
        TestTransform t(4, false);
        auto& x = t.transform;
        IUnknown* none[1] = {nullptr};
        EXPECT_EQ(x->Setup(none, 1, none, 1, 0), DXTERR_UNINITIALIZED);
        ASSERT_EQ(t.effect->SetSite(t.hostSite.Get()), S_OK);
        EXPECT_EQ(x->Setup(none, 1, none, 1, 0), E_INVALIDARG);
        IUnknown* notSurface[1] = {t.hostSite.Get()};
        EXPECT_EQ(x->Setup(notSurface, 1, notSurface, 1, 0), E_INVALIDARG);
        ASSERT_EQ(t.SetupSurfaces(64, 64, 64, 64), S_OK);
        t.effect->bandResult = [](const BandWorkInfo& w) -> HRESULT {
            return RowMin(w.inputBounds) == 32 ? E_FAIL : S_OK;
        };
        EXPECT_EQ(x->Execute(nullptr, nullptr, nullptr), E_FAIL);
    }
    std::string text = capture.Text();
    EXPECT_TRUE(Contains(text, "\nEntering Function: CDXBaseNTo1::CDXBaseNTo1\nLeaving Function: CDXBaseNTo1::CDXBaseNTo1\n"));
    EXPECT_TRUE(Contains(text, "\nEntering Function: CDXBaseNTo1::Setup\n\nTransform has not been initialized"
                               "Leaving Function: CDXBaseNTo1::Setup\n"));
    EXPECT_TRUE(Contains(text, "\nTransform setup with invalid args"));
    EXPECT_TRUE(Contains(text, "\nTransform setup failed"));
    EXPECT_TRUE(Contains(text, "\nEntering Function: CDXBaseNTo1::Execute\n"));
    EXPECT_TRUE(Contains(text, "\nExecute failed. HR = 80004005Leaving Function: CDXBaseNTo1::Execute\n"));
    EXPECT_TRUE(Contains(text, "\nEntering Function: CDXBaseNTo1::SetSite\n"));
    EXPECT_TRUE(Contains(text, "Leaving Function: CDXBaseNTo1::~CDXBaseNTo1\n"));
}

TEST(TransformDiagnostics, EachFlagBitAlone) {
    {
        DebugCapture failuresOnly(DXTDBG_REPORT_FAILURES);
        TestTransform t(4, false);
        IUnknown* none[1] = {nullptr};
        t.transform->Setup(none, 1, none, 1, 0);
        std::string text = failuresOnly.Text();
        EXPECT_EQ(text, "\nTransform has not been initialized");
    }
    {
        DebugCapture tracesOnly(DXTDBG_TRACE_FUNCTIONS);
        TestTransform t(4, false);
        IUnknown* none[1] = {nullptr};
        t.transform->Setup(none, 1, none, 1, 0);
        std::string text = tracesOnly.Text();
        EXPECT_TRUE(Contains(text, "Entering Function: CDXBaseNTo1::Setup"));
        EXPECT_FALSE(Contains(text, "Transform has not been initialized"));
    }
    {
        DebugCapture off(0);
        TestTransform t(4, false);
        IUnknown* none[1] = {nullptr};
        t.transform->Setup(none, 1, none, 1, 0);
        t.transform->Execute(nullptr, nullptr, nullptr);
        EXPECT_EQ(off.Text(), "");
    }
}

namespace {

constexpr GUID kTestClass = MakeGuid("5e1f0a2b-3c4d-4e5f-8a9b-0c1d2e3f4a5b");
constexpr GUID kRequiredCategory = MakeGuid("7a8b9c0d-1e2f-4a3b-8c4d-5e6f7a8b9c0d");
const char kScript[] =
    "HKCR\n"
    "{\n"
    "    NoRemove CLSID\n"
    "    {\n"
    "        ForceRemove {5e1f0a2b-3c4d-4e5f-8a9b-0c1d2e3f4a5b} = s 'Test Transform'\n"
    "        {\n"
    "            InprocServer32 = s '%MODULE%'\n"
    "        }\n"
    "    }\n"
    "}\n";

// A module handle of the test's own, with one registry script as resource 301.
class ScriptModule {
public:
    ScriptModule() {
        m_binaries[0] = ModuleBinaryResource{"REGISTRY", 301, kScript, sizeof kScript - 1};
        m_resources = ModuleResources{nullptr, 0, m_binaries, 1};
        m_saved = ComModule::Instance();
        RegisterModuleResources(Handle(), &m_resources);
        ComModule::Init(Handle());
    }
    ~ScriptModule() {
        ComModule::Init(m_saved);
        UnregisterModuleResources(Handle());
    }
    HINSTANCE Handle() { return static_cast<HINSTANCE>(&m_binaries); }

private:
    ModuleBinaryResource m_binaries[1];
    ModuleResources m_resources;
    HINSTANCE m_saved;
};

}  // namespace

TEST(TransformRegistration, ScriptThenCategoriesAndBack) {
    testsupport::TempRegistry registry;
    ScriptModule module;
    const std::string key = "CLSID\\" + GuidToString(kTestClass);
    const std::string implemented = key + "\\Implemented Categories\\" + GuidToString(CATID_DXImageTransform);
    const std::string required = key + "\\Required Categories\\" + GuidToString(kRequiredCategory);

    ASSERT_EQ(CDXBaseNTo1::RegisterTransform(kTestClass, 301, 1, &CATID_DXImageTransform, 1, &kRequiredCategory,
                                             TRUE),
              S_OK);
    EXPECT_EQ(testsupport::ReadString(HKEY_CLASSES_ROOT, key.c_str(), ""), "Test Transform");
    EXPECT_NE(testsupport::ReadString(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str(), ""), std::nullopt);
    EXPECT_TRUE(testsupport::KeyExists(HKEY_CLASSES_ROOT, implemented.c_str()));
    EXPECT_TRUE(testsupport::KeyExists(HKEY_CLASSES_ROOT, required.c_str()));

    EXPECT_EQ(CDXBaseNTo1::RegisterTransform(kTestClass, 301, 1, &CATID_DXImageTransform, 1, &kRequiredCategory,
                                             FALSE),
              S_OK);
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CLASSES_ROOT, key.c_str()));

    // Without required categories, none are written.
    ASSERT_EQ(CDXBaseNTo1::RegisterTransform(kTestClass, 301, 1, &CATID_DXImageTransform, 0, nullptr, TRUE), S_OK);
    EXPECT_TRUE(testsupport::KeyExists(HKEY_CLASSES_ROOT, implemented.c_str()));
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CLASSES_ROOT, (key + "\\Required Categories").c_str()));
    EXPECT_EQ(CDXBaseNTo1::RegisterTransform(kTestClass, 301, 1, &CATID_DXImageTransform, 0, nullptr, FALSE), S_OK);
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CLASSES_ROOT, key.c_str()));
}

TEST(TransformRegistration, MissingScriptFailsRegisteringOnly) {
    testsupport::TempRegistry registry;
    ScriptModule module;
    HRESULT hr = CDXBaseNTo1::RegisterTransform(kTestClass, 999, 1, &CATID_DXImageTransform, 0, nullptr, TRUE);
    EXPECT_TRUE(FAILED(hr));
    // Nothing was registered: the categories follow only a successful script.
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CLASSES_ROOT, ("CLSID\\" + GuidToString(kTestClass)).c_str()));
    EXPECT_EQ(CDXBaseNTo1::RegisterTransform(kTestClass, 999, 1, &CATID_DXImageTransform, 0, nullptr, FALSE), S_OK);
}
