// The colour swatch: a bit button whose frame shows its colour through the transparent
// middle, with its eyedropper and caption placed under it. A click opens the colour
// chooser; the 16 custom colours are one array for the whole process, so a colour kept
// on one swatch is there on every other. Window class "Quillet Color", registered with
// the other controls at module load (controls/control_window.h).
#pragma once

#include "controls/bit_button.h"
#include "controls/color_update.h"

class CColorButton : public CBitButton {
public:
    static constexpr const char* kClassName = "Quillet Color";
    static bool Register(HINSTANCE module);

    // As CBitButton::Attach, then moves the dropper item under the swatch and adds the
    // caption (the item's own text).
    void Attach(IColorUpdate* callback, HWND dialog, int id, int dropperId, HBITMAP bitmap);
    // Stores the colour and repaints without erasing.
    void SetColor(COLORREF color);
    COLORREF GetColor() const { return m_crColor; }

protected:
    void Paint(HDC dc) override;
    void OnClick() override;

private:
    COLORREF m_crColor = 0;
    RECT m_rcColor{};
    IColorUpdate* m_pCallback = nullptr;  // the page, which outlives its controls
};

// The chooser's custom colours, kept from the first swatch opened to the process's end.
COLORREF* SwatchCustomColors();
