// The swatch paints its colour inside the frame's transparent middle (7 pixels in from
// the left, top and right, 8 from the bottom) and opens the colour chooser on a click.
#include "controls/color_button.h"

#include "controls/control_window.h"
#include "platform/ui/commdlg.h"

COLORREF* SwatchCustomColors() {
    // White until a person keeps a colour, as an empty custom cell shows.
    static COLORREF colors[16] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                  0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    return colors;
}

bool CColorButton::Register(HINSTANCE module) { return RegisterControlClass(module, kClassName, &WindowProcedure); }

void CColorButton::Attach(IColorUpdate* callback, HWND dialog, int id, int dropperId, HBITMAP bitmap) {
    CBitButton::Attach(dialog, id, bitmap);
    m_pCallback = callback;
    if (!m_hWnd) return;
    const POINT at = PositionInDialog(dialog, m_hWnd);
    const int w = m_rcClient.right, h = m_rcClient.bottom;
    if (HWND dropper = GetDlgItem(dialog, dropperId)) MoveWindow(dropper, at.x, at.y + h - 2, w, 19, TRUE);
    CreateCaptionLabel(dialog, m_hWnd, at.x - 12, at.y + 67, w + 24, 16);
    m_rcColor = {7, 7, w - 7, h - 8};
}

void CColorButton::SetColor(COLORREF color) {
    m_crColor = color;
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CColorButton::Paint(HDC dc) {
    FillRect(dc, &m_rcClient, GetSysColorBrush(COLOR_3DFACE));
    HBRUSH brush = CreateSolidBrush(m_crColor);
    FillRect(dc, &m_rcColor, brush);
    DeleteObject(brush);
    PaintFrame(dc);
}

void CColorButton::OnClick() {
    CBitButton::OnClick();
    if (!m_bEnabled) return;
    CHOOSECOLORA choose{sizeof choose,        m_hWnd, nullptr, m_crColor, SwatchCustomColors(),
                        CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR, 0,      nullptr, nullptr};
    if (!ChooseColorA(&choose)) return;
    SetColor(choose.rgbResult);
    if (m_pCallback) m_pCallback->OnColorChosen(this, true);
}
