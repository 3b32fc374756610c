// The edge effects' rows with AVX-512: the scaled Laplacian thirty-two bytes at a time,
// and the row maps of Line Drawing and Pastel Sketch sixteen pixels at a time with their
// tables held in registers and read by permutes instead of gathers.
//
//  - The Laplacian sums N as the AVX2 rows do (16-bit lanes from the nine widened
//    neighbours) and evaluates the single-precision form, c * N + 0.5 held within 0..255
//    and truncated, in sixteen float lanes. It runs only for a scale at which that form
//    was checked to give the table's byte for every N (effects/laplacian_fast.cpp).
//  - Line Drawing's 96 colours sit in six registers: three two-register permutes by
//    sum / 8 give the colour of each third, and the index picks one.
//  - Pastel Sketch's 2 x 3 tables of 256 bytes sit in 24 registers: for every byte of
//    sixteen pixels, two byte permutes give the entries of its low and high half of a
//    table, and the byte's top bit, its channel and its pixel's edge pick among them.
//
// Only this file's functions use AVX-512 (a per-function target attribute); they are
// called only where ippAvx512VbmiEnabled() says the processor has F, BW and VBMI.
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// maybe-uninitialized warning then reports at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include "effects/edgeband.h"

#define QUILLET_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#define QUILLET_AVX512_INLINE __attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline

namespace {

QUILLET_AVX512_INLINE __m512i Widen(const uint8_t* p) {
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

// c * n + 0.5 in single precision, held within 0..255 and truncated, as sixteen bytes.
QUILLET_AVX512_INLINE __m128i OutputSixteen(__m512i n, __m512 scale) {
    const __m512 v = _mm512_add_ps(_mm512_mul_ps(_mm512_cvtepi32_ps(n), scale), _mm512_set1_ps(0.5f));
    return _mm512_cvtepi32_epi8(
        _mm512_cvttps_epi32(_mm512_min_ps(_mm512_max_ps(v, _mm512_setzero_ps()), _mm512_set1_ps(255.0f))));
}

QUILLET_AVX512_INLINE __m512i Channel(__m512i pixels, int shift) {
    return _mm512_and_si512(_mm512_srli_epi32(pixels, shift), _mm512_set1_epi32(0xFF));
}

// The filtered channel sum of sixteen pixels.
QUILLET_AVX512_INLINE __m512i ChannelSum(__m512i filtered) {
    return _mm512_add_epi32(_mm512_add_epi32(Channel(filtered, 0), Channel(filtered, 8)), Channel(filtered, 16));
}

}  // namespace

QUILLET_AVX512 int ScaledLaplacianRowAvx512(const uint8_t* above, const uint8_t* mid, const uint8_t* below,
                                            uint8_t* out, int bytes, float scale) {
    const __m512 c = _mm512_set1_ps(scale);
    int i = 0;
    for (; i + 32 <= bytes; i += 32) {
        __m512i sum = _mm512_add_epi16(_mm512_add_epi16(Widen(above + i), Widen(above + i + 4)), Widen(above + i + 8));
        sum = _mm512_add_epi16(sum, _mm512_add_epi16(Widen(mid + i), Widen(mid + i + 8)));
        sum = _mm512_add_epi16(sum, _mm512_add_epi16(_mm512_add_epi16(Widen(below + i), Widen(below + i + 4)),
                                                     Widen(below + i + 8)));
        // The eight neighbours less eight times the centre.
        const __m512i n = _mm512_sub_epi16(sum, _mm512_slli_epi16(Widen(mid + i + 4), 3));
        const __m128i low = OutputSixteen(_mm512_cvtepi16_epi32(_mm512_castsi512_si256(n)), c);
        const __m128i high = OutputSixteen(_mm512_cvtepi16_epi32(_mm512_extracti64x4_epi64(n, 1)), c);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 16), high);
    }
    return i;
}

QUILLET_AVX512 int LineDrawingMapRowAvx512(const uint32_t colours[96], const uint8_t* source, uint8_t* pixels,
                                           int count) {
    __m512i third[6];
    for (int k = 0; k < 6; ++k) third[k] = _mm512_loadu_si512(colours + 16 * k);
    int x = 0;
    for (; x + 16 <= count; x += 16) {
        uint8_t* at = pixels + 4 * x;
        const __m512i index = _mm512_srli_epi32(ChannelSum(_mm512_loadu_si512(at)), 3);  // 0..95
        __m512i colour = _mm512_permutex2var_epi32(third[0], index, third[1]);
        colour = _mm512_mask_blend_epi32(_mm512_cmpge_epu32_mask(index, _mm512_set1_epi32(32)), colour,
                                         _mm512_permutex2var_epi32(third[2], index, third[3]));
        colour = _mm512_mask_blend_epi32(_mm512_cmpge_epu32_mask(index, _mm512_set1_epi32(64)), colour,
                                         _mm512_permutex2var_epi32(third[4], index, third[5]));
        const __m512i alpha = _mm512_and_si512(_mm512_loadu_si512(source + 4 * x), _mm512_set1_epi32(-0x1000000));
        _mm512_storeu_si512(at, _mm512_or_si512(colour, alpha));
    }
    return x;
}

QUILLET_AVX512 int PastelSketchMapRowAvx512(const uint8_t bytes[2 * 3 * 256], int inkThreshold, const uint8_t* source,
                                            uint8_t* pixels, int count) {
    __m512i quarter[2][3][4];  // [on an edge][channel][source byte / 64]
    for (int e = 0; e < 2; ++e)
        for (int c = 0; c < 3; ++c)
            for (int q = 0; q < 4; ++q) quarter[e][c][q] = _mm512_loadu_si512(bytes + (e * 3 + c) * 256 + q * 64);
    const __mmask64 channelBytes[3] = {0x1111111111111111ull, 0x2222222222222222ull, 0x4444444444444444ull};
    int x = 0;
    for (; x + 16 <= count; x += 16) {
        uint8_t* at = pixels + 4 * x;
        const __mmask16 onEdge =
            _mm512_cmpge_epi32_mask(ChannelSum(_mm512_loadu_si512(at)), _mm512_set1_epi32(inkThreshold));
        const __mmask64 edgeBytes = _mm512_movepi8_mask(_mm512_maskz_mov_epi32(onEdge, _mm512_set1_epi32(-1)));
        const __m512i s = _mm512_loadu_si512(source + 4 * x);
        const __mmask64 upperHalf = _mm512_movepi8_mask(s);  // source bytes of 128 and up
        __m512i out = s;                                      // alpha kept
        for (int e = 0; e < 2; ++e) {
            const __mmask64 these = e ? edgeBytes : static_cast<__mmask64>(~edgeBytes);
            for (int c = 0; c < 3; ++c) {
                const __m512i low = _mm512_permutex2var_epi8(quarter[e][c][0], s, quarter[e][c][1]);
                const __m512i high = _mm512_permutex2var_epi8(quarter[e][c][2], s, quarter[e][c][3]);
                out = _mm512_mask_blend_epi8(these & channelBytes[c], out, _mm512_mask_blend_epi8(upperHalf, low, high));
            }
        }
        _mm512_storeu_si512(at, out);
    }
    return x;
}

#endif
