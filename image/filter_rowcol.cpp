// Separable integer-kernel filters on the colour bytes of 4-byte pixels.
// Algorithm: direct true convolution, kernel cell i meeting the source pixel
// (anchor - i) away, one 64-bit sum per colour byte (128-bit for kernels long
// enough to overflow 64 bits), normalised by kernel_divisor.h. Alpha (byte 3) is
// neither read nor written.
#include <cstddef>

#include "image/cpudispatch.h"
#include "image/ippi_generic.h"
#include "image/kernel_divisor.h"

namespace {

using ipp_detail::KernelDivisor;

IppStatus CheckSeparableFilter(const Ipp8u* pSrc, int64_t srcStep, int64_t minSrcStep, const Ipp8u* pDst,
                               int64_t dstStep, IppiSize roi, const Ipp32s* pKernel, int kernelSize, int divisor) {
    if (!pSrc || !pDst || !pKernel) return ippStsNullPtrErr;
    if (roi.width < 1 || roi.height < 1 || kernelSize < 1) return ippStsSizeErr;
    if (divisor == 0) return ippStsDivByZeroErr;
    if (srcStep < minSrcStep || dstStep < int64_t{roi.width} * 4) return ippStsStepErr;
    return ippStsNoErr;
}

// Sums kernel[i] * src[i * tapStride] for the three colour bytes at src.
template <class Sum>
void SumColourTaps(const Ipp8u* src, ptrdiff_t tapStride, const Ipp32s* kernel, int length, int64_t out[3]) {
    Sum s0 = 0, s1 = 0, s2 = 0;
    for (int i = 0; i < length; ++i) {
        const Ipp8u* p = src - static_cast<ptrdiff_t>(i) * tapStride;
        const Sum k = kernel[i];
        s0 += k * p[0];
        s1 += k * p[1];
        s2 += k * p[2];
    }
    if constexpr (sizeof(Sum) > sizeof(int64_t)) {
        out[0] = ipp_detail::ClampToInt64(s0);
        out[1] = ipp_detail::ClampToInt64(s1);
        out[2] = ipp_detail::ClampToInt64(s2);
    } else {
        out[0] = s0;
        out[1] = s1;
        out[2] = s2;
    }
}

// One pass over the region: firstTap is the source pixel that kernel cell 0
// meets for destination pixel (0, 0); tapStride the byte distance from one
// cell's pixel to the previous cell's (cell i+1 lies one tapStride before cell i).
template <class Sum>
void FilterSeparable(const Ipp8u* firstTap, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                     ptrdiff_t tapStride, const Ipp32s* kernel, int length, const KernelDivisor& normalise) {
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* srcRow = firstTap + static_cast<ptrdiff_t>(y) * srcStep;
        Ipp8u* dstRow = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        for (int x = 0; x < roi.width; ++x) {
            int64_t sums[3];
            SumColourTaps<Sum>(srcRow + static_cast<ptrdiff_t>(x) * 4, tapStride, kernel, length, sums);
            Ipp8u* d = dstRow + static_cast<ptrdiff_t>(x) * 4;
            d[0] = normalise(sums[0]);
            d[1] = normalise(sums[1]);
            d[2] = normalise(sums[2]);
        }
    }
}

void RunSeparable(const Ipp8u* firstTap, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi, ptrdiff_t tapStride,
                  const Ipp32s* kernel, int length, int divisor) {
    const KernelDivisor normalise(divisor);
    if (length <= ipp_detail::kMaxTermsWithoutOverflow)
        FilterSeparable<int64_t>(firstTap, srcStep, pDst, dstStep, roi, tapStride, kernel, length, normalise);
    else
        FilterSeparable<ipp_detail::WideSum>(firstTap, srcStep, pDst, dstStep, roi, tapStride, kernel, length,
                                             normalise);
}

}  // namespace

namespace ipp_generic {

IppStatus FilterRow_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                            const Ipp32s* pKernel, int kernelSize, int xAnchor, int divisor) {
    const Ipp8u* firstTap = pSrc + static_cast<ptrdiff_t>(xAnchor) * 4;
    RunSeparable(firstTap, srcStep, pDst, dstStep, roi, 4, pKernel, kernelSize, divisor);
    return ippStsNoErr;
}

IppStatus FilterColumn_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                               const Ipp32s* pKernel, int kernelSize, int yAnchor, int divisor) {
    const Ipp8u* firstTap = pSrc + static_cast<ptrdiff_t>(yAnchor) * srcStep;
    RunSeparable(firstTap, srcStep, pDst, dstStep, roi, srcStep, pKernel, kernelSize, divisor);
    return ippStsNoErr;
}

}  // namespace ipp_generic

IppStatus ippiFilterRow_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                const Ipp32s* pKernel, int kernelSize, int xAnchor, int divisor) {
    // The source row must hold the region plus the kernel's reach: width + K - 1 pixels.
    const int64_t minSrcStep = (int64_t{roiSize.width} + kernelSize) * 4 - 4;
    if (IppStatus s = CheckSeparableFilter(pSrc, srcStep, minSrcStep, pDst, dstStep, roiSize, pKernel, kernelSize,
                                           divisor))
        return s;
    return ippActivePrimitives().filterRow_8u_AC4R(pSrc, srcStep, pDst, dstStep, roiSize, pKernel, kernelSize,
                                                   xAnchor, divisor);
}

IppStatus ippiFilterColumn_8u_AC4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                   const Ipp32s* pKernel, int kernelSize, int yAnchor, int divisor) {
    if (IppStatus s = CheckSeparableFilter(pSrc, srcStep, int64_t{roiSize.width} * 4, pDst, dstStep, roiSize,
                                           pKernel, kernelSize, divisor))
        return s;
    return ippActivePrimitives().filterColumn_8u_AC4R(pSrc, srcStep, pDst, dstStep, roiSize, pKernel, kernelSize,
                                                      yAnchor, divisor);
}
