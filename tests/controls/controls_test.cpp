// The pages' controls in a dialog on the headless screen, driven by injected mouse input
// and checked by the pixels they put on the screen. Each frame of the test strips is one
// flat colour, so the colour under a control says which frame it drew.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "controls/bit_button.h"
#include "controls/color_button.h"
#include "controls/control_window.h"
#include "controls/dropper.h"
#include "controls/knob.h"
#include "controls/skin.h"
#include "controls/title.h"
#include "tests/support/environment.h"
#include "tests/support/recording_window.h"

namespace {

constexpr int kKnob = 201, kEdit = 202, kButton = 207, kTitle = 203, kSwatch = 214, kDropper = 215, kSwatch2 = 216;
constexpr int kKnobWidth = 40, kFrameHeight = 30, kFrames = 45;

COLORREF KnobFrameColor(int frame) { return RGB(frame * 5, 80, 160); }
const COLORREF kButtonFrameColors[3] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};  // pressed, hover, normal

// An opaque strip of frames stacked top to bottom (stored bottom-up), one flat colour each.
HBITMAP MakeStrip(int width, int frameHeight, int frames, COLORREF (*color)(int)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, frameHeight * frames, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint32_t* bits = nullptr;
    HBITMAP strip = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    for (int y = 0; y < frameHeight * frames; ++y) {
        const COLORREF c = color(frames - 1 - y / frameHeight);
        for (int x = 0; x < width; ++x)
            bits[size_t(y) * width + x] = 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
    }
    return strip;
}

std::vector<int> g_commands;
intptr_t PageProcedure(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && lParam == 0) g_commands.push_back(int(wParam));
    return msg == WM_INITDIALOG;
}

using Colors = std::vector<std::pair<std::string, COLORREF>>;

struct Page : IVectorUpdate, IColorUpdate {
    Page() {
        RegisterControlClasses(nullptr);
        host = testsupport::MakeRecordingWindow(nullptr, 0, {100, 100, 400, 300});
        DialogTemplateBuilder t(WS_CHILD | WS_VISIBLE, WS_EX_CONTROLPARENT, 0, 0, 180, 120, "", "MS Sans Serif", 8);
        t.Item(CKnob::kClassName, "Spray", kKnob, WS_VISIBLE, 20, 25, 31, 28)
            .Item("Edit", "", kEdit, WS_VISIBLE | WS_BORDER, 8, 57, 29, 12)
            .Item(CBitButton::kClassName, "", kButton, WS_VISIBLE, 114, 4, 17, 14)
            .Item(CTitle::kClassName, "Line Drawing", kTitle, WS_VISIBLE, 8, 80, 60, 16)
            .Item(CColorButton::kClassName, "Paper", kSwatch, WS_VISIBLE, 70, 25, 31, 28)
            .Item(CDropper::kClassName, "", kDropper, WS_VISIBLE, 70, 56, 31, 12)
            .Item(CColorButton::kClassName, "Ink", kSwatch2, WS_VISIBLE, 114, 25, 31, 28);
        dialog = CreateDialogIndirectParamA(nullptr, t.Template(), host, &PageProcedure, 0);
        g_commands.clear();
    }
    ~Page() { DestroyWindow(host); }
    void OnValueChanged(CKnob* knob, bool final) override { reports.emplace_back(knob->GetValue(), final); }
    void OnColorPicked(CDropper* d, bool final) override { colors.emplace_back(final ? "picked" : "?", d->GetColor()); }
    void OnColorChosen(CColorButton* s, bool final) override { colors.emplace_back(final ? "chosen" : "?", s->GetColor()); }
    void OnDropperSampling(bool finished) override { colors.emplace_back(finished ? "finished" : "sampling", 0); }
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
    Colors colors;
};

TEST(Controls, KnobShowsItsValueAsAFrameAndFollowsCircularAndVerticalDrags) {
    testsupport::TempRegistry registry;
    CSkin skin;
    g_pSkin = &skin;  // circular dragging until the setting says otherwise
    Page page;
    HBITMAP strip = MakeStrip(kKnobWidth, kFrameHeight, kFrames, KnobFrameColor);
    CKnob knob;
    knob.Attach(&page, page.dialog, kKnob, kEdit, strip, kFrames);
    PumpWaitingMessages();
    // One frame's size, the edit box under it, the face alone before a value.
    const RECT k = page.ScreenRect(kKnob), e = page.ScreenRect(kEdit);
    EXPECT_TRUE(k.right - k.left == kKnobWidth && k.bottom - k.top == kFrameHeight);
    EXPECT_TRUE(e.left == k.left + 3 && e.top == k.bottom && e.right - e.left == kKnobWidth - 6);
    const int cx = (k.left + k.right) / 2, cy = (k.top + k.bottom) / 2;
    auto shown = [&] { return PumpWaitingMessages(), testsupport::ScreenPixel(cx, cy); };
    EXPECT_EQ(shown(), GetSysColor(COLOR_3DFACE));
    // Exactly 1.0 is the last frame; values clamp; the current value is not reported again.
    EXPECT_TRUE(knob.SetValue(1.0f));
    EXPECT_EQ(shown(), KnobFrameColor(kFrames - 1));
    EXPECT_FALSE(knob.SetValue(7.0f));
    EXPECT_TRUE(knob.SetValue(NAN));
    EXPECT_EQ(shown(), KnobFrameColor(0));
    EXPECT_EQ(page.reports, (std::vector<std::pair<float, bool>>{{1.0f, false}, {0.0f, false}}));

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
    EXPECT_EQ(page.reports.back(), std::make_pair(0.75f, true));
    page.Mouse(cx, cy + 60, WM_MOUSEMOVE);
    EXPECT_EQ(knob.GetValue(), 0.0f);
    page.Mouse(cx, cy + 60, WM_LBUTTONUP);
    EXPECT_EQ(GetCapture(), nullptr);
    // The page's next dialog: the knob reports its first value even when it is the old one.
    knob.Attach(&page, page.dialog, kKnob, kEdit, strip, kFrames);
    EXPECT_TRUE(knob.SetValue(0.0f));
    g_pSkin = nullptr;
    DeleteObject(strip);
}

// A press released outside sends nothing; a disabled button draws only its face and
// sends nothing, but still follows the pointer. A heading too wide for its item is drawn
// smaller until it fits, its bottom on the item's.
TEST(Controls, BitButtonSendsItsCommandOnlyForAClickAndTitleFitsItsText) {
    Page page;
    HBITMAP bitmap = MakeStrip(20, 16, 3, [](int f) { return kButtonFrameColors[f]; });
    CBitButton button;
    button.Attach(page.dialog, kButton, bitmap);
    const RECT b = page.ScreenRect(kButton);
    EXPECT_TRUE(b.right - b.left == 20 && b.bottom - b.top == 16);
    const int x = b.left + 5, y = b.top + 5;
    const struct {
        int dx;
        UINT message;
        COLORREF shown;
    } steps[] = {{0, WM_MOUSEMOVE, kButtonFrameColors[1]},   {0, WM_LBUTTONDOWN, kButtonFrameColors[0]},
                 {99, WM_MOUSEMOVE, kButtonFrameColors[1]},  {99, WM_LBUTTONUP, kButtonFrameColors[2]},
                 {0, WM_LBUTTONDOWN, kButtonFrameColors[0]}, {99, WM_MOUSEMOVE, kButtonFrameColors[1]},
                 {0, WM_MOUSEMOVE, kButtonFrameColors[0]},   {0, WM_LBUTTONUP, kButtonFrameColors[2]},
                 {0, WM_MOUSEMOVE, kButtonFrameColors[1]},   {99, WM_MOUSEMOVE, kButtonFrameColors[2]}};
    for (const auto& s : steps) {
        page.Mouse(x + s.dx, y, s.message);
        EXPECT_EQ(testsupport::ScreenPixel(x, y), s.shown) << &s - steps;
    }
    EXPECT_EQ(g_commands, std::vector<int>{kButton});
    EXPECT_EQ(GetCapture(), nullptr);
    button.SetEnabled(false);
    page.Mouse(x, y, WM_LBUTTONDOWN);
    EXPECT_EQ(button.GetState(), CBitButton::kPressed);
    EXPECT_EQ(testsupport::ScreenPixel(x, y), GetSysColor(COLOR_3DFACE));
    page.Mouse(x, y, WM_LBUTTONUP);
    EXPECT_EQ(g_commands.size(), 1u);
    DeleteObject(bitmap);

    CTitle title;
    title.Attach(page.dialog, kTitle);
    PumpWaitingMessages();
    const RECT t = page.ScreenRect(kTitle);
    int right = t.left, bottom = t.top;
    for (int y = t.top; y < t.bottom; ++y)
        for (int x = t.left; x < t.right; ++x)
            if (testsupport::ScreenPixel(x, y) != GetSysColor(COLOR_3DFACE)) right = std::max(right, x), bottom = y;
    EXPECT_TRUE(right > (t.left + t.right) / 2 && right < t.right - 1);
    EXPECT_GT(bottom, t.bottom - 4);  // the descender of the g
}

// A pointer over a patch of four known screen pixels previews their mean, truncated, in the
// swatch; the next click picks the single pixel and ends sampling; the mouse taken away
// ends it too, without a pick, the swatch showing its own colour again.
TEST(Controls, DropperPreviewsTheMeanUnderThePointerAndPicksThePixelAtTheNextClick) {
    Page page;
    HWND patch = testsupport::MakeRecordingWindow(nullptr, 0, {700, 700, 710, 710});
    PumpWaitingMessages();
    HDC dc = GetDC(patch);
    const COLORREF pixels[4] = {RGB(10, 200, 7), RGB(11, 100, 0), RGB(12, 0, 0), RGB(14, 1, 255)};
    for (int i = 0; i < 4; ++i) SetPixel(dc, 4 + i % 2, 4 + i / 2, pixels[i]);
    ReleaseDC(patch, dc);
    CColorButton swatch;
    CDropper dropper;
    // Without bitmaps the whole swatch shows its colour and both keep the template's sizes.
    swatch.Attach(&page, page.dialog, kSwatch, kDropper, nullptr);
    dropper.Attach(&page, page.dialog, kDropper, &swatch, nullptr, nullptr);
    const RECT s = page.ScreenRect(kSwatch), d = page.ScreenRect(kDropper);
    EXPECT_TRUE(d.left == s.left && d.top == s.bottom - 2 && d.right == s.right);
    auto swatchShows = [&] { return testsupport::ScreenPixel((s.left + s.right) / 2, (s.top + s.bottom) / 2); };
    for (bool pick : {true, false}) {
        swatch.SetColor(RGB(1, 2, 3));
        page.colors.clear();
        page.Mouse(d.left + 3, d.top + 3, WM_LBUTTONDOWN);
        page.Mouse(d.left + 3, d.top + 3, WM_LBUTTONUP);
        page.Mouse(704, 704, WM_MOUSEMOVE);
        EXPECT_EQ(swatchShows(), RGB(11, 75, 65));
        page.Mouse(710, 710, WM_MOUSEMOVE);
        if (pick) {
            page.Mouse(704, 704, WM_LBUTTONDOWN);
            page.Mouse(704, 704, WM_LBUTTONUP);
            EXPECT_EQ(page.colors, (Colors{{"sampling", 0}, {"finished", 0}, {"picked", pixels[0]}}));
        } else {
            SetCapture(patch);
            PumpWaitingMessages();
            EXPECT_EQ(page.colors, (Colors{{"sampling", 0}, {"finished", 0}}));
            EXPECT_EQ(swatchShows(), RGB(1, 2, 3));
            ReleaseCapture();
        }
        EXPECT_FALSE(dropper.IsSampling());
        EXPECT_EQ(GetCapture(), nullptr);
    }
    DestroyWindow(patch);
}

// The swatch's click sends its command, then opens the chooser; a colour kept among the
// custom ones on one swatch is there on another; Cancel changes nothing.
TEST(Controls, SwatchChoosesItsColourWithCustomColoursSharedByEverySwatch) {
    Page page;
    CColorButton first, second;
    first.Attach(&page, page.dialog, kSwatch, kDropper, nullptr);
    second.Attach(&page, page.dialog, kSwatch2, 0, nullptr);
    for (int step = 0; step < 3; ++step) {
        std::thread person([step, tester = GetCurrentThreadId()] {
            HWND chooser = testsupport::WaitForDialogWith(720);
            if (!chooser) PostThreadMessageA(tester, WM_QUIT, 0, 0);  // ends the chooser's loop instead of hanging
            ASSERT_NE(chooser, nullptr);
            if (step == 0) {
                testsupport::ClickCell(GetDlgItem(chooser, 720), 2, 1, 6);
                testsupport::Click(GetDlgItem(chooser, 712));  // keeps it among the custom colours
            } else {
                testsupport::ClickCell(GetDlgItem(chooser, 721), 0, 0, 2);
            }
            testsupport::Click(GetDlgItem(chooser, step == 2 ? IDCANCEL : IDOK));
        });
        testsupport::Click(step == 0 ? first.GetWindow() : second.GetWindow());
        PumpWaitingMessages();
        person.join();
    }
    EXPECT_NE(first.GetColor(), RGB(0, 0, 0));
    EXPECT_EQ(page.colors, (Colors{{"chosen", first.GetColor()}, {"chosen", first.GetColor()}}));
    EXPECT_EQ(second.GetColor(), first.GetColor());
    EXPECT_EQ(g_commands, (std::vector<int>{kSwatch, kSwatch2, kSwatch2}));
}

}  // namespace
