// The blur effects' combines with SSE2, four pixels a step. A pixel's luminance comes
// from one multiply-add of its widened bytes with the weights (30, 149, 76, 0) and one
// more add, in 32-bit lanes, one lane per pixel. Then:
//  - Air Brush: blurred luminance * threshold fits 16 bits (254 * 245), so one 16-bit
//    multiply gives it; a threshold at or below 0 lifts nothing, as 0 does. The lift
//    is spread over the pixel's colour bytes and added with unsigned saturation (the
//    rule's cap at 255); the darker path is the bytewise minimum, with the blurred
//    alpha set to 255 so the input's alpha stays.
//  - Dream Glow: the glow's products are formed in 32 bits; only an excess up to 256
//    and a glow up to 255 can change a byte (a larger excess already reaches the
//    colour's cap, a larger glow full alpha), so both are held there and the per
//    channel products then fit 16 bits. A gain at or below 0 glows nowhere, as 0 does;
//    a gain above 510 * 256 gives any lit pixel an excess of at least 256, as
//    510 * 256 does.
#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include <algorithm>

#include "effects/blurcombine.h"

namespace {

inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// (76 R + 149 G + 30 B) >> 8 of four B, G, R, A pixels, one 32-bit lane each.
inline __m128i Luminance(__m128i pixels) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i weights = _mm_setr_epi16(30, 149, 76, 0, 30, 149, 76, 0);
    const __m128 low = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpacklo_epi8(pixels, zero), weights));
    const __m128 high = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpackhi_epi8(pixels, zero), weights));
    const __m128i blueGreen = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i red = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
    return _mm_srli_epi32(_mm_add_epi32(blueGreen, red), 8);
}

// a * b in each 32-bit lane, for products below 2^32.
inline __m128i Multiply(__m128i a, __m128i b) {
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

}  // namespace

int AirBrushCombineSse2(const AirBrushCombineTerms& terms, const uint8_t* in, const uint8_t* blurred, uint8_t* out,
                        int width) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i threshold = _mm_set1_epi32(std::max(terms.threshold, 0));
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i colours = _mm_set1_epi32(0x00FFFFFF);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i s = Load(in + x * 4);
        const __m128i b = Load(blurred + x * 4);
        const __m128i target = _mm_srli_epi32(_mm_mullo_epi16(Luminance(b), threshold), 8);
        const __m128i lift = _mm_sub_epi32(target, Luminance(s));
        const __m128i lifting = _mm_cmpgt_epi32(lift, zero);
        __m128i spread = _mm_and_si128(lift, lifting);
        spread = _mm_or_si128(spread, _mm_slli_epi32(spread, 8));
        spread = _mm_and_si128(_mm_or_si128(spread, _mm_slli_epi32(spread, 16)), colours);
        const __m128i lifted = _mm_adds_epu8(s, spread);
        const __m128i darker = _mm_min_epu8(s, _mm_or_si128(b, alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4),
                         _mm_or_si128(_mm_and_si128(lifting, lifted), _mm_andnot_si128(lifting, darker)));
    }
    return x;
}

int DreamGlowCombineSse2(const DreamGlowCombineTerms& terms, const uint8_t* in, const uint8_t* blurred, uint8_t* out,
                         int width) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i gain = _mm_set1_epi32(std::clamp(terms.gainT, 0, 510 * 256));
    const __m128i colour = _mm_setr_epi16(static_cast<short>(terms.blue), static_cast<short>(terms.green),
                                          static_cast<short>(terms.red), 0, static_cast<short>(terms.blue),
                                          static_cast<short>(terms.green), static_cast<short>(terms.red), 0);
    const __m128i alphaLanes = _mm_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1);
    // Lanes 0..3 the excess (held within 0..256), 4..7 the glow (within 0..255).
    const __m128i ceiling = _mm_setr_epi16(256, 256, 256, 256, 255, 255, 255, 255);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i s = Load(in + x * 4);
        const __m128i glow = _mm_srli_epi32(Multiply(Luminance(Load(blurred + x * 4)), gain), 8);
        const __m128i excess = _mm_sub_epi32(glow, Luminance(s));
        const __m128i held = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(excess, glow), zero), ceiling);
        const __m128i excessPairs = _mm_unpacklo_epi16(held, held);
        const __m128i glowPairs = _mm_unpackhi_epi16(held, held);
        __m128i half[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i source = h == 0 ? _mm_unpacklo_epi8(s, zero) : _mm_unpackhi_epi8(s, zero);
            const __m128i e = h == 0 ? _mm_unpacklo_epi32(excessPairs, excessPairs)
                                     : _mm_unpackhi_epi32(excessPairs, excessPairs);
            const __m128i g = h == 0 ? _mm_unpacklo_epi32(glowPairs, glowPairs) : _mm_unpackhi_epi32(glowPairs, glowPairs);
            // Colour lanes: min(s + (excess * colour) >> 8, colour); the alpha lane's
            // colour is 0, so it comes out 0 and takes max(glow, s.A) instead.
            const __m128i tinted = _mm_min_epi16(_mm_add_epi16(source, _mm_srli_epi16(_mm_mullo_epi16(e, colour), 8)), colour);
            half[h] = _mm_or_si128(tinted, _mm_and_si128(_mm_max_epi16(g, source), alphaLanes));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4), _mm_packus_epi16(half[0], half[1]));
    }
    return x;
}

#endif
