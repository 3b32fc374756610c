// The float-kernel filter with AVX2: a pixel's four channels in one register of
// four doubles, each lane summing its channel's products in the generic order
// with fused multiply-adds, which round exactly as the generic product-then-add
// does because every product is exact (image/filter32f_fast.h). The 3 x 3 path
// slides a window of widened source columns along the row and works on two
// destination pixels per step, so two independent sums are in flight.
//
// Only this file's functions use AVX2 and FMA (per-function target attributes);
// ippStaticInit() calls them only on processors that have both.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstring>

#include "image/filter32f_fast.h"
#include "image/ippi_fast.h"
#include "image/ippi_generic.h"

#define QUILLET_AVX2 __attribute__((target("avx2,fma")))

namespace {

using ipp_fast_detail::FilterGeometry;

QUILLET_AVX2 inline __m256d Widen(const Ipp8u* p) {
    int32_t bytes;
    std::memcpy(&bytes, p, 4);
    return _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(bytes)));
}

// The generic output rule per lane: 0 for v <= 0 or NaN, else v + 0.5 truncated,
// 255 when that reaches 255. Masked lanes become +0.0, which truncates to 0.
QUILLET_AVX2 inline void Store(Ipp8u* d, __m256d v) {
    const __m256d rounded = _mm256_min_pd(_mm256_add_pd(v, _mm256_set1_pd(0.5)), _mm256_set1_pd(255.0));
    const __m256d kept = _mm256_and_pd(rounded, _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_GT_OQ));
    const __m128i ints = _mm256_cvttpd_epi32(kept);
    const __m128i words = _mm_packs_epi32(ints, ints);
    const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(d, &bytes, 4);
}

// Any kernel size: every tap widens its source pixel.
QUILLET_AVX2 void FilterAnySize(const FilterGeometry& g, Ipp8u* pDst, IppiSize roi, const Ipp32f* kernel,
                                IppiSize ks) {
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* tapRow = g.firstTap + y * g.srcStep;
        Ipp8u* dstRow = pDst + y * g.dstStep;
        for (int x = 0; x < roi.width; ++x) {
            const Ipp8u* tap = tapRow + static_cast<ptrdiff_t>(x) * 4;
            __m256d acc = _mm256_setzero_pd();
            for (int j = 0; j < ks.height; ++j) {
                const Ipp8u* row = tap - j * g.srcStep;
                const Ipp32f* k = kernel + static_cast<ptrdiff_t>(j) * ks.width;
                for (int i = 0; i < ks.width; ++i)
                    acc = _mm256_fmadd_pd(_mm256_set1_pd(static_cast<double>(k[i])),
                                          Widen(row - static_cast<ptrdiff_t>(i) * 4), acc);
            }
            Store(dstRow + static_cast<ptrdiff_t>(x) * 4, acc);
        }
    }
}

// One destination pixel from the window of one source row's columns x, x - 1,
// x - 2 (c, b, a), continuing the sum acc with the row's three weights.
QUILLET_AVX2 inline __m256d Row3(__m256d acc, const __m256d* w, __m256d c, __m256d b, __m256d a) {
    acc = _mm256_fmadd_pd(w[0], c, acc);
    acc = _mm256_fmadd_pd(w[1], b, acc);
    return _mm256_fmadd_pd(w[2], a, acc);
}

// 3 x 3: for destination pixel x the taps of row j meet source columns x, x - 1,
// x - 2 (relative to the first tap) in that order. Each step widens columns x
// and x + 1 of the three rows and finishes pixels x and x + 1.
QUILLET_AVX2 void Filter3x3(const FilterGeometry& g, Ipp8u* pDst, IppiSize roi, const Ipp32f* kernel) {
    __m256d w[9];
    for (int n = 0; n < 9; ++n) w[n] = _mm256_set1_pd(static_cast<double>(kernel[n]));
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* r0 = g.firstTap + y * g.srcStep;
        const Ipp8u* r1 = r0 - g.srcStep;
        const Ipp8u* r2 = r1 - g.srcStep;
        Ipp8u* d = pDst + y * g.dstStep;
        // Columns x - 2 and x - 1 of each row for x = 0.
        __m256d a0 = Widen(r0 - 8), b0 = Widen(r0 - 4);
        __m256d a1 = Widen(r1 - 8), b1 = Widen(r1 - 4);
        __m256d a2 = Widen(r2 - 8), b2 = Widen(r2 - 4);
        int x = 0;
        for (; x + 2 <= roi.width; x += 2) {
            const ptrdiff_t at = static_cast<ptrdiff_t>(x) * 4;
            const __m256d c0 = Widen(r0 + at), c1 = Widen(r1 + at), c2 = Widen(r2 + at);
            const __m256d e0 = Widen(r0 + at + 4), e1 = Widen(r1 + at + 4), e2 = Widen(r2 + at + 4);
            __m256d first = Row3(_mm256_setzero_pd(), w, c0, b0, a0);
            __m256d second = Row3(_mm256_setzero_pd(), w, e0, c0, b0);
            first = Row3(first, w + 3, c1, b1, a1);
            second = Row3(second, w + 3, e1, c1, b1);
            first = Row3(first, w + 6, c2, b2, a2);
            second = Row3(second, w + 6, e2, c2, b2);
            Store(d + at, first);
            Store(d + at + 4, second);
            a0 = c0, b0 = e0;
            a1 = c1, b1 = e1;
            a2 = c2, b2 = e2;
        }
        if (x < roi.width) {
            const ptrdiff_t at = static_cast<ptrdiff_t>(x) * 4;
            __m256d last = Row3(_mm256_setzero_pd(), w, Widen(r0 + at), b0, a0);
            last = Row3(last, w + 3, Widen(r1 + at), b1, a1);
            last = Row3(last, w + 6, Widen(r2 + at), b2, a2);
            Store(d + at, last);
        }
    }
}

}  // namespace

namespace ipp_fast {

QUILLET_AVX2 IppStatus Filter32f_8u_C4R_Avx2(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep,
                                             IppiSize roi, const Ipp32f* pKernel, IppiSize kernelSize,
                                             IppiPoint anchor) {
    const FilterGeometry g = ipp_fast_detail::GeometryOf(pSrc, srcStep, dstStep, anchor);
    if (ipp_fast_detail::ReadsWhatItWrites(g, pDst, roi, kernelSize))
        return ipp_generic::Filter32f_8u_C4R(pSrc, srcStep, pDst, dstStep, roi, pKernel, kernelSize, anchor);
    if (kernelSize.width == 3 && kernelSize.height == 3)
        Filter3x3(g, pDst, roi, pKernel);
    else
        FilterAnySize(g, pDst, roi, pKernel, kernelSize);
    return ippStsNoErr;
}

}  // namespace ipp_fast

#endif
