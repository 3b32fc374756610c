// What the Colorize algorithm's generic steps (effects/colorize.cpp) and its fused
// version (effects/colorize_fast.cpp) share.
#pragma once

#include <cstdint>
#include <memory>

#include "effects/colorizeprops.h"
#include "framework/bandsteps.h"
#include "image/hsv_tables.h"
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

// The fused version: the whole band in one pass per pixel, its rows eight pixels at a
// time with `avx2`, sixteen with `avx512` too. False, with OUT untouched, for records that
// need the wide arithmetic or when its plane cannot be allocated; the generic steps then
// render the band.
bool RenderColorizeFused(const ColorizeKeys& keys, const CImageBuffer& in, CImageBuffer& out, const BandGeometry& band,
                         bool avx2, bool avx512 = false);

// One band's keys as the vector rows take them: per hue, what its window makes of a
// saturation, and per key index (0..2, the key that catches the hue, 0 for a hue no
// key catches) the terms of the conversion back.
struct ColorizeLaneKeys {
    int32_t entry[kColorizeHueSteps];  // gain * (window - d) held at 0 or above, | key index << 24
    alignas(64) uint8_t entryByte[4][kColorizeHueSteps];  // byte j of each entry, for byte permutes
    uint32_t reciprocalLow[8];         // ceil(2^40 / window), low and high 32 bits, per key index
    uint32_t reciprocalHigh[8];
    int keyHue[3];
    double f[3], oneMinusF[3];         // the key hue's terms (hsv_tables::HueTerms)
    uint32_t shift[3][8];              // [channel][key index]: bit position in the word V | t | p | q
};

// What the conversion back makes of every saturation and value with each key hue:
// word[key index << 16 | S << 8 | V] = R | G << 8 | B << 16.
struct ColorizeKeyColours {
    int keyHue[3];
    uint32_t word[3 << 16];
};

#if defined(__x86_64__) || defined(__i386__)
// The key colours of these keys, computed eight at a time; the last ones computed are
// kept for the bands and frames that follow with the same key hues. Null when the
// memory for them cannot be had.
std::shared_ptr<const ColorizeKeyColours> ColorizeKeyColoursAvx2(const ColorizeLaneKeys& keys);

// The hue bytes of the first pixels of a row of `width`, eight at a time: returns how
// many were done.
int ColorizeHuesAvx2(const uint8_t* source, uint8_t* hues, int width);

// The first pixels of a row of `width`: returns how many were done, eight at a time
// (the rest is left to the scalar loop). `smoothed` is the row's smoothed hues or null.
int ColorizeRowAvx2(const ColorizeLaneKeys& keys, const ColorizeKeyColours& colours, const uint8_t* source,
                    const uint8_t* smoothed, uint8_t* destination, int width);

// Each hue's entry (ColorizeLaneKeys::entry) by the colour differences the hue table is
// indexed by (hsv_tables::DifferenceIndex), so that an unsmoothed pixel's entry takes
// one lookup; kept, as the key colours are, while the entries stay.
constexpr int kColorizeDifferences = 511 * hsv_tables::kDifferenceStride;
struct ColorizeDifferenceEntries {
    int32_t entry[kColorizeHueSteps];
    int32_t byDifference[kColorizeDifferences];
};
std::shared_ptr<const ColorizeDifferenceEntries> ColorizeDifferenceEntriesFor(const ColorizeLaneKeys& keys);

// The same sixteen at a time with AVX-512 (effects/colorize_avx512.cpp), the entries of
// unsmoothed pixels from `differences` (none done without them), those of the smoothed
// hues from `smoothedEntries` where given (the first width / 64 * 64 of the row), else
// gathered.
int ColorizeRowAvx512(const ColorizeLaneKeys& keys, const ColorizeKeyColours& colours,
                      const ColorizeDifferenceEntries* differences, const uint8_t* source, const uint8_t* smoothed,
                      const int32_t* smoothedEntries, uint8_t* destination, int width);

// The hue bytes of the first pixels of a row sixteen at a time, by arithmetic (AVX-512).
int ColorizeHuesAvx512(const uint8_t* source, uint8_t* hues, int width);

// entries[i] = keys.entry[hues[i]] for the first count / 64 * 64 hues, by byte permutes
// of the entries' bytes held in registers (AVX-512 with BW and VBMI).
void ColorizeEntriesOfHuesAvx512(const ColorizeLaneKeys& keys, const uint8_t* hues, int32_t* entries, int count);

// The conversion's saturation byte of V and delta as the AVX-512 rows find it, for n
// lanes (a multiple of 16).
void ColorizeSaturationsAvx512(const int32_t* v, const int32_t* delta, int32_t* saturation, int n);
#endif
