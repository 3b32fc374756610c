// Duo Chrome's rows with AVX2: eight pixels at a time, the ramp in two groups of four
// double lanes, the mix in eight single-precision lanes (see effects/duochrome_fast.h
// for why every lane holds the rule's value).
//
// Only this file's functions use AVX2 (a per-function target attribute); they are
// called only where ippAvx2Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "effects/duochrome_fast.h"

#define QUILLET_AVX2 __attribute__((target("avx2")))

namespace {

QUILLET_AVX2 inline __m256d RoundedToFloat(__m256d v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }

// Per lane: the white segment's value where Y > LP, the black one's where Y < LK,
// else the middle one's.
struct Segment {
    __m256d above, below;
    QUILLET_AVX2 __m256d Pick(const double v[3]) const {
        const __m256d middleOrBlack = _mm256_blendv_pd(_mm256_set1_pd(v[2]), _mm256_set1_pd(v[1]), below);
        return _mm256_blendv_pd(middleOrBlack, _mm256_set1_pd(v[0]), above);
    }
};

// The three ramp colours of four pixels (blue, green, red as int32 lanes).
QUILLET_AVX2 inline void RampColours(const DuoSegments& r, __m128i blue, __m128i green, __m128i red, __m128 colour[3]) {
    __m256d Y = _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(red), _mm256_set1_pd(static_cast<double>(0.298f))),
                              _mm256_mul_pd(_mm256_cvtepi32_pd(green), _mm256_set1_pd(static_cast<double>(0.586f))));
    Y = RoundedToFloat(_mm256_add_pd(Y, _mm256_mul_pd(_mm256_cvtepi32_pd(blue), _mm256_set1_pd(static_cast<double>(0.113f)))));
    if (r.inverted) Y = RoundedToFloat(_mm256_sub_pd(_mm256_set1_pd(255.0), Y));
    const Segment segment{_mm256_cmp_pd(Y, _mm256_set1_pd(r.LP), _CMP_GT_OQ),
                          _mm256_cmp_pd(Y, _mm256_set1_pd(r.LK), _CMP_LT_OQ)};
    const __m256d t = RoundedToFloat(_mm256_div_pd(_mm256_sub_pd(Y, segment.Pick(r.from)), segment.Pick(r.over)));
    for (int c = 0; c < 3; ++c)
        colour[c] = _mm256_cvtpd_ps(_mm256_add_pd(segment.Pick(r.base[c]), _mm256_mul_pd(segment.Pick(r.span[c]), t)));
}

// colour * blend + byte * keep, held within 0..255 (maxps gives 0 for NaN) and truncated.
QUILLET_AVX2 inline __m256i Mix(__m256 colour, __m256i byte, __m256 blend, __m256 keep) {
    const __m256 v = _mm256_add_ps(_mm256_mul_ps(colour, blend), _mm256_mul_ps(_mm256_cvtepi32_ps(byte), keep));
    return _mm256_cvttps_epi32(_mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), _mm256_set1_ps(255.0f)));
}

}  // namespace

QUILLET_AVX2 int DuoChromeRowAvx2(const DuoSegments& r, const uint8_t* source, uint8_t* destination, int width) {
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    const __m256 blend = _mm256_set1_ps(r.blend), keep = _mm256_set1_ps(r.keep);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 4 * x));
        const __m256i channel[3] = {_mm256_and_si256(pixels, byteMask),
                                    _mm256_and_si256(_mm256_srli_epi32(pixels, 8), byteMask),
                                    _mm256_and_si256(_mm256_srli_epi32(pixels, 16), byteMask)};
        __m128 low[3], high[3];
        RampColours(r, _mm256_castsi256_si128(channel[0]), _mm256_castsi256_si128(channel[1]),
                    _mm256_castsi256_si128(channel[2]), low);
        RampColours(r, _mm256_extracti128_si256(channel[0], 1), _mm256_extracti128_si256(channel[1], 1),
                    _mm256_extracti128_si256(channel[2], 1), high);
        __m256i result = _mm256_andnot_si256(_mm256_set1_epi32(0x00FFFFFF), pixels);  // alpha kept
        for (int c = 0; c < 3; ++c) {
            const __m256 colour = _mm256_insertf128_ps(_mm256_castps128_ps256(low[c]), high[c], 1);
            result = _mm256_or_si256(result, _mm256_slli_epi32(Mix(colour, channel[c], blend, keep), 8 * c));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + 4 * x), result);
    }
    return x;
}

#endif
