// The transform base's class-wide parts: the debug-flags word from the registry, and the
// traces and failure reports on the debug output channel. (Class registration: the
// module's registration suite, which registers every class through the base.)
#include <memory>

#include "transform/dtbase_trace.h"
#include "tests/transform/transform_test_effect.h"
#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(TransformDiagnostics, DebugFlagsComeFromTheRegistry) {
    testsupport::TempRegistry registry;
    const DWORD saved = CDXBaseNTo1::DebugFlags();
    EXPECT_EQ(CDXBaseNTo1::LoadDebugFlags(), 0u);
    EXPECT_EQ(testsupport::ReadDword(HKEY_CLASSES_ROOT, "DXTDbgFlags", "Flags"), 0u);  // key and value created
    ASSERT_EQ(testsupport::WriteDword(HKEY_CLASSES_ROOT, "DXTDbgFlags", "Flags", 3), ERROR_SUCCESS);
    EXPECT_EQ(CDXBaseNTo1::LoadDebugFlags(), 3u);
    EXPECT_EQ(CDXBaseNTo1::DebugFlags(), 3u);
    EXPECT_EQ(testsupport::ReadDword(HKEY_CLASSES_ROOT, "DXTDbgFlags", "Flags"), 3u);  // an existing value is left alone
    CDXBaseNTo1::SetDebugFlags(saved);
}

// Function traces and failure reports, each flag bit alone and both together.
TEST(TransformDiagnostics, TracesAndFailureReports) {
    const std::string uninitialised = "\nTransform has not been initialized";
    const DWORD settings[] = {0, DXTDBG_REPORT_FAILURES, DXTDBG_TRACE_FUNCTIONS, DXTDBG_TRACE_FUNCTIONS | DXTDBG_REPORT_FAILURES};
    // The flags go back to what they were however the test ends.
    const std::shared_ptr<void> restore(nullptr, [saved = CDXBaseNTo1::DebugFlags()](void*) {
        CDXBaseNTo1::SetDebugFlags(saved);
    });
    for (DWORD flags : settings) {
        testsupport::DebugOutputCapture capture;
        CDXBaseNTo1::SetDebugFlags(flags);
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
            t.effect->bandResult = [](const BandWorkInfo& w) -> HRESULT { return RowMin(w.inputBounds) == 32 ? E_FAIL : S_OK; };
            EXPECT_EQ(x->Execute(nullptr, nullptr, nullptr), E_FAIL);
        }
        const std::string text = capture.Text();
        const bool traces = (flags & DXTDBG_TRACE_FUNCTIONS) != 0, failures = (flags & DXTDBG_REPORT_FAILURES) != 0;
        if (flags == DXTDBG_REPORT_FAILURES) {
            EXPECT_EQ(text, uninitialised + "\nTransform setup with invalid args\nTransform setup failed\nExecute failed. HR = 80004005");
        }
        EXPECT_EQ(Contains(text, "\nEntering Function: CDXBaseNTo1::CDXBaseNTo1\nLeaving Function: CDXBaseNTo1::CDXBaseNTo1\n"), traces);
        EXPECT_EQ(Contains(text, "\nEntering Function: CDXBaseNTo1::SetSite\n"), traces);
        EXPECT_EQ(Contains(text, "Leaving Function: CDXBaseNTo1::~CDXBaseNTo1\n"), traces);
        EXPECT_EQ(Contains(text, uninitialised), failures);
        EXPECT_EQ(Contains(text, "\nExecute failed. HR = 80004005"), failures);
        if (flags == (DXTDBG_TRACE_FUNCTIONS | DXTDBG_REPORT_FAILURES)) {
            EXPECT_TRUE(Contains(text, "\nEntering Function: CDXBaseNTo1::Setup\n" + uninitialised + "Leaving Function: CDXBaseNTo1::Setup\n"));
            EXPECT_TRUE(Contains(text, "\nExecute failed. HR = 80004005Leaving Function: CDXBaseNTo1::Execute\n"));
        }
        EXPECT_EQ(text.empty(), flags == 0);
    }
}
