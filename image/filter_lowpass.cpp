// Box average of one-byte pixels over a 5 by 5 (or 3 by 3) window centred on
// each destination pixel. Algorithm: running sums, so the cost per pixel does
// not grow with the window. One working row holds, per source column, the sum
// of the window's rows; moving down a row adds the entering row and subtracts
// the leaving one, and a running sum along that row gives each window total.
//   5x5: ((S + 13) * 10485) >> 18        3x3: (S + 4) / 9 (nearest, halves up)
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "image/cpudispatch.h"
#include "image/ippi_generic.h"

namespace {

inline Ipp8u AverageOf25(int32_t sum) { return static_cast<Ipp8u>(((sum + 13) * 10485) >> 18); }
inline Ipp8u AverageOf9(int32_t sum) { return static_cast<Ipp8u>((sum + 4) / 9); }

template <int Radius, Ipp8u (*Average)(int32_t)>
IppStatus BoxFilter(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi) {
    constexpr int kSide = 2 * Radius + 1;
    // Column sums for the source columns -Radius .. width-1+Radius.
    const size_t columns = static_cast<size_t>(roi.width) + 2 * Radius;
    std::unique_ptr<int32_t[]> columnSums(new (std::nothrow) int32_t[columns]);
    if (!columnSums) return ippStsMemAllocErr;

    const Ipp8u* firstColumn = pSrc - Radius;
    auto sourceRow = [&](ptrdiff_t y) { return firstColumn + y * srcStep; };

    for (size_t c = 0; c < columns; ++c) columnSums[c] = 0;
    for (int dy = -Radius; dy <= Radius; ++dy) {
        const Ipp8u* row = sourceRow(dy);
        for (size_t c = 0; c < columns; ++c) columnSums[c] += row[c];
    }

    for (int y = 0; y < roi.height; ++y) {
        if (y > 0) {
            const Ipp8u* entering = sourceRow(static_cast<ptrdiff_t>(y) + Radius);
            const Ipp8u* leaving = sourceRow(static_cast<ptrdiff_t>(y) - Radius - 1);
            for (size_t c = 0; c < columns; ++c) columnSums[c] += entering[c] - leaving[c];
        }
        int32_t window = 0;
        for (int c = 0; c < kSide; ++c) window += columnSums[c];
        Ipp8u* dstRow = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        for (int x = 0; x < roi.width; ++x) {
            if (x > 0) window += columnSums[static_cast<size_t>(x) + kSide - 1] - columnSums[static_cast<size_t>(x) - 1];
            dstRow[x] = Average(window);
        }
    }
    return ippStsNoErr;
}

}  // namespace

namespace ipp_generic {

IppStatus FilterLowpass_8u_C1R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                               IppiMaskSize mask) {
    if (mask == ippMskSize3x3) return BoxFilter<1, AverageOf9>(pSrc, srcStep, pDst, dstStep, roi);
    return BoxFilter<2, AverageOf25>(pSrc, srcStep, pDst, dstStep, roi);
}

}  // namespace ipp_generic

IppStatus ippiFilterLowpass_8u_C1R(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                                   IppiMaskSize mask) {
    if (!pSrc || !pDst) return ippStsNullPtrErr;
    if (roiSize.width < 1 || roiSize.height < 1) return ippStsSizeErr;
    if (srcStep < 1 || dstStep < 1) return ippStsStepErr;
    if (mask != ippMskSize3x3 && mask != ippMskSize5x5) return ippStsMaskSizeErr;
    return ippActivePrimitives().filterLowpass_8u_C1R(pSrc, srcStep, pDst, dstStep, roiSize, mask);
}
