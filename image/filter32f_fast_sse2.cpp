// The float-kernel filter with SSE2: a pixel's four channels in two registers of
// two doubles (channels 0-1 and 2-3), each lane summing its channel's products in
// the generic order (see image/filter32f_fast.h for why the bytes are the same).
// The 3 x 3 path slides a window of converted source columns along the row, so
// each source pixel is widened to doubles once per row it serves instead of once
// per tap; other sizes widen per tap.
#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include <cstring>

#include "image/filter32f_fast.h"
#include "image/ippi_fast.h"
#include "image/ippi_generic.h"

namespace {

using ipp_fast_detail::FilterGeometry;

// One pixel's channels as doubles.
struct Channels {
    __m128d low;   // channels 0, 1
    __m128d high;  // channels 2, 3
};

inline Channels Widen(const Ipp8u* p) {
    int32_t bytes;
    std::memcpy(&bytes, p, 4);
    const __m128i zero = _mm_setzero_si128();
    __m128i v = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero);
    v = _mm_unpacklo_epi16(v, zero);
    return {_mm_cvtepi32_pd(v), _mm_cvtepi32_pd(_mm_shuffle_epi32(v, _MM_SHUFFLE(3, 2, 3, 2)))};
}

// acc + weight * pixel, lane by lane, as two separate roundings.
inline void Accumulate(Channels& acc, __m128d weight, const Channels& p) {
    acc.low = _mm_add_pd(acc.low, _mm_mul_pd(weight, p.low));
    acc.high = _mm_add_pd(acc.high, _mm_mul_pd(weight, p.high));
}

// The generic output rule per lane: 0 for v <= 0 or NaN, else v + 0.5 truncated,
// 255 when that reaches 255. Masked lanes become +0.0, which truncates to 0.
inline __m128i RoundSaturate(__m128d v) {
    const __m128d rounded = _mm_min_pd(_mm_add_pd(v, _mm_set1_pd(0.5)), _mm_set1_pd(255.0));
    return _mm_cvttpd_epi32(_mm_and_pd(rounded, _mm_cmpgt_pd(v, _mm_setzero_pd())));
}

inline void Store(Ipp8u* d, const Channels& v) {
    const __m128i ints = _mm_unpacklo_epi64(RoundSaturate(v.low), RoundSaturate(v.high));
    const __m128i words = _mm_packs_epi32(ints, ints);
    const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(d, &bytes, 4);
}

inline Channels Zero() { return {_mm_setzero_pd(), _mm_setzero_pd()}; }

// Any kernel size: every tap widens its source pixels. Two destination pixels
// per step share each weight and keep their sums in flight together.
void FilterAnySize(const FilterGeometry& g, Ipp8u* pDst, IppiSize roi, const Ipp32f* kernel, IppiSize ks) {
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* tapRow = g.firstTap + y * g.srcStep;
        Ipp8u* dstRow = pDst + y * g.dstStep;
        int x = 0;
        for (; x + 2 <= roi.width; x += 2) {
            const Ipp8u* tap = tapRow + static_cast<ptrdiff_t>(x) * 4;
            Channels first = Zero(), second = Zero();
            for (int j = 0; j < ks.height; ++j) {
                const Ipp8u* row = tap - j * g.srcStep;
                const Ipp32f* k = kernel + static_cast<ptrdiff_t>(j) * ks.width;
                for (int i = 0; i < ks.width; ++i) {
                    const __m128d w = _mm_set1_pd(static_cast<double>(k[i]));
                    const Ipp8u* p = row - static_cast<ptrdiff_t>(i) * 4;
                    Accumulate(first, w, Widen(p));
                    Accumulate(second, w, Widen(p + 4));
                }
            }
            Ipp8u* d = dstRow + static_cast<ptrdiff_t>(x) * 4;
            Store(d, first);
            Store(d + 4, second);
        }
        if (x < roi.width) {
            const Ipp8u* tap = tapRow + static_cast<ptrdiff_t>(x) * 4;
            Channels acc = Zero();
            for (int j = 0; j < ks.height; ++j) {
                const Ipp8u* row = tap - j * g.srcStep;
                const Ipp32f* k = kernel + static_cast<ptrdiff_t>(j) * ks.width;
                for (int i = 0; i < ks.width; ++i)
                    Accumulate(acc, _mm_set1_pd(static_cast<double>(k[i])), Widen(row - static_cast<ptrdiff_t>(i) * 4));
            }
            Store(dstRow + static_cast<ptrdiff_t>(x) * 4, acc);
        }
    }
}

// 3 x 3: for destination pixel x the taps of row j meet source columns x, x - 1,
// x - 2 (relative to the first tap) in that order. The window holds the two older
// columns of each of the three rows; each step widens the new column.
void Filter3x3(const FilterGeometry& g, Ipp8u* pDst, IppiSize roi, const Ipp32f* kernel) {
    __m128d w[9];
    for (int n = 0; n < 9; ++n) w[n] = _mm_set1_pd(static_cast<double>(kernel[n]));
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* r0 = g.firstTap + y * g.srcStep;
        const Ipp8u* r1 = r0 - g.srcStep;
        const Ipp8u* r2 = r1 - g.srcStep;
        Ipp8u* d = pDst + y * g.dstStep;
        // Columns x - 2 and x - 1 of each row for x = 0.
        Channels a0 = Widen(r0 - 8), b0 = Widen(r0 - 4);
        Channels a1 = Widen(r1 - 8), b1 = Widen(r1 - 4);
        Channels a2 = Widen(r2 - 8), b2 = Widen(r2 - 4);
        for (int x = 0; x < roi.width; ++x) {
            const ptrdiff_t at = static_cast<ptrdiff_t>(x) * 4;
            const Channels c0 = Widen(r0 + at), c1 = Widen(r1 + at), c2 = Widen(r2 + at);
            Channels acc = Zero();
            Accumulate(acc, w[0], c0);
            Accumulate(acc, w[1], b0);
            Accumulate(acc, w[2], a0);
            Accumulate(acc, w[3], c1);
            Accumulate(acc, w[4], b1);
            Accumulate(acc, w[5], a1);
            Accumulate(acc, w[6], c2);
            Accumulate(acc, w[7], b2);
            Accumulate(acc, w[8], a2);
            Store(d + at, acc);
            a0 = b0, b0 = c0;
            a1 = b1, b1 = c1;
            a2 = b2, b2 = c2;
        }
    }
}

}  // namespace

namespace ipp_fast {

IppStatus Filter32f_8u_C4R_Sse2(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                                const Ipp32f* pKernel, IppiSize kernelSize, IppiPoint anchor) {
    const FilterGeometry g = ipp_fast_detail::GeometryOf(pSrc, srcStep, dstStep, anchor);
    if (ipp_fast_detail::ReadsWhatItWrites(g, pDst, roi, pKernel, kernelSize))
        return ipp_generic::Filter32f_8u_C4R(pSrc, srcStep, pDst, dstStep, roi, pKernel, kernelSize, anchor);
    if (kernelSize.width == 3 && kernelSize.height == 3)
        Filter3x3(g, pDst, roi, pKernel);
    else
        FilterAnySize(g, pDst, roi, pKernel, kernelSize);
    return ippStsNoErr;
}

}  // namespace ipp_fast

#endif
