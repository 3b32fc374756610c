// The plain generic definitions of the primitive routines: the reference that
// every processor-specific version must match byte for byte. They take arguments
// the public routines (image/ippi.h) have already checked, so they only compute.
#pragma once

#include "image/ippi.h"

namespace ipp_generic {

IppStatus FilterRow_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                            const Ipp32s* pKernel, int kernelSize, int xAnchor, int divisor);
IppStatus FilterColumn_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                               const Ipp32s* pKernel, int kernelSize, int yAnchor, int divisor);
IppStatus FilterLowpass_8u_C1R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                               IppiMaskSize mask);
IppStatus Filter32f_8u_C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                           const Ipp32f* pKernel, IppiSize kernelSize, IppiPoint anchor);
IppStatus CopyReplicateBorder_8u_C4R(const Ipp8u* pSrc, int srcStep, IppiSize srcRoiSize, Ipp8u* pDst, int dstStep,
                                     IppiSize dstRoiSize, int topBorderHeight, int leftBorderWidth);
IppStatus CopyReplicateBorder_8u_C1R(const Ipp8u* pSrc, int srcStep, IppiSize srcRoiSize, Ipp8u* pDst, int dstStep,
                                     IppiSize dstRoiSize, int topBorderHeight, int leftBorderWidth);
IppStatus Copy_8u_C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);
IppStatus Copy_8u_C4C1R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);
IppStatus Copy_8u_C1C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);
IppStatus RGBToHSV_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);
IppStatus HSVToRGB_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);

}  // namespace ipp_generic
