// Colorize's fused rows with AVX-512, sixteen pixels at a time: the steps of the AVX2 rows
// (effects/colorize_avx2.cpp) in lanes twice as wide, from the same key colours, with one
// gather fewer. The saturation the conversion gives a pixel, RoundDown(delta / V * 255)
// in double, is float(delta * 255) / float(V) in single precision, rounded as RoundDown
// (below) says: the exact quotient's fraction is a multiple of 1 / V, so it lies either
// exactly on a half (which both quotients hold exactly) or at least 1 / 510 from one,
// far beyond either's rounding error; a test compares the two for every V and delta.
//
// Only this file's function uses AVX-512 (a per-function target attribute); it is called
// only where ippAvx512Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// maybe-uninitialized warning then reports at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "effects/colorize_parts.h"
#include "image/hsv_tables.h"

#define QUILLET_AVX512 __attribute__((target("avx512f")))
#define QUILLET_AVX512_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#define QUILLET_AVX512_INLINE __attribute__((target("avx512f"), always_inline)) inline

namespace {

// RoundDown (adding 0.5 less about 10^-6, then truncating) of sixteen single-precision
// quotients whose exact values lie on a half or at least 1/1530 from one: there it
// rounds halves down and the rest to the nearest whole number, which is the least whole
// number not below q - 0.5 (a subtraction exact at and above 0.5, and never taking a
// value below 0.5 past -0.5).
QUILLET_AVX512_INLINE __m512i RoundDown(__m512 quotient) {
    return _mm512_cvt_roundps_epi32(_mm512_sub_ps(quotient, _mm512_set1_ps(0.5f)),
                                    _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC);
}

// floor(a * reciprocal / 2^40) in the even 32-bit lanes (see the AVX2 rows).
QUILLET_AVX512_INLINE __m512i EvenQuotient(__m512i a, __m512i low, __m512i high) {
    const __m512i product = _mm512_add_epi64(_mm512_mul_epu32(a, low), _mm512_slli_epi64(_mm512_mul_epu32(a, high), 32));
    return _mm512_srli_epi64(product, 40);
}

QUILLET_AVX512_INLINE __m512i ScaledQuotient(__m512i a, __m512i low, __m512i high) {
    const __m512i even = EvenQuotient(a, low, high);
    const __m512i odd = EvenQuotient(_mm512_srli_epi64(a, 32), _mm512_srli_epi64(low, 32), _mm512_srli_epi64(high, 32));
    return _mm512_or_si512(even, _mm512_slli_epi64(odd, 32));
}

// The conversion's saturation of sixteen lanes of V and delta; 0 where delta is 0 (V 0
// included).
QUILLET_AVX512_INLINE __m512i Saturation(__m512i v, __m512i delta) {
    // Lanes of delta 0 are not divided (V may be 0 there), so no 0 / 0 is ever formed.
    const __mmask16 coloured = _mm512_test_epi32_mask(delta, delta);
    const __m512 dividend = _mm512_cvtepi32_ps(_mm512_mullo_epi32(delta, _mm512_set1_epi32(255)));
    const __m512 quotient = _mm512_maskz_div_ps(coloured, dividend, _mm512_cvtepi32_ps(v));
    return _mm512_maskz_mov_epi32(coloured, RoundDown(quotient));
}

// The conversion's hue byte of sixteen pixels as one single-precision division: with the
// channel that is V picking the sextant's start k (0, 2 or 4, or 6 where the first
// sextant runs below zero and the conversion adds 255), the hue is
// RoundDown((k * delta + numerator) * 255 / (6 * delta)), dividend and divisor exact
// integers in single precision. As for the saturation, the exact quotient lies on a half
// or at least 1 / 1530 from one; a test compares every colour with the table.
QUILLET_AVX512_INLINE __m512i Hue(__m512i r, __m512i g, __m512i b) {
    const __m512i v = _mm512_max_epi32(r, _mm512_max_epi32(g, b));
    const __m512i delta = _mm512_sub_epi32(v, _mm512_min_epi32(r, _mm512_min_epi32(g, b)));
    // Red before green before blue where two are V: red's lanes are written last.
    const __mmask16 isRed = _mm512_cmpeq_epi32_mask(v, r);
    const __mmask16 isGreen = _mm512_cmpeq_epi32_mask(v, g);
    __m512i numerator = _mm512_sub_epi32(r, g);  // V is blue
    numerator = _mm512_mask_sub_epi32(numerator, isGreen, b, r);
    numerator = _mm512_mask_sub_epi32(numerator, isRed, g, b);
    __m512i start = _mm512_set1_epi32(4);
    start = _mm512_mask_mov_epi32(start, isGreen, _mm512_set1_epi32(2));
    const __mmask16 belowZero = _mm512_mask_cmplt_epi32_mask(isRed, numerator, _mm512_setzero_si512());
    start = _mm512_mask_mov_epi32(start, isRed, _mm512_maskz_mov_epi32(belowZero, _mm512_set1_epi32(6)));
    const __m512i dividend =
        _mm512_mullo_epi32(_mm512_add_epi32(_mm512_mullo_epi32(start, delta), numerator), _mm512_set1_epi32(255));
    const __mmask16 coloured = _mm512_test_epi32_mask(delta, delta);  // greys are not divided
    const __m512 quotient = _mm512_maskz_div_ps(coloured, _mm512_cvtepi32_ps(dividend),
                                                _mm512_cvtepi32_ps(_mm512_mullo_epi32(delta, _mm512_set1_epi32(6))));
    return _mm512_maskz_mov_epi32(coloured, RoundDown(quotient));
}

bool SameEntries(const ColorizeDifferenceEntries& e, const ColorizeLaneKeys& k) {
    return std::memcmp(e.entry, k.entry, sizeof e.entry) == 0;
}

}  // namespace

std::shared_ptr<const ColorizeDifferenceEntries> ColorizeDifferenceEntriesFor(const ColorizeLaneKeys& k) {
    static std::mutex mutex;
    static std::shared_ptr<const ColorizeDifferenceEntries> latest;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (latest && SameEntries(*latest, k)) return latest;
    }
    std::shared_ptr<ColorizeDifferenceEntries> fresh;
    try {
        fresh = std::make_shared<ColorizeDifferenceEntries>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    std::memcpy(fresh->entry, k.entry, sizeof fresh->entry);
    const uint8_t* hue = hsv_tables::RgbTables().hue;
    for (int i = 0; i < kColorizeDifferences; ++i) fresh->byDifference[i] = k.entry[hue[i]];
    std::lock_guard<std::mutex> lock(mutex);
    latest = fresh;
    return fresh;
}

QUILLET_AVX512_VBMI void ColorizeEntriesOfHuesAvx512(const ColorizeLaneKeys& k, const uint8_t* hues, int32_t* entries,
                                                     int count) {
    // Byte j of every entry, in four registers of 64.
    __m512i plane[4][4];
    for (int j = 0; j < 4; ++j)
        for (int q = 0; q < 4; ++q) plane[j][q] = _mm512_load_si512(k.entryByte[j] + 64 * q);
    for (int i = 0; i + 64 <= count; i += 64) {
        const __m512i hue = _mm512_loadu_si512(hues + i);
        const __mmask64 upperHalf = _mm512_movepi8_mask(hue);
        __m512i part[4];
        for (int j = 0; j < 4; ++j)
            part[j] = _mm512_mask_blend_epi8(upperHalf, _mm512_permutex2var_epi8(plane[j][0], hue, plane[j][1]),
                                             _mm512_permutex2var_epi8(plane[j][2], hue, plane[j][3]));
        // Bytes to words to words of four, within each 128-bit block: block L of e[k]
        // then holds pixels 16 L + 4 k .. 16 L + 4 k + 3; a 4 x 4 exchange of blocks puts
        // sixteen successive pixels in each register.
        const __m512i a = _mm512_unpacklo_epi8(part[0], part[1]), b = _mm512_unpackhi_epi8(part[0], part[1]);
        const __m512i c = _mm512_unpacklo_epi8(part[2], part[3]), d = _mm512_unpackhi_epi8(part[2], part[3]);
        const __m512i e0 = _mm512_unpacklo_epi16(a, c), e1 = _mm512_unpackhi_epi16(a, c);
        const __m512i e2 = _mm512_unpacklo_epi16(b, d), e3 = _mm512_unpackhi_epi16(b, d);
        const __m512i t0 = _mm512_shuffle_i32x4(e0, e1, 0x44), t1 = _mm512_shuffle_i32x4(e2, e3, 0x44);
        const __m512i t2 = _mm512_shuffle_i32x4(e0, e1, 0xEE), t3 = _mm512_shuffle_i32x4(e2, e3, 0xEE);
        _mm512_storeu_si512(entries + i, _mm512_shuffle_i32x4(t0, t1, 0x88));
        _mm512_storeu_si512(entries + i + 16, _mm512_shuffle_i32x4(t0, t1, 0xDD));
        _mm512_storeu_si512(entries + i + 32, _mm512_shuffle_i32x4(t2, t3, 0x88));
        _mm512_storeu_si512(entries + i + 48, _mm512_shuffle_i32x4(t2, t3, 0xDD));
    }
}

QUILLET_AVX512 int ColorizeHuesAvx512(const uint8_t* source, uint8_t* hues, int width) {
    const __m512i byteMask = _mm512_set1_epi32(0xFF);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i pixels = _mm512_loadu_si512(source + 4 * x);
        const __m512i hue = Hue(_mm512_and_si512(pixels, byteMask), _mm512_and_si512(_mm512_srli_epi32(pixels, 8), byteMask),
                                _mm512_and_si512(_mm512_srli_epi32(pixels, 16), byteMask));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(hues + x), _mm512_cvtepi32_epi8(hue));
    }
    return x;
}

QUILLET_AVX512 void ColorizeSaturationsAvx512(const int32_t* v, const int32_t* delta, int32_t* saturation, int n) {
    for (int i = 0; i + 16 <= n; i += 16)
        _mm512_storeu_si512(saturation + i, Saturation(_mm512_loadu_si512(v + i), _mm512_loadu_si512(delta + i)));
}

QUILLET_AVX512 int ColorizeRowAvx512(const ColorizeLaneKeys& k, const ColorizeKeyColours& colours,
                                     const ColorizeDifferenceEntries* differences, const uint8_t* source,
                                     const uint8_t* smoothed, const int32_t* smoothedEntries, uint8_t* destination,
                                     int width) {
    if (!smoothed && !differences) return 0;
    const __m512i byteMask = _mm512_set1_epi32(0xFF);
    const __m512i reciprocalLow = _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(k.reciprocalLow)));
    const __m512i reciprocalHigh = _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(k.reciprocalHigh)));
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i pixels = _mm512_loadu_si512(source + 4 * x);
        const __m512i r = _mm512_and_si512(pixels, byteMask);
        const __m512i g = _mm512_and_si512(_mm512_srli_epi32(pixels, 8), byteMask);
        const __m512i b = _mm512_and_si512(_mm512_srli_epi32(pixels, 16), byteMask);
        const __m512i v = _mm512_max_epi32(r, _mm512_max_epi32(g, b));
        const __m512i delta = _mm512_sub_epi32(v, _mm512_min_epi32(r, _mm512_min_epi32(g, b)));
        // The hue's entry: by the smoothed hue, or straight from the colour differences.
        __m512i entry;
        if (smoothed && x < (width & ~63) && smoothedEntries) {
            entry = _mm512_loadu_si512(smoothedEntries + x);
        } else if (smoothed) {
            const __m512i hue = _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(smoothed + x)));
            entry = _mm512_i32gather_epi32(hue, k.entry, 4);
        } else {
            const __m512i index = _mm512_add_epi32(
                _mm512_add_epi32(_mm512_slli_epi32(_mm512_sub_epi32(r, g), 9), _mm512_sub_epi32(r, b)),
                _mm512_set1_epi32(hsv_tables::kDifferenceOrigin));
            entry = _mm512_i32gather_epi32(index, differences->byDifference, 4);
        }
        const __m512i saturationIn = Saturation(v, delta);
        const __m512i keyIndex = _mm512_srli_epi32(entry, 24);
        const __m512i numerator = _mm512_mullo_epi32(saturationIn, _mm512_and_si512(entry, _mm512_set1_epi32(0xFFFFFF)));
        const __m512i quotientCaught = ScaledQuotient(_mm512_srli_epi32(numerator, 8),
                                                      _mm512_permutexvar_epi32(keyIndex, reciprocalLow),
                                                      _mm512_permutexvar_epi32(keyIndex, reciprocalHigh));
        const __m512i saturation = _mm512_min_epu32(quotientCaught, byteMask);
        const __m512i colourIndex =
            _mm512_or_si512(_mm512_slli_epi32(keyIndex, 16), _mm512_or_si512(_mm512_slli_epi32(saturation, 8), v));
        // The colour's index below the pixel's alpha, for the second pass.
        const __m512i lowBytes = _mm512_set1_epi32(0x00FFFFFF);
        _mm512_storeu_si512(destination + 4 * x, _mm512_ternarylogic_epi32(colourIndex, pixels, lowBytes, 0xF4));
    }
    // The key colours in a second pass over the row, so that the gathers of many groups
    // are in flight at once (the table is larger than the nearer caches). It reads only
    // what the first pass wrote, so a destination that is the source is no matter.
    for (int i = 0; i < x; i += 16) {
        const __m512i held = _mm512_loadu_si512(destination + 4 * i);
        const __m512i lowBytes = _mm512_set1_epi32(0x00FFFFFF);
        const __m512i colour = _mm512_i32gather_epi32(_mm512_and_si512(held, lowBytes), colours.word, 4);
        _mm512_storeu_si512(destination + 4 * i, _mm512_ternarylogic_epi32(colour, held, lowBytes, 0xF4));
    }
    return x;
}

#endif
