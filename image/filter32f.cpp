// 2-D single-precision kernel over all four bytes of 4-byte pixels.
// Algorithm: direct true convolution (kernel cell (i, j) meets the source pixel
// (ax - i, ay - j) away). Each product and the running sum are double precision,
// summed row 0 first and, within a row, cell 0 first; that order is part of the
// result. Output: 0 for v <= 0, else v + 0.5 truncated, 255 above 255.
#include <cstddef>

#include "image/cpudispatch.h"
#include "image/ippi_generic.h"

namespace {

inline Ipp8u SaturateRounded(double v) {
    if (!(v > 0.0)) return 0;  // also a NaN sum from a NaN kernel cell
    const double rounded = v + 0.5;
    return rounded >= 256.0 ? 255 : static_cast<Ipp8u>(rounded);
}

}  // namespace

namespace ipp_generic {

IppStatus Filter32f_8u_C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                           const Ipp32f* pKernel, IppiSize kernelSize, IppiPoint anchor) {
    const int kw = kernelSize.width;
    const int kh = kernelSize.height;
    // The source pixel that kernel cell (0, 0) meets for destination pixel (0, 0).
    const Ipp8u* firstTap = pSrc + static_cast<ptrdiff_t>(anchor.y) * srcStep + static_cast<ptrdiff_t>(anchor.x) * 4;
    for (int y = 0; y < roi.height; ++y) {
        Ipp8u* dstRow = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        for (int x = 0; x < roi.width; ++x) {
            const Ipp8u* tap = firstTap + static_cast<ptrdiff_t>(y) * srcStep + static_cast<ptrdiff_t>(x) * 4;
            double v[4] = {0.0, 0.0, 0.0, 0.0};
            for (int j = 0; j < kh; ++j) {
                const Ipp8u* row = tap - static_cast<ptrdiff_t>(j) * srcStep;
                const Ipp32f* k = pKernel + static_cast<ptrdiff_t>(j) * kw;
                for (int i = 0; i < kw; ++i) {
                    const Ipp8u* p = row - static_cast<ptrdiff_t>(i) * 4;
                    const double weight = k[i];
                    v[0] += weight * p[0];
                    v[1] += weight * p[1];
                    v[2] += weight * p[2];
                    v[3] += weight * p[3];
                }
            }
            Ipp8u* d = dstRow + static_cast<ptrdiff_t>(x) * 4;
            for (int c = 0; c < 4; ++c) d[c] = SaturateRounded(v[c]);
        }
    }
    return ippStsNoErr;
}

}  // namespace ipp_generic

IppStatus ippiFilter32f_8u_C4R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                               const Ipp32f* pKernel, IppiSize kernelSize, IppiPoint anchor) {
    if (!pSrc || !pDst || !pKernel) return ippStsNullPtrErr;
    if (roiSize.width < 1 || roiSize.height < 1 || kernelSize.width < 1 || kernelSize.height < 1)
        return ippStsSizeErr;
    if (srcStep < (int64_t{roiSize.width} + kernelSize.width - 1) * 4 || dstStep < int64_t{roiSize.width} * 4)
        return ippStsStepErr;
    return ippActivePrimitives().filter32f_8u_C4R(pSrc, srcStep, pDst, dstStep, roiSize, pKernel, kernelSize, anchor);
}
