// Separable integer-kernel filters on the colour bytes of 4-byte pixels.
// Algorithm: direct true convolution, kernel cell i meeting the source pixel
// (anchor - i) away, accumulated tap by tap over runs of pixels in integers wide
// enough to hold the exact sum (32, 64 or 128 bits, chosen from the kernel's
// magnitude), normalised by kernel_divisor.h. Alpha (byte 3) is neither read nor
// written.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "image/cpudispatch.h"
#include "image/ippi_generic.h"
#include "image/kernel_divisor.h"

namespace {

using ipp_detail::KernelDivisor;

inline int64_t Narrow(int32_t s) { return s; }
inline int64_t Narrow(int64_t s) { return s; }
inline int64_t Narrow(ipp_detail::WideSum s) { return ipp_detail::ClampToInt64(s); }

IppStatus CheckSeparableFilter(const Ipp8u* pSrc, int64_t srcStep, int64_t minSrcStep, const Ipp8u* pDst,
                               int64_t dstStep, IppiSize roi, const Ipp32s* pKernel, int kernelSize, int divisor) {
    if (!pSrc || !pDst || !pKernel) return ippStsNullPtrErr;
    if (roi.width < 1 || roi.height < 1 || kernelSize < 1) return ippStsSizeErr;
    if (divisor == 0) return ippStsDivByZeroErr;
    if (srcStep < minSrcStep || dstStep < int64_t{roi.width} * 4) return ippStsStepErr;
    return ippStsNoErr;
}

// Accumulates one pass over a run of pixels tap by tap: for each kernel cell the
// whole run of source pixels it meets is read in order, so both passes walk
// memory row-wise. Integer sums do not depend on the order of the terms, and the
// accumulator type is chosen wide enough that none overflows, so every choice
// gives the exact sum.
constexpr int kRunPixels = 256;

template <class Acc>
void FilterSeparable(const Ipp8u* firstTap, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                     ptrdiff_t tapStride, const Ipp32s* kernel, int length, const KernelDivisor& normalise) {
    Acc acc[kRunPixels * 3];
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* srcRow = firstTap + static_cast<ptrdiff_t>(y) * srcStep;
        Ipp8u* dstRow = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        for (int x0 = 0; x0 < roi.width; x0 += kRunPixels) {
            const int n = std::min(kRunPixels, roi.width - x0);
            for (int j = 0; j < n * 3; ++j) acc[j] = 0;
            for (int i = 0; i < length; ++i) {
                // Kernel cell i meets the pixel i tap strides before cell 0's.
                const Ipp8u* s = srcRow + static_cast<ptrdiff_t>(x0) * 4 - static_cast<ptrdiff_t>(i) * tapStride;
                const Acc k = kernel[i];
                for (int x = 0; x < n; ++x) {
                    acc[3 * x + 0] += k * s[4 * x + 0];
                    acc[3 * x + 1] += k * s[4 * x + 1];
                    acc[3 * x + 2] += k * s[4 * x + 2];
                }
            }
            Ipp8u* d = dstRow + static_cast<ptrdiff_t>(x0) * 4;
            for (int x = 0; x < n; ++x) {
                d[4 * x + 0] = normalise(Narrow(acc[3 * x + 0]));
                d[4 * x + 1] = normalise(Narrow(acc[3 * x + 1]));
                d[4 * x + 2] = normalise(Narrow(acc[3 * x + 2]));
            }
        }
    }
}

void RunSeparable(const Ipp8u* firstTap, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi, ptrdiff_t tapStride,
                  const Ipp32s* kernel, int length, int divisor) {
    const KernelDivisor normalise(divisor);
    // The largest magnitude any sum can reach: 255 times the sum of |kernel| (below 2^70).
    ipp_detail::WideSum reach = 0;
    for (int i = 0; i < length; ++i) reach += kernel[i] < 0 ? -static_cast<ipp_detail::WideSum>(kernel[i]) : kernel[i];
    reach *= 255;
    if (reach <= INT32_MAX)
        FilterSeparable<int32_t>(firstTap, srcStep, pDst, dstStep, roi, tapStride, kernel, length, normalise);
    else if (reach <= INT64_MAX)
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
