// The eyedropper: a click on it starts sampling the screen. It keeps the mouse, shows
// the 2x2 mean under the pointer in its swatch while the pointer moves, and picks the
// single pixel under the pointer at the next left click anywhere. The page is told when
// sampling starts and stops (the effects show their input meanwhile) and when a colour
// is picked. Window class "Quillet Dropper", registered with the other controls at
// module load (controls/control_window.h).
#pragma once

#include "controls/bit_button.h"
#include "controls/color_update.h"

class CColorButton;

class CDropper : public CBitButton {
public:
    static constexpr const char* kClassName = "Quillet Dropper";
    static bool Register(HINSTANCE module);

    void Attach(IColorUpdate* callback, HWND dialog, int id, CColorButton* swatch, HBITMAP bitmap, HCURSOR cursor);
    COLORREF GetColor() const { return m_crColor; }
    bool IsSampling() const { return m_bSampling; }

protected:
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnClick() override;

private:
    void Preview();
    void Pick();
    void StopSampling();

    HCURSOR m_hCursor = nullptr;
    COLORREF m_crColor = 0x505050;
    bool m_bSampling = false;
    COLORREF m_crBeforeSampling = 0;  // the swatch's colour, shown again when sampling is cut short
    IColorUpdate* m_pCallback = nullptr;  // the page, which outlives its controls
    CColorButton* m_pSwatch = nullptr;
};
