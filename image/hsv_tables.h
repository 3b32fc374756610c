// The tables of the hue/saturation/value conversions and their per-pixel lookups
// (image/hsv_fast.cpp runs them over regions; an effect may run them per pixel).
//
// Every table entry is computed by the generic expression itself (image/hsv.cpp)
// from the inputs it stands for, so a lookup gives what the generic arithmetic
// gives; the tests compare both conversions with the generic ones over all 2^24
// colours. Each pixel is read completely before it is written.
//
// RGB to HSV: the saturation byte depends only on (V, delta) and the hue byte
// only on the differences R - G and R - B, so both are looked up (320 KB in
// all, no division or case left per pixel). HSV to RGB: what depends on H alone
// (the sextant, f, 1 - f) or S alone (s, 1 - s) is looked up; what mixes them
// with V is computed as the generic routine does, and the sextant's order of
// the outputs comes from a table of shifts instead of a branch.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "image/ippi.h"

namespace hsv_tables {

// The rounding bias of both conversions (see image/hsv.cpp): the float nearest
// 0.4999989867, widened to double.
constexpr double kRoundingBias = 0.4999989867f;

inline Ipp8u RoundDown(double v) { return static_cast<Ipp8u>(v + kRoundingBias); }

// ---- RGB to HSV ----

// The hue byte of one pixel, the generic routine's arithmetic.
inline Ipp8u HueOf(int r, int g, int b) {
    const int v = std::max(r, std::max(g, b));
    const int delta = v - std::min(r, std::min(g, b));
    if (v == 0 || delta == 0) return 0;
    const double span = delta;
    double sextant;
    if (v == r)
        sextant = (g - b) / span;
    else if (v == g)
        sextant = 2.0 + (b - r) / span;
    else
        sextant = 4.0 + (r - g) / span;
    double h = sextant * 255.0 / 6.0;
    if (h < 0.0) h += 255.0;
    return RoundDown(h);
}

// Hue depends only on the differences R - G and R - B: adding one amount to all
// three channels changes neither which channel is largest, nor delta, nor the
// numerators. The table holds it at (R - G + 255) * 512 + (R - B + 255), each
// entry computed from a pixel with those differences; differences no pixel has
// (a spread beyond 255) keep 0.
constexpr int kDifferenceStride = 512;
constexpr int kDifferenceOrigin = 255 * kDifferenceStride + 255;

inline int DifferenceIndex(int r, int g, int b) { return (r - g) * kDifferenceStride + (r - b) + kDifferenceOrigin; }

struct RgbToHsvTables {
    Ipp8u saturation[256][256];           // [V][delta]; 0 where delta is 0 (V 0 included)
    Ipp8u hue[511 * kDifferenceStride];  // by differences, see DifferenceIndex
    Ipp8u gatherSlack[3] = {};            // a 4-byte vector gather of the last entry stays inside

    RgbToHsvTables() {
        for (int v = 0; v < 256; ++v)
            for (int delta = 0; delta < 256; ++delta)
                saturation[v][delta] =
                    v != 0 && delta != 0 && delta <= v ? RoundDown(static_cast<double>(delta) / v * 255.0) : 0;
        for (int rg = -255; rg <= 255; ++rg)
            for (int rb = -255; rb <= 255; ++rb) {
                // The darkest such pixel: R just high enough that G and B are not negative.
                const int r = std::max(0, std::max(rg, rb));
                const int g = r - rg, b = r - rb;
                hue[DifferenceIndex(r, g, b)] = g <= 255 && b <= 255 ? HueOf(r, g, b) : 0;
            }
    }
};

inline const RgbToHsvTables& RgbTables() {
    static const RgbToHsvTables tables;
    return tables;
}

// Maximum and minimum by masks: compilers turn std::max of three into a branch,
// which random pictures mispredict half of the time.
inline int Max(int a, int b) { return a ^ ((a ^ b) & -static_cast<int>(a < b)); }
inline int Min(int a, int b) { return b ^ ((a ^ b) & -static_cast<int>(a < b)); }

inline void RgbToHsvPixel(const RgbToHsvTables& t, const Ipp8u* s, Ipp8u* d) {
    const int r = s[0], g = s[1], b = s[2];
    const int v = Max(r, Max(g, b));
    const int delta = v - Min(r, Min(g, b));
    d[0] = t.hue[DifferenceIndex(r, g, b)];
    d[1] = t.saturation[v][delta];
    d[2] = static_cast<Ipp8u>(v);
}

// ---- HSV to RGB ----

// The outputs (R, G, B) of sextant i, as byte positions in the word
// V | t << 8 | p << 16 | q << 24.
constexpr int kV = 0, kT = 1, kP = 2, kQ = 3;
constexpr int kSextantOrder[6][3] = {
    {kV, kT, kP}, {kQ, kV, kP}, {kP, kV, kT}, {kP, kQ, kV}, {kT, kP, kV}, {kV, kP, kQ},
};

struct HueTerms {
    double f;          // h - floor(h)
    double oneMinusF;  // 1.0 - f
    uint8_t shift[3];  // bit positions of R, G, B in the word of the outputs
};

struct HsvToRgbTables {
    HueTerms hue[256];
    double sat[256];           // S / 255
    double oneMinusSat[256];   // 1 - S / 255

    HsvToRgbTables() {
        for (int hueByte = 0; hueByte < 256; ++hueByte) {
            const double h = (hueByte == 255 ? 0 : hueByte) * 360.0 / 255.0 / 60.0;
            const double sextant = std::floor(h);
            const double f = h - sextant;
            HueTerms& e = hue[hueByte];
            e.f = f;
            e.oneMinusF = 1.0 - f;
            const int i = static_cast<int>(sextant);
            for (int c = 0; c < 3; ++c) e.shift[c] = static_cast<uint8_t>(8 * kSextantOrder[i][c]);
        }
        for (int s = 0; s < 256; ++s) {
            sat[s] = s / 255.0;
            oneMinusSat[s] = 1.0 - sat[s];
        }
    }
};

inline const HsvToRgbTables& HsvTables() {
    static const HsvToRgbTables tables;
    return tables;
}

// S = 0 needs no case of its own: with s = 0, p, q and t are all exactly V, and
// V + bias truncates to V, which is what the generic routine writes.
inline void HsvToRgbPixel(const HsvToRgbTables& t, const Ipp8u* s, Ipp8u* d) {
    const HueTerms& hue = t.hue[s[0]];
    const double sat = t.sat[s[1]];
    const double v = s[2];
    const double p = static_cast<float>(t.oneMinusSat[s[1]] * v);
    const double q = static_cast<float>((1.0 - sat * hue.f) * v);
    const double tt = (1.0 - sat * hue.oneMinusF) * v;
    const uint32_t word = static_cast<uint32_t>(s[2]) | uint32_t{RoundDown(tt)} << 8 | uint32_t{RoundDown(p)} << 16 |
                          uint32_t{RoundDown(q)} << 24;
    d[0] = static_cast<Ipp8u>(word >> hue.shift[0]);
    d[1] = static_cast<Ipp8u>(word >> hue.shift[1]);
    d[2] = static_cast<Ipp8u>(word >> hue.shift[2]);
}

}  // namespace hsv_tables
