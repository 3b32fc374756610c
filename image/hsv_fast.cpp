// The hue/saturation/value conversions through tables of their per-channel terms.
//
// Every table entry is computed by the generic expression itself (image/hsv.cpp)
// from the inputs it stands for, so a lookup gives what the generic arithmetic
// gives; the tests compare both conversions with the generic ones over all 2^24
// colours. Pixels are handled one at a time in the generic order, each read
// completely before it is written, so in-place and overlapping calls give the
// generic bytes too.
//
// RGB to HSV: the saturation byte depends only on (V, delta) and the hue byte
// only on (sextant base, delta, numerator), so both are looked up (about 256 KB,
// no division left per pixel). HSV to RGB: everything that depends on H alone
// (the sextant, f, 1 - f) or S alone (s, 1 - s) is looked up; what mixes them
// with V is computed as the generic routine does, and the sextant's order of the
// outputs comes from a table of shifts instead of a branch.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "image/ippi_fast.h"

namespace {

// The rounding bias of both conversions (see image/hsv.cpp): the float nearest
// 0.4999989867, widened to double.
constexpr double kRoundingBias = 0.4999989867f;

inline Ipp8u RoundDown(double v) { return static_cast<Ipp8u>(v + kRoundingBias); }

// ---- RGB to HSV ----

// Hue bytes of one sextant base by delta d (0..255) and numerator n (-d..d) at
// d * d + d + n: the runs for d = 0, 1, 2, ... lie end to end, and entry 0
// (d = 0) is the hue of a grey pixel, 0.
constexpr int kHueEntries = 256 * 256;

inline int HueIndex(int delta, int numerator) { return delta * delta + delta + numerator; }

struct RgbToHsvTables {
    Ipp8u saturation[256][256];   // [V][delta]; 0 where delta is 0 (V 0 included)
    Ipp8u hue[3 * kHueEntries];   // bases 0 (V = R), 2 (V = G), 4 (V = B) one after the other

    RgbToHsvTables() {
        for (int v = 0; v < 256; ++v)
            for (int delta = 0; delta < 256; ++delta)
                saturation[v][delta] =
                    v != 0 && delta != 0 && delta <= v ? RoundDown(static_cast<double>(delta) / v * 255.0) : 0;
        for (int which = 0; which < 3; ++which) {
            hue[which * kHueEntries] = 0;
            for (int delta = 1; delta < 256; ++delta) {
                const double span = delta;
                for (int n = -delta; n <= delta; ++n) {
                    double sextant;
                    if (which == 0)
                        sextant = n / span;
                    else if (which == 1)
                        sextant = 2.0 + n / span;
                    else
                        sextant = 4.0 + n / span;
                    double h = sextant * 255.0 / 6.0;
                    if (h < 0.0) h += 255.0;
                    hue[which * kHueEntries + HueIndex(delta, n)] = RoundDown(h);
                }
            }
        }
    }
};

const RgbToHsvTables& RgbTables() {
    static const RgbToHsvTables tables;
    return tables;
}

inline void RgbToHsvPixel(const RgbToHsvTables& t, const Ipp8u* s, Ipp8u* d) {
    const int r = s[0], g = s[1], b = s[2];
    const int v = std::max(r, std::max(g, b));
    const int delta = v - std::min(r, std::min(g, b));
    // The generic routine's choice of sextant base (R first, then G, then B) as
    // masks rather than branches, which random pictures would mispredict.
    const int isR = -static_cast<int>(v == r);
    const int isG = ~isR & -static_cast<int>(v == g);
    const int isB = ~(isR | isG);
    const int numerator = ((g - b) & isR) | ((b - r) & isG) | ((r - g) & isB);
    const int base = (isG & kHueEntries) | (isB & 2 * kHueEntries);
    d[0] = t.hue[base + HueIndex(delta, numerator)];
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

const HsvToRgbTables& HsvTables() {
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

template <typename Tables, void (*Convert)(const Tables&, const Ipp8u*, Ipp8u*)>
void ConvertRegion(const Tables& t, const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* s = pSrc + static_cast<ptrdiff_t>(y) * srcStep;
        Ipp8u* d = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        for (int x = 0; x < roi.width; ++x)
            Convert(t, s + static_cast<ptrdiff_t>(x) * 4, d + static_cast<ptrdiff_t>(x) * 4);
    }
}

}  // namespace

namespace ipp_fast {

IppStatus RGBToHSV_8u_AC4R_Tables(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    ConvertRegion<RgbToHsvTables, RgbToHsvPixel>(RgbTables(), pSrc, srcStep, pDst, dstStep, roi);
    return ippStsNoErr;
}

IppStatus HSVToRGB_8u_AC4R_Tables(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    ConvertRegion<HsvToRgbTables, HsvToRgbPixel>(HsvTables(), pSrc, srcStep, pDst, dstStep, roi);
    return ippStsNoErr;
}

}  // namespace ipp_fast
