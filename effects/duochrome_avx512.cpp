// Duo Chrome's rows with AVX-512: sixteen pixels at a time, the ramp in two groups of
// eight double lanes, the mix in sixteen single-precision lanes (see
// effects/duochrome_fast.h for why every lane holds the rule's value). Each lane's
// segment constants come from one permute by its segment's index, where AVX2 needs two
// blends per constant.
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

namespace {

QUILLET_AVX512 inline __m512d RoundedToFloat(__m512d v) { return _mm512_cvtps_pd(_mm512_cvtpd_ps(v)); }

// A constant of each segment in lanes 0 (white), 1 (black) and 2 (middle).
QUILLET_AVX512 inline __m512d BySegment(const double v[3]) { return _mm512_setr_pd(v[0], v[1], v[2], 0, 0, 0, 0, 0); }

struct SegmentTables {
    __m512d from, over, base[3], span[3];
};

// The three ramp colours of eight pixels (blue, green, red as int32 lanes).
QUILLET_AVX512 inline void RampColours(const DuoSegments& r, const SegmentTables& k, __m256i blue, __m256i green,
                                       __m256i red, __m256 colour[3]) {
    __m512d Y = _mm512_add_pd(_mm512_mul_pd(_mm512_cvtepi32_pd(red), _mm512_set1_pd(static_cast<double>(0.298f))),
                              _mm512_mul_pd(_mm512_cvtepi32_pd(green), _mm512_set1_pd(static_cast<double>(0.586f))));
    Y = RoundedToFloat(_mm512_add_pd(Y, _mm512_mul_pd(_mm512_cvtepi32_pd(blue), _mm512_set1_pd(static_cast<double>(0.113f)))));
    if (r.inverted) Y = RoundedToFloat(_mm512_sub_pd(_mm512_set1_pd(255.0), Y));
    const __mmask8 above = _mm512_cmp_pd_mask(Y, _mm512_set1_pd(r.LP), _CMP_GT_OQ);
    const __mmask8 below = _mm512_cmp_pd_mask(Y, _mm512_set1_pd(r.LK), _CMP_LT_OQ);
    __m512i segment = _mm512_mask_mov_epi64(_mm512_set1_epi64(2), below, _mm512_set1_epi64(1));
    segment = _mm512_mask_mov_epi64(segment, above, _mm512_setzero_si512());
    const __m512d t = RoundedToFloat(
        _mm512_div_pd(_mm512_sub_pd(Y, _mm512_permutexvar_pd(segment, k.from)), _mm512_permutexvar_pd(segment, k.over)));
    for (int c = 0; c < 3; ++c)
        colour[c] = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_permutexvar_pd(segment, k.base[c]),
                                                  _mm512_mul_pd(_mm512_permutexvar_pd(segment, k.span[c]), t)));
}

// colour * blend + byte * keep, held within 0..255 (maxps gives 0 for NaN) and truncated.
QUILLET_AVX512 inline __m512i Mix(__m512 colour, __m512i byte, __m512 blend, __m512 keep) {
    const __m512 v = _mm512_add_ps(_mm512_mul_ps(colour, blend), _mm512_mul_ps(_mm512_cvtepi32_ps(byte), keep));
    return _mm512_cvttps_epi32(_mm512_min_ps(_mm512_max_ps(v, _mm512_setzero_ps()), _mm512_set1_ps(255.0f)));
}

QUILLET_AVX512 inline __m512 Join(__m256 low, __m256 high) {
    return _mm512_castpd_ps(_mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_castps_pd(low)), _mm256_castps_pd(high), 1));
}

}  // namespace

QUILLET_AVX512 int DuoChromeRowAvx512(const DuoSegments& r, const uint8_t* source, uint8_t* destination, int width) {
    SegmentTables k;
    k.from = BySegment(r.from), k.over = BySegment(r.over);
    for (int c = 0; c < 3; ++c) k.base[c] = BySegment(r.base[c]), k.span[c] = BySegment(r.span[c]);
    const __m512i byteMask = _mm512_set1_epi32(0xFF);
    const __m512 blend = _mm512_set1_ps(r.blend), keep = _mm512_set1_ps(r.keep);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i pixels = _mm512_loadu_si512(source + 4 * x);
        const __m512i channel[3] = {_mm512_and_si512(pixels, byteMask),
                                    _mm512_and_si512(_mm512_srli_epi32(pixels, 8), byteMask),
                                    _mm512_and_si512(_mm512_srli_epi32(pixels, 16), byteMask)};
        __m256 low[3], high[3];
        RampColours(r, k, _mm512_castsi512_si256(channel[0]), _mm512_castsi512_si256(channel[1]),
                    _mm512_castsi512_si256(channel[2]), low);
        RampColours(r, k, _mm512_extracti64x4_epi64(channel[0], 1), _mm512_extracti64x4_epi64(channel[1], 1),
                    _mm512_extracti64x4_epi64(channel[2], 1), high);
        __m512i result = _mm512_andnot_si512(_mm512_set1_epi32(0x00FFFFFF), pixels);  // alpha kept
        for (int c = 0; c < 3; ++c)
            result = _mm512_or_si512(result, _mm512_slli_epi32(Mix(Join(low[c], high[c]), channel[c], blend, keep), 8 * c));
        _mm512_storeu_si512(destination + 4 * x, result);
    }
    return x;
}

#endif
