// What the Colorize algorithm's generic steps (effects/colorize.cpp) and its fused
// version (effects/colorize_fast.cpp) share.
#pragma once

#include "effects/colorizeprops.h"
#include "framework/bandsteps.h"
#include "image/imagebuffer.h"

constexpr int kColorizeHueSteps = 256;

// The working values of one band: the key hues, their windows, the saturation gain and
// the number of smoothing passes.
struct ColorizeKeys {
    int hue[3];
    int window[3];
    int gain;
    int passes;
};
ColorizeKeys ColorizeKeysOf(const tCOLORIZE_PROPS& props);

// True when s * gain * (window - d) and window * 256 * 255 fit 32 bits for every s, d.
bool ColorizeFitsNarrowArithmetic(const ColorizeKeys& keys);

// Whether a picture of this size is smoothed at all (at least 7 x 7).
bool ColorizePlaneIsSmoothed(int width, int height);

// The smoothing passes over a hue plane that holds the hues of IN's rows (the band and
// the rows beyond it); false when the second plane cannot be allocated.
bool SmoothColorizeHues(CImageBuffer& plane, int passes, const BandGeometry& band);

// The fused version: the whole band in one pass per pixel. False, with OUT untouched,
// for records that need the wide arithmetic or when its plane cannot be allocated; the
// generic steps then render the band.
bool RenderColorizeFused(const ColorizeKeys& keys, const CImageBuffer& in, CImageBuffer& out, const BandGeometry& band);
