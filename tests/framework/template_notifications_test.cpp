// Who hears about a record change: the page (a WM_COMMAND posted to its window on a
// real message queue), the host's change sink (counted), and the dirty flag; one row
// per way of changing or storing the record, each on a fresh effect.
#include <functional>
#include <thread>

#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

constexpr UINT kPageCommand = 0x4321;

class TemplateNotifications : public ::testing::Test {
protected:
    void SetUp() override {
        effect = CreateEffect<CColorize>();
        sink = MakeTestObject(&counter);
        ASSERT_EQ(Query<IDXTSfAutomation>(effect)->SetChangeSink(sink.Get()), S_OK);
        ASSERT_EQ(Exchange<tCOLORIZE_PROPS>(effect)->SetNotifyWindow(page.Handle(), kPageCommand), S_OK);
        ASSERT_EQ(Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), TRUE), S_OK);  // clean
        Reset();
    }
    void TearDown() override { EXPECT_EQ(page.OtherMessages(), 0); }

    void Reset() {
        page.TakeCommands(kPageCommand);
        counter->calls = 0;
    }
    // Page commands and sink calls since the last check.
    void Expect(int posted, int sinkCalls, bool dirty, const std::string& what) {
        EXPECT_EQ(page.TakeCommands(kPageCommand), posted) << what << ": page";
        EXPECT_EQ(counter->calls.exchange(0), sinkCalls) << what << ": change sink";
        EXPECT_EQ(Query<IPersistStreamInit>(effect)->IsDirty(), dirty ? S_OK : S_FALSE) << what << ": dirty";
    }

    ModuleStrings strings;
    PageWindow page;
    ComPtr<IUnknown> effect;
    CountingChangeSink* counter = nullptr;
    ComPtr<ISfChangeSink> sink;
};

struct Row {
    const char* what;
    bool dirtyBefore;
    std::function<HRESULT(const ComPtr<IUnknown>&)> act;
    HRESULT result;
    int posted, told;
    bool dirty;
    const tCOLORIZE_PROPS* after;  // the record afterwards, where the row says
};

TEST_F(TemplateNotifications, EveryWayOfChangingTheRecordTellsWhoItShould) {
    const tCOLORIZE_PROPS& p0 = g_colorizePresets[0];
    const tCOLORIZE_PROPS& p4 = g_colorizePresets[4];
    const tCOLORIZE_PROPS& p7 = g_colorizePresets[7];
    const tCOLORIZE_PROPS& p8 = g_colorizePresets[8];
    auto persist = [](const ComPtr<IUnknown>& e) { return Query<IPersistStreamInit>(e); };
    auto automation = [](const ComPtr<IUnknown>& e) { return Query<IDXTSfAutomation>(e); };
    const Row rows[] = {
        {"SelectPreset", false, [](auto& e) { return Query<IStaticFilterPreset>(e)->SelectPreset(7); }, S_OK, 1, 1,
         false, &p7},
        {"SelectPreset out of range", false, [](auto& e) { return Query<IStaticFilterPreset>(e)->SelectPreset(99); },
         E_INVALIDARG, 0, 0, false, &p0},
        {"InitNew", true, [&](auto& e) { return persist(e)->InitNew(); }, S_OK, 1, 1, true, &p0},
        {"Load", false, [&](auto& e) { return persist(e)->Load(StreamOf(p7).Get()); }, S_OK, 1, 1, true, &p7},
        {"failed Load", false, [&](auto& e) { return persist(e)->Load(MemoryStream(&p7, 10).Get()); },
         kRecordReadFault, 0, 0, true, &p0},
        {"LoadProps", false, [&](auto& e) { return automation(e)->LoadProps(StreamOf(p4).Get()); }, S_OK, 1, 0, true,
         &p4},
        {"failed LoadProps falls back to preset 0", true,
         [&](auto& e) { return automation(e)->LoadProps(MemoryStream().Get()); }, kRecordReadFault, 1, 0, true, &p0},
        {"SetKeyframes", false,
         [&](auto& e) { return automation(e)->SetKeyframes(StreamOf(p4).Get(), StreamOf(p7).Get()); }, S_OK, 0, 0,
         false, &p0},
        {"SetProps", false, [](auto& e) { return Exchange<tCOLORIZE_PROPS>(e)->SetProps(&g_colorizePresets[8]); },
         S_OK, 0, 1, true, &p8},
        {"Save without clearing", false, [&](auto& e) { return persist(e)->Save(MemoryStream().Get(), FALSE); }, S_OK,
         1, 0, true, nullptr},
        {"Save clearing", true, [&](auto& e) { return persist(e)->Save(MemoryStream().Get(), TRUE); }, S_OK, 1, 0,
         false, nullptr},
        {"failed Save", true,
         [&](auto& e) { return persist(e)->Save(MakeFailingStream(STG_E_MEDIUMFULL).Get(), TRUE); },
         STG_E_MEDIUMFULL, 0, 0, true, nullptr},
        {"SaveProps", false, [&](auto& e) { return automation(e)->SaveProps(MemoryStream().Get()); }, S_OK, 0, 0,
         false, &p0},
    };
    for (const Row& row : rows) {
        SetUp();
        if (row.dirtyBefore) {
            Exchange<tCOLORIZE_PROPS>(effect)->SetProps(&g_colorizePresets[1]);
            Reset();
        }
        EXPECT_EQ(row.act(effect), row.result) << row.what;
        Expect(row.posted, row.told, row.dirty, row.what);
        if (row.after) {
            EXPECT_TRUE(SameBytes(PropsOf<tCOLORIZE_PROPS>(effect), *row.after)) << row.what;
        }
    }
    EXPECT_EQ(Exchange<tCOLORIZE_PROPS>(effect)->SetProps(nullptr), E_FAIL);
    EXPECT_EQ(Exchange<tCOLORIZE_PROPS>(effect)->GetProps(nullptr), E_FAIL);
}

TEST_F(TemplateNotifications, NullWindowStopsThePageAndNullSinkStopsTheSink) {
    ASSERT_EQ(Exchange<tCOLORIZE_PROPS>(effect)->SetNotifyWindow(nullptr, kPageCommand), S_OK);
    ASSERT_EQ(Query<IDXTSfAutomation>(effect)->SetChangeSink(nullptr), S_OK);
    Query<IStaticFilterPreset>(effect)->SelectPreset(2);
    Query<IPersistStreamInit>(effect)->InitNew();
    Expect(0, 0, true, "no page, no sink");
}

TEST_F(TemplateNotifications, PostedFromAnotherThreadReachesThePageThread) {
    std::thread worker([&] { Query<IStaticFilterPreset>(effect)->SelectPreset(6); });
    worker.join();
    Expect(1, 1, false, "SelectPreset on a worker thread");
}

TEST_F(TemplateNotifications, TheSinkIsHeldWithAReferenceAndReleasedWhenReplaced) {
    auto refs = [](IUnknown* p) {
        const ULONG n = p->AddRef();
        p->Release();
        return n;
    };
    EXPECT_EQ(refs(sink.Get()), 3u) << "held by the fixture and by the effect";
    CountingChangeSink* otherCounter = nullptr;
    auto other = MakeTestObject(&otherCounter);
    ASSERT_EQ(Query<IDXTSfAutomation>(effect)->SetChangeSink(other.Get()), S_OK);
    EXPECT_EQ(refs(sink.Get()), 2u) << "the previous sink was released";
    Exchange<tCOLORIZE_PROPS>(effect)->SetProps(&g_colorizePresets[2]);
    EXPECT_EQ(otherCounter->calls.load(), 1);
    EXPECT_EQ(counter->calls.load(), 0);
    effect.Reset();
    EXPECT_EQ(refs(other.Get()), 2u) << "the effect releases its sink when it goes";
}

}  // namespace
