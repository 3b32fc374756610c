// Metallic's rows with AVX-512, sixteen pixels at a time. The metal term w of each pixel's
// channel sum is read from the per-frame table (image/table_lookup_avx512.h), and the rest is
// the tabulated version's arithmetic lane by lane: w * k per colour, byte * picture, their
// sum held within 0..255 by maxpd / minpd (0 for NaN) and truncated. The same double
// operations on the same values give the same bytes.
//
// Only this file's function uses AVX-512 (a per-function target attribute); it is called
// only where ippAvx512Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// maybe-uninitialized warning then reports at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include "effects/metal_fast.h"
#include "image/table_lookup_avx512.h"

#define QUILLET_AVX512 __attribute__((target("avx512f")))
#define QUILLET_AVX512_INLINE __attribute__((target("avx512f"), always_inline)) inline

namespace {

// One colour of eight pixels: w * k + byte * picture, held and truncated to int32 lanes.
QUILLET_AVX512_INLINE __m256i Channel(__m512d w, __m512d k, __m256i byte, __m512d picture) {
    const __m512d v = _mm512_add_pd(_mm512_mul_pd(w, k), _mm512_mul_pd(_mm512_cvtepi32_pd(byte), picture));
    return _mm512_cvttpd_epi32(_mm512_min_pd(_mm512_max_pd(v, _mm512_setzero_pd()), _mm512_set1_pd(255.0)));
}

// One colour of sixteen pixels, placed at its byte.
QUILLET_AVX512_INLINE __m512i Colour(__m512d low, __m512d high, double k, __m512i byte, __m512d picture, int shift) {
    const __m512d factor = _mm512_set1_pd(k);
    const __m256i first = Channel(low, factor, _mm512_castsi512_si256(byte), picture);
    const __m256i second = Channel(high, factor, _mm512_extracti64x4_epi64(byte, 1), picture);
    return _mm512_slli_epi32(_mm512_inserti64x4(_mm512_castsi256_si512(first), second, 1), shift);
}

}  // namespace

QUILLET_AVX512 int MetalRowAvx512(const double* metalTerm, const MetalSettings& k, const uint8_t* source,
                                  uint8_t* destination, int width) {
    const __m512i byteMask = _mm512_set1_epi32(0xFF);
    const __m512d picture = _mm512_set1_pd(k.picture);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i pixels = _mm512_loadu_si512(source + 4 * x);
        const __m512i blue = _mm512_and_si512(pixels, byteMask);
        const __m512i green = _mm512_and_si512(_mm512_srli_epi32(pixels, 8), byteMask);
        const __m512i red = _mm512_and_si512(_mm512_srli_epi32(pixels, 16), byteMask);
        const __m512i sum = _mm512_add_epi32(_mm512_add_epi32(blue, green), red);
        __m512d low, high;
        LookUpSixteen(metalTerm, sum, low, high);
        __m512i result = _mm512_andnot_si512(_mm512_set1_epi32(0x00FFFFFF), pixels);  // alpha kept
        result = _mm512_or_si512(result, Colour(low, high, k.kb, blue, picture, 0));
        result = _mm512_or_si512(result, Colour(low, high, k.kg, green, picture, 8));
        result = _mm512_or_si512(result, Colour(low, high, k.kr, red, picture, 16));
        _mm512_storeu_si512(destination + 4 * x, result);
    }
    return x;
}

#endif
