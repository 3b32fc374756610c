// Hue, saturation and value of bytes 0..2 of 4-byte pixels, read as R, G, B in
// that order; byte 3 is neither read nor written. Algorithm: the hexcone model
// per pixel in double precision, hue in 256 steps around the circle
// (h * 255 / 6), results rounded by adding kRoundingBias and truncating.
// Each pixel is read completely before it is written, so both run in place.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "image/cpudispatch.h"
#include "image/ippi_generic.h"

namespace {

// The rounding bias of both conversions: the single-precision number nearest
// 0.4999989867 (0.5 - 34 * 2^-25), used widened to double. Being just under one
// half, it rounds exact halves down.
constexpr float kRoundingBiasSingle = 0.4999989867f;
constexpr double kRoundingBias = kRoundingBiasSingle;
static_assert(kRoundingBias == 0.5 - 34.0 / 33554432.0);

inline Ipp8u RoundDown(double v) { return static_cast<Ipp8u>(v + kRoundingBias); }

void RgbToHsvPixel(const Ipp8u* s, Ipp8u* d) {
    const int r = s[0], g = s[1], b = s[2];
    const int v = std::max(r, std::max(g, b));
    const int m = std::min(r, std::min(g, b));
    const int delta = v - m;
    Ipp8u hue = 0, saturation = 0;
    if (v != 0 && delta != 0) {
        saturation = RoundDown(static_cast<double>(delta) / v * 255.0);
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
        hue = RoundDown(h);
    }
    d[0] = hue;
    d[1] = saturation;
    d[2] = static_cast<Ipp8u>(v);
}

void HsvToRgbPixel(const Ipp8u* s, Ipp8u* d) {
    const int hueByte = s[0], saturationByte = s[1], value = s[2];
    if (saturationByte == 0) {
        d[0] = d[1] = d[2] = static_cast<Ipp8u>(value);
        return;
    }
    const double h = (hueByte == 255 ? 0 : hueByte) * 360.0 / 255.0 / 60.0;
    const double sextant = std::floor(h);
    const double f = h - sextant;
    const double sat = saturationByte / 255.0;
    const double v = value;
    const double p = static_cast<float>((1.0 - sat) * v);
    const double q = static_cast<float>((1.0 - sat * f) * v);
    const double t = (1.0 - sat * (1.0 - f)) * v;
    double red, green, blue;
    switch (static_cast<int>(sextant)) {
    case 0: red = v, green = t, blue = p; break;
    case 1: red = q, green = v, blue = p; break;
    case 2: red = p, green = v, blue = t; break;
    case 3: red = p, green = q, blue = v; break;
    case 4: red = t, green = p, blue = v; break;
    default: red = v, green = p, blue = q; break;
    }
    d[0] = RoundDown(red);
    d[1] = RoundDown(green);
    d[2] = RoundDown(blue);
}

template <void (*Convert)(const Ipp8u*, Ipp8u*)>
void ConvertRegion(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* s = pSrc + static_cast<ptrdiff_t>(y) * srcStep;
        Ipp8u* d = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        for (int x = 0; x < roi.width; ++x) Convert(s + static_cast<ptrdiff_t>(x) * 4, d + static_cast<ptrdiff_t>(x) * 4);
    }
}

IppStatus CheckConversion(const Ipp8u* pSrc, int srcStep, const Ipp8u* pDst, int dstStep, IppiSize roi) {
    if (!pSrc || !pDst) return ippStsNullPtrErr;
    if (roi.width < 1 || roi.height < 1) return ippStsSizeErr;
    if (srcStep < 1 || dstStep < 1) return ippStsStepErr;
    return ippStsNoErr;
}

}  // namespace

namespace ipp_generic {

IppStatus RGBToHSV_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    ConvertRegion<RgbToHsvPixel>(pSrc, srcStep, pDst, dstStep, roi);
    return ippStsNoErr;
}

IppStatus HSVToRGB_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    ConvertRegion<HsvToRgbPixel>(pSrc, srcStep, pDst, dstStep, roi);
    return ippStsNoErr;
}

}  // namespace ipp_generic

IppStatus ippiRGBToHSV_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize) {
    if (IppStatus s = CheckConversion(pSrc, srcStep, pDst, dstStep, roiSize)) return s;
    return ippActivePrimitives().rgbToHsv_8u_AC4R(pSrc, srcStep, pDst, dstStep, roiSize);
}

IppStatus ippiHSVToRGB_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize) {
    if (IppStatus s = CheckConversion(pSrc, srcStep, pDst, dstStep, roiSize)) return s;
    return ippActivePrimitives().hsvToRgb_8u_AC4R(pSrc, srcStep, pDst, dstStep, roiSize);
}
