// The pages' controls in a dialog on the headless screen, driven by injected mouse input
// and checked by the pixels they put on the screen. Each frame of the test strips is one
// flat colour, so the colour under a control says which frame it drew.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "controls/bit_button.h"
#include "controls/control_window.h"
#include "controls/knob.h"
#include "controls/skin.h"
#include "tests/support/environment.h"
#include "tests/support/recording_window.h"

namespace {

constexpr int kKnob = 201, kKnobEdit = 202, kButton = 207, kTitle = 203;
constexpr int kKnobWidth = 40, kFrameHeight = 30, kFrames = 45, kButtonWidth = 20, kButtonHeight = 16;

COLORREF KnobFrameColor(int frame) { return RGB(frame * 5, 80, 160); }
const COLORREF kButtonFrameColors[3] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};  // pressed, hover, normal

// An opaque strip of frames stacked top to bottom, one flat colour each.
HBITMAP MakeStrip(int width, int frameHeight, int frames, COLORREF (*color)(int)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, frameHeight * frames, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint32_t* bits = nullptr;
    HBITMAP strip = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    for (int y = 0; y < frameHeight * frames; ++y) {  // stored bottom-up
        const COLORREF c = color(frames - 1 - y / frameHeight);
        for (int x = 0; x < width; ++x)
            bits[size_t(y) * width + x] = 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
    }
    return strip;
}

std::vector<std::pair<int, LPARAM>> g_commands;
intptr_t PageProcedure(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) g_commands.emplace_back(int(wParam), lParam);
    return msg == WM_INITDIALOG;
}

struct Page : IVectorUpdate {
    Page() {
        RegisterControlClasses(nullptr);
        host = testsupport::MakeRecordingWindow(nullptr, 0, {100, 100, 400, 300});
        DialogTemplateBuilder t(WS_CHILD | WS_VISIBLE, WS_EX_CONTROLPARENT, 0, 0, 180, 120, "", "MS Sans Serif", 8);
        t.Item(CKnob::kClassName, "Spray", kKnob, WS_VISIBLE, 20, 25, 31, 28)
            .Item("Edit", "", kKnobEdit, WS_VISIBLE | WS_BORDER, 8, 57, 29, 12)
            .Item(CBitButton::kClassName, "", kButton, WS_VISIBLE, 114, 4, 17, 14);
        dialog = CreateDialogIndirectParamA(nullptr, t.Template(), host, &PageProcedure, 0);
        g_commands.clear();
    }
    ~Page() {
        DestroyWindow(host);
        testsupport::ForgetSeenMessages();
    }
    void OnValueChanged(CKnob* knob, bool final) override { reports.emplace_back(knob->GetValue(), final); }
    RECT ScreenRect(int id) {
        RECT r;
        GetWindowRect(GetDlgItem(dialog, id), &r);
        return r;
    }
    void Mouse(int x, int y, UINT message) {
        InjectMouseInput(x, y, message);
        PumpWaitingMessages();
    }
    HWND host, dialog;
    std::vector<std::pair<float, bool>> reports;
};

TEST(Controls, KnobShowsItsValueAsAFrameAndFollowsCircularAndVerticalDrags) {
    testsupport::TempRegistry registry;
    CSkin skin;
    g_pSkin = &skin;  // circular dragging until the setting says otherwise
    Page page;
    HBITMAP strip = MakeStrip(kKnobWidth, kFrameHeight, kFrames, KnobFrameColor);
    CKnob knob;
    knob.Attach(&page, page.dialog, kKnob, kKnobEdit, strip, kFrames);
    PumpWaitingMessages();
    // One frame's size, the edit box and caption under it, the face alone before a value.
    const RECT k = page.ScreenRect(kKnob), e = page.ScreenRect(kKnobEdit);
    EXPECT_TRUE(k.right - k.left == kKnobWidth && k.bottom - k.top == kFrameHeight);
    EXPECT_TRUE(e.left == k.left + 3 && e.top == k.bottom && e.right - e.left == kKnobWidth - 6);
    const int cx = (k.left + k.right) / 2, cy = (k.top + k.bottom) / 2;
    auto shown = [&] { return testsupport::ScreenPixel(cx, cy); };
    EXPECT_EQ(shown(), GetSysColor(COLOR_3DFACE));

    // Values: clamped, exactly 1.0 the last frame, a repeated value neither reported nor changed.
    const struct {
        float set;
        bool changed;
        int frame;
    } values[] = {{0.5f, true, 22}, {1.0f, true, kFrames - 1}, {7.0f, false, kFrames - 1}, {NAN, true, 0},
                  {-3.0f, false, 0}, {0.999f, true, 44}};
    for (const auto& v : values) {
        SCOPED_TRACE(v.set);
        page.reports.clear();
        EXPECT_EQ(knob.SetValue(v.set), v.changed);
        EXPECT_EQ(page.reports.size(), v.changed ? 1u : 0u);
        PumpWaitingMessages();
        EXPECT_EQ(shown(), KnobFrameColor(v.frame));
    }

    // Circular: the click jumps to the angle (straight up is the middle), each step reports
    // twice, below the centre clamps to the nearer end, the release ends the drag.
    page.reports.clear();
    page.Mouse(cx, k.top, WM_LBUTTONDOWN);
    EXPECT_EQ(page.reports, (std::vector<std::pair<float, bool>>{{0.5f, false}, {0.5f, true}}));
    EXPECT_EQ(shown(), KnobFrameColor(22));
    page.Mouse(cx + 200, cy, WM_MOUSEMOVE);  // 90 degrees to the right, far outside the knob
    EXPECT_FLOAT_EQ(knob.GetValue(), float((M_PI / 2 + 2.356194) / 4.712388));
    page.Mouse(cx - 2, cy + 40, WM_MOUSEMOVE);
    EXPECT_EQ(knob.GetValue(), 0.0f);
    page.Mouse(cx + 2, cy + 40, WM_MOUSEMOVE);
    EXPECT_EQ(knob.GetValue(), 1.0f);
    page.Mouse(cx + 2, cy + 40, WM_LBUTTONUP);
    page.Mouse(cx - 5, k.top, WM_MOUSEMOVE);
    EXPECT_EQ(knob.GetValue(), 1.0f);

    // Vertical: 200 pixels of travel cover the range from where the drag began; a click alone changes nothing.
    skin.SetKnobsDragVertical(true);
    knob.SetValue(0.25f);
    page.reports.clear();
    page.Mouse(cx, cy, WM_LBUTTONDOWN);
    EXPECT_TRUE(page.reports.empty());
    page.Mouse(cx + 50, cy - 100, WM_MOUSEMOVE);
    EXPECT_EQ(knob.GetValue(), 0.75f);
    EXPECT_EQ(page.reports.back(), std::make_pair(0.75f, true));
    page.Mouse(cx, cy - 400, WM_MOUSEMOVE);
    EXPECT_EQ(knob.GetValue(), 1.0f);
    page.Mouse(cx, cy + 60, WM_MOUSEMOVE);
    EXPECT_EQ(knob.GetValue(), 0.0f);
    page.Mouse(cx, cy + 60, WM_LBUTTONUP);
    EXPECT_EQ(GetCapture(), nullptr);
    g_pSkin = nullptr;
    DeleteObject(strip);
}

// Presses that end outside send nothing; a disabled button draws only its face and
// sends nothing, but still follows the pointer.
TEST(Controls, BitButtonTracksThePointerAndSendsItsCommandOnlyForAClick) {
    Page page;
    HBITMAP bitmap = MakeStrip(kButtonWidth, kButtonHeight, 3, [](int f) { return kButtonFrameColors[f]; });
    CBitButton button;
    button.Attach(page.dialog, kButton, bitmap);
    PumpWaitingMessages();
    const RECT b = page.ScreenRect(kButton);
    EXPECT_TRUE(b.right - b.left == kButtonWidth && b.bottom - b.top == kButtonHeight);
    const int x = b.left + 5, y = b.top + 5;
    auto shown = [&] { return testsupport::ScreenPixel(x, y); };
    EXPECT_EQ(shown(), kButtonFrameColors[2]);
    page.Mouse(x, y, WM_MOUSEMOVE);
    EXPECT_EQ(shown(), kButtonFrameColors[1]);
    page.Mouse(x, y, WM_LBUTTONDOWN);
    EXPECT_EQ(shown(), kButtonFrameColors[0]);
    page.Mouse(x + 100, y, WM_MOUSEMOVE);
    EXPECT_EQ(button.GetState(), CBitButton::kPressedOutside);
    EXPECT_EQ(shown(), kButtonFrameColors[1]);
    page.Mouse(x + 100, y, WM_LBUTTONUP);
    EXPECT_EQ(shown(), kButtonFrameColors[2]);
    EXPECT_TRUE(g_commands.empty());

    page.Mouse(x, y, WM_MOUSEMOVE);
    page.Mouse(x, y, WM_LBUTTONDOWN);
    page.Mouse(x + 100, y, WM_MOUSEMOVE);
    page.Mouse(x, y, WM_MOUSEMOVE);
    page.Mouse(x, y, WM_LBUTTONUP);
    EXPECT_EQ(g_commands, (std::vector<std::pair<int, LPARAM>>{{kButton, 0}}));
    EXPECT_EQ(GetCapture(), nullptr);
    page.Mouse(x, y, WM_MOUSEMOVE);
    page.Mouse(x + 100, y, WM_MOUSEMOVE);  // the pointer leaves: back to normal
    EXPECT_EQ(shown(), kButtonFrameColors[2]);

    button.SetEnabled(false);
    page.Mouse(x, y, WM_MOUSEMOVE);
    EXPECT_EQ(button.GetState(), CBitButton::kHover);
    page.Mouse(x, y, WM_LBUTTONDOWN);
    EXPECT_EQ(button.GetState(), CBitButton::kPressed);
    EXPECT_EQ(shown(), GetSysColor(COLOR_3DFACE));
    page.Mouse(x, y, WM_LBUTTONUP);
    EXPECT_EQ(g_commands.size(), 1u);
    DeleteObject(bitmap);
}

}  // namespace
