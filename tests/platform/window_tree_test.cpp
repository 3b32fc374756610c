// The window tree on the headless display, as the pages and controls use it: classes
// with extra bytes and a system-colour background, child items by identifier, geometry
// in client coordinates, painting parents first, and input as the platform delivers it
// (client coordinates, capture, mouse-leave, focus, key strokes).
#include <gtest/gtest.h>

#include "tests/support/recording_window.h"

namespace {

using testsupport::MakeRecordingWindow;
using testsupport::ScreenPixel;
using testsupport::SeenBy;

std::vector<UINT> Messages(HWND hwnd, std::vector<UINT> only) {
    std::vector<UINT> out;
    for (const auto& s : SeenBy(hwnd, only)) out.push_back(s.message);
    return out;
}

TEST(WindowTree, ItemsGeometryExtraBytesAndText) {
    HWND dialog = MakeRecordingWindow(nullptr, 0, {100, 50, 300, 200});
    HWND item = MakeRecordingWindow(dialog, 201, {10, 20, 41, 48});
    HWND hidden = MakeRecordingWindow(dialog, 202, {0, 0, 5, 5}, 0);
    ASSERT_TRUE(dialog && item && hidden);
    EXPECT_EQ(GetDlgItem(dialog, 201), item);
    EXPECT_EQ(GetDlgItem(dialog, 999), nullptr);
    EXPECT_EQ(GetDlgCtrlID(item), 201);
    EXPECT_EQ(GetParent(item), dialog);

    RECT r;
    ASSERT_TRUE(GetWindowRect(item, &r));
    EXPECT_TRUE(r.left == 110 && r.top == 70 && r.right == 141 && r.bottom == 98);
    MoveWindow(item, 30, 40, 20, 10, TRUE);
    ASSERT_TRUE(GetClientRect(item, &r));
    EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == 20 && r.bottom == 10);
    POINT p{5, 5};
    ClientToScreen(item, &p);
    EXPECT_TRUE(p.x == 135 && p.y == 95);
    EXPECT_EQ(Messages(item, {WM_MOVE, WM_SIZE}), (std::vector<UINT>{WM_MOVE, WM_SIZE}));

    // Pointers in the extra bytes; offsets beyond them neither read nor write.
    int object = 0;
    EXPECT_EQ(SetWindowLongPtrA(item, 0, reinterpret_cast<LONG_PTR>(&object)), 0);
    EXPECT_EQ(GetWindowLongPtrA(item, 0), reinterpret_cast<LONG_PTR>(&object));
    EXPECT_EQ(SetWindowLongA(item, 12, 7), 0);
    EXPECT_EQ(GetWindowLongA(item, 12), 7);
    EXPECT_EQ(SetWindowLongPtrA(item, 12, 1), 0);
    EXPECT_EQ(GetWindowLongA(item, 16), 0);
    EXPECT_EQ(GetWindowLongA(item, GWL_ID), 201);

    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_FALSE(ShowWindow(hidden, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(hidden));
    EXPECT_FALSE(EnableWindow(item, FALSE));
    EXPECT_FALSE(IsWindowEnabled(item));
    EXPECT_TRUE(EnableWindow(item, TRUE));

    char text[8];
    SetDlgItemTextA(dialog, 201, "Strength");
    EXPECT_EQ(GetWindowTextLengthA(item), 8);
    EXPECT_EQ(GetWindowTextA(item, text, sizeof text), 7);  // cut to the buffer, terminated
    EXPECT_STREQ(text, "Strengt");

    DestroyWindow(dialog);
    EXPECT_FALSE(IsWindow(item));
    EXPECT_EQ(Messages(item, {WM_DESTROY}).size(), 1u);
    testsupport::ForgetSeenMessages();
}

// Invalid windows are painted when the queue is otherwise empty, parent before child, the
// class background erasing; what they paint is on the screen.
TEST(WindowTree, PaintsParentsFirstAndShowsThePixels) {
    HWND dialog = MakeRecordingWindow(nullptr, 0, {400, 300, 480, 360});
    HWND item = MakeRecordingWindow(dialog, 1, {10, 10, 30, 30});
    PostMessageA(dialog, WM_USER, 0, 0);
    PumpWaitingMessages();
    const auto seen = Messages(nullptr, {WM_USER, WM_PAINT});
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER, WM_PAINT, WM_PAINT}));
    EXPECT_EQ(SeenBy(nullptr, {WM_PAINT})[0].hwnd, dialog);
    EXPECT_EQ(ScreenPixel(400, 300), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ScreenPixel(480, 300), GetSysColor(COLOR_BACKGROUND));  // beside the window: the desktop

    // Drawing through a window DC lands inside the child, clipped to it.
    HDC dc = GetDC(item);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{-50, -50, 500, 500};
    FillRect(dc, &all, red);
    ReleaseDC(item, dc);
    DeleteObject(red);
    EXPECT_EQ(ScreenPixel(410, 310), RGB(255, 0, 0));
    EXPECT_EQ(ScreenPixel(429, 329), RGB(255, 0, 0));
    EXPECT_EQ(ScreenPixel(430, 330), GetSysColor(COLOR_BTNFACE));
    // Hiding the child repaints the parent's face where it was.
    ShowWindow(item, SW_HIDE);
    PumpWaitingMessages();
    EXPECT_EQ(ScreenPixel(410, 310), GetSysColor(COLOR_BTNFACE));
    DestroyWindow(dialog);
    PumpWaitingMessages();
    EXPECT_EQ(ScreenPixel(410, 310), GetSysColor(COLOR_BACKGROUND));
    testsupport::ForgetSeenMessages();
}

// The bit button's life: hover with mouse-leave tracking, press with capture, drag out
// and back, release, capture taken away; then the focus and typing into it.
TEST(WindowTree, MouseCaptureLeaveAndFocusArriveAsThePlatformDeliversThem) {
    HWND dialog = MakeRecordingWindow(nullptr, 0, {0, 0, 200, 100});
    HWND button = MakeRecordingWindow(dialog, 7, {50, 20, 70, 40});
    HWND other = MakeRecordingWindow(dialog, 8, {100, 20, 120, 40});
    PumpWaitingMessages();
    testsupport::ForgetSeenMessages();

    InjectMouseInput(55, 25, WM_MOUSEMOVE);
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, button, 0};
    EXPECT_TRUE(TrackMouseEvent(&track));
    InjectMouseInput(56, 26, WM_LBUTTONDOWN);
    PumpWaitingMessages();
    EXPECT_EQ(SetCapture(button), nullptr);
    InjectMouseInput(150, 90, WM_MOUSEMOVE);  // outside, still captured: negative is not needed, far is
    InjectMouseInput(10, 5, WM_MOUSEMOVE);
    InjectMouseInput(60, 30, WM_LBUTTONUP);
    PumpWaitingMessages();
    const auto mouse = SeenBy(button, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSELEAVE});
    ASSERT_EQ(mouse.size(), 6u);
    const struct {
        UINT message;
        int x, y;
        WPARAM keys;
    } expected[] = {{WM_MOUSEMOVE, 5, 5, 0},           {WM_LBUTTONDOWN, 6, 6, MK_LBUTTON},
                    {WM_MOUSELEAVE, 0, 0, 0},          {WM_MOUSEMOVE, 100, 70, MK_LBUTTON},
                    {WM_MOUSEMOVE, -40, -15, MK_LBUTTON}, {WM_LBUTTONUP, 10, 10, 0}};
    for (size_t i = 0; i < mouse.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(mouse[i].message, expected[i].message);
        if (mouse[i].message == WM_MOUSELEAVE) continue;
        EXPECT_EQ(GET_X_LPARAM(mouse[i].lParam), expected[i].x);
        EXPECT_EQ(GET_Y_LPARAM(mouse[i].lParam), expected[i].y);
        EXPECT_EQ(mouse[i].wParam, expected[i].keys);
    }
    EXPECT_TRUE(SeenBy(other, {WM_MOUSEMOVE}).empty());

    // Capture taken by another window, then released: each loser hears of it.
    SetCapture(other);
    ReleaseCapture();
    const auto changes = SeenBy(nullptr, {WM_CAPTURECHANGED});
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_TRUE(changes[0].hwnd == button && changes[0].lParam == reinterpret_cast<LPARAM>(other));
    EXPECT_TRUE(changes[1].hwnd == other && changes[1].lParam == 0);
    EXPECT_EQ(GetCapture(), nullptr);

    SetFocus(button);
    SetFocus(other);
    InjectKeyInput('A', 'a');
    InjectKeyInput(VK_TAB, 0);
    PumpWaitingMessages();
    EXPECT_EQ(Messages(button, {WM_SETFOCUS, WM_KILLFOCUS}), (std::vector<UINT>{WM_SETFOCUS, WM_KILLFOCUS}));
    EXPECT_EQ(Messages(other, {WM_SETFOCUS, WM_KEYDOWN, WM_CHAR, WM_KEYUP}),
              (std::vector<UINT>{WM_SETFOCUS, WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYDOWN, WM_KEYUP}));
    DestroyWindow(dialog);
    EXPECT_EQ(GetFocus(), nullptr);
    testsupport::ForgetSeenMessages();
}

}  // namespace
