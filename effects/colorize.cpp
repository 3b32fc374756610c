// The Colorize algorithm for one band. Its hue plane is smoothed with the picture's
// replicated border: a band that is a picture of its own smooths its own plane; a
// band that is a slice of the frame smooths the hues of the rows the passes reach
// beyond it too, and gives its rows of the frame's picture.
//
// Choices the knobs never reach:
//  - the key hues go through the same conversion as the pixels, in a 4 x 1 view on
//    a zeroed stack array (no allocation that could fail);
//  - `passes` below 1 smooths nothing (and allocates nothing); above 255 it is held at
//    255, so a stray record cannot ask for billions of passes;
//  - a caught pixel's saturation is formed without overflow for any gain and window
//    and kept within 0..255 (a negative gain gives 0);
//  - NaN fields count as 0 (effects/truncation.h);
//  - if the hue planes cannot be allocated the band still keeps its input alpha.
#include "effects/colorize.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "effects/colorize_parts.h"
#include "effects/truncation.h"
#include "image/cpudispatch.h"
#include "image/imageops.h"
#include "image/ippi.h"
#include "image/scratchbuffer.h"

namespace {

constexpr int kMaxSmoothingPasses = 255;
__extension__ using WideProduct = __int128;

// The key colours' hues, through the pixels' own conversion in frame byte order.
void KeyHuesOf(const tCOLORIZE_PROPS& props, int hue[3]) {
    uint8_t pixels[4 * 4] = {};
    const COLORREF colours[3] = {props.color1, props.color2, props.color3};
    for (int i = 0; i < 3; ++i) {
        pixels[i * 4 + 0] = BlueOf(colours[i]);
        pixels[i * 4 + 1] = GreenOf(colours[i]);
        pixels[i * 4 + 2] = RedOf(colours[i]);
    }
    CImageBuffer key;
    key.Attach(pixels, 4, 1, sizeof pixels, 4);
    CImageOps().RgbToHsv(key, key);
    for (int i = 0; i < 3; ++i) hue[i] = pixels[i * 4];
}

// The box pass computes plane rows 2 .. H - 4 from the rows 2 around each; the
// replication then makes every row the one nearest to it of rows 3 .. H - 4 (and
// likewise the columns), so a pass reaches 2 rows, and up to 5 from the picture's
// first and last rows. A picture narrower or lower than 7 pixels is never changed
// (the box refuses below 6, the replication below 7).
constexpr int kBoxReach = 2;
constexpr int kKeptFrom = 3;
int SmoothingReach(int passes) { return passes * kBoxReach + kKeptFrom; }

// Rows [first, end) of the picture in a plane that holds picture rows from `planeFirst` on.
struct RowSpan {
    int first, end;
};

// Makes every row of `rows` the one nearest to it of rows 3 .. H - 4 (`kept` rows from
// `firstKept` on, W - 6 columns from 3 on) and likewise the columns, in place.
void ReplicateKeptPart(CImageBuffer& plane, RowSpan rows, int firstKept, int kept, int planeFirst) {
    const int w = plane.GetWidth();
    for (int y = firstKept; y < firstKept + kept; ++y) {
        uint8_t* row = plane.PixelAt(0, y - planeFirst, 0);
        std::memset(row, row[kKeptFrom], kKeptFrom);
        std::memset(row + w - kKeptFrom, row[w - kKeptFrom - 1], kKeptFrom);
    }
    for (int y = rows.first; y < rows.end; ++y) {
        const int from = std::clamp(y, firstKept, firstKept + kept - 1);
        if (from != y) std::memcpy(plane.PixelAt(0, y - planeFirst, 0), plane.PixelAt(0, from - planeFirst, 0), w);
    }
}

// One pass from the plane P, over its rows that hold their smoothed values before it
// (`valid`), into the plane Q; returns the rows of Q that hold them after it.
RowSpan SmoothPass(const CImageBuffer& p, CImageBuffer& q, int planeFirst, int pictureHeight, RowSpan valid) {
    const int w = p.GetWidth();
    const int keptLast = pictureHeight - 1 - kKeptFrom;
    const int qFirst = std::max(valid.first + kBoxReach, kKeptFrom);
    const int qEnd = std::min(valid.end - kBoxReach, keptLast + 1);
    if (qFirst >= qEnd) return {0, 0};
    // A box filter that refuses (no memory for its working rows) leaves Q unwritten,
    // so no row of it holds anything.
    if (ippiFilterLowpass_8u_C1R(p.PixelAt(2, qFirst - planeFirst, 0), p.GetStep(), q.PixelAt(2, qFirst - planeFirst, 0),
                                 q.GetStep(), IppiSize{w - 5, qEnd - qFirst}, ippMskSize5x5) != ippStsNoErr)
        return {0, 0};
    RowSpan next = {qFirst <= kKeptFrom ? 0 : qFirst, qEnd > keptLast ? pictureHeight : qEnd};
    next.first = std::max(next.first, planeFirst);
    next.end = std::min(next.end, planeFirst + p.GetHeight());
    const int firstKept = std::max(next.first, kKeptFrom);
    ReplicateKeptPart(q, next, firstKept, std::min(next.end - 1, keptLast) - firstKept + 1, planeFirst);
    return next;
}

// Hue bytes of `rows` rows of IN from `row` on into the plane's rows from `row` on.
bool HuesOfRows(const CImageBuffer& in, int row, int rows, CImageBuffer& plane) {
    if (rows < 1) return true;
    CImageBuffer source, hsv, target;
    source.AttachRegion(in, 0, row, in.GetWidth(), rows);
    target.AttachRegion(plane, 0, row, plane.GetWidth(), rows);
    if (!hsv.Allocate(in.GetWidth(), rows, 4)) return false;
    CImageOps ops;
    ops.RgbToHsv(source, hsv);
    return ops.CopyChannel(hsv, target, 0, 0);
}

// Smooths the hue plane (channel 0 of OUT, whose pixels are already converted)
// `passes` times with the 5 x 5 box, each pass over the picture less a border that is
// then replicated from 3 pixels in; IN's rows beyond the band give the hues the passes
// reach. False when the planes cannot be allocated.
bool SmoothHuePlane(const CImageBuffer& in, CImageBuffer& out, int passes, const BandGeometry& band) {
    const int w = out.GetWidth();
    CImageBuffer p, outPlane;
    if (!p.Allocate(w, in.GetHeight(), 1)) return false;
    CImageOps ops;
    outPlane.AttachRegion(p, 0, band.rowsAbove, w, band.rows);
    ops.CopyChannel(out, outPlane, 0, 0);
    if (!HuesOfRows(in, 0, band.rowsAbove, p) || !HuesOfRows(in, band.rowsAbove + band.rows, band.rowsBelow, p))
        return false;
    if (!SmoothColorizeHues(p, passes, band)) return false;
    ops.CopyChannel(outPlane, out, 0, 0);
    return true;
}

}  // namespace

bool ColorizePlaneIsSmoothed(int width, int height) { return width >= 2 * kKeptFrom + 1 && height >= 2 * kKeptFrom + 1; }

bool SmoothColorizeHues(CImageBuffer& p, int passes, const BandGeometry& band) {
    const int planeFirst = band.firstRow - band.rowsAbove;
    // The second plane is this thread's scratch image: the passes go from one plane to
    // the other, and each reads only rows the one before wrote.
    CImageBuffer q;
    if (!AttachScratch(1, q, p.GetWidth(), p.GetHeight(), 1)) return false;
    if (ColorizePlaneIsSmoothed(p.GetWidth(), band.pictureHeight)) {
        CImageBuffer* from = &p;
        CImageBuffer* to = &q;
        RowSpan valid = {planeFirst, planeFirst + p.GetHeight()};
        for (int pass = 0; pass < passes; ++pass) {
            const RowSpan next = SmoothPass(*from, *to, planeFirst, band.pictureHeight, valid);
            if (next.first >= next.end) break;  // the last pass's rows stay the result
            valid = next;
            std::swap(from, to);
        }
        for (int y = valid.first; from != &p && y < valid.end; ++y)
            std::memcpy(p.PixelAt(0, y - planeFirst, 0), from->PixelAt(0, y - planeFirst, 0), p.GetWidth());
    }
    return true;
}

namespace {

// s * gain * (window - d) / (window * 256), truncated, within 0..255. Sum holds the
// product: 32 bits while the record's values are near the knobs' range, 128 bits
// beyond. The division is done on a quotient already known to be below 256.
template <class Sum>
inline int CaughtSaturation(int s, int gain, int window, int d) {
    const Sum numerator = static_cast<Sum>(s) * gain * (window - d);
    const Sum denominator = static_cast<Sum>(window) * 256;
    if (numerator <= 0) return 0;
    if (numerator >= denominator * 255) return 255;
    return static_cast<int>(numerator / denominator);
}

// Each pixel whose hue lies inside a key's window takes the nearest such key's hue
// (the lower-numbered one at equal distance) and a saturation falling off from the
// window's centre; any other loses its saturation. Alpha comes from IN.
template <class Sum>
void MapHues(const CImageBuffer& in, CImageBuffer& out, const ColorizeKeys& keys) {
    const int w = out.GetWidth();
    const int h = out.GetHeight();
    for (int y = 0; y < h; ++y) {
        uint8_t* d = out.PixelAt(0, y, 0);
        const uint8_t* s = in.PixelAt(0, y, 0);
        for (int x = 0; x < w; ++x, d += 4, s += 4) {
            const int hue = d[0];
            const int sat = d[1];
            int newHue = hue;
            int newSat = 0;
            int best = 255;
            for (int i = 0; i < 3; ++i) {
                const int apart = std::abs(hue - keys.hue[i]);
                const int distance = std::min(apart, kColorizeHueSteps - apart);
                if (distance < keys.window[i] && distance < best) {
                    best = distance;
                    newHue = keys.hue[i];
                    newSat = CaughtSaturation<Sum>(sat, keys.gain, keys.window[i], distance);
                }
            }
            d[0] = static_cast<uint8_t>(newHue);
            d[1] = static_cast<uint8_t>(newSat);
            d[3] = s[3];
        }
    }
}

void CopyAlpha(const CImageBuffer& in, CImageBuffer& out) {
    for (int y = 0; y < out.GetHeight(); ++y)
        for (int x = 0; x < out.GetWidth(); ++x) *out.PixelAt(x, y, 3) = *in.PixelAt(x, y, 3);
}

int SmoothingPassesOf(float smoothing) {
    return std::min(TruncateToInt32(static_cast<double>(smoothing) * 13.0), kMaxSmoothingPasses);
}

}  // namespace

ColorizeKeys ColorizeKeysOf(const tCOLORIZE_PROPS& props) {
    ColorizeKeys keys;
    KeyHuesOf(props, keys.hue);
    keys.gain = TruncateToInt32(static_cast<double>(props.saturation) * 512.0);
    keys.passes = SmoothingPassesOf(props.smoothing);
    keys.window[0] = TruncateToInt32(static_cast<double>(props.strength1) * 128.0);
    keys.window[1] = TruncateToInt32(static_cast<double>(props.strength2) * 128.0);
    keys.window[2] = TruncateToInt32(static_cast<double>(props.strength3) * 128.0);
    return keys;
}

bool ColorizeFitsNarrowArithmetic(const ColorizeKeys& keys) {
    const int64_t widest = std::max({int64_t{keys.window[0]}, int64_t{keys.window[1]}, int64_t{keys.window[2]}, int64_t{0}});
    const int64_t gain = keys.gain < 0 ? -int64_t{keys.gain} : int64_t{keys.gain};
    return widest * 256 * 255 <= INT32_MAX && gain * 255 * widest <= INT32_MAX;
}

int CColorize::RowsReachedBeyondBand(const tCOLORIZE_PROPS& props, int pictureWidth, int pictureHeight) {
    const int passes = SmoothingPassesOf(props.smoothing);
    return passes >= 1 && ColorizePlaneIsSmoothed(pictureWidth, pictureHeight) ? SmoothingReach(passes) : 0;
}

HRESULT CColorize::RenderBand(const tCOLORIZE_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                              const BandGeometry& band) {
    RenderColorize(props, in, out, band, FastestColorizePath());
    return S_OK;
}

ColorizePath FastestColorizePath() {
    if (!ippTablesEnabled()) return ColorizePath::kRule;
#if defined(__x86_64__) || defined(__i386__)
    if (ippAvx512Enabled()) return ColorizePath::kAvx512;
    if (ippAvx2Enabled()) return ColorizePath::kAvx2;
#endif
    return ColorizePath::kTables;
}

void RenderColorize(const tCOLORIZE_PROPS& props, const CImageBuffer& in, CImageBuffer& out, const BandGeometry& band,
                    ColorizePath path) {
    const ColorizeKeys keys = ColorizeKeysOf(props);
    const bool avx512 = path == ColorizePath::kAvx512;
    if (path != ColorizePath::kRule && RenderColorizeFused(keys, in, out, band, path == ColorizePath::kAvx2 || avx512, avx512))
        return;

    CImageBuffer inBand;
    inBand.AttachRegion(in, 0, band.rowsAbove, out.GetWidth(), out.GetHeight());
    CImageOps ops;
    ops.RgbToHsv(inBand, out);
    // Without passes the planes would only carry the hues there and back.
    const bool smoothed = keys.passes < 1 || SmoothHuePlane(in, out, keys.passes, band);
    if (smoothed) {
        if (ColorizeFitsNarrowArithmetic(keys))
            MapHues<int32_t>(inBand, out, keys);
        else
            MapHues<WideProduct>(inBand, out, keys);
    } else {
        CopyAlpha(inBand, out);
    }
    ops.HsvToRgb(out, out);
}
