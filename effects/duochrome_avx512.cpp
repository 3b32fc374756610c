// Duo Chrome's rows with AVX-512: sixteen pixels at a time, the ramp in two groups of
// eight double lanes, the mix in sixteen single-precision lanes (see
// effects/duochrome_fast.h for why every lane holds the rule's value). Each lane's
// segment constants come from one permute by its segment's index, where AVX2 needs two
// blends per constant.
//
// The ramp position t = (Y - from) / over is the double quotient rounded to single
// precision. Here it is (Y - from) * (1 / over): within three units in the last place
// (double) of the quotient, so both round to the same float unless the product lies
// within a few units of a point halfway between two floats; such lanes (about one in
// ten million) are divided as the rule does.
//
// Only this file's functions use AVX-512 (a per-function target attribute); they are
// called only where ippAvx512Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// maybe-uninitialized warning then reports at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include "effects/duochrome_fast.h"

#define QUILLET_AVX512 __attribute__((target("avx512f")))
#define QUILLET_AVX512_INLINE __attribute__((target("avx512f"), always_inline)) inline

namespace {

QUILLET_AVX512_INLINE __m512d RoundedToFloat(__m512d v) { return _mm512_cvtps_pd(_mm512_cvtpd_ps(v)); }

// A constant of each segment in lanes 0 (white), 1 (black) and 2 (middle).
QUILLET_AVX512_INLINE __m512d BySegment(double white, double black, double middle) {
    return _mm512_setr_pd(white, black, middle, 0, 0, 0, 0, 0);
}

struct SegmentTables {
    __m512d from, over, reciprocal, base[3], span[3];
};

// a / over rounded to single precision, from a * (1 / over): lanes whose product's low
// 29 bits (what rounding to single precision drops) lie within 8 of the halfway pattern
// are divided instead.
QUILLET_AVX512_INLINE __m512d PositionOnSegment(__m512d a, __m512d over, __m512d reciprocal) {
    const __m512d product = _mm512_mul_pd(a, reciprocal);
    const __m512i dropped = _mm512_and_si512(_mm512_castpd_si512(product), _mm512_set1_epi64((1 << 29) - 1));
    const __m512i fromHalfway = _mm512_abs_epi64(_mm512_sub_epi64(dropped, _mm512_set1_epi64(1 << 28)));
    const __mmask8 near = _mm512_cmp_epu64_mask(fromHalfway, _mm512_set1_epi64(8), _MM_CMPINT_LE);
    if (__builtin_expect(near != 0, 0)) return RoundedToFloat(_mm512_mask_div_pd(product, near, a, over));
    return RoundedToFloat(product);
}

// The three ramp colours of eight pixels (blue, green, red as int32 lanes), as floats.
QUILLET_AVX512_INLINE void RampColours(const DuoSegments& r, const SegmentTables& k, __m256i blue, __m256i green,
                                       __m256i red, __m256& colour0, __m256& colour1, __m256& colour2) {
    __m512d Y = _mm512_add_pd(_mm512_mul_pd(_mm512_cvtepi32_pd(red), _mm512_set1_pd(static_cast<double>(0.298f))),
                              _mm512_mul_pd(_mm512_cvtepi32_pd(green), _mm512_set1_pd(static_cast<double>(0.586f))));
    Y = RoundedToFloat(_mm512_add_pd(Y, _mm512_mul_pd(_mm512_cvtepi32_pd(blue), _mm512_set1_pd(static_cast<double>(0.113f)))));
    if (r.inverted) Y = RoundedToFloat(_mm512_sub_pd(_mm512_set1_pd(255.0), Y));
    const __mmask8 above = _mm512_cmp_pd_mask(Y, _mm512_set1_pd(r.LP), _CMP_GT_OQ);
    const __mmask8 below = _mm512_cmp_pd_mask(Y, _mm512_set1_pd(r.LK), _CMP_LT_OQ);
    __m512i segment = _mm512_mask_mov_epi64(_mm512_set1_epi64(2), below, _mm512_set1_epi64(1));
    segment = _mm512_mask_mov_epi64(segment, above, _mm512_setzero_si512());
    const __m512d t = PositionOnSegment(_mm512_sub_pd(Y, _mm512_permutexvar_pd(segment, k.from)),
                                        _mm512_permutexvar_pd(segment, k.over),
                                        _mm512_permutexvar_pd(segment, k.reciprocal));
    colour0 = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_permutexvar_pd(segment, k.base[0]),
                                            _mm512_mul_pd(_mm512_permutexvar_pd(segment, k.span[0]), t)));
    colour1 = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_permutexvar_pd(segment, k.base[1]),
                                            _mm512_mul_pd(_mm512_permutexvar_pd(segment, k.span[1]), t)));
    colour2 = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_permutexvar_pd(segment, k.base[2]),
                                            _mm512_mul_pd(_mm512_permutexvar_pd(segment, k.span[2]), t)));
}

QUILLET_AVX512_INLINE __m512 Join(__m256 low, __m256 high) {
    return _mm512_castpd_ps(_mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_castps_pd(low)), _mm256_castps_pd(high), 1));
}

// colour * blend + byte * keep, held within 0..255 (maxps gives 0 for NaN), truncated
// and placed at the channel's byte.
QUILLET_AVX512_INLINE __m512i Mix(__m256 low, __m256 high, __m512i byte, __m512 blend, __m512 keep, int shift) {
    const __m512 v = _mm512_add_ps(_mm512_mul_ps(Join(low, high), blend), _mm512_mul_ps(_mm512_cvtepi32_ps(byte), keep));
    const __m512i held = _mm512_cvttps_epi32(_mm512_min_ps(_mm512_max_ps(v, _mm512_setzero_ps()), _mm512_set1_ps(255.0f)));
    return _mm512_slli_epi32(held, shift);
}

}  // namespace

QUILLET_AVX512 int DuoChromeRowAvx512(const DuoSegments& r, const uint8_t* source, uint8_t* destination, int width) {
    SegmentTables k;
    k.from = BySegment(r.from[0], r.from[1], r.from[2]), k.over = BySegment(r.over[0], r.over[1], r.over[2]);
    k.reciprocal = _mm512_div_pd(_mm512_set1_pd(1.0), k.over);
    for (int c = 0; c < 3; ++c) {
        k.base[c] = BySegment(r.base[c][0], r.base[c][1], r.base[c][2]);
        k.span[c] = BySegment(r.span[c][0], r.span[c][1], r.span[c][2]);
    }
    const __m512i byteMask = _mm512_set1_epi32(0xFF);
    const __m512 blend = _mm512_set1_ps(r.blend), keep = _mm512_set1_ps(r.keep);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i pixels = _mm512_loadu_si512(source + 4 * x);
        const __m512i blue = _mm512_and_si512(pixels, byteMask);
        const __m512i green = _mm512_and_si512(_mm512_srli_epi32(pixels, 8), byteMask);
        const __m512i red = _mm512_and_si512(_mm512_srli_epi32(pixels, 16), byteMask);
        __m256 low0, low1, low2, high0, high1, high2;
        RampColours(r, k, _mm512_castsi512_si256(blue), _mm512_castsi512_si256(green), _mm512_castsi512_si256(red),
                    low0, low1, low2);
        RampColours(r, k, _mm512_extracti64x4_epi64(blue, 1), _mm512_extracti64x4_epi64(green, 1),
                    _mm512_extracti64x4_epi64(red, 1), high0, high1, high2);
        __m512i result = _mm512_andnot_si512(_mm512_set1_epi32(0x00FFFFFF), pixels);  // alpha kept
        result = _mm512_or_si512(result, Mix(low0, high0, blue, blend, keep, 0));
        result = _mm512_or_si512(result, Mix(low1, high1, green, blend, keep, 8));
        result = _mm512_or_si512(result, Mix(low2, high2, red, blend, keep, 16));
        _mm512_storeu_si512(destination + 4 * x, result);
    }
    return x;
}

QUILLET_AVX512 void DuoChromePositionsAvx512(const double* a, const double* over, float* t, int n) {
    for (int i = 0; i + 8 <= n; i += 8) {
        const __m512d divisor = _mm512_loadu_pd(over + i);
        const __m512d q = PositionOnSegment(_mm512_loadu_pd(a + i), divisor, _mm512_div_pd(_mm512_set1_pd(1.0), divisor));
        _mm256_storeu_ps(t + i, _mm512_cvtpd_ps(q));
    }
}

#endif
