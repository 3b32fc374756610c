// The seven property pages as a host meets them: each page class created through the
// registry from the module file, a page site of the test's own, the page's effect as its
// object, and a person's mouse and keys on the headless display.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/combase.h"
#include "platform/ui/dialog.h"
#include "platform/ui/ocidl.h"
#include "platform/ui/shell.h"
#include "sdk/effects.h"
#include "sdk/plugininterfaces.h"
#include "tests/support/environment.h"
#include "tests/support/module_exports.h"
#include "tests/support/recording_window.h"

// Room for every effect's record.
struct AnyRecord {
    BYTE bytes[64];
};

namespace {

// The effect's record as the host's automation reads it (telling nobody).
AnyRecord RecordOf(IUnknown* effect) {
    ComPtr<IDXTSfAutomation> automation;
    ComPtr<IStream> stream;
    AnyRecord r{};
    EXPECT_EQ(effect->QueryInterface(IID_IDXTSfAutomation, automation.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(automation->SaveProps(stream.Get()), S_OK);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    stream->Read(r.bytes, sizeof r.bytes, nullptr);
    return r;
}

using namespace testsupport;

// The host's side: the page site, and the effect's change sink keeping every record the
// effect was given.
struct Host final : IPropertyPageSite, ISfChangeSink {
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid == IID_ISfChangeSink) *object = static_cast<ISfChangeSink*>(this);
        if (iid == IID_IUnknown || iid == IID_IPropertyPageSite) *object = Unknown();
        return *object ? S_OK : E_NOINTERFACE;
    }
    IUnknown* Unknown() { return static_cast<IPropertyPageSite*>(this); }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT OnStatusChange(DWORD) override { return S_OK; }
    HRESULT GetLocaleID(LCID* locale) override { return *locale = 0x409, S_OK; }
    HRESULT GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG*) override { return S_FALSE; }
    HRESULT OnChange() override {
        applied.push_back(RecordOf(effect));
        return S_OK;
    }
    IUnknown* effect = nullptr;
    std::vector<AnyRecord> applied;
};

template <class T>
T FieldOf(const AnyRecord& r, const RecordFieldDescriptor& f) {
    T v;
    std::memcpy(&v, r.bytes + f.offset, sizeof v);
    return v;
}
float Number(const AnyRecord& r, const RecordFieldDescriptor& f) { return FieldOf<float>(r, f); }
COLORREF Colour(const AnyRecord& r, const RecordFieldDescriptor& f) { return FieldOf<COLORREF>(r, f); }
void Type(const char* text) {
    for (; *text; ++text) InjectKeyInput(UINT(std::toupper(static_cast<unsigned char>(*text))), *text);
}
std::string Percent(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(v) * 100.0);
    return text;
}

class Pages : public ::testing::TestWithParam<const EffectDescriptor*> {
protected:
    const EffectDescriptor& D = *GetParam();

    void SetUp() override {
        // Loaded afresh, the module reads its settings from this test's registry.
        if (LoadModule().canUnloadNow() == S_OK) CoFreeUnusedLibraries();
        m_module = LoadModule();
        ASSERT_EQ(m_module.registerServer(), S_OK);
        ASSERT_EQ(CoCreateInstance(D.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   m_object.ReleaseAndGetVoidAddress()),
                  S_OK);
        m_host.effect = m_object.Get();
        ComPtr<IDXTSfAutomation> automation;
        ASSERT_EQ(m_object.As(&automation), S_OK);
        automation->SetChangeSink(&m_host);
        ASSERT_EQ(CoCreateInstance(D.pageClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                   m_page.ReleaseAndGetVoidAddress()),
                  S_OK);
        ASSERT_EQ(m_page->SetPageSite(&m_host), S_OK);
        IUnknown* object = m_object.Get();
        ASSERT_EQ(m_page->SetObjects(1, &object), S_OK);
        m_frame = MakeRecordingWindow(nullptr, 0, {40, 40, 480, 400});
        const RECT place{10, 10, 400, 340};
        ASSERT_EQ(m_page->Activate(m_frame, &place, FALSE), S_OK);
        ASSERT_EQ(m_page->Show(SW_SHOW), S_OK);
        m_dialog = GetParent(GetFocus());  // the first edit box has the focus
        ASSERT_NE(m_dialog, nullptr);
        SetFocus(m_frame);  // the box applies what it shows as it loses the focus
        Pump();
        m_host.applied.clear();
    }
    void TearDown() override {
        if (m_page) {
            EXPECT_EQ(m_page->Deactivate(), S_OK);
            m_page->SetObjects(0, nullptr);
            m_page->SetPageSite(nullptr);
        }
        DestroyWindow(m_frame);
        ForgetSeenMessages();
    }

    // The host's loop: the page sees keys and mouse first.
    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (m_page->TranslateAccelerator(&msg) != S_OK) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
    }
    void Mouse(POINT p, UINT message) {
        InjectMouseInput(p.x, p.y, message);
        Pump();
    }
    RECT ItemRect(UINT id) {
        RECT r{};
        GetWindowRect(GetDlgItem(m_dialog, int(id)), &r);
        return r;
    }
    POINT Centre(UINT id) {
        const RECT r = ItemRect(id);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    std::vector<COLORREF> Pixels(UINT id) {
        const RECT r = ItemRect(id);
        std::vector<COLORREF> pixels;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) pixels.push_back(ScreenPixel(x, y));
        return pixels;
    }
    std::string Text(UINT id) {
        char text[64] = {};
        GetDlgItemTextA(m_dialog, int(id), text, sizeof text);
        return text;
    }
    // Types into a knob's box (or nothing) and moves the focus away, as a click elsewhere does.
    void TypeInto(UINT edit, const char* text) {
        SetFocus(GetDlgItem(m_dialog, int(edit)));
        SendMessageA(GetDlgItem(m_dialog, int(edit)), EM_SETSEL, 0, -1);
        if (text) Type(text);
        Pump();
        SetFocus(m_frame);
        Pump();
    }
    AnyRecord Current() { return RecordOf(m_object.Get()); }
    const RecordFieldDescriptor* First(FieldKind kind) {
        for (const RecordFieldDescriptor& f : D.fields)
            if (f.kind == kind) return &f;
        return nullptr;
    }
    // The colour a swatch shows, in the middle of its colour rectangle.
    COLORREF SwatchColour(UINT id) { return ScreenPixel(Centre(id).x, Centre(id).y); }

    TempRegistry m_registry;
    ModuleExports m_module;
    Host m_host;
    ComPtr<IUnknown> m_object;
    ComPtr<IPropertyPage> m_page;
    HWND m_frame = nullptr, m_dialog = nullptr;
};

TEST_P(Pages, TellTheirFrameWhatTheyAreAndRefuseForeignObjects) {
    PROPPAGEINFO info{};
    ASSERT_EQ(m_page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(std::wstring(info.pszTitle), L"Quillet Brushwerk");
    EXPECT_EQ(info.dwHelpContext, D.helpContext);
    CoTaskMemFree(info.pszTitle), CoTaskMemFree(info.pszDocString), CoTaskMemFree(info.pszHelpFile);
    RECT dialog;
    GetWindowRect(m_dialog, &dialog);
    for (const RecordFieldDescriptor& f : D.fields)
        for (UINT id : {f.controlItem, f.entryItem}) {
            const RECT r = ItemRect(id);
            EXPECT_TRUE(r.right > r.left && r.left >= dialog.left && r.right - dialog.left <= info.size.cx &&
                        r.top >= dialog.top && r.bottom - dialog.top <= info.size.cy)
                << id;
        }
    // Another effect's record has another size: its object is no object for this page.
    const EffectDescriptor& other = *kEffectDescriptors[&D == kEffectDescriptors[0] ? 1 : 0];
    ComPtr<IUnknown> foreign;
    ASSERT_EQ(CoCreateInstance(other.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, foreign.ReleaseAndGetVoidAddress()), S_OK);
    for (IUnknown* object : {foreign.Get(), static_cast<IUnknown*>(m_page.Get())})
        EXPECT_EQ(m_page->SetObjects(1, &object), E_NOINTERFACE);
}

// Circular dragging until the options dialog (the Info button) switches knobs to
// vertical dragging; every step of either applies the record once.
TEST_P(Pages, KnobDragsApplyEveryStepInBothModesAndInfoOpensTheOptions) {
    const RecordFieldDescriptor& f = *First(FieldKind::Number);
    const RECT knob = ItemRect(f.controlItem);
    const POINT centre = Centre(f.controlItem);
    auto step = [&](POINT p, UINT message) {
        const size_t before = m_host.applied.size();
        Mouse(p, message);
        EXPECT_EQ(m_host.applied.size(), before + 1);
        EXPECT_EQ(Number(Current(), f), Number(m_host.applied.back(), f));
        EXPECT_EQ(Text(f.entryItem), Percent(Number(Current(), f)));
        return Number(Current(), f);
    };
    // (The angles and distances a drag turns into values: the knob's own test.)
    const float right = step({knob.right - 1, centre.y}, WM_LBUTTONDOWN);  // a click jumps to the angle
    EXPECT_LT(step({knob.left, centre.y}, WM_MOUSEMOVE), right);
    Mouse({knob.left, centre.y}, WM_LBUTTONUP);

    std::thread person([tester = GetCurrentThreadId()] {
        HWND options = WaitForDialogWith(230);
        if (!options) PostThreadMessageA(tester, WM_QUIT, 0, 0);
        ASSERT_NE(options, nullptr);
        Click(GetDlgItem(options, 230));
        Click(GetDlgItem(options, IDOK));
    });
    Mouse(Centre(223), WM_LBUTTONDOWN);
    Mouse(Centre(223), WM_LBUTTONUP);
    person.join();

    const float start = Number(Current(), f);
    const size_t before = m_host.applied.size();
    Mouse(centre, WM_LBUTTONDOWN);  // a click alone changes nothing now
    EXPECT_EQ(m_host.applied.size(), before);
    EXPECT_FLOAT_EQ(step({centre.x, centre.y - 20}, WM_MOUSEMOVE), start + 0.1f);
    Mouse({centre.x, centre.y - 20}, WM_LBUTTONUP);
}

// Typed percentages are stored as typed, beyond the knob's ends too; the knob's last
// frame shows 1.0 and everything above it; text that is no finite number changes nothing.
TEST_P(Pages, TypedValuesAreStoredAppliedAndMoveTheKnob) {
    static constexpr float kFine = 0.4437f;
    const RecordFieldDescriptor& f = *First(FieldKind::Number);
    std::vector<std::vector<COLORREF>> shown;
    for (const char* typed : {"97", "99", "100", "150"}) {
        const size_t before = m_host.applied.size();
        TypeInto(f.entryItem, typed);
        EXPECT_EQ(m_host.applied.size(), before + 1) << typed;
        EXPECT_FLOAT_EQ(Number(Current(), f), float(std::atof(typed) / 100.0)) << typed;
        EXPECT_EQ(Text(f.entryItem), Percent(Number(Current(), f)));
        shown.push_back(Pixels(f.controlItem));
    }
    EXPECT_NE(shown[0], shown[1]);
    EXPECT_EQ(shown[1], shown[2]);
    EXPECT_EQ(shown[2], shown[3]);
    const size_t before = m_host.applied.size();
    for (const char* junk : {"abc", "nan", "-inf"}) {
        TypeInto(f.entryItem, junk);
        EXPECT_EQ(Number(Current(), f), 1.5f) << junk;
        EXPECT_EQ(Text(f.entryItem), "150.0") << junk;
    }
    EXPECT_EQ(m_host.applied.size(), before);
    // A value finer than the box shows survives the focus passing through the box.
    AnyRecord fine = Current();
    std::memcpy(reinterpret_cast<BYTE*>(&fine) + f.offset, &kFine, sizeof kFine);
    ComPtr<IDXTSfAutomation> automation;
    ComPtr<IStream> stream;
    ASSERT_EQ(m_object.As(&automation), S_OK);
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()), S_OK);
    stream->Write(fine.bytes, D.recordSize, nullptr);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(automation->LoadProps(stream.Get()), S_OK);
    Pump();  // the refresh the load posts
    ASSERT_EQ(Text(f.entryItem), "44.4");
    const size_t afterLoad = m_host.applied.size();
    TypeInto(f.entryItem, nullptr);
    EXPECT_EQ(Number(Current(), f), kFine);
    EXPECT_EQ(m_host.applied.size(), afterLoad);
}

TEST_P(Pages, PresetsChosenOnTheEffectMoveEveryControlWithoutApplyingBack) {
    ComPtr<IStaticFilterPreset> presets;
    ASSERT_EQ(m_object.As(&presets), S_OK);
    for (int row : {D.presetCount - 1, 0}) {
        ASSERT_EQ(presets->SelectPreset(row), S_OK);
        const size_t before = m_host.applied.size();
        Pump();
        EXPECT_EQ(m_host.applied.size(), before);
        AnyRecord preset{};
        std::memcpy(&preset, static_cast<const BYTE*>(D.presets) + size_t(row) * D.recordSize, D.recordSize);
        for (const RecordFieldDescriptor& f : D.fields)
            if (f.kind == FieldKind::Number) EXPECT_EQ(Text(f.entryItem), Percent(Number(preset, f))) << f.name;
            else EXPECT_EQ(SwatchColour(f.controlItem), Colour(preset, f)) << f.name;
    }
}

// A pick applies the record as sampling starts and as it ends, the flag flipped each
// time, then the colour under the pointer; the swatch's chooser applies its colour.
TEST_P(Pages, EyedropperAndSwatchApplyTheirColours) {
    const RecordFieldDescriptor* colour = First(FieldKind::Colour);
    if (!colour) GTEST_SKIP() << "no colours on this page";
    const RecordFieldDescriptor& f = *colour;
    const size_t flagAt = D.fields.back().offset + 4;
    const AnyRecord start = Current();
    RECT frame;
    GetWindowRect(m_frame, &frame);
    const POINT target{frame.right - 3, frame.bottom - 3};
    const COLORREF under = ScreenPixel(target.x, target.y);
    ASSERT_NE(under, Colour(start, f));

    Mouse(Centre(f.entryItem), WM_LBUTTONDOWN);
    Mouse(Centre(f.entryItem), WM_LBUTTONUP);
    Mouse(target, WM_MOUSEMOVE);
    Mouse(target, WM_LBUTTONDOWN);
    Mouse(target, WM_LBUTTONUP);
    ASSERT_EQ(m_host.applied.size(), 3u);
    EXPECT_EQ(m_host.applied[0].bytes[flagAt], !start.bytes[flagAt]);
    EXPECT_EQ(m_host.applied[1].bytes[flagAt], start.bytes[flagAt]);
    EXPECT_EQ(Colour(m_host.applied[1], f), Colour(start, f));
    EXPECT_EQ(Colour(m_host.applied[2], f), under);
    EXPECT_EQ(SwatchColour(f.controlItem), under);

    std::thread person([tester = GetCurrentThreadId()] {
        HWND chooser = WaitForDialogWith(720);
        if (!chooser) PostThreadMessageA(tester, WM_QUIT, 0, 0);
        ASSERT_NE(chooser, nullptr);
        for (int i = 0; i < 3; ++i) InjectKeyInput(VK_TAB, 0);
        ASSERT_EQ(WaitForDialogWith(720, 706), chooser);
        Type("123");
        InjectKeyInput(VK_TAB, 0);
        Click(GetDlgItem(chooser, IDOK));
    });
    Mouse(Centre(f.controlItem), WM_LBUTTONDOWN);
    Mouse(Centre(f.controlItem), WM_LBUTTONUP);
    person.join();
    EXPECT_EQ(m_host.applied.size(), 4u);
    EXPECT_EQ(Colour(Current(), f), (under & 0xFFFF00) | 123);
}

TEST_P(Pages, HelpOpensThePagesOwnHelp) {
    const std::string page = std::string("help/") + D.shortName + ".html";
    Mouse(Centre(207), WM_LBUTTONDOWN);
    Mouse(Centre(207), WM_LBUTTONUP);
    ASSERT_FALSE(HeadlessShellRequests().empty());
    EXPECT_TRUE(HeadlessShellRequests().back().ends_with(page)) << HeadlessShellRequests().back();
    const size_t before = HeadlessShellRequests().size();
    EXPECT_EQ(m_page->Help(nullptr), S_OK);
    EXPECT_EQ(HeadlessShellRequests().size(), before + 1);
    EXPECT_TRUE(HeadlessShellRequests().back().ends_with(page));
}

INSTANTIATE_TEST_SUITE_P(EveryEffect, Pages, ::testing::ValuesIn(kEffectDescriptors),
                         [](const auto& info) { return std::string(info.param->className); });

}  // namespace
