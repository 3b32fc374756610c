// What the vector versions of the float-kernel filter share: the address
// arithmetic of a call and the test that sends overlapping calls to the generic
// routine.
//
// Why the vector versions give the generic bytes: for each channel the generic
// routine forms v = 0.0 + p(0,0) + p(0,1) + ... (rows j, then cells i), where
// every product p = (double)weight * byte is exact (24 significant bits times 8
// fit the 53 of a double, and a float times 255 can neither overflow nor
// underflow a double). The vector versions do exactly these additions in exactly
// this order, one channel per lane, so every lane rounds as the generic sum does.
// Because each product is exact, a fused multiply-add round(p + v) equals the
// generic round(round(p) + v) as well, infinities and NaN included (inf * 0 is
// NaN either way, and the output rule maps every NaN to 0).
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/ippi.h"

namespace ipp_fast_detail {

struct FilterGeometry {
    const Ipp8u* firstTap;  // the source pixel that kernel cell (0, 0) meets for destination pixel (0, 0)
    ptrdiff_t srcStep, dstStep;
};

inline FilterGeometry GeometryOf(const Ipp8u* pSrc, int srcStep, int dstStep, IppiPoint anchor) {
    return {pSrc + static_cast<ptrdiff_t>(anchor.y) * srcStep + static_cast<ptrdiff_t>(anchor.x) * 4, srcStep, dstStep};
}

// True when a byte the call writes may also be one it reads, source or kernel.
// The generic routine then sees its own earlier output in a fixed order, pixel
// by pixel, which the vector versions (reading ahead along a row, holding the
// weights in registers) would not reproduce; such calls go to the generic
// routine. The test spans whole rows, so it may send a few calls there that
// would not need it, never the reverse.
inline bool ReadsWhatItWrites(const FilterGeometry& g, const Ipp8u* pDst, IppiSize roi, const Ipp32f* kernel,
                              IppiSize ks) {
    const auto tap = reinterpret_cast<intptr_t>(g.firstTap);
    const intptr_t readFirst = tap - (ks.height - 1) * g.srcStep - (ks.width - 1) * intptr_t{4};
    const intptr_t readLast = tap + (roi.height - 1) * g.srcStep + roi.width * intptr_t{4} - 1;
    const auto kernelFirst = reinterpret_cast<intptr_t>(kernel);
    const intptr_t kernelLast = kernelFirst + intptr_t{ks.width} * ks.height * intptr_t{sizeof(Ipp32f)} - 1;
    const auto writeFirst = reinterpret_cast<intptr_t>(pDst);
    const intptr_t writeLast = writeFirst + (roi.height - 1) * g.dstStep + roi.width * intptr_t{4} - 1;
    return (readFirst <= writeLast && writeFirst <= readLast) ||
           (kernelFirst <= writeLast && writeFirst <= kernelLast);
}

}  // namespace ipp_fast_detail
