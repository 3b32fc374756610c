// Keyframe interpolation and record streaming for the host's automation, and the
// snapshot a band takes of the record.
#include <thread>

#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

// Exposes the frame-routine calls of the template to the test.
class ColorizeFrames : public CColorize {
public:
    using CSFVideoPlugin<tCOLORIZE_PROPS>::FrameProps;
    using CSFVideoPlugin<tCOLORIZE_PROPS>::TakeFrameSnapshot;
};

class TemplateKeyframes : public ::testing::Test {
protected:
    void SetUp() override {
        unknown = CreateEffect<ColorizeFrames>();
        automation = Query<IDXTSfAutomation>(unknown);
        frames = static_cast<ColorizeFrames*>(automation.Get());
        from = g_colorizePresets[3];
        to = g_colorizePresets[6];
    }
    tCOLORIZE_PROPS Interpolated(double t) {
        tCOLORIZE_PROPS r{};
        InterpolateProps(&r, &from, &to, t);
        return r;
    }

    ModuleStrings strings;
    ComPtr<IUnknown> unknown;
    ComPtr<IDXTSfAutomation> automation;
    ColorizeFrames* frames = nullptr;
    tCOLORIZE_PROPS from{}, to{};
};

TEST_F(TemplateKeyframes, SnapshotInterpolatesBetweenTheKeysAndLeavesTheRecord) {
    ASSERT_EQ(automation->SetKeyframes(StreamOf(from).Get(), StreamOf(to).Get()), S_OK);
    ASSERT_EQ(automation->SetPosition(0.25), S_OK);
    ASSERT_EQ(automation->SetInterpolate(TRUE), S_OK);
    tCOLORIZE_PROPS snapshot = frames->TakeFrameSnapshot();
    EXPECT_TRUE(SameBytes(snapshot, Interpolated(0.25)));
    EXPECT_TRUE(SameBytes(frames->FrameProps(), Interpolated(0.25)));
    EXPECT_TRUE(SameBytes(PropsOf<tCOLORIZE_PROPS>(unknown), g_colorizePresets[0])) << "m_props unchanged";

    automation->SetPosition(-2.0);  // stored unclamped; interpolation clamps
    EXPECT_TRUE(SameBytes(frames->TakeFrameSnapshot(), from));
    automation->SetPosition(1.0);
    EXPECT_TRUE(SameBytes(frames->TakeFrameSnapshot(), to));

    ASSERT_EQ(automation->SetInterpolate(FALSE), S_OK);
    EXPECT_TRUE(SameBytes(frames->TakeFrameSnapshot(), g_colorizePresets[0]));
    EXPECT_TRUE(SameBytes(frames->FrameProps(), g_colorizePresets[0]));
}

TEST_F(TemplateKeyframes, FailedSecondKeyFallsBackToPresetZeroForBothKeys) {
    Exchange<tCOLORIZE_PROPS>(unknown)->SetProps(&g_colorizePresets[9]);
    auto failing = MakeFailingStream(E_ACCESSDENIED);
    EXPECT_EQ(automation->SetKeyframes(StreamOf(from).Get(), failing.Get()), E_ACCESSDENIED);
    EXPECT_TRUE(SameBytes(PropsOf<tCOLORIZE_PROPS>(unknown), g_colorizePresets[0]));
    automation->SetInterpolate(TRUE);
    for (double t : {0.0, 0.3, 1.0}) {
        automation->SetPosition(t);
        EXPECT_TRUE(SameBytes(frames->TakeFrameSnapshot(), g_colorizePresets[0])) << t;
    }
}

TEST_F(TemplateKeyframes, ShortFirstKeyFailsWithoutReadingTheSecond) {
    FailingStream* second = nullptr;
    auto secondStream = MakeFailingStream(E_FAIL, &second);
    HRESULT hr = automation->SetKeyframes(MemoryStream(&from, sizeof from - 1).Get(), secondStream.Get());
    EXPECT_EQ(hr, kRecordReadFault);
    EXPECT_EQ(second->reads, 0);
}

TEST_F(TemplateKeyframes, InterpolateStreamsWritesTheInterpolatedRecordOnly) {
    auto out = MemoryStream();
    ASSERT_EQ(automation->InterpolateStreams(out.Get(), StreamOf(from).Get(), StreamOf(to).Get(), 0.4), S_OK);
    EXPECT_EQ(StreamBytes(out.Get()), BytesOf(Interpolated(0.4)));
    EXPECT_TRUE(SameBytes(PropsOf<tCOLORIZE_PROPS>(unknown), g_colorizePresets[0]));
    EXPECT_EQ(Query<IPersistStreamInit>(unknown)->IsDirty(), S_FALSE);

    auto untouched = MemoryStream();
    EXPECT_EQ(automation->InterpolateStreams(untouched.Get(), MakeFailingStream(STG_E_ACCESSDENIED).Get(),
                                             StreamOf(to).Get(), 0.4),
              STG_E_ACCESSDENIED);
    EXPECT_TRUE(StreamBytes(untouched.Get()).empty());
    EXPECT_EQ(automation->InterpolateStreams(untouched.Get(), StreamOf(from).Get(), MemoryStream(&to, 3).Get(), 0.4),
              kRecordReadFault);
    EXPECT_EQ(automation->InterpolateStreams(MakeFailingStream(STG_E_WRITEFAULT).Get(), StreamOf(from).Get(),
                                             StreamOf(to).Get(), 0.4),
              STG_E_WRITEFAULT);
}

TEST_F(TemplateKeyframes, FramePropsWithoutASnapshotOnThisThreadTakesOne) {
    Exchange<tCOLORIZE_PROPS>(unknown)->SetProps(&g_colorizePresets[10]);
    tCOLORIZE_PROPS seen{};
    std::thread band([&] { seen = frames->FrameProps(); });
    band.join();
    EXPECT_TRUE(SameBytes(seen, g_colorizePresets[10]));

    // Another object's snapshot on this thread is never handed out as ours.
    auto otherUnknown = CreateEffect<ColorizeFrames>();
    auto* other = static_cast<ColorizeFrames*>(Query<IDXTSfAutomation>(otherUnknown).Get());
    frames->TakeFrameSnapshot();
    EXPECT_TRUE(SameBytes(other->FrameProps(), g_colorizePresets[0]));
    EXPECT_TRUE(SameBytes(frames->FrameProps(), g_colorizePresets[10]));
}

}  // namespace
