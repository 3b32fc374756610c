// Duo Chrome's rows with AVX-512: sixteen pixels at a time, the ramp position in two
// groups of eight double lanes, the rest in sixteen single-precision lanes (see
// effects/duochrome_fast.h for why every lane holds the rule's value). Each lane's
// segment constants come from one permute by its segment's index, where AVX2 needs two
// blends per constant.
//
// The ramp position t = (Y - from) / over is the double quotient rounded to single
// precision. Here it is (Y - from) * (1 / over): within three units in the last place
// (double) of the quotient, so both round to the same float unless the product lies
// within a few units of a point halfway between two floats; such lanes (17 patterns of
// the 2^29 that rounding drops) are divided as the rule does.
//
// The luminance, its inversion and the segment tests run on sixteen single-precision
// lanes (each is exact there: the luminance is the exact sum, carried in two floats and
// rounded once, 255 - Y and the comparisons of two floats are exact or correctly
// rounded alike). The
// ramp colour base + span * t, which the rule forms in double and rounds to single, is
// one fused multiply-add in single precision: base and span are whole numbers of at most
// 9 bits and t a float, so for t = 0 or t >= 2^-21 the exact value has at most 53
// significant bits, the double sum is exact and both round it once. A group with a lane
// whose t lies between 0 and 2^-21 takes the double steps.
//
// Only this file's functions use AVX-512 (a per-function target attribute); they are
// called only where ippAvx512Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// (maybe-)uninitialized warnings then report at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

#include <immintrin.h>

#include "effects/duochrome_fast.h"

#define QUILLET_AVX512 __attribute__((target("avx512f,fma")))
#define QUILLET_AVX512_INLINE __attribute__((target("avx512f,fma"), always_inline)) inline

namespace {

// Eight floats in the low lanes of a register, zeros above.
QUILLET_AVX512_INLINE __m512d LowLanes(__m256 v) { return _mm512_insertf64x4(_mm512_setzero_pd(), _mm256_castps_pd(v), 0); }

// A constant of each segment in lanes 0 (white), 1 (black) and 2 (middle).
QUILLET_AVX512_INLINE __m512d BySegment(double white, double black, double middle) {
    return _mm512_setr_pd(white, black, middle, 0, 0, 0, 0, 0);
}

struct SegmentTables {
    __m512d from, over, reciprocal, base[3], span[3];
};

// a / over rounded to single precision, from a * (1 / over): lanes whose product's low
// 29 bits (what rounding to single precision drops) lie within 8 of the halfway pattern
// (or up to 23 above it) are divided instead.
QUILLET_AVX512_INLINE __m256 PositionOnSegment(__m512d a, __m512d over, __m512d reciprocal) {
    const __m512d product = _mm512_mul_pd(a, reciprocal);
    // Within 2^28 - 8 .. 2^28 + 8, tested as a little more: the dropped bits moved by
    // 2^28 + 8 (mod 2^29) below 32, that is their bits 5 to 28 all clear.
    const __m512i moved = _mm512_add_epi64(_mm512_castpd_si512(product), _mm512_set1_epi64((1 << 28) + 8));
    const __mmask8 near = _mm512_testn_epi64_mask(moved, _mm512_set1_epi64((1 << 29) - 32));
    if (__builtin_expect(near != 0, 0)) return _mm512_cvtpd_ps(_mm512_mask_div_pd(product, near, a, over));
    return _mm512_cvtpd_ps(product);
}

QUILLET_AVX512_INLINE __m512 Join(__m256 low, __m256 high) {
    return _mm512_castpd_ps(_mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_castps_pd(low)), _mm256_castps_pd(high), 1));
}

QUILLET_AVX512_INLINE __m256 Low(__m512 v) { return _mm512_castps512_ps256(v); }
QUILLET_AVX512_INLINE __m256 High(__m512 v) { return _mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(v), 1)); }

// A luminance weight split in two floats: `high` a multiple of 2^-16, `low` the rest (a
// multiple of the weight's last place, below 2^-16).
struct SplitWeight {
    float high, low;
};

constexpr SplitWeight Split(float weight) {
    const float high = static_cast<float>(static_cast<int>(weight * 65536.0f)) / 65536.0f;
    return {high, weight - high};
}

// The luminance of sixteen pixels (blue, green, red as floats): the exact sum rounded to
// single precision, as the rule's double sum is. With each weight split as above, every
// high product and partial sum is a multiple of 2^-16 below 2^8 and every low one a
// multiple of 2^-27 below 2^-6, all held exactly in single precision; the one rounding
// is the final high + low.
QUILLET_AVX512_INLINE __m512 Luminance(__m512 blue, __m512 green, __m512 red) {
    constexpr SplitWeight b = Split(0.113f), g = Split(0.586f), r = Split(0.298f);
    __m512 high = _mm512_mul_ps(blue, _mm512_set1_ps(b.high));
    high = _mm512_fmadd_ps(green, _mm512_set1_ps(g.high), high);
    high = _mm512_fmadd_ps(red, _mm512_set1_ps(r.high), high);
    __m512 low = _mm512_mul_ps(blue, _mm512_set1_ps(b.low));
    low = _mm512_fmadd_ps(green, _mm512_set1_ps(g.low), low);
    low = _mm512_fmadd_ps(red, _mm512_set1_ps(r.low), low);
    return _mm512_add_ps(high, low);
}

// t of eight lanes of luminance and segment index.
QUILLET_AVX512_INLINE __m256 Position(const SegmentTables& k, __m256 Y, __m256i segment) {
    const __m512i index = _mm512_cvtepu32_epi64(segment);
    return PositionOnSegment(_mm512_sub_pd(_mm512_cvtps_pd(Y), _mm512_permutexvar_pd(index, k.from)),
                             _mm512_permutexvar_pd(index, k.over), _mm512_permutexvar_pd(index, k.reciprocal));
}

// base + span * t of one colour in double, rounded to single: the rule's steps, for the
// groups the fused form does not hold for.
QUILLET_AVX512_INLINE __m256 DoubleColour(__m512d base, __m512d span, __m256i segment, __m256 t) {
    const __m512i index = _mm512_cvtepu32_epi64(segment);
    return _mm512_cvtpd_ps(_mm512_add_pd(_mm512_permutexvar_pd(index, base),
                                         _mm512_mul_pd(_mm512_permutexvar_pd(index, span), _mm512_cvtps_pd(t))));
}

// base + span * t of one colour as one fused multiply-add in single precision.
QUILLET_AVX512_INLINE __m512 FusedColour(__m512d base, __m512d span, __m512i segment, __m512 t) {
    return _mm512_fmadd_ps(_mm512_permutexvar_ps(segment, _mm512_castpd_ps(span)), t,
                           _mm512_permutexvar_ps(segment, _mm512_castpd_ps(base)));
}

// The three ramp colours of sixteen pixels.
QUILLET_AVX512_INLINE void RampColours(const DuoSegments& r, const SegmentTables& k, const SegmentTables& single,
                                       __m512 blue, __m512 green, __m512 red, __m512 colour[3]) {
    __m512 Y = Luminance(blue, green, red);
    if (r.inverted) Y = _mm512_sub_ps(_mm512_set1_ps(255.0f), Y);
    const __mmask16 above = _mm512_cmp_ps_mask(Y, _mm512_set1_ps(static_cast<float>(r.LP)), _CMP_GT_OQ);
    const __mmask16 below = _mm512_cmp_ps_mask(Y, _mm512_set1_ps(static_cast<float>(r.LK)), _CMP_LT_OQ);
    __m512i segment = _mm512_mask_mov_epi32(_mm512_set1_epi32(2), below, _mm512_set1_epi32(1));
    segment = _mm512_mask_mov_epi32(segment, above, _mm512_setzero_si512());
    const __m256i lowSegment = _mm512_castsi512_si256(segment), highSegment = _mm512_extracti64x4_epi64(segment, 1);
    const __m512 t = Join(Position(k, Low(Y), lowSegment), Position(k, High(Y), highSegment));
    // 0 < t < 2^-21 (t is never negative): t's bits less one below those of 2^-21 less one.
    const __mmask16 tiny = _mm512_cmplt_epu32_mask(_mm512_sub_epi32(_mm512_castps_si512(t), _mm512_set1_epi32(1)),
                                                   _mm512_set1_epi32(0x35000000 - 1));
    if (__builtin_expect(tiny != 0, 0)) {
        for (int c = 0; c < 3; ++c)
            colour[c] = Join(DoubleColour(k.base[c], k.span[c], lowSegment, Low(t)),
                             DoubleColour(k.base[c], k.span[c], highSegment, High(t)));
        return;
    }
    colour[0] = FusedColour(single.base[0], single.span[0], segment, t);
    colour[1] = FusedColour(single.base[1], single.span[1], segment, t);
    colour[2] = FusedColour(single.base[2], single.span[2], segment, t);
}

// colour * blend + byte * keep, held within 0..255 (maxps gives 0 for NaN), truncated
// and placed at the channel's byte. `kHeld` false leaves the holding out: with blend
// within 0..1 every ramp colour lies within 0..255 (t within 0..1 on each segment), so
// the sum is at least 0 and below 255 * (1 + 2^-22), truncated to 0..255 either way.
template <bool kHeld>
QUILLET_AVX512_INLINE __m512i Mix(__m512 colour, __m512 byte, __m512 blend, __m512 keep, int shift) {
    __m512 v = _mm512_add_ps(_mm512_mul_ps(colour, blend), _mm512_mul_ps(byte, keep));
    if (kHeld) v = _mm512_min_ps(_mm512_max_ps(v, _mm512_setzero_ps()), _mm512_set1_ps(255.0f));
    return _mm512_slli_epi32(_mm512_cvttps_epi32(v), shift);
}

template <bool kHeld>
QUILLET_AVX512_INLINE int Rows(const DuoSegments& r, const uint8_t* source, uint8_t* destination, int width) {
    SegmentTables k, single;  // the constants as doubles, and as floats in the low lanes
    k.from = BySegment(r.from[0], r.from[1], r.from[2]), k.over = BySegment(r.over[0], r.over[1], r.over[2]);
    k.reciprocal = _mm512_maskz_div_pd(0x07, _mm512_set1_pd(1.0), k.over);  // lanes 3-7 (no segment) not divided
    for (int c = 0; c < 3; ++c) {
        k.base[c] = BySegment(r.base[c][0], r.base[c][1], r.base[c][2]);
        k.span[c] = BySegment(r.span[c][0], r.span[c][1], r.span[c][2]);
        single.base[c] = LowLanes(_mm512_cvtpd_ps(k.base[c]));
        single.span[c] = LowLanes(_mm512_cvtpd_ps(k.span[c]));
    }
    const __m512i byteMask = _mm512_set1_epi32(0xFF);
    const __m512 blend = _mm512_set1_ps(r.blend), keep = _mm512_set1_ps(r.keep);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i pixels = _mm512_loadu_si512(source + 4 * x);
        const __m512 blue = _mm512_cvtepi32_ps(_mm512_and_si512(pixels, byteMask));
        const __m512 green = _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(pixels, 8), byteMask));
        const __m512 red = _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(pixels, 16), byteMask));
        __m512 colour[3];
        RampColours(r, k, single, blue, green, red, colour);
        const __m512i blueByte = Mix<kHeld>(colour[0], blue, blend, keep, 0);
        const __m512i greenByte = Mix<kHeld>(colour[1], green, blend, keep, 8);
        const __m512i redByte = Mix<kHeld>(colour[2], red, blend, keep, 16);
        // alpha from the pixel, or'ed with the three colour bytes
        const __m512i colours = _mm512_ternarylogic_epi32(blueByte, greenByte, redByte, 0xFE);
        _mm512_storeu_si512(destination + 4 * x,
                            _mm512_ternarylogic_epi32(colours, pixels, _mm512_set1_epi32(0x00FFFFFF), 0xF4));
    }
    return x;
}

}  // namespace

QUILLET_AVX512 int DuoChromeRowAvx512(const DuoSegments& r, const uint8_t* source, uint8_t* destination, int width) {
    if (r.blend >= 0.0f && r.blend <= 1.0f) return Rows<false>(r, source, destination, width);
    return Rows<true>(r, source, destination, width);
}

QUILLET_AVX512 void DuoChromePositionsAvx512(const double* a, const double* over, float* t, int n) {
    for (int i = 0; i + 8 <= n; i += 8) {
        const __m512d divisor = _mm512_loadu_pd(over + i);
        _mm256_storeu_ps(t + i, PositionOnSegment(_mm512_loadu_pd(a + i), divisor,
                                                  _mm512_div_pd(_mm512_set1_pd(1.0), divisor)));
    }
}

#endif
