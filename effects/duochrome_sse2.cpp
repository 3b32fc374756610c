// Duo Chrome's rows with SSE2: four pixels at a time, the ramp in two pairs of double
// lanes, the mix in four single-precision lanes (see effects/duochrome_fast.h for why
// every lane holds the rule's value). SSE2 is the x86-64 baseline.
#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include "effects/duochrome_fast.h"

namespace {

inline __m128d RoundedToFloat(__m128d v) { return _mm_cvtps_pd(_mm_cvtpd_ps(v)); }

// Per lane: the white segment's value where Y > LP, the black one's where Y < LK,
// else the middle one's (the two masks never both hold, as LP >= LK).
struct Segment {
    __m128d above, below;
    __m128d Pick(const double v[3]) const {
        const __m128d middle = _mm_andnot_pd(_mm_or_pd(above, below), _mm_set1_pd(v[2]));
        return _mm_or_pd(middle, _mm_or_pd(_mm_and_pd(above, _mm_set1_pd(v[0])), _mm_and_pd(below, _mm_set1_pd(v[1]))));
    }
};

// The three ramp colours of two pixels (blue, green, red in the low two int32 lanes),
// in the low two float lanes of colour[c].
inline void RampColours(const DuoSegments& r, __m128i blue, __m128i green, __m128i red, __m128 colour[3]) {
    __m128d Y = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(red), _mm_set1_pd(static_cast<double>(0.298f))),
                           _mm_mul_pd(_mm_cvtepi32_pd(green), _mm_set1_pd(static_cast<double>(0.586f))));
    Y = RoundedToFloat(_mm_add_pd(Y, _mm_mul_pd(_mm_cvtepi32_pd(blue), _mm_set1_pd(static_cast<double>(0.113f)))));
    if (r.inverted) Y = RoundedToFloat(_mm_sub_pd(_mm_set1_pd(255.0), Y));
    const Segment segment{_mm_cmpgt_pd(Y, _mm_set1_pd(r.LP)), _mm_cmplt_pd(Y, _mm_set1_pd(r.LK))};
    const __m128d t = RoundedToFloat(_mm_div_pd(_mm_sub_pd(Y, segment.Pick(r.from)), segment.Pick(r.over)));
    for (int c = 0; c < 3; ++c)
        colour[c] = _mm_cvtpd_ps(_mm_add_pd(segment.Pick(r.base[c]), _mm_mul_pd(segment.Pick(r.span[c]), t)));
}

// colour * blend + byte * keep, held within 0..255 (maxps gives 0 for NaN) and truncated.
inline __m128i Mix(__m128 colour, __m128i byte, __m128 blend, __m128 keep) {
    const __m128 v = _mm_add_ps(_mm_mul_ps(colour, blend), _mm_mul_ps(_mm_cvtepi32_ps(byte), keep));
    return _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(255.0f)));
}

}  // namespace

int DuoChromeRowSse2(const DuoSegments& r, const uint8_t* source, uint8_t* destination, int width) {
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    const __m128 blend = _mm_set1_ps(r.blend), keep = _mm_set1_ps(r.keep);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * x));
        const __m128i channel[3] = {_mm_and_si128(pixels, byteMask), _mm_and_si128(_mm_srli_epi32(pixels, 8), byteMask),
                                    _mm_and_si128(_mm_srli_epi32(pixels, 16), byteMask)};
        __m128 low[3], high[3];
        RampColours(r, channel[0], channel[1], channel[2], low);
        RampColours(r, _mm_srli_si128(channel[0], 8), _mm_srli_si128(channel[1], 8), _mm_srli_si128(channel[2], 8),
                    high);
        __m128i result = _mm_andnot_si128(_mm_set1_epi32(0x00FFFFFF), pixels);  // alpha kept
        for (int c = 0; c < 3; ++c)
            result = _mm_or_si128(result, _mm_slli_epi32(Mix(_mm_movelh_ps(low[c], high[c]), channel[c], blend, keep), 8 * c));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 4 * x), result);
    }
    return x;
}

#endif
