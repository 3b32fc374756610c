// Hue, luminance and saturation on the 0..240 scale of the platform's colour chooser:
// the usual double-cone model, each result rounded to the nearest step.
#include <algorithm>
#include <cmath>

#include "platform/ui/commdlg.h"

extern "C" void ColorRGBToHLS(COLORREF rgb, WORD* hue, WORD* luminance, WORD* saturation) {
    const int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    const int high = std::max({r, g, b}), low = std::min({r, g, b}), sum = high + low, range = high - low;
    const int l = (sum * 240 + 255) / 510;
    int h = 160, s = 0;  // greys: the platform reports hue 160 and saturation 0
    if (range) {
        s = sum <= 255 ? (range * 240 + sum / 2) / sum : (range * 240 + (510 - sum) / 2) / (510 - sum);
        double sector = high == r ? double(g - b) / range : high == g ? 2.0 + double(b - r) / range : 4.0 + double(r - g) / range;
        h = int(std::lround(sector * 40.0));
        if (h < 0) h += 240;
        if (h >= 240) h -= 240;
    }
    if (hue) *hue = WORD(h);
    if (luminance) *luminance = WORD(l);
    if (saturation) *saturation = WORD(s);
}

namespace {
double Channel(double low, double high, double h) {
    h = h < 0 ? h + 240 : h >= 240 ? h - 240 : h;
    if (h < 40) return low + (high - low) * h / 40;
    if (h < 120) return high;
    if (h < 160) return low + (high - low) * (160 - h) / 40;
    return low;
}
}  // namespace

extern "C" COLORREF ColorHLSToRGB(WORD hue, WORD luminance, WORD saturation) {
    const double l = std::min<int>(luminance, 240) / 240.0, s = std::min<int>(saturation, 240) / 240.0;
    const double high = l <= 0.5 ? l * (1 + s) : l + s - l * s, low = 2 * l - high;
    const double h = hue % 240;
    auto value = [](double v) { return int(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return RGB(value(Channel(low, high, h + 80)), value(Channel(low, high, h)), value(Channel(low, high, h - 80)));
}
