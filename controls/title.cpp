// The heading is drawn in Verdana of character height 20, shrunk a unit at a time (at
// most nine times, down to 11) while the text is wider than the item, its bottom on the
// item's bottom.
#include "controls/title.h"

#include "controls/control_window.h"

bool CTitle::Register(HINSTANCE module) { return RegisterControlClass(module, kClassName, &WindowProcedure); }

void CTitle::Attach(HWND dialog, int id) {
    m_hWnd = GetDlgItem(dialog, id);
    if (!m_hWnd) return;
    SetWindowLongPtrA(m_hWnd, 0, reinterpret_cast<LONG_PTR>(this));
    GetClientRect(m_hWnd, &m_rcClient);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTitle::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    HFONT font = nullptr;
    if (dc) {
        FillRect(dc, &m_rcClient, GetSysColorBrush(COLOR_3DFACE));
        char text[260] = {};
        const int length = GetWindowTextA(m_hWnd, text, sizeof text);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SIZE extent{};
        for (int height = 20; height >= 11; --height) {
            HFONT smaller = CreateFontA(-height, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0,
                                        "Verdana");
            SelectObject(dc, smaller);
            if (font) DeleteObject(font);
            font = smaller;
            GetTextExtentPoint32A(dc, text, length, &extent);
            if (extent.cx <= m_rcClient.right) break;
        }
        TextOutA(dc, 0, m_rcClient.bottom - extent.cy, text, length);
    }
    EndPaint(m_hWnd, &ps);  // the font stays selected until here
    if (font) DeleteObject(font);
}

LRESULT CTitle::WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CTitle* title = ControlOf<CTitle>(hwnd);
    if (title && msg == WM_PAINT) {
        title->Paint();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

CTitle::~CTitle() { DetachControl(m_hWnd, this); }
