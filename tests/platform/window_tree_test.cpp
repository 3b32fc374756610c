// The window tree on the headless display, as the pages and controls use it: classes
// with extra bytes and a system-colour background, child items by identifier, geometry
// in client coordinates, and painting parents first. (Input as the platform delivers it,
// capture and mouse-leave included: the controls' tests, which drive them with it.)
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
    ASSERT_TRUE(dialog && item);
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

    // A control's object pointer in the extra bytes.
    int object = 0;
    EXPECT_EQ(SetWindowLongPtrA(item, 0, reinterpret_cast<LONG_PTR>(&object)), 0);
    EXPECT_EQ(GetWindowLongPtrA(item, 0), reinterpret_cast<LONG_PTR>(&object));

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

}  // namespace
