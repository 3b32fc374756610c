#include "host/studio/studio_layout.h"

#include <algorithm>

namespace brushwerk::studio {
namespace {

constexpr int kMargin = 12;
constexpr int kMaxPreviewWidth = 720;
constexpr int kMaxPreviewHeight = 480;
constexpr int kListWidth = 170;
constexpr int kPageWidth = 380;
constexpr int kPageHeight = 270;
constexpr int kButtonHeight = 26;
constexpr int kSliderHeight = 22;
constexpr int kSliderLabel = 230;
constexpr int kTextHeight = 134;

RECT At(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

}  // namespace

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

StudioLayout StudioLayout::For(int pictureWidth, int pictureHeight, int presetRows, bool video) {
    StudioLayout l;
    while (pictureWidth / l.shrink > kMaxPreviewWidth || pictureHeight / l.shrink > kMaxPreviewHeight) ++l.shrink;
    const int w = std::max(pictureWidth / l.shrink, 1), h = std::max(pictureHeight / l.shrink, 1);
    const int previewWidth = std::max(w, 560);
    l.header = At(kMargin, 8, previewWidth, 20);
    l.preview = At(kMargin, 32, w, h);
    int y = l.preview.bottom + 8;
    // Sliders leave room on their left for their label.
    if (video) l.frameSlider = At(kMargin + kSliderLabel, y, previewWidth - kSliderLabel, kSliderHeight), y += kSliderHeight + 6;
    l.keySlider = At(kMargin + kSliderLabel, y, previewWidth - kSliderLabel, kSliderHeight);
    y += kSliderHeight + 6;
    l.text = At(kMargin, y, previewWidth, kTextHeight);
    const int leftBottom = l.text.bottom;

    const int x = kMargin + previewWidth + 16;
    const int rows = std::max(presetRows, 7) + 1;  // a heading row above each list
    l.effects = At(x, 32, kListWidth, rows * l.rowHeight);
    l.presets = At(x + kListWidth + 10, 32, kPageWidth - kListWidth - 10, rows * l.rowHeight);
    l.page = At(x, l.effects.bottom + 10, kPageWidth, kPageHeight);
    const int buttonWidth = (kPageWidth - 3 * 6) / 4;
    for (int i = 0; i < int(Button::Count); ++i)
        l.buttons[i] = At(x + i * (buttonWidth + 6), l.page.bottom + 10, buttonWidth, kButtonHeight);
    const int rightBottom = l.buttons[0].bottom;
    l.window = SIZE{x + kPageWidth + kMargin, std::max(leftBottom, rightBottom) + kMargin};
    return l;
}

int StudioLayout::Row(const RECT& list, POINT p) const {
    if (!Inside(list, p)) return -1;
    return (p.y - list.top) / rowHeight - 1;  // the heading is row -1
}

Button StudioLayout::ButtonAt(POINT p) const {
    for (int i = 0; i < int(Button::Count); ++i)
        if (Inside(buttons[i], p)) return Button(i);
    return Button::Count;
}

int StudioLayout::SliderValue(const RECT& slider, POINT p, int last) {
    const int inner = slider.right - slider.left - 12;
    if (inner <= 0 || last <= 0) return 0;
    const int v = ((p.x - slider.left - 6) * last + inner / 2) / inner;
    return std::clamp(v, 0, last);
}

}  // namespace brushwerk::studio
