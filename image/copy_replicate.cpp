// Copy into a larger destination with the edge pixels repeated into the border.
// Algorithm: row by row from the source's top row down: left fill from the
// row's first pixel, the row itself, right fill from its last pixel; then the
// rows below and above are copies of the last and first filled rows. Each write
// reads only pixels that no earlier write changed, so the source may lie inside
// the destination at (left, top) with the same step (in-place border fill).
#include <cstddef>
#include <cstring>

#include "image/cpudispatch.h"
#include "image/ippi_generic.h"

namespace {

template <int PixelBytes>
void FillPixels(Ipp8u* dst, const Ipp8u* pixel, int count) {
    // Copy the pixel to a local first: in place it may be the pixel next to the fill.
    Ipp8u value[PixelBytes];
    std::memcpy(value, pixel, PixelBytes);
    for (int i = 0; i < count; ++i) std::memcpy(dst + static_cast<ptrdiff_t>(i) * PixelBytes, value, PixelBytes);
}

template <int PixelBytes>
void ReplicateBorder(const Ipp8u* pSrc, int srcStep, IppiSize src, Ipp8u* pDst, int dstStep, IppiSize dst, int top,
                     int left) {
    const size_t rowBytes = static_cast<size_t>(dst.width) * PixelBytes;
    const int right = dst.width - src.width - left;
    auto dstRow = [&](int y) { return pDst + static_cast<ptrdiff_t>(y) * dstStep; };

    for (int i = 0; i < src.height; ++i) {
        const Ipp8u* s = pSrc + static_cast<ptrdiff_t>(i) * srcStep;
        Ipp8u* d = dstRow(top + i);
        Ipp8u* interior = d + static_cast<ptrdiff_t>(left) * PixelBytes;
        const Ipp8u* lastPixel = s + static_cast<ptrdiff_t>(src.width - 1) * PixelBytes;
        FillPixels<PixelBytes>(d, s, left);
        if (interior != s) std::memmove(interior, s, static_cast<size_t>(src.width) * PixelBytes);
        FillPixels<PixelBytes>(interior + static_cast<ptrdiff_t>(src.width) * PixelBytes, lastPixel, right);
    }
    const Ipp8u* lastFilled = dstRow(top + src.height - 1);
    for (int y = top + src.height; y < dst.height; ++y) std::memmove(dstRow(y), lastFilled, rowBytes);
    const Ipp8u* firstFilled = dstRow(top);
    for (int y = 0; y < top; ++y) std::memmove(dstRow(y), firstFilled, rowBytes);
}

IppStatus CheckReplicateBorder(const Ipp8u* pSrc, int srcStep, IppiSize src, const Ipp8u* pDst, int dstStep,
                               IppiSize dst, int top, int left) {
    if (!pSrc || !pDst) return ippStsNullPtrErr;
    if (srcStep < 1 || dstStep < 1) return ippStsStepErr;
    if (src.width < 1 || src.height < 1 || dst.width < 1 || dst.height < 1 || top < 0 || left < 0 ||
        dst.width < int64_t{src.width} + left || dst.height < int64_t{src.height} + top)
        return ippStsSizeErr;
    return ippStsNoErr;
}

}  // namespace

namespace ipp_generic {

IppStatus CopyReplicateBorder_8u_C4R(const Ipp8u* pSrc, int srcStep, IppiSize srcRoiSize, Ipp8u* pDst, int dstStep,
                                     IppiSize dstRoiSize, int topBorderHeight, int leftBorderWidth) {
    ReplicateBorder<4>(pSrc, srcStep, srcRoiSize, pDst, dstStep, dstRoiSize, topBorderHeight, leftBorderWidth);
    return ippStsNoErr;
}

IppStatus CopyReplicateBorder_8u_C1R(const Ipp8u* pSrc, int srcStep, IppiSize srcRoiSize, Ipp8u* pDst, int dstStep,
                                     IppiSize dstRoiSize, int topBorderHeight, int leftBorderWidth) {
    ReplicateBorder<1>(pSrc, srcStep, srcRoiSize, pDst, dstStep, dstRoiSize, topBorderHeight, leftBorderWidth);
    return ippStsNoErr;
}

}  // namespace ipp_generic

IppStatus ippiCopyReplicateBorder_8u_C4R(const Ipp8u* pSrc, int srcStep, IppiSize srcRoiSize, Ipp8u* pDst,
                                         int dstStep, IppiSize dstRoiSize, int topBorderHeight,
                                         int leftBorderWidth) {
    if (IppStatus s = CheckReplicateBorder(pSrc, srcStep, srcRoiSize, pDst, dstStep, dstRoiSize, topBorderHeight,
                                           leftBorderWidth))
        return s;
    return ippActivePrimitives().copyReplicateBorder_8u_C4R(pSrc, srcStep, srcRoiSize, pDst, dstStep, dstRoiSize,
                                                            topBorderHeight, leftBorderWidth);
}

IppStatus ippiCopyReplicateBorder_8u_C1R(const Ipp8u* pSrc, int srcStep, IppiSize srcRoiSize, Ipp8u* pDst,
                                         int dstStep, IppiSize dstRoiSize, int topBorderHeight,
                                         int leftBorderWidth) {
    if (IppStatus s = CheckReplicateBorder(pSrc, srcStep, srcRoiSize, pDst, dstStep, dstRoiSize, topBorderHeight,
                                           leftBorderWidth))
        return s;
    return ippActivePrimitives().copyReplicateBorder_8u_C1R(pSrc, srcStep, srcRoiSize, pDst, dstStep, dstRoiSize,
                                                            topBorderHeight, leftBorderWidth);
}
