// Who hears about a record change: the page (a WM_COMMAND posted to its window on a
// real message queue), the host's change sink (counted), and the dirty flag, row by
// row of the template's notification table.
#include <thread>

#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

constexpr UINT kPageCommand = 0x4321;

class TemplateNotifications : public ::testing::Test {
protected:
    void SetUp() override {
        effect = CreateEffect<CColorize>();
        sink = MakeChangeSink(&counter);
        ASSERT_EQ(Query<IDXTSfAutomation>(effect)->SetChangeSink(sink.Get()), S_OK);
        ASSERT_EQ(Exchange<tCOLORIZE_PROPS>(effect)->SetNotifyWindow(page.Handle(), kPageCommand), S_OK);
        // Start from a known dirty state: clean.
        auto stream = MemoryStream();
        ASSERT_EQ(Query<IPersistStreamInit>(effect)->Save(stream.Get(), TRUE), S_OK);
        Reset();
    }
    void TearDown() override { EXPECT_EQ(page.OtherMessages(), 0); }

    void Reset() {
        page.TakeCommands(kPageCommand);
        counter->calls = 0;
    }
    // Page commands and sink calls since the last check.
    void Expect(int posted, int sinkCalls, bool dirty, const char* what) {
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

TEST_F(TemplateNotifications, SelectPresetPostsAndTellsButLeavesDirty) {
    ASSERT_EQ(Query<IStaticFilterPreset>(effect)->SelectPreset(3), S_OK);
    Expect(1, 1, false, "SelectPreset");
    EXPECT_EQ(Query<IStaticFilterPreset>(effect)->SelectPreset(99), E_INVALIDARG);
    Expect(0, 0, false, "SelectPreset out of range");
}

TEST_F(TemplateNotifications, InitNewPostsTellsAndDirties) {
    Query<IStaticFilterPreset>(effect)->SelectPreset(5);
    Reset();
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->InitNew(), S_OK);
    Expect(1, 1, true, "InitNew");
    EXPECT_TRUE(SameBytes(PropsOf<tCOLORIZE_PROPS>(effect), g_colorizePresets[0]));
}

TEST_F(TemplateNotifications, LoadNotifiesOnlyOnSuccessButAlwaysDirties) {
    auto good = StreamOf(g_colorizePresets[7]);
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->Load(good.Get()), S_OK);
    Expect(1, 1, true, "Load");

    Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), TRUE);
    Reset();
    auto shortStream = MemoryStream(&g_colorizePresets[1], 10);
    EXPECT_TRUE(FAILED(Query<IPersistStreamInit>(effect)->Load(shortStream.Get())));
    Expect(0, 0, true, "failed Load");
}

TEST_F(TemplateNotifications, LoadPropsAlwaysPostsNeverTellsAndDirties) {
    auto good = StreamOf(g_colorizePresets[4]);
    ASSERT_EQ(Query<IDXTSfAutomation>(effect)->LoadProps(good.Get()), S_OK);
    Expect(1, 0, true, "LoadProps");
    EXPECT_TRUE(SameBytes(PropsOf<tCOLORIZE_PROPS>(effect), g_colorizePresets[4]));

    Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), TRUE);
    Reset();
    auto empty = MemoryStream();
    EXPECT_TRUE(FAILED(Query<IDXTSfAutomation>(effect)->LoadProps(empty.Get())));
    Expect(1, 0, true, "failed LoadProps");
    EXPECT_TRUE(SameBytes(PropsOf<tCOLORIZE_PROPS>(effect), g_colorizePresets[0])) << "falls back to preset 0";
}

TEST_F(TemplateNotifications, SetKeyframesTellsNobody) {
    auto a = StreamOf(g_colorizePresets[2]);
    auto b = StreamOf(g_colorizePresets[3]);
    ASSERT_EQ(Query<IDXTSfAutomation>(effect)->SetKeyframes(a.Get(), b.Get()), S_OK);
    Expect(0, 0, false, "SetKeyframes");
}

TEST_F(TemplateNotifications, SetPropsTellsTheSinkNotThePage) {
    tCOLORIZE_PROPS record = g_colorizePresets[8];
    record.flag = 1;
    ASSERT_EQ(Exchange<tCOLORIZE_PROPS>(effect)->SetProps(&record), S_OK);
    Expect(0, 1, true, "SetProps");
    EXPECT_TRUE(SameBytes(PropsOf<tCOLORIZE_PROPS>(effect), record));
    EXPECT_EQ(Exchange<tCOLORIZE_PROPS>(effect)->SetProps(nullptr), E_FAIL);
    EXPECT_EQ(Exchange<tCOLORIZE_PROPS>(effect)->GetProps(nullptr), E_FAIL);
}

TEST_F(TemplateNotifications, SavePostsAndSetsDirtyFromClearDirty) {
    Exchange<tCOLORIZE_PROPS>(effect)->SetProps(&g_colorizePresets[1]);
    Reset();
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), FALSE), S_OK);
    Expect(1, 0, true, "Save without clearing");
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->Save(MemoryStream().Get(), TRUE), S_OK);
    Expect(1, 0, false, "Save clearing");

    Exchange<tCOLORIZE_PROPS>(effect)->SetProps(&g_colorizePresets[1]);
    Reset();
    auto failing = MakeFailingStream(STG_E_MEDIUMFULL);
    EXPECT_EQ(Query<IPersistStreamInit>(effect)->Save(failing.Get(), TRUE), STG_E_MEDIUMFULL);
    Expect(0, 0, true, "failed Save");
}

TEST_F(TemplateNotifications, SavePropsTellsNobody) {
    auto stream = MemoryStream();
    ASSERT_EQ(Query<IDXTSfAutomation>(effect)->SaveProps(stream.Get()), S_OK);
    Expect(0, 0, false, "SaveProps");
    EXPECT_EQ(StreamBytes(stream.Get()), BytesOf(g_colorizePresets[0]));
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
    // The fixture's sink is held by the fixture and by the effect.
    ULONG refs = sink->AddRef();
    sink->Release();
    EXPECT_EQ(refs, 3u);
    CountingChangeSink* otherCounter = nullptr;
    auto other = MakeChangeSink(&otherCounter);
    ASSERT_EQ(Query<IDXTSfAutomation>(effect)->SetChangeSink(other.Get()), S_OK);
    refs = sink->AddRef();
    sink->Release();
    EXPECT_EQ(refs, 2u) << "the previous sink was released";
    Exchange<tCOLORIZE_PROPS>(effect)->SetProps(&g_colorizePresets[2]);
    EXPECT_EQ(otherCounter->calls.load(), 1);
    EXPECT_EQ(counter->calls.load(), 0);
    effect.Reset();
    refs = other->AddRef();
    other->Release();
    EXPECT_EQ(refs, 2u) << "the effect releases its sink when it goes";
}

}  // namespace
