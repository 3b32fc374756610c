// Colorize's fused version: each pixel goes from its input bytes to its output bytes in
// one step, where the generic steps make whole-band passes (conversion to HSV, plane
// copies, hue mapping, conversion back). Per pixel it does the generic arithmetic
// through tables:
//  - hue and saturation from the conversion's own tables (image/hsv_tables.h); with
//    smoothing passes the hue comes from the smoothed plane, which is filled straight
//    from IN's rows (the band's and those beyond it);
//  - per hue, once per band: whether a window catches it, the key hue it takes and
//    gain * (window - d);
//  - the caught saturation s * gain * (window - d) / (window * 256), for a positive
//    numerator n, is (n >> 8) / window, and that division is a multiplication by
//    ceil(2^40 / window) and a shift: exact while n >> 8 stays below 2^23 and window
//    below 2^17, which the narrow arithmetic guarantees;
//  - a pixel left without saturation is its value three times (what the conversion
//    back makes of it); any other goes through the conversion's per-pixel lookups.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "effects/colorize_parts.h"
#include "image/cpudispatch.h"
#include "image/hsv_tables.h"
#include "image/scratchbuffer.h"

namespace {

using hsv_tables::DifferenceIndex;
using hsv_tables::Max;
using hsv_tables::Min;

// What the hue mapping does with each hue, for one band's keys.
struct HueMapping {
    bool caught[kColorizeHueSteps];
    uint8_t keyHue[kColorizeHueSteps];
    int64_t factor[kColorizeHueSteps];      // gain * (window - d)
    uint64_t reciprocal[kColorizeHueSteps];  // ceil(2^40 / window)
    uint8_t keyIndex[kColorizeHueSteps];     // which key caught it (0 when none did)
};

constexpr int kReciprocalShift = 40;

void MapEveryHue(const ColorizeKeys& keys, HueMapping& m) {
    for (int hue = 0; hue < kColorizeHueSteps; ++hue) {
        m.caught[hue] = false;
        m.keyHue[hue] = static_cast<uint8_t>(hue);
        m.factor[hue] = 0;
        m.reciprocal[hue] = 0;
        m.keyIndex[hue] = 0;
        int best = 255;
        for (int i = 0; i < 3; ++i) {
            const int apart = std::abs(hue - keys.hue[i]);
            const int distance = std::min(apart, kColorizeHueSteps - apart);
            if (distance < keys.window[i] && distance < best) {
                best = distance;
                const uint64_t window = static_cast<uint64_t>(keys.window[i]);
                m.caught[hue] = true;
                m.keyHue[hue] = static_cast<uint8_t>(keys.hue[i]);
                m.factor[hue] = int64_t{keys.gain} * (keys.window[i] - distance);
                m.reciprocal[hue] = ((uint64_t{1} << kReciprocalShift) + window - 1) / window;
                m.keyIndex[hue] = static_cast<uint8_t>(i);
            }
        }
    }
}

inline uint8_t CaughtSaturation(const HueMapping& m, int hue, int saturation) {
    const int64_t numerator = saturation * m.factor[hue];
    if (numerator <= 0) return 0;
    const uint64_t quotient = (static_cast<uint64_t>(numerator >> 8) * m.reciprocal[hue]) >> kReciprocalShift;
    return static_cast<uint8_t>(std::min<uint64_t>(quotient, 255));
}

// The vector rows' form of the mapping. A factor below 0 gives no saturation, as 0 does;
// the narrow arithmetic keeps every factor below 2^24.
void LaneKeysOf(const ColorizeKeys& keys, const HueMapping& m, ColorizeLaneKeys& lanes) {
    for (int hue = 0; hue < kColorizeHueSteps; ++hue)
        lanes.entry[hue] = static_cast<int32_t>(std::max<int64_t>(m.factor[hue], 0) | int64_t{m.keyIndex[hue]} << 24);
    for (int hue = 0; hue < kColorizeHueSteps; ++hue)
        for (int j = 0; j < 4; ++j)
            lanes.entryByte[j][hue] = static_cast<uint8_t>(static_cast<uint32_t>(lanes.entry[hue]) >> 8 * j);
    const hsv_tables::HsvToRgbTables& toRgb = hsv_tables::HsvTables();
    for (int i = 0; i < 8; ++i) lanes.reciprocalLow[i] = lanes.reciprocalHigh[i] = 0;
    for (int i = 0; i < 3; ++i) {
        const uint64_t window = static_cast<uint64_t>(std::max(keys.window[i], 1));
        const uint64_t reciprocal = ((uint64_t{1} << kReciprocalShift) + window - 1) / window;
        lanes.reciprocalLow[i] = static_cast<uint32_t>(reciprocal);
        lanes.reciprocalHigh[i] = static_cast<uint32_t>(reciprocal >> 32);
        lanes.keyHue[i] = keys.hue[i] & 255;
        const hsv_tables::HueTerms& terms = toRgb.hue[lanes.keyHue[i]];
        lanes.f[i] = terms.f;
        lanes.oneMinusF[i] = terms.oneMinusF;
        for (int c = 0; c < 3; ++c) lanes.shift[c][i] = terms.shift[c];
    }
    for (int c = 0; c < 3; ++c)
        for (int i = 3; i < 8; ++i) lanes.shift[c][i] = 0;
}

// The hue bytes of every row of IN.
void FillHuePlane(const CImageBuffer& in, CImageBuffer& plane, [[maybe_unused]] bool avx2,
                  [[maybe_unused]] bool avx512) {
    const hsv_tables::RgbToHsvTables& t = hsv_tables::RgbTables();
    for (int y = 0; y < in.GetHeight(); ++y) {
        const uint8_t* s = in.PixelAt(0, y, 0);
        uint8_t* h = plane.PixelAt(0, y, 0);
        int x = 0;
#if defined(__x86_64__) || defined(__i386__)
        if (avx512) x = ColorizeHuesAvx512(s, h, in.GetWidth());
        if (avx2) x += ColorizeHuesAvx2(s + 4 * x, h + x, in.GetWidth() - x);
#endif
        for (s += 4 * x; x < in.GetWidth(); ++x, s += 4) h[x] = t.hue[DifferenceIndex(s[0], s[1], s[2])];
    }
}

}  // namespace

bool RenderColorizeFused(const ColorizeKeys& keys, const CImageBuffer& in, CImageBuffer& out, const BandGeometry& band,
                         [[maybe_unused]] bool avx2, [[maybe_unused]] bool avx512) {
    if (!ColorizeFitsNarrowArithmetic(keys)) return false;
    const int w = out.GetWidth();
    CImageBuffer plane;
    if (keys.passes >= 1 && ColorizePlaneIsSmoothed(w, band.pictureHeight)) {
        if (!AttachScratch(0, plane, w, in.GetHeight(), 1)) return false;
        FillHuePlane(in, plane, avx2, avx512);
        if (!SmoothColorizeHues(plane, keys.passes, band)) return false;
    }
    HueMapping mapping;
    MapEveryHue(keys, mapping);
    ColorizeLaneKeys lanes;
#if defined(__x86_64__) || defined(__i386__)
    std::shared_ptr<const ColorizeKeyColours> colours;
    std::shared_ptr<const ColorizeDifferenceEntries> differences;
    if (avx2) {
        LaneKeysOf(keys, mapping, lanes);
        colours = ColorizeKeyColoursAvx2(lanes);
        if (avx512 && !plane.GetData()) differences = ColorizeDifferenceEntriesFor(lanes);
    }
    // The smoothed hues' entries of a row, looked up 64 at a time where byte permutes may run.
    bool byteLookups = avx512 && plane.GetData() && ippAvx512VbmiEnabled();
    thread_local std::vector<int32_t> smoothedEntries;
    try {
        if (byteLookups && smoothedEntries.size() < static_cast<size_t>(w)) smoothedEntries.resize(static_cast<size_t>(w));
    } catch (const std::bad_alloc&) {
        byteLookups = false;  // the rows gather the entries instead
    }
#endif
    const hsv_tables::RgbToHsvTables& toHsv = hsv_tables::RgbTables();
    const hsv_tables::HsvToRgbTables& toRgb = hsv_tables::HsvTables();
    for (int y = 0; y < out.GetHeight(); ++y) {
        const uint8_t* s = in.PixelAt(0, band.rowsAbove + y, 0);
        const uint8_t* smoothed = plane.GetData() ? plane.PixelAt(0, band.rowsAbove + y, 0) : nullptr;
        uint8_t* d = out.PixelAt(0, y, 0);
        int x = 0;
#if defined(__x86_64__) || defined(__i386__)
        if (colours) {
            if (avx512) {
                const int32_t* entries = nullptr;
                if (smoothed && byteLookups) {
                    ColorizeEntriesOfHuesAvx512(lanes, smoothed, smoothedEntries.data(), w);
                    entries = smoothedEntries.data();
                }
                x = ColorizeRowAvx512(lanes, *colours, differences.get(), s, smoothed, entries, d, w);
            }
            x += ColorizeRowAvx2(lanes, *colours, s + 4 * x, smoothed ? smoothed + x : nullptr, d + 4 * x, w - x);
            s += 4 * x, d += 4 * x;
        }
#endif
        for (; x < w; ++x, s += 4, d += 4) {
            const int r = s[0], g = s[1], b = s[2], alpha = s[3];
            const int v = Max(r, Max(g, b));
            const int hue = smoothed ? smoothed[x] : toHsv.hue[DifferenceIndex(r, g, b)];
            const uint8_t saturation =
                mapping.caught[hue] ? CaughtSaturation(mapping, hue, toHsv.saturation[v][v - Min(r, Min(g, b))]) : 0;
            if (saturation == 0) {
                d[0] = d[1] = d[2] = static_cast<uint8_t>(v);
            } else {
                const uint8_t hsv[3] = {mapping.keyHue[hue], saturation, static_cast<uint8_t>(v)};
                hsv_tables::HsvToRgbPixel(toRgb, hsv, d);
            }
            d[3] = static_cast<uint8_t>(alpha);
        }
    }
    return true;
}
