// The hue/saturation/value conversions over regions through the tables of their
// per-channel terms (image/hsv_tables.h). Pixels are handled one at a time in the
// generic order, each read completely before it is written, so in-place and
// overlapping calls give the generic bytes too.
#include <cstddef>

#include "image/hsv_tables.h"
#include "image/ippi_fast.h"

namespace {

using namespace hsv_tables;

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
