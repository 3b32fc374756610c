// Sampling: a click on the dropper keeps the mouse captured, so that moves from anywhere
// on the screen come here; each shows the mean of the 2x2 screen pixels at the pointer in
// the swatch, and the next left button down picks the single pixel at the pointer. If
// the mouse is taken away or the window goes before that click, sampling ends without a
// pick and the swatch shows its colour again: otherwise the page would never hear that
// sampling stopped, and the effects would keep showing their unprocessed input.
#include "controls/dropper.h"

#include "controls/color_button.h"
#include "controls/control_window.h"

namespace {

// The mean of the screen pixels of the 2x2 block at (x, y), or the single pixel; pixels
// off the screen are left out. False when none is on the screen.
bool ReadScreen(POINT at, int size, COLORREF* color) {
    HDC screen = GetDC(nullptr);
    unsigned sum[3] = {}, count = 0;
    for (int dy = 0; dy < size; ++dy)
        for (int dx = 0; dx < size; ++dx) {
            const COLORREF c = GetPixel(screen, at.x + dx, at.y + dy);
            if (c == CLR_INVALID) continue;
            sum[0] += GetRValue(c), sum[1] += GetGValue(c), sum[2] += GetBValue(c), ++count;
        }
    ReleaseDC(nullptr, screen);
    if (count) *color = RGB(int(sum[0] / count), int(sum[1] / count), int(sum[2] / count));
    return count != 0;
}

}  // namespace

bool CDropper::Register(HINSTANCE module) { return RegisterControlClass(module, kClassName, &WindowProcedure); }

void CDropper::Attach(IColorUpdate* callback, HWND dialog, int id, CColorButton* swatch, HBITMAP bitmap,
                      HCURSOR cursor) {
    CBitButton::Attach(dialog, id, bitmap);
    m_pSwatch = swatch;
    m_hCursor = cursor;
    m_pCallback = callback;
}

void CDropper::OnClick() {}  // the click that starts sampling is handled in Handle

void CDropper::Preview() {
    POINT at;
    if (!GetCursorPos(&at) || !ReadScreen(at, 2, &m_crColor)) return;
    if (m_pSwatch) m_pSwatch->SetColor(m_crColor);
}

void CDropper::Pick() {
    POINT at;
    if (GetCursorPos(&at)) ReadScreen(at, 1, &m_crColor);
    m_bSampling = false;
    if (m_pCallback) {
        m_pCallback->OnDropperSampling(true);
        m_pCallback->OnColorPicked(this, true);
    }
    ReleaseCapture();
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CDropper::StopSampling() {
    m_bSampling = false;
    if (m_pSwatch) m_pSwatch->SetColor(m_crBeforeSampling);
    if (m_pCallback) m_pCallback->OnDropperSampling(true);
}

LRESULT CDropper::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONUP:
        if (m_nState != kPressed || m_bSampling || !m_bEnabled) break;
        // The click: the capture taken at the press is kept.
        m_crBeforeSampling = m_pSwatch ? m_pSwatch->GetColor() : m_crColor;
        m_bSampling = true;
        if (m_pCallback) m_pCallback->OnDropperSampling(false);
        if (m_hCursor) SetCursor(m_hCursor);  // without its cursor resource the pointer stays as it is
        SetState(kHover);
        return 0;
    case WM_LBUTTONDOWN:
        if (!m_bSampling) break;
        Pick();
        return 0;
    case WM_MOUSEMOVE:
        if (m_bSampling) Preview();
        break;
    case WM_CAPTURECHANGED:
    case WM_DESTROY:
        if (m_bSampling) StopSampling();
        break;
    default: break;
    }
    return CBitButton::Handle(msg, wParam, lParam);
}
