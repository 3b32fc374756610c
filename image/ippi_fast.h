// Faster versions of the slowest primitive routines. Each one gives, for every
// input, the bytes of its generic definition (image/ippi_generic.h); the identity
// harness (tests/identity) proves it (seeded random cases for the filter, all 2^24
// colours for the conversions). Like the generic ones they take
// arguments the public routines have already checked.
//
// ippStaticInit() (image/cpudispatch.cpp) picks among them once, from the
// processor's features; nothing here is called on a processor that lacks the
// instructions it was built for.
#pragma once

#include "image/ippi.h"

namespace ipp_fast {

// The 2-D float-kernel filter with the four channels of a pixel in the lanes of
// vector registers: SSE2 (two double lanes) and AVX2 with FMA (four). Both have
// an unrolled 3 x 3 path; any other kernel size takes a plain tap loop.
IppStatus Filter32f_8u_C4R_Sse2(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                const Ipp32f* pKernel, IppiSize kernelSize, IppiPoint anchor);
IppStatus Filter32f_8u_C4R_Avx2(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                const Ipp32f* pKernel, IppiSize kernelSize, IppiPoint anchor);

// The box average with SSE2 (5 x 5; the 3 x 3 mask takes the generic routine).
IppStatus FilterLowpass_8u_C1R_Sse2(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                    IppiMaskSize mask);
// The 5 x 5 average of a row's pixels x .. width - 1 from its column sums (the columns
// -2 .. width + 1): the rest a vector box filter leaves.
inline void BoxAverageTail(const uint16_t* sums, Ipp8u* dst, int x, int width) {
    for (; x < width; ++x)
        dst[x] = static_cast<Ipp8u>(((sums[x] + sums[x + 1] + sums[x + 2] + sums[x + 3] + sums[x + 4] + 13) * 10485) >> 18);
}

// The same with AVX2, sixteen pixels at a time.
IppStatus FilterLowpass_8u_C1R_Avx2(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                    IppiMaskSize mask);
// The same with AVX-512 (F and BW), thirty-two pixels at a time, its column sums running
// down the picture.
IppStatus FilterLowpass_8u_C1R_Avx512(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                      IppiMaskSize mask);

// The hue/saturation/value conversions through tables of the per-channel terms,
// built once; plain C++, so any processor runs them.
IppStatus RGBToHSV_8u_AC4R_Tables(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);
IppStatus HSVToRGB_8u_AC4R_Tables(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize);

}  // namespace ipp_fast
