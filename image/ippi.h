// The pixel primitive routines: types, status codes and the eleven routines the
// effects are built from. Each routine checks its arguments in a fixed order and
// returns the first failing status without writing anything; 0 means done.
//
// Every routine here dispatches to the implementation chosen by ippStaticInit()
// (image/cpudispatch.h). The plain generic definitions, which are the reference
// every faster version must match byte for byte, are declared in image/ippi_generic.h.
#pragma once

#include <cstdint>

using Ipp8u = uint8_t;
using Ipp32s = int32_t;
using Ipp32f = float;
using IppStatus = int;

struct IppiSize {
    int width;
    int height;
};

struct IppiPoint {
    int x;
    int y;
};

// Status codes.
constexpr IppStatus ippStsNoErr = 0;
constexpr IppStatus ippStsSizeErr = -6;        // width, height or kernel length below 1, destination too small
constexpr IppStatus ippStsNullPtrErr = -8;     // a null pointer
constexpr IppStatus ippStsMemAllocErr = -9;    // working memory could not be obtained
constexpr IppStatus ippStsStepErr = -14;       // a step too small for the region
constexpr IppStatus ippStsMaskSizeErr = -33;   // an unsupported mask
constexpr IppStatus ippStsDivByZeroErr = -51;  // divisor 0

// Masks of the box filter.
enum IppiMaskSize : int {
    ippMskSize3x3 = 33,
    ippMskSize5x5 = 55,
};

// Separable integer-kernel filters on the three colour bytes of 4-byte pixels.
// The source pointer addresses the first destination pixel's counterpart; the
// kernel reaches anchor pixels before it and K-1-anchor after it.
IppStatus ippiFilterRow_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                const Ipp32s* pKernel, int kernelSize, int xAnchor, int divisor);
IppStatus ippiFilterColumn_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                   const Ipp32s* pKernel, int kernelSize, int yAnchor, int divisor);

// Box average of one-byte pixels (3 by 3 or 5 by 5 window centred on each pixel).
IppStatus ippiFilterLowpass_8u_C1R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                   IppiMaskSize mask);

// 2-D single-precision kernel over all four bytes of 4-byte pixels.
IppStatus ippiFilter32f_8u_C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                               const Ipp32f* pKernel, IppiSize kernelSize, IppiPoint anchor);

// Copies with the edge pixels repeated into a border; may run in place.
IppStatus ippiCopyReplicateBorder_8u_C4R(const Ipp8u* pSrc, int srcStep, IppiSize srcRoiSize, Ipp8u* pDst,
                                         int dstStep, IppiSize dstRoiSize, int topBorderHeight,
                                         int leftBorderWidth);
IppStatus ippiCopyReplicateBorder_8u_C1R(const Ipp8u* pSrc, int srcStep, IppiSize srcRoiSize, Ipp8u* pDst,
                                         int dstStep, IppiSize dstRoiSize, int topBorderHeight,
                                         int leftBorderWidth);

// Plain copies: whole 4-byte pixels, one byte of each 4-byte pixel into a plane,
// a plane into one byte of each 4-byte pixel.
IppStatus ippiCopy_8u_C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);
IppStatus ippiCopy_8u_C4C1R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);
IppStatus ippiCopy_8u_C1C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);

// Hue, saturation, value conversions on bytes 0..2 of 4-byte pixels (byte 3 untouched).
IppStatus ippiRGBToHSV_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);
IppStatus ippiHSVToRGB_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);
