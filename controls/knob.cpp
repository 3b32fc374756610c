// The knob's value follows the mouse in one of two ways: vertically, 200 pixels of travel
// cover the range from where the drag began; in a circle, the angle of the pointer around
// the centre maps -135 degrees to 0 and +135 degrees to 1 (below the centre it clamps to
// the nearer end). Each mouse step reports twice: once through SetValue (final false)
// and once with final true, on which the page applies its record.
#include "controls/knob.h"

#include <cmath>

#include "controls/control_window.h"
#include "controls/skin.h"

namespace {

// 0..1, with anything below 0 or not a number as 0.
double Clamped(double v) { return v >= 0.0 ? (v > 1.0 ? 1.0 : v) : 0.0; }

bool DragsVertically() { return g_pSkin && g_pSkin->GetKnobsDragVertical(); }

}  // namespace

bool CKnob::Register(HINSTANCE module) { return RegisterControlClass(module, kClassName, &WindowProcedure); }

void CKnob::Attach(IVectorUpdate* callback, HWND dialog, int knobId, int editId, HBITMAP strip, int frames) {
    m_pCallback = callback;
    m_nId = knobId;
    m_hBitmap = strip;
    m_nFrames = frames;
    // A new window has no value yet: the page's first SetValue then reports even the
    // value an earlier window of the same page showed, and its edit box gets its text.
    m_fValue = -1.0f;
    m_bDragging = false;
    m_hWnd = GetDlgItem(dialog, knobId);
    if (!m_hWnd || frames <= 0) return;
    SetWindowLongPtrA(m_hWnd, 0, reinterpret_cast<LONG_PTR>(this));
    const POINT at = PositionInDialog(dialog, m_hWnd);
    // Without its strip (a skin bitmap that would not load) the knob keeps the template's
    // size, draws only its face and still turns.
    BITMAP bm{};
    RECT item{};
    GetClientRect(m_hWnd, &item);
    int width = item.right, frameHeight = item.bottom;
    if (strip && GetObjectA(strip, sizeof bm, &bm)) {
        width = bm.bmWidth;
        frameHeight = std::abs(bm.bmHeight) / frames;
        MoveWindow(m_hWnd, at.x, at.y, width, frameHeight, TRUE);
    } else {
        m_hBitmap = nullptr;
    }
    m_nFrameHeight = frameHeight;
    m_hEdit = GetDlgItem(dialog, editId);
    if (m_hEdit) MoveWindow(m_hEdit, at.x + 3, at.y + frameHeight, width - 6, 17, TRUE);
    CreateCaptionLabel(dialog, m_hWnd, at.x - 10, at.y + frameHeight + 19, width + 20, 16);
    GetClientRect(m_hWnd, &m_rcClient);
}

bool CKnob::SetValue(float v) {
    v = float(Clamped(v));
    if (v == m_fValue) return false;
    m_fValue = v;
    if (m_pCallback) m_pCallback->OnValueChanged(this, false);
    if (m_hWnd) InvalidateRect(m_hWnd, &m_rcClient, TRUE);
    return true;
}

void CKnob::TakeValueFromMouse(LPARAM position) {
    const int x = GET_X_LPARAM(position), y = GET_Y_LPARAM(position);
    double v;
    if (DragsVertically()) {
        v = m_fDragStartValue + (m_nDragStartY - y) / 200.0;
    } else {
        const int16_t dx = int16_t(x - (m_rcClient.right >> 1)), dy = int16_t((m_rcClient.bottom >> 1) - y);
        const double angle = std::atan2(double(dx), double(dy));  // 0 straight up, positive to the right
        v = (angle + 2.356194) / 4.712388;
    }
    if (SetValue(float(Clamped(v)))) {
        UpdateWindow(m_hWnd);
        if (m_pCallback) m_pCallback->OnValueChanged(this, true);
    }
}

void CKnob::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    if (dc) {
        FillRect(dc, &m_rcClient, GetSysColorBrush(COLOR_3DFACE));
        // Before the page sets a value (-1) the knob shows only its face. The frame index
        // is formed in single precision, as the value is held; exactly 1.0 is the last frame.
        if (m_hBitmap && m_fValue >= 0.0f) {
            int frame = int(float(m_nFrames) * m_fValue);
            if (frame > m_nFrames - 1) frame = m_nFrames - 1;
            DrawStripFrame(dc, m_hBitmap, m_rcClient.right, m_nFrameHeight, frame);
        }
    }
    EndPaint(m_hWnd, &ps);
}

LRESULT CKnob::WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CKnob* knob = ControlOf<CKnob>(hwnd);
    if (!knob) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: knob->Paint(); return 0;
    case WM_LBUTTONDOWN:
        knob->m_nDragStartY = GET_Y_LPARAM(lParam);
        // A knob that has no value yet starts its drag from 0.
        knob->m_fDragStartValue = knob->m_fValue < 0.0f ? 0.0f : knob->m_fValue;
        SetCapture(hwnd);
        knob->m_bDragging = true;
        knob->TakeValueFromMouse(lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (knob->m_bDragging) knob->TakeValueFromMouse(lParam);
        return 0;
    case WM_LBUTTONUP:
        knob->m_bDragging = false;
        ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        // The mouse was taken away mid-drag: the drag is over, or the next pass of the
        // pointer would turn the knob with no button held.
        knob->m_bDragging = false;
        return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

CKnob::~CKnob() { DetachControl(m_hWnd, this); }
