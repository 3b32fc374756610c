// Colorize's fused rows with AVX2, eight pixels at a time. Each lane does what the
// scalar loop of effects/colorize_fast.cpp does with the same numbers:
//  - hue and saturation from the conversion's tables (gathered), or the smoothed hue;
//  - the caught saturation (n >> 8) * ceil(2^40 / window) >> 40 in 64-bit lanes, the
//    reciprocal picked by the lane's key index, then held at 255;
//  - the output colour looked up by key index, saturation and value from the key
//    colours (ColorizeKeyColours): every colour the conversion back gives for the three
//    key hues, 196,608 of them, computed in double lanes with the scalar code's IEEE
//    operations (the division S / 255 included, no reciprocal, no fused multiply-add),
//    p and q rounded through single precision where the scalar code rounds them, so
//    every entry holds the scalar value bit for bit; each output byte is shifted out of
//    the word V | t << 8 | p << 16 | q << 24 by the key hue's sextant.
// A lane left without saturation takes the entry of saturation 0, which is V three
// times, as the scalar loop writes it. The key colours cost about as much as a tenth of a
// full-HD frame, so the last ones are kept for as long as the key hues stay.
//
// Only this file's functions use AVX2 (a per-function target attribute); they are
// called only where ippAvx2Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <memory>
#include <mutex>
#include <new>

#include "effects/colorize_parts.h"
#include "image/hsv_tables.h"

#define QUILLET_AVX2 __attribute__((target("avx2")))

namespace {

QUILLET_AVX2 inline __m256d RoundedToFloat(__m256d v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }

// The per-key constants of four double lanes, picked by key index.
struct KeyPick {
    __m256d one, two;  // lanes of key 1, of key 2
    QUILLET_AVX2 __m256d Of(const double v[3]) const {
        return _mm256_blendv_pd(_mm256_blendv_pd(_mm256_set1_pd(v[0]), _mm256_set1_pd(v[1]), one),
                                _mm256_set1_pd(v[2]), two);
    }
};

// V + bias truncated, as hsv_tables::RoundDown does (every value lies in 0 .. 255).
QUILLET_AVX2 inline __m128i RoundDown(__m256d v) {
    return _mm256_cvttpd_epi32(_mm256_add_pd(v, _mm256_set1_pd(hsv_tables::kRoundingBias)));
}

// The word V | t << 8 | p << 16 | q << 24 of four lanes.
QUILLET_AVX2 inline __m128i OutputWord(const ColorizeLaneKeys& k, __m128i saturation, __m128i value, __m128i keyIndex) {
    const KeyPick pick{_mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm_cmpeq_epi32(keyIndex, _mm_set1_epi32(1)))),
                       _mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm_cmpeq_epi32(keyIndex, _mm_set1_epi32(2))))};
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d v = _mm256_cvtepi32_pd(value);
    const __m256d sat = _mm256_div_pd(_mm256_cvtepi32_pd(saturation), _mm256_set1_pd(255.0));
    const __m256d p = RoundedToFloat(_mm256_mul_pd(_mm256_sub_pd(one, sat), v));
    const __m256d q = RoundedToFloat(_mm256_mul_pd(_mm256_sub_pd(one, _mm256_mul_pd(sat, pick.Of(k.f))), v));
    const __m256d t = _mm256_mul_pd(_mm256_sub_pd(one, _mm256_mul_pd(sat, pick.Of(k.oneMinusF))), v);
    return _mm_or_si128(_mm_or_si128(value, _mm_slli_epi32(RoundDown(t), 8)),
                        _mm_or_si128(_mm_slli_epi32(RoundDown(p), 16), _mm_slli_epi32(RoundDown(q), 24)));
}

// floor(a * reciprocal / 2^40) in the even 32-bit lanes, a below 2^23, the reciprocal
// (up to 41 bits) in two halves; the product stays below 2^63.
QUILLET_AVX2 inline __m256i EvenQuotient(__m256i a, __m256i low, __m256i high) {
    const __m256i product = _mm256_add_epi64(_mm256_mul_epu32(a, low), _mm256_slli_epi64(_mm256_mul_epu32(a, high), 32));
    return _mm256_srli_epi64(product, 40);
}

// The same for all eight lanes.
QUILLET_AVX2 inline __m256i ScaledQuotient(__m256i a, __m256i low, __m256i high) {
    const __m256i even = EvenQuotient(a, low, high);
    const __m256i odd = EvenQuotient(_mm256_srli_epi64(a, 32), _mm256_srli_epi64(low, 32), _mm256_srli_epi64(high, 32));
    return _mm256_or_si256(even, _mm256_slli_epi64(odd, 32));
}

// The first three bytes of eight pixels, each in a 32-bit lane.
struct Channels {
    __m256i r, g, b;
    QUILLET_AVX2 explicit Channels(__m256i pixels)
        : r(_mm256_and_si256(pixels, _mm256_set1_epi32(0xFF))),
          g(_mm256_and_si256(_mm256_srli_epi32(pixels, 8), _mm256_set1_epi32(0xFF))),
          b(_mm256_and_si256(_mm256_srli_epi32(pixels, 16), _mm256_set1_epi32(0xFF))) {}
};

// The hue table's index of eight lanes (hsv_tables::DifferenceIndex).
QUILLET_AVX2 inline __m256i DifferenceIndex(__m256i r, __m256i g, __m256i b) {
    return _mm256_add_epi32(_mm256_add_epi32(_mm256_slli_epi32(_mm256_sub_epi32(r, g), 9), _mm256_sub_epi32(r, b)),
                            _mm256_set1_epi32(hsv_tables::kDifferenceOrigin));
}

// R | G << 8 | B << 16 of eight lanes of saturation, value and key index.
QUILLET_AVX2 inline __m256i ConvertedBack(const ColorizeLaneKeys& k, __m256i saturation, __m256i v, __m256i keyIndex) {
    const __m256i word = _mm256_setr_m128i(
        OutputWord(k, _mm256_castsi256_si128(saturation), _mm256_castsi256_si128(v), _mm256_castsi256_si128(keyIndex)),
        OutputWord(k, _mm256_extracti128_si256(saturation, 1), _mm256_extracti128_si256(v, 1),
                   _mm256_extracti128_si256(keyIndex, 1)));
    __m256i out = _mm256_setzero_si256();
    for (int c = 0; c < 3; ++c) {
        const __m256i shift = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(k.shift[c])), keyIndex);
        const __m256i byte = _mm256_and_si256(_mm256_srlv_epi32(word, shift), _mm256_set1_epi32(0xFF));
        out = _mm256_or_si256(out, _mm256_slli_epi32(byte, 8 * c));
    }
    return out;
}

QUILLET_AVX2 void FillKeyColours(const ColorizeLaneKeys& k, ColorizeKeyColours& colours) {
    const __m256i values = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int key = 0; key < 3; ++key) {
        colours.keyHue[key] = k.keyHue[key];
        for (int s = 0; s < 256; ++s)
            for (int v = 0; v < 256; v += 8) {
                const __m256i words = ConvertedBack(k, _mm256_set1_epi32(s), _mm256_add_epi32(values, _mm256_set1_epi32(v)),
                                                    _mm256_set1_epi32(key));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(&colours.word[key << 16 | s << 8 | v]), words);
            }
    }
}

bool SameKeyHues(const ColorizeKeyColours& colours, const ColorizeLaneKeys& k) {
    return colours.keyHue[0] == k.keyHue[0] && colours.keyHue[1] == k.keyHue[1] && colours.keyHue[2] == k.keyHue[2];
}

}  // namespace

std::shared_ptr<const ColorizeKeyColours> ColorizeKeyColoursAvx2(const ColorizeLaneKeys& k) {
    static std::mutex mutex;
    static std::shared_ptr<const ColorizeKeyColours> latest;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (latest && SameKeyHues(*latest, k)) return latest;
    }
    std::shared_ptr<ColorizeKeyColours> fresh;
    try {
        fresh = std::make_shared<ColorizeKeyColours>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    FillKeyColours(k, *fresh);
    std::lock_guard<std::mutex> lock(mutex);
    latest = fresh;
    return fresh;
}

QUILLET_AVX2 int ColorizeHuesAvx2(const uint8_t* source, uint8_t* hues, int width) {
    const int* hueTable = reinterpret_cast<const int*>(hsv_tables::RgbTables().hue);
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 4 * x));
        const Channels c(pixels);
        const __m256i hue = _mm256_and_si256(_mm256_i32gather_epi32(hueTable, DifferenceIndex(c.r, c.g, c.b), 1), byteMask);
        // Eight 32-bit lanes to eight bytes: pack within each half, then take both halves' low words.
        const __m256i words = _mm256_packus_epi32(hue, hue);
        const __m256i bytes = _mm256_packus_epi16(words, words);
        const __m128i eight = _mm_unpacklo_epi32(_mm256_castsi256_si128(bytes), _mm256_extracti128_si256(bytes, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(hues + x), eight);
    }
    return x;
}

QUILLET_AVX2 int ColorizeRowAvx2(const ColorizeLaneKeys& k, const ColorizeKeyColours& colours, const uint8_t* source,
                                 const uint8_t* smoothed, uint8_t* destination, int width) {
    const hsv_tables::RgbToHsvTables& toHsv = hsv_tables::RgbTables();
    const int* hueTable = reinterpret_cast<const int*>(toHsv.hue);
    const int* saturationTable = reinterpret_cast<const int*>(&toHsv.saturation[0][0]);
    const int* keyColours = reinterpret_cast<const int*>(colours.word);
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    const __m256i reciprocalLow = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(k.reciprocalLow));
    const __m256i reciprocalHigh = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(k.reciprocalHigh));
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 4 * x));
        const Channels c(pixels);
        const __m256i r = c.r, g = c.g, b = c.b;
        const __m256i v = _mm256_max_epi32(r, _mm256_max_epi32(g, b));
        const __m256i delta = _mm256_sub_epi32(v, _mm256_min_epi32(r, _mm256_min_epi32(g, b)));
        __m256i hue;
        if (smoothed) {
            hue = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(smoothed + x)));
        } else {
            hue = _mm256_and_si256(_mm256_i32gather_epi32(hueTable, DifferenceIndex(r, g, b), 1), byteMask);
        }
        const __m256i saturationIn = _mm256_and_si256(
            _mm256_i32gather_epi32(saturationTable, _mm256_add_epi32(_mm256_slli_epi32(v, 8), delta), 1), byteMask);
        const __m256i entry = _mm256_i32gather_epi32(k.entry, hue, 4);
        const __m256i keyIndex = _mm256_srli_epi32(entry, 24);
        const __m256i numerator = _mm256_mullo_epi32(saturationIn, _mm256_and_si256(entry, _mm256_set1_epi32(0xFFFFFF)));
        const __m256i quotient = ScaledQuotient(_mm256_srli_epi32(numerator, 8),
                                                _mm256_permutevar8x32_epi32(reciprocalLow, keyIndex),
                                                _mm256_permutevar8x32_epi32(reciprocalHigh, keyIndex));
        const __m256i saturation = _mm256_min_epu32(quotient, byteMask);
        const __m256i colourIndex =
            _mm256_or_si256(_mm256_slli_epi32(keyIndex, 16), _mm256_or_si256(_mm256_slli_epi32(saturation, 8), v));
        const __m256i alpha = _mm256_andnot_si256(_mm256_set1_epi32(0x00FFFFFF), pixels);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + 4 * x),
                            _mm256_or_si256(alpha, _mm256_i32gather_epi32(keyColours, colourIndex, 4)));
    }
    return x;
}

#endif
