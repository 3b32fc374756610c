// Where everything sits in the studio's window, in pixels from its top-left corner:
// the preview (the picture shrunk by a whole factor until it fits), the lists of
// effects and presets, the page area, the buttons, the sliders and the text lines.
#pragma once

#include <vector>

#include "platform/ui/wingdi.h"

namespace brushwerk::studio {

enum class Button { BeforeAfter, Eyedropper, Keyframe, Save, Count };

struct StudioLayout {
    int shrink = 1;       // picture pixels per preview pixel, each way
    RECT preview{};
    RECT header{};        // above the preview: what it shows and the frame time
    RECT frameSlider{};   // empty for stills
    RECT keySlider{};
    RECT text{};          // command line, status, keys
    RECT effects{};
    RECT presets{};
    RECT page{};
    RECT buttons[int(Button::Count)]{};
    int rowHeight = 18;
    SIZE window{};

    // pictureWidth x pictureHeight, presetRows the longest preset list, video whether the frame slider shows.
    static StudioLayout For(int pictureWidth, int pictureHeight, int presetRows, bool video);

    // The row of a list under p, or -1.
    int Row(const RECT& list, POINT p) const;
    // The button under p, or Button::Count.
    Button ButtonAt(POINT p) const;
    // A slider's value for p, clamped into 0..last.
    static int SliderValue(const RECT& slider, POINT p, int last);
};

bool Inside(const RECT& r, POINT p);

}  // namespace brushwerk::studio
