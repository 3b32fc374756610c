// The bit button's states: normal (0), hover (1), pressed (2), pressed with the pointer
// outside (3). Frames in the bitmap from the top: pressed, hover, normal. The capture is
// let go before the command is sent, so that what the command opens (a modal dialog,
// the colour chooser) receives the mouse.
#include "controls/bit_button.h"

#include "controls/control_window.h"

bool CBitButton::Register(HINSTANCE module) { return RegisterControlClass(module, kClassName, &WindowProcedure); }

void CBitButton::Attach(HWND dialog, int id, HBITMAP bitmap) {
    m_hParent = dialog;
    m_nId = id;
    m_hBitmap = bitmap;
    m_nState = kNormal;
    m_hWnd = GetDlgItem(dialog, id);
    if (!m_hWnd) return;
    SetWindowLongPtrA(m_hWnd, 0, reinterpret_cast<LONG_PTR>(this));
    // Without its bitmap (a skin bitmap that would not load) the button keeps the
    // template's size, draws only its face and still works.
    BITMAP bm{};
    if (bitmap && GetObjectA(bitmap, sizeof bm, &bm)) {
        const POINT at = PositionInDialog(dialog, m_hWnd);
        MoveWindow(m_hWnd, at.x, at.y, bm.bmWidth, (bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight) / 3, TRUE);
    } else {
        m_hBitmap = nullptr;
    }
    GetClientRect(m_hWnd, &m_rcClient);
}

void CBitButton::SetEnabled(bool enabled) {
    m_bEnabled = enabled;
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CBitButton::SetState(int state) {
    if (state == m_nState) return;
    m_nState = state;
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CBitButton::PaintFrame(HDC dc) {
    if (!m_bEnabled || !m_hBitmap) return;
    static constexpr int kFrameOfState[] = {2, 1, 0, 1};
    DrawStripFrame(dc, m_hBitmap, m_rcClient.right, m_rcClient.bottom, kFrameOfState[m_nState]);
}

void CBitButton::Paint(HDC dc) {
    FillRect(dc, &m_rcClient, GetSysColorBrush(COLOR_3DFACE));
    PaintFrame(dc);
}

void CBitButton::OnClick() {
    if (m_bEnabled) SendMessageA(m_hParent, WM_COMMAND, WPARAM(m_nId), 0);
}

void CBitButton::FollowMouse(LPARAM position) {
    const int x = GET_X_LPARAM(position), y = GET_Y_LPARAM(position);
    const bool inside = x >= m_rcClient.left && x < m_rcClient.right && y >= m_rcClient.top && y < m_rcClient.bottom;
    if (m_nState == kNormal && inside) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
        TrackMouseEvent(&track);
        SetState(kHover);
    } else if (m_nState == kHover && !inside) {
        SetState(kNormal);
    } else if (m_nState == kPressed && !inside) {
        SetState(kPressedOutside);
    } else if (m_nState == kPressedOutside && inside) {
        SetState(kPressed);
    }
}

LRESULT CBitButton::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(m_hWnd, &ps)) Paint(dc);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_MOUSEMOVE: FollowMouse(lParam); return 0;
    case WM_LBUTTONDOWN:
        SetState(kPressed);
        SetCapture(m_hWnd);
        return 0;
    case WM_LBUTTONUP: {
        const bool clicked = m_nState == kPressed;
        if (clicked) SetState(kHover);
        else if (m_nState == kPressedOutside) SetState(kNormal);
        ReleaseCapture();
        InvalidateRect(m_hWnd, nullptr, TRUE);
        if (clicked) OnClick();
        return 0;
    }
    case WM_MOUSELEAVE:
        if (m_nState == kHover) SetState(kNormal);
        return 0;
    case WM_CAPTURECHANGED: SetState(kNormal); return 0;
    default: return DefWindowProcA(m_hWnd, msg, wParam, lParam);
    }
}

LRESULT CBitButton::WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CBitButton* button = ControlOf<CBitButton>(hwnd);
    return button ? button->Handle(msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
}

CBitButton::~CBitButton() { DetachControl(m_hWnd, this); }
