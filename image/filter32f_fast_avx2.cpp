// The float-kernel filter with AVX2: a pixel's four channels in one register of
// four doubles, each lane summing its channel's products in the generic order
// with fused multiply-adds, which round exactly as the generic product-then-add
// does because every product is exact (image/filter32f_fast.h). The 3 x 3 path
// slides a window of widened source columns along the row and works on four
// destination pixels per step, so four independent sums are in flight.
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

// Any kernel size: every tap widens its source pixels. Four destination pixels
// per step share each weight and keep four independent sums in flight (one sum
// alone would wait on each fused multiply-add before the next).
QUILLET_AVX2 void FilterAnySize(const FilterGeometry& g, Ipp8u* pDst, IppiSize roi, const Ipp32f* kernel,
                                IppiSize ks) {
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* tapRow = g.firstTap + y * g.srcStep;
        Ipp8u* dstRow = pDst + y * g.dstStep;
        int x = 0;
        for (; x + 4 <= roi.width; x += 4) {
            const Ipp8u* tap = tapRow + static_cast<ptrdiff_t>(x) * 4;
            __m256d a0 = _mm256_setzero_pd(), a1 = a0, a2 = a0, a3 = a0;
            for (int j = 0; j < ks.height; ++j) {
                const Ipp8u* row = tap - j * g.srcStep;
                const Ipp32f* k = kernel + static_cast<ptrdiff_t>(j) * ks.width;
                for (int i = 0; i < ks.width; ++i) {
                    const __m256d w = _mm256_set1_pd(static_cast<double>(k[i]));
                    const Ipp8u* p = row - static_cast<ptrdiff_t>(i) * 4;
                    a0 = _mm256_fmadd_pd(w, Widen(p), a0);
                    a1 = _mm256_fmadd_pd(w, Widen(p + 4), a1);
                    a2 = _mm256_fmadd_pd(w, Widen(p + 8), a2);
                    a3 = _mm256_fmadd_pd(w, Widen(p + 12), a3);
                }
            }
            Ipp8u* d = dstRow + static_cast<ptrdiff_t>(x) * 4;
            Store(d, a0);
            Store(d + 4, a1);
            Store(d + 8, a2);
            Store(d + 12, a3);
        }
        for (; x < roi.width; ++x) {
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
// x - 2 (relative to the first tap) in that order. Each step widens columns x to
// x + 3 of the three rows, row by row, and finishes pixels x to x + 3: four
// independent sums in flight, and each source pixel widened once per row.
QUILLET_AVX2 void Filter3x3(const FilterGeometry& g, Ipp8u* pDst, IppiSize roi, const Ipp32f* kernel) {
    __m256d w[9];
    for (int n = 0; n < 9; ++n) w[n] = _mm256_set1_pd(static_cast<double>(kernel[n]));
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* rows[3] = {g.firstTap + y * g.srcStep, g.firstTap + (y - 1) * g.srcStep,
                                g.firstTap + (y - 2) * g.srcStep};
        Ipp8u* d = pDst + y * g.dstStep;
        // Columns x - 2 (older) and x - 1 (old) of each row for x = 0.
        __m256d older[3], old[3];
        for (int j = 0; j < 3; ++j) older[j] = Widen(rows[j] - 8), old[j] = Widen(rows[j] - 4);
        int x = 0;
        for (; x + 4 <= roi.width; x += 4) {
            const ptrdiff_t at = static_cast<ptrdiff_t>(x) * 4;
            __m256d s0 = _mm256_setzero_pd(), s1 = s0, s2 = s0, s3 = s0;
            for (int j = 0; j < 3; ++j) {
                const __m256d c0 = Widen(rows[j] + at), c1 = Widen(rows[j] + at + 4);
                const __m256d c2 = Widen(rows[j] + at + 8), c3 = Widen(rows[j] + at + 12);
                s0 = Row3(s0, w + 3 * j, c0, old[j], older[j]);
                s1 = Row3(s1, w + 3 * j, c1, c0, old[j]);
                s2 = Row3(s2, w + 3 * j, c2, c1, c0);
                s3 = Row3(s3, w + 3 * j, c3, c2, c1);
                older[j] = c2, old[j] = c3;
            }
            Store(d + at, s0);
            Store(d + at + 4, s1);
            Store(d + at + 8, s2);
            Store(d + at + 12, s3);
        }
        for (; x < roi.width; ++x) {
            const ptrdiff_t at = static_cast<ptrdiff_t>(x) * 4;
            __m256d sum = _mm256_setzero_pd();
            for (int j = 0; j < 3; ++j) {
                const __m256d c = Widen(rows[j] + at);
                sum = Row3(sum, w + 3 * j, c, old[j], older[j]);
                older[j] = old[j], old[j] = c;
            }
            Store(d + at, sum);
        }
    }
}

}  // namespace

namespace ipp_fast {

QUILLET_AVX2 IppStatus Filter32f_8u_C4R_Avx2(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep,
                                             IppiSize roi, const Ipp32f* pKernel, IppiSize kernelSize,
                                             IppiPoint anchor) {
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
