// Implemented by every page with colours: what its swatches and eyedroppers report.
#pragma once

class CDropper;
class CColorButton;

class IColorUpdate {
public:
    // The eyedropper picked the colour under the pointer (its GetColor()).
    virtual void OnColorPicked(CDropper* dropper, bool final) = 0;
    // The swatch's colour was chosen in the colour chooser (its GetColor()).
    virtual void OnColorChosen(CColorButton* swatch, bool final) = 0;
    // An eyedropper started (finished false) or stopped (finished true) sampling the screen.
    virtual void OnDropperSampling(bool finished) = 0;

protected:
    ~IColorUpdate() = default;
};
