// Dialogs as the pages and the options dialog use them: a child dialog from a template
// in dialog units of the substitute "MS Sans Serif", its edit boxes taking typing and
// reporting EN_KILLFOCUS as Tab or a click moves the focus on, and a modal
// dialog ended by Escape, with its owner disabled meanwhile.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/ui/dialog.h"
#include "tests/support/recording_window.h"

namespace {

struct Seen {
    LPARAM initParam = 0;
    std::vector<std::pair<int, int>> commands;  // item, notification
    std::string killedText;
    bool ownerDisabled = false;
} g_seen;

intptr_t PageProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) g_seen.initParam = lParam;
    if (msg != WM_COMMAND) return msg == WM_INITDIALOG;
    g_seen.commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    if (HIWORD(wParam) == EN_KILLFOCUS) {
        char text[260];
        GetDlgItemTextA(dialog, LOWORD(wParam), text, sizeof text);
        g_seen.killedText = text;
    }
    return TRUE;
}

void Pump(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!IsDialogMessageA(dialog, &msg)) DispatchMessageA(&msg);
}

void Type(const char* text) {
    for (; *text; ++text) InjectKeyInput(UINT(toupper(*text)), *text);
}

using testsupport::Click;

TEST(Dialogs, ChildDialogLaysOutInDialogUnitsAndEditsTakeTyping) {
    g_seen = {};
    HWND host = testsupport::MakeRecordingWindow(nullptr, 0, {600, 100, 900, 400});
    const DWORD edit = ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE;
    DialogTemplateBuilder page(WS_CHILD | WS_VISIBLE, WS_EX_CONTROLPARENT, 10, 8, 139, 99, "", "MS Sans Serif", 8);
    page.Item("Static", "Spray", 100, SS_CENTER | WS_VISIBLE, 8, 4, 87, 16)
        .Item("Edit", "", 202, edit, 8, 57, 29, 12)
        .Item("Edit", "", 206, edit, 53, 57, 29, 12)
        .Item("Button", "Up / Down", 230, BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE, 8, 80, 100, 10);
    HWND dialog = CreateDialogIndirectParamA(nullptr, page.Template(), host, &PageProcedure, 77);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(g_seen.initParam, 77);

    // The substitute's base units are 6 x 13 pixels per 4 x 8 dialog units.
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_TRUE(r.left == 615 && r.top == 113 && r.right - r.left == 209 && r.bottom - r.top == 161);
    GetWindowRect(GetDlgItem(dialog, 206), &r);
    EXPECT_TRUE(r.left == 615 + 80 && r.top == 113 + 93 && r.right - r.left == 44 && r.bottom - r.top == 20);

    // The first tab item has the focus with its text selected; typing replaces it, Tab
    // moves on and the parent reads the finished text.
    HWND first = GetDlgItem(dialog, 202), second = GetDlgItem(dialog, 206);
    EXPECT_EQ(GetFocus(), first);
    SetDlgItemTextA(dialog, 202, "100.0");
    SendMessageA(first, EM_SETSEL, 0, -1);
    Type("150");
    InjectKeyInput(VK_TAB, 0);
    Pump(dialog);
    EXPECT_EQ(GetFocus(), second);
    EXPECT_EQ(g_seen.killedText, "150");
    EXPECT_EQ(std::count(g_seen.commands.begin(), g_seen.commands.end(), std::make_pair(202, int(EN_KILLFOCUS))), 1);

    Type("1.25");
    InjectKeyInput(VK_LEFT, 0);
    InjectKeyInput(VK_BACK, 0);
    InjectKeyInput(VK_END, 0);
    Type("0");
    Pump(dialog);
    char text[16];
    GetDlgItemTextA(dialog, 206, text, sizeof text);
    EXPECT_STREQ(text, "1.50");

    Click(GetDlgItem(dialog, 230));  // (what the check box then holds: the options dialog's test)
    Pump(dialog);
    EXPECT_EQ(g_seen.killedText, "1.50");  // the click took the focus from the edit box
    InjectKeyInput(VK_TAB, 0);  // wraps round to the first edit box
    Pump(dialog);
    EXPECT_EQ(GetFocus(), first);
    DestroyWindow(host);
    testsupport::ForgetSeenMessages();
}

intptr_t OptionsProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) PostMessageA(dialog, WM_USER, 0, lParam);  // acts once the dialog is on screen
    if (msg == WM_USER) {
        g_seen.ownerDisabled = !IsWindowEnabled(reinterpret_cast<HWND>(lParam));
        InjectKeyInput(VK_ESCAPE, 0);
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 5);
    return msg == WM_INITDIALOG || msg == WM_USER || msg == WM_COMMAND;
}

// Escape ends a modal dialog through its Cancel command (a click on OK: the options
// dialog's test); its owner is disabled meanwhile and enabled again at the end.
TEST(Dialogs, ModalDialogsRunUntilEndDialogWithTheOwnerDisabled) {
    g_seen = {};
    HWND owner = testsupport::MakeRecordingWindow(nullptr, 0, {0, 0, 300, 200});
    DialogTemplateBuilder options(WS_POPUP | WS_CAPTION | DS_MODALFRAME | WS_VISIBLE, 0, 20, 20, 180, 60,
                                  "Quillet Brushwerk", "MS Sans Serif", 8);
    options.Item("Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 10, 40, 50, 14)
        .Item("Button", "Cancel", IDCANCEL, WS_TABSTOP | WS_VISIBLE, 70, 40, 50, 14);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, options.Template(), owner, &OptionsProcedure, reinterpret_cast<LPARAM>(owner)),
              5);
    EXPECT_TRUE(g_seen.ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
    testsupport::ForgetSeenMessages();
}

}  // namespace
