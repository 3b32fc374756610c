// The blur effects' combines with AVX-512 (F and BW): the AVX2 steps on sixteen pixels at
// a time. Every shuffle, unpack and pack of those steps works within 128-bit blocks, so
// each block holds four successive pixels throughout, as in the narrower versions; the
// per-pixel choice of Air Brush is a blend by mask.
//
// Only this file's functions use AVX-512 (per-function target attributes); they run only
// where ippAvx512BwEnabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// maybe-uninitialized warning then reports at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include <algorithm>

#include "effects/blurcombine.h"

#define QUILLET_AVX512 __attribute__((target("avx512f,avx512bw")))
#define QUILLET_AVX512_INLINE __attribute__((target("avx512f,avx512bw"), always_inline)) inline

namespace {

QUILLET_AVX512_INLINE __m512i Load(const uint8_t* p) { return _mm512_loadu_si512(p); }

// Four 16-bit lanes repeated over the register.
QUILLET_AVX512_INLINE __m512i Repeated(short a, short b, short c, short d) {
    return _mm512_set4_epi32(static_cast<int>(static_cast<uint16_t>(d)) << 16 | static_cast<uint16_t>(c),
                             static_cast<int>(static_cast<uint16_t>(b)) << 16 | static_cast<uint16_t>(a),
                             static_cast<int>(static_cast<uint16_t>(d)) << 16 | static_cast<uint16_t>(c),
                             static_cast<int>(static_cast<uint16_t>(b)) << 16 | static_cast<uint16_t>(a));
}

QUILLET_AVX512_INLINE __m512i Luminance(__m512i pixels) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i weights = Repeated(30, 149, 76, 0);
    const __m512 low = _mm512_castsi512_ps(_mm512_madd_epi16(_mm512_unpacklo_epi8(pixels, zero), weights));
    const __m512 high = _mm512_castsi512_ps(_mm512_madd_epi16(_mm512_unpackhi_epi8(pixels, zero), weights));
    const __m512i blueGreen = _mm512_castps_si512(_mm512_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m512i red = _mm512_castps_si512(_mm512_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
    return _mm512_srli_epi32(_mm512_add_epi32(blueGreen, red), 8);
}

}  // namespace

QUILLET_AVX512 int AirBrushCombineAvx512(const AirBrushCombineTerms& terms, const uint8_t* in, const uint8_t* blurred,
                                         uint8_t* out, int width) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i threshold = _mm512_set1_epi32(std::max(terms.threshold, 0));
    const __m512i alpha = _mm512_set1_epi32(static_cast<int>(0xFF000000u));
    const __m512i colours = _mm512_set1_epi32(0x00FFFFFF);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i s = Load(in + x * 4);
        const __m512i b = Load(blurred + x * 4);
        const __m512i target = _mm512_srli_epi32(_mm512_mullo_epi16(Luminance(b), threshold), 8);
        const __m512i lift = _mm512_sub_epi32(target, Luminance(s));
        const __mmask16 lifting = _mm512_cmpgt_epi32_mask(lift, zero);
        __m512i spread = _mm512_maskz_mov_epi32(lifting, lift);
        spread = _mm512_or_si512(spread, _mm512_slli_epi32(spread, 8));
        spread = _mm512_and_si512(_mm512_or_si512(spread, _mm512_slli_epi32(spread, 16)), colours);
        const __m512i lifted = _mm512_adds_epu8(s, spread);
        const __m512i darker = _mm512_min_epu8(s, _mm512_or_si512(b, alpha));
        _mm512_storeu_si512(out + x * 4, _mm512_mask_blend_epi32(lifting, darker, lifted));
    }
    return x;
}

QUILLET_AVX512 int DreamGlowCombineAvx512(const DreamGlowCombineTerms& terms, const uint8_t* in, const uint8_t* blurred,
                                          uint8_t* out, int width) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i gain = _mm512_set1_epi32(std::clamp(terms.gainT, 0, 510 * 256));
    const __m512i colour = Repeated(static_cast<short>(terms.blue), static_cast<short>(terms.green),
                                    static_cast<short>(terms.red), 0);
    const __m512i alphaLanes = Repeated(0, 0, 0, -1);
    // After packing excess and glow: each block's first four lanes excess, last four glow.
    const __m512i ceiling = _mm512_set4_epi32(0x00FF00FF, 0x00FF00FF, 0x01000100, 0x01000100);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i s = Load(in + x * 4);
        const __m512i glow = _mm512_srli_epi32(_mm512_mullo_epi32(Luminance(Load(blurred + x * 4)), gain), 8);
        const __m512i excess = _mm512_sub_epi32(glow, Luminance(s));
        const __m512i held = _mm512_min_epi16(_mm512_max_epi16(_mm512_packs_epi32(excess, glow), zero), ceiling);
        const __m512i excessPairs = _mm512_unpacklo_epi16(held, held);
        const __m512i glowPairs = _mm512_unpackhi_epi16(held, held);
        __m512i half[2];
        for (int h = 0; h < 2; ++h) {
            const __m512i source = h == 0 ? _mm512_unpacklo_epi8(s, zero) : _mm512_unpackhi_epi8(s, zero);
            const __m512i e = h == 0 ? _mm512_unpacklo_epi32(excessPairs, excessPairs)
                                     : _mm512_unpackhi_epi32(excessPairs, excessPairs);
            const __m512i gl =
                h == 0 ? _mm512_unpacklo_epi32(glowPairs, glowPairs) : _mm512_unpackhi_epi32(glowPairs, glowPairs);
            const __m512i tinted =
                _mm512_min_epi16(_mm512_add_epi16(source, _mm512_srli_epi16(_mm512_mullo_epi16(e, colour), 8)), colour);
            half[h] = _mm512_or_si512(tinted, _mm512_and_si512(_mm512_max_epi16(gl, source), alphaLanes));
        }
        _mm512_storeu_si512(out + x * 4, _mm512_packus_epi16(half[0], half[1]));
    }
    return x;
}

#endif
