// The blur effects' combines with AVX2: the SSE2 steps (effects/blurcombine_sse2.cpp
// says why each gives the rule's bytes) on eight pixels at a time. Every shuffle and
// pack works within 128-bit halves, so each half holds four successive pixels
// throughout, as the SSE2 version's register does.
//
// Only this file's functions use AVX2 (per-function target attributes); they run only
// where ippAvx2Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>

#include "effects/blurcombine.h"

#define QUILLET_AVX2 __attribute__((target("avx2")))

namespace {

QUILLET_AVX2 inline __m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

QUILLET_AVX2 inline __m256i Luminance(__m256i pixels) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i weights = _mm256_setr_epi16(30, 149, 76, 0, 30, 149, 76, 0, 30, 149, 76, 0, 30, 149, 76, 0);
    const __m256 low = _mm256_castsi256_ps(_mm256_madd_epi16(_mm256_unpacklo_epi8(pixels, zero), weights));
    const __m256 high = _mm256_castsi256_ps(_mm256_madd_epi16(_mm256_unpackhi_epi8(pixels, zero), weights));
    const __m256i blueGreen = _mm256_castps_si256(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m256i red = _mm256_castps_si256(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
    return _mm256_srli_epi32(_mm256_add_epi32(blueGreen, red), 8);
}

}  // namespace

QUILLET_AVX2 int AirBrushCombineAvx2(const AirBrushCombineTerms& terms, const uint8_t* in, const uint8_t* blurred,
                                     uint8_t* out, int width) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i threshold = _mm256_set1_epi32(std::max(terms.threshold, 0));
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const __m256i colours = _mm256_set1_epi32(0x00FFFFFF);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i s = Load(in + x * 4);
        const __m256i b = Load(blurred + x * 4);
        const __m256i target = _mm256_srli_epi32(_mm256_mullo_epi16(Luminance(b), threshold), 8);
        const __m256i lift = _mm256_sub_epi32(target, Luminance(s));
        const __m256i lifting = _mm256_cmpgt_epi32(lift, zero);
        __m256i spread = _mm256_and_si256(lift, lifting);
        spread = _mm256_or_si256(spread, _mm256_slli_epi32(spread, 8));
        spread = _mm256_and_si256(_mm256_or_si256(spread, _mm256_slli_epi32(spread, 16)), colours);
        const __m256i lifted = _mm256_adds_epu8(s, spread);
        const __m256i darker = _mm256_min_epu8(s, _mm256_or_si256(b, alpha));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x * 4), _mm256_blendv_epi8(darker, lifted, lifting));
    }
    return x;
}

QUILLET_AVX2 int DreamGlowCombineAvx2(const DreamGlowCombineTerms& terms, const uint8_t* in, const uint8_t* blurred,
                                      uint8_t* out, int width) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i gain = _mm256_set1_epi32(std::clamp(terms.gainT, 0, 510 * 256));
    const auto b = static_cast<short>(terms.blue), g = static_cast<short>(terms.green),
               r = static_cast<short>(terms.red);
    const __m256i colour = _mm256_setr_epi16(b, g, r, 0, b, g, r, 0, b, g, r, 0, b, g, r, 0);
    const __m256i alphaLanes = _mm256_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1);
    const __m256i ceiling =
        _mm256_setr_epi16(256, 256, 256, 256, 255, 255, 255, 255, 256, 256, 256, 256, 255, 255, 255, 255);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i s = Load(in + x * 4);
        const __m256i glow = _mm256_srli_epi32(_mm256_mullo_epi32(Luminance(Load(blurred + x * 4)), gain), 8);
        const __m256i excess = _mm256_sub_epi32(glow, Luminance(s));
        const __m256i held = _mm256_min_epi16(_mm256_max_epi16(_mm256_packs_epi32(excess, glow), zero), ceiling);
        const __m256i excessPairs = _mm256_unpacklo_epi16(held, held);
        const __m256i glowPairs = _mm256_unpackhi_epi16(held, held);
        __m256i half[2];
        for (int h = 0; h < 2; ++h) {
            const __m256i source = h == 0 ? _mm256_unpacklo_epi8(s, zero) : _mm256_unpackhi_epi8(s, zero);
            const __m256i e = h == 0 ? _mm256_unpacklo_epi32(excessPairs, excessPairs)
                                     : _mm256_unpackhi_epi32(excessPairs, excessPairs);
            const __m256i gl =
                h == 0 ? _mm256_unpacklo_epi32(glowPairs, glowPairs) : _mm256_unpackhi_epi32(glowPairs, glowPairs);
            const __m256i tinted =
                _mm256_min_epi16(_mm256_add_epi16(source, _mm256_srli_epi16(_mm256_mullo_epi16(e, colour), 8)), colour);
            half[h] = _mm256_or_si256(tinted, _mm256_and_si256(_mm256_max_epi16(gl, source), alphaLanes));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x * 4), _mm256_packus_epi16(half[0], half[1]));
    }
    return x;
}

#endif
