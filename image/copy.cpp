// Plain copies: whole 4-byte pixels (row by row, in the order that keeps an
// overlapping source intact), one byte of every 4-byte pixel into a plane, and a
// plane into one byte of every 4-byte pixel (the other three bytes untouched).
#include <cstddef>
#include <cstring>
#include <functional>

#include "image/cpudispatch.h"
#include "image/ippi_generic.h"

namespace {

IppStatus CheckCopy(const Ipp8u* pSrc, int srcStep, const Ipp8u* pDst, int dstStep, IppiSize roi) {
    if (!pSrc || !pDst) return ippStsNullPtrErr;
    if (roi.width < 1 || roi.height < 1) return ippStsSizeErr;
    if (srcStep < 1 || dstStep < 1) return ippStsStepErr;
    return ippStsNoErr;
}

}  // namespace

namespace ipp_generic {

IppStatus Copy_8u_C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    const size_t rowBytes = static_cast<size_t>(roi.width) * 4;
    // Copying down a picture into a place further on in memory would overwrite
    // source rows before they are read; go bottom-up then.
    const bool bottomUp = std::less<const Ipp8u*>()(pSrc, pDst);
    for (int n = 0; n < roi.height; ++n) {
        const ptrdiff_t y = bottomUp ? roi.height - 1 - n : n;
        std::memmove(pDst + y * dstStep, pSrc + y * srcStep, rowBytes);
    }
    return ippStsNoErr;
}

IppStatus Copy_8u_C4C1R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* s = pSrc + static_cast<ptrdiff_t>(y) * srcStep;
        Ipp8u* d = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        for (int x = 0; x < roi.width; ++x) d[x] = s[static_cast<ptrdiff_t>(x) * 4];
    }
    return ippStsNoErr;
}

IppStatus Copy_8u_C1C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* s = pSrc + static_cast<ptrdiff_t>(y) * srcStep;
        Ipp8u* d = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        for (int x = 0; x < roi.width; ++x) d[static_cast<ptrdiff_t>(x) * 4] = s[x];
    }
    return ippStsNoErr;
}

}  // namespace ipp_generic

IppStatus ippiCopy_8u_C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize) {
    if (IppStatus s = CheckCopy(pSrc, srcStep, pDst, dstStep, roiSize)) return s;
    return ippActivePrimitives().copy_8u_C4R(pSrc, srcStep, pDst, dstStep, roiSize);
}

IppStatus ippiCopy_8u_C4C1R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize) {
    if (IppStatus s = CheckCopy(pSrc, srcStep, pDst, dstStep, roiSize)) return s;
    return ippActivePrimitives().copy_8u_C4C1R(pSrc, srcStep, pDst, dstStep, roiSize);
}

IppStatus ippiCopy_8u_C1C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize) {
    if (IppStatus s = CheckCopy(pSrc, srcStep, pDst, dstStep, roiSize)) return s;
    return ippActivePrimitives().copy_8u_C1C4R(pSrc, srcStep, pDst, dstStep, roiSize);
}
