#include "tests/support/recording_window.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdlib>

namespace testsupport {
namespace {

std::vector<SeenMessage>& Seen() {
    static std::vector<SeenMessage> seen;
    return seen;
}

void ClickAt(int x, int y) {
    InjectMouseInput(x, y, WM_LBUTTONDOWN);
    InjectMouseInput(x, y, WM_LBUTTONUP);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int i = 0; i < 2000 && GetCapture(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

LRESULT RecordingProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Seen().push_back({hwnd, msg, wParam, lParam, GetCurrentThreadId()});
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

HWND MakeRecordingWindow(HWND parent, int id, RECT rect, DWORD style) {
    static const bool registered = [] {
        setenv("QUILLET_DISPLAY", "headless", 0);
        WNDCLASSA wc{};
        wc.lpfnWndProc = &RecordingProcedure;
        wc.cbWndExtra = 16;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "Quillet Recording Window";
        return RegisterClassA(&wc) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExA(0, "Quillet Recording Window", "", style | (parent ? WS_CHILD : 0), rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<void*>(intptr_t(id)), nullptr, nullptr);
}

std::vector<SeenMessage> SeenBy(HWND hwnd, std::vector<UINT> only) {
    std::vector<SeenMessage> out;
    for (const auto& s : Seen())
        if ((!hwnd || s.hwnd == hwnd) && (only.empty() || std::count(only.begin(), only.end(), s.message)))
            out.push_back(s);
    return out;
}

void ForgetSeenMessages() { Seen().clear(); }

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

void Click(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void ClickCell(HWND grid, int column, int row, int rows) {
    RECT r;
    GetWindowRect(grid, &r);
    ClickAt(r.left + (2 * column + 1) * (r.right - r.left) / 16, r.top + (2 * row + 1) * (r.bottom - r.top) / (2 * rows));
}

HWND WaitForDialogWith(int dialogItem, int focusItem) {
    for (int i = 0; i < 6000; ++i) {
        HWND focus = GetFocus();
        HWND dialog = focus ? GetParent(focus) : nullptr;
        // Focus comes before the dialog is shown; clicks need it on screen.
        if (dialog && GetDlgItem(dialog, dialogItem) && IsWindowVisible(dialog) &&
            (!focusItem || GetDlgCtrlID(focus) == focusItem))
            return dialog;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return nullptr;
}

}  // namespace testsupport
