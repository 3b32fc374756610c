// Faster versions of the sample conversion, each giving ConvertSampleRowGeneric's bytes:
//  - tables: no division per sample. Premultiplying computes (c * a + 127) / 255 as
//    (x + (x >> 8) + 1) >> 8 with x = c * a + 127, which equals x / 255 for every x up
//    to 255 * 255 + 127; unpremultiplying looks the channel up in a 64 KB table by
//    alpha, built once from the rule itself. An opaque sample is its own conversion
//    both ways ((c * 255 + 127) / 255 = c), so opaque samples are copied through.
//  - sse2 (x86): four samples at a time; four opaque ones are copied as they are.
//    Premultiplying works in 16-bit lanes by the same formula, alpha multiplied by
//    255 (which gives it back); unpremultiplying divides by alpha through a reciprocal
//    per alpha and one correction step (UnpremultiplyTwo).
//  - avx2 (x86 with AVX2): the same steps on eight samples at a time, the reciprocals
//    gathered by alpha.
//  - avx512 (x86 with AVX-512 F and BW): sixteen samples at a time, not unpacked.
//    Premultiplying works on the even and the odd bytes each in 16-bit lanes;
//    unpremultiplying on each channel in float lanes, with one division per sixteen
//    samples for the reciprocals of their alphas.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "host/sampleconvert.h"

#if defined(__x86_64__) || defined(__i386__)
// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// maybe-uninitialized warning then reports at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#define QUILLET_SAMPLES_SSE2 1
#define QUILLET_AVX2 __attribute__((target("avx2")))
#define QUILLET_AVX512 __attribute__((target("avx512f,avx512bw")))
#endif

namespace {

inline BYTE DivideBy255(unsigned x) { return static_cast<BYTE>((x + (x >> 8) + 1u) >> 8); }

inline DXSAMPLE PremultiplyByMultiply(DXSAMPLE s) {
    const unsigned a = s.Alpha;
    return {DivideBy255(s.Blue * a + 127u), DivideBy255(s.Green * a + 127u), DivideBy255(s.Red * a + 127u), s.Alpha};
}

// UnpremultiplyChannel(c, a) at [a][c].
const std::array<std::array<BYTE, 256>, 256>& UnpremultiplyTable() {
    static const auto table = [] {
        std::array<std::array<BYTE, 256>, 256> t{};
        for (int a = 0; a < 256; ++a)
            for (int c = 0; c < 256; ++c) t[a][c] = UnpremultiplyChannel(BYTE(c), BYTE(a));
        return t;
    }();
    return table;
}

inline DXSAMPLE UnpremultiplyByTable(DXSAMPLE s, const std::array<std::array<BYTE, 256>, 256>& table) {
    if (s.Alpha == 255) return s;
    const std::array<BYTE, 256>& row = table[s.Alpha];
    return {row[s.Blue], row[s.Green], row[s.Red], s.Alpha};
}

void ConvertTables(const DXSAMPLE* src, DXSAMPLE* dst, size_t count, SampleConversion conversion) {
    switch (conversion) {
    case SampleConversion::Copy:
        ConvertSampleRowGeneric(src, dst, count, conversion);
        return;
    case SampleConversion::Premultiply:
        for (size_t i = 0; i < count; ++i) dst[i] = src[i].Alpha == 255 ? src[i] : PremultiplyByMultiply(src[i]);
        return;
    case SampleConversion::Unpremultiply: {
        const auto& table = UnpremultiplyTable();
        for (size_t i = 0; i < count; ++i) dst[i] = UnpremultiplyByTable(src[i], table);
        return;
    }
    }
}

#ifdef QUILLET_SAMPLES_SSE2
// Two samples in 16-bit lanes: colour lanes times their alpha, the alpha lane times
// 255, then + 127 and the division by 255 as above (every step stays below 2^16).
inline __m128i PremultiplyTwo(__m128i samples) {
    const __m128i alphaLane = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(samples, 0xFF), 0xFF);
    alpha = _mm_or_si128(_mm_andnot_si128(alphaLane, alpha), _mm_and_si128(alphaLane, _mm_set1_epi16(255)));
    __m128i x = _mm_add_epi16(_mm_mullo_epi16(samples, alpha), _mm_set1_epi16(127));
    x = _mm_add_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), _mm_set1_epi16(1));
    return _mm_srli_epi16(x, 8);
}

// Per alpha a, floor(65536 / a) (65535 for a = 1, 0 for a = 0) in each of four 16-bit
// lanes: the high half of x times it is x / a or one less for every x below 2^16.
const std::array<int64_t, 256>& ReciprocalsByAlpha() {
    static const auto table = [] {
        std::array<int64_t, 256> t{};
        for (int a = 1; a < 256; ++a) {
            const uint64_t m = std::min(65536 / a, 65535);
            t[a] = static_cast<int64_t>(m * 0x0001000100010001ull);
        }
        return t;
    }();
    return table;
}

// Two samples in 16-bit lanes, unpremultiplied without division: a colour above its
// alpha gives 255 as it would unclamped, so it is held at alpha first; then
// x = c * 255 + a / 2 (below 2^16), q = x / a from the reciprocal, raised by one where
// the remainder shows it one short; alpha 0 gives 0 and the alpha lane is kept.
inline __m128i UnpremultiplyTwo(__m128i samples, int64_t reciprocalFirst, int64_t reciprocalSecond) {
    const __m128i alphaLane = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(samples, 0xFF), 0xFF);
    const __m128i c = _mm_min_epi16(samples, alpha);
    const __m128i x = _mm_add_epi16(_mm_sub_epi16(_mm_slli_epi16(c, 8), c), _mm_srli_epi16(alpha, 1));
    const __m128i q0 = _mm_mulhi_epu16(x, _mm_set_epi64x(reciprocalSecond, reciprocalFirst));
    const __m128i remainder = _mm_sub_epi16(x, _mm_mullo_epi16(q0, alpha));
    __m128i q = _mm_add_epi16(_mm_add_epi16(q0, _mm_set1_epi16(1)), _mm_cmpgt_epi16(alpha, remainder));
    q = _mm_and_si128(q, _mm_cmpgt_epi16(alpha, _mm_setzero_si128()));
    return _mm_or_si128(_mm_andnot_si128(alphaLane, q), _mm_and_si128(alphaLane, samples));
}

// Whether every sample of the row is opaque, looked at 16 samples at a time (stopping
// at the first group that is not).
bool RowIsOpaque(const DXSAMPLE* src, size_t count) {
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const auto* p = reinterpret_cast<const __m128i*>(src + i);
        const __m128i all = _mm_and_si128(_mm_and_si128(_mm_loadu_si128(p), _mm_loadu_si128(p + 1)),
                                          _mm_and_si128(_mm_loadu_si128(p + 2), _mm_loadu_si128(p + 3)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(all, opaque), opaque)) != 0xFFFF) return false;
    }
    for (; i < count; ++i)
        if (src[i].Alpha != 255) return false;
    return true;
}

void ConvertSse2(const DXSAMPLE* src, DXSAMPLE* dst, size_t count, SampleConversion conversion) {
    // A wholly opaque row is its own conversion either way: copied through.
    if (conversion != SampleConversion::Copy && RowIsOpaque(src, count)) {
        ConvertSampleRowGeneric(src, dst, count, SampleConversion::Copy);
        return;
    }
    size_t i = 0;
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const auto allOpaque = [opaque](__m128i s) {
        return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, opaque), opaque)) == 0xFFFF;
    };
    if (conversion == SampleConversion::Premultiply) {
        for (; i + 4 <= count; i += 4) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
            if (allOpaque(s)) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
                continue;
            }
            const __m128i low = PremultiplyTwo(_mm_unpacklo_epi8(s, zero));
            const __m128i high = PremultiplyTwo(_mm_unpackhi_epi8(s, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(low, high));
        }
    } else if (conversion == SampleConversion::Unpremultiply) {
        const auto& reciprocals = ReciprocalsByAlpha();
        for (; i + 4 <= count; i += 4) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
            if (allOpaque(s)) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
                continue;
            }
            const __m128i low = UnpremultiplyTwo(_mm_unpacklo_epi8(s, zero), reciprocals[src[i].Alpha],
                                                 reciprocals[src[i + 1].Alpha]);
            const __m128i high = UnpremultiplyTwo(_mm_unpackhi_epi8(s, zero), reciprocals[src[i + 2].Alpha],
                                                  reciprocals[src[i + 3].Alpha]);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(low, high));
        }
    }
    ConvertTables(src + i, dst + i, count - i, conversion);
}

// The SSE2 steps above in both 128-bit halves of a register: each half holds two samples'
// 16-bit lanes, as the byte unpacking leaves them. Only these functions use AVX2 (a
// per-function target attribute); they run only where the processor has it.
QUILLET_AVX2 inline __m256i AlphaOfEach(__m256i samples) {
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(samples, 0xFF), 0xFF);
}

QUILLET_AVX2 inline __m256i PremultiplyFour(__m256i samples) {
    const __m256i alphaLane = _mm256_set1_epi64x(static_cast<int64_t>(0xFFFF000000000000ull));
    __m256i alpha = AlphaOfEach(samples);
    alpha = _mm256_or_si256(_mm256_andnot_si256(alphaLane, alpha), _mm256_and_si256(alphaLane, _mm256_set1_epi16(255)));
    __m256i x = _mm256_add_epi16(_mm256_mullo_epi16(samples, alpha), _mm256_set1_epi16(127));
    x = _mm256_add_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), _mm256_set1_epi16(1));
    return _mm256_srli_epi16(x, 8);
}

QUILLET_AVX2 inline __m256i UnpremultiplyFour(__m256i samples, __m256i reciprocals) {
    const __m256i alphaLane = _mm256_set1_epi64x(static_cast<int64_t>(0xFFFF000000000000ull));
    const __m256i alpha = AlphaOfEach(samples);
    const __m256i c = _mm256_min_epi16(samples, alpha);
    const __m256i x = _mm256_add_epi16(_mm256_sub_epi16(_mm256_slli_epi16(c, 8), c), _mm256_srli_epi16(alpha, 1));
    const __m256i q0 = _mm256_mulhi_epu16(x, reciprocals);
    const __m256i remainder = _mm256_sub_epi16(x, _mm256_mullo_epi16(q0, alpha));
    __m256i q = _mm256_add_epi16(_mm256_add_epi16(q0, _mm256_set1_epi16(1)), _mm256_cmpgt_epi16(alpha, remainder));
    q = _mm256_and_si256(q, _mm256_cmpgt_epi16(alpha, _mm256_setzero_si256()));
    return _mm256_or_si256(_mm256_andnot_si256(alphaLane, q), _mm256_and_si256(alphaLane, samples));
}

// floor(65536 / a) (65535 for a = 1, 0 for a = 0) in both 16-bit halves, by alpha.
const std::array<int32_t, 256>& ReciprocalPairsByAlpha() {
    static const auto table = [] {
        std::array<int32_t, 256> t{};
        for (int a = 1; a < 256; ++a) t[a] = static_cast<int32_t>(std::min(65536 / a, 65535) * 0x00010001u);
        return t;
    }();
    return table;
}

QUILLET_AVX2 void ConvertAvx2(const DXSAMPLE* src, DXSAMPLE* dst, size_t count, SampleConversion conversion) {
    if (conversion == SampleConversion::Copy || RowIsOpaque(src, count)) {
        ConvertSampleRowGeneric(src, dst, count, SampleConversion::Copy);
        return;
    }
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const int* reciprocals = ReciprocalPairsByAlpha().data();
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        __m256i out = s;  // eight opaque samples are their own conversion
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(s, opaque), opaque)) != -1) {
            __m256i low = _mm256_unpacklo_epi8(s, zero), high = _mm256_unpackhi_epi8(s, zero);
            if (conversion == SampleConversion::Premultiply) {
                low = PremultiplyFour(low), high = PremultiplyFour(high);
            } else {
                const __m256i r = _mm256_i32gather_epi32(reciprocals, _mm256_srli_epi32(s, 24), 4);
                low = UnpremultiplyFour(low, _mm256_unpacklo_epi32(r, r));
                high = UnpremultiplyFour(high, _mm256_unpackhi_epi32(r, r));
            }
            out = _mm256_packus_epi16(low, high);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), out);
    }
    ConvertTables(src + i, dst + i, count - i, conversion);
}

// Premultiplying sixteen samples with no unpacking: a sample's even bytes (blue, red)
// and its odd bytes (green, alpha) each sit in the low byte of 16-bit lanes, and both
// lanes of a sample meet its alpha, copied into both words by one byte shuffle.
QUILLET_AVX512 inline __m512i AlphaInBothWords(__m512i samples) {
    const __m512i pick = _mm512_broadcast_i32x4(
        _mm_set_epi32(static_cast<int>(0x800F800Fu), static_cast<int>(0x800B800Bu), static_cast<int>(0x80078007u),
                      static_cast<int>(0x80038003u)));
    return _mm512_shuffle_epi8(samples, pick);
}

// The alpha byte of each sample from `samples`, the other bytes from `colours`.
QUILLET_AVX512 inline __m512i WithAlphaOf(__m512i colours, __m512i samples) {
    return _mm512_mask_mov_epi8(colours, 0x8888888888888888ull, samples);
}

// (c * a + 127) / 255 in every lane: floor(x / 255) is the high half of x * 0x8081
// shifted right by 7 for every x below 2^16.
QUILLET_AVX512 inline __m512i PremultiplySixteen(__m512i samples) {
    const __m512i alpha = AlphaInBothWords(samples);
    const __m512i lowBytes = _mm512_set1_epi16(0x00FF), round = _mm512_set1_epi16(127);
    const __m512i magic = _mm512_set1_epi16(static_cast<short>(0x8081));
    const __m512i even = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_and_si512(samples, lowBytes), alpha), round);
    const __m512i odd = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_srli_epi16(samples, 8), alpha), round);
    const __m512i evenQuotient = _mm512_srli_epi16(_mm512_mulhi_epu16(even, magic), 7);
    // The odd quotient shifted 7 right and 8 left: one left and the low byte cleared.
    const __m512i oddQuotientHigh = _mm512_slli_epi16(_mm512_mulhi_epu16(odd, magic), 1);
    const __m512i colours = _mm512_ternarylogic_epi32(evenQuotient, oddQuotientHigh, _mm512_set1_epi16(static_cast<short>(0xFF00)), 0xF8);
    return WithAlphaOf(colours, samples);
}

// Byte k of each sample, alone in its 32-bit lane.
QUILLET_AVX512 inline __m512i ByteOfEach(__m512i samples, int k) {
    const __m128i pick = _mm_add_epi32(_mm_set_epi32(static_cast<int>(0x8080800Cu), static_cast<int>(0x80808008u),
                                                     static_cast<int>(0x80808004u), static_cast<int>(0x80808000u)),
                                       _mm_set1_epi32(k));
    return _mm512_shuffle_epi8(samples, _mm512_broadcast_i32x4(pick));
}

// (c * 255 + a / 2) / a for one channel of sixteen samples in float lanes (not yet held
// at 255): c * scale + offset with scale = 255 / a and offset = (a / 2) / a + 2^-12, truncated.
// The exact quotient q is either whole or at least 1/a >= 1/255 below the next whole
// number; scale and offset carry relative errors of a few 2^-24 (a correctly rounded
// 1 / a, then one product and one fused step), so the computed value lies within
// 2^-14 of q + 2^-12 whenever q < 256: above q's floor, below the next whole number.
// Where q >= 256 (c above a) it stays at least 255, which the holding keeps. Alpha 0 gives 0.
QUILLET_AVX512 inline __m512i UnpremultiplyChannel16(__m512i c, __m512 scale, __m512 offset, __mmask16 nonZero) {
    return _mm512_maskz_cvttps_epi32(nonZero, _mm512_fmadd_ps(_mm512_cvtepi32_ps(c), scale, offset));
}

// Unpremultiplies sixteen samples, each channel in its own 32-bit float lanes, with one
// division for all (the reciprocals of the sixteen alphas). The channels (0 up to
// 255 * 255) are packed back with saturation, to 32767 and then to 255.
QUILLET_AVX512 inline __m512i UnpremultiplySixteen(__m512i samples) {
    const __mmask16 nonZero = _mm512_test_epi32_mask(samples, _mm512_set1_epi32(static_cast<int>(0xFF000000u)));
    const __m512i alpha = _mm512_srli_epi32(samples, 24);
    // Alpha 0 is not divided by (its lanes keep 1): no division by zero is ever formed.
    const __m512 one = _mm512_set1_ps(1.0f);
    const __m512 reciprocal = _mm512_mask_div_ps(one, nonZero, one, _mm512_cvtepi32_ps(alpha));
    const __m512 scale = _mm512_mul_ps(reciprocal, _mm512_set1_ps(255.0f));
    const __m512 offset = _mm512_fmadd_ps(_mm512_cvtepi32_ps(_mm512_srli_epi32(samples, 25)), reciprocal,
                                          _mm512_set1_ps(1.0f / 4096));
    const __m512i blue = UnpremultiplyChannel16(ByteOfEach(samples, 0), scale, offset, nonZero);
    const __m512i green = UnpremultiplyChannel16(ByteOfEach(samples, 1), scale, offset, nonZero);
    const __m512i red = UnpremultiplyChannel16(ByteOfEach(samples, 2), scale, offset, nonZero);
    // Each 128-bit block then holds the blue, green, red and alpha bytes of its four
    // samples one channel after another; the shuffle interleaves them.
    const __m512i planar = _mm512_packus_epi16(_mm512_packs_epi32(blue, green), _mm512_packs_epi32(red, alpha));
    const __m512i interleave = _mm512_broadcast_i32x4(_mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
    return _mm512_shuffle_epi8(planar, interleave);
}

// No look at the whole row first: an opaque group is copied as it is met, so an opaque
// row costs one pass, not a check and a copy.
QUILLET_AVX512 void ConvertAvx512(const DXSAMPLE* src, DXSAMPLE* dst, size_t count, SampleConversion conversion) {
    if (conversion == SampleConversion::Copy) {
        ConvertSampleRowGeneric(src, dst, count, SampleConversion::Copy);
        return;
    }
    const __m512i opaque = _mm512_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m512i s = _mm512_loadu_si512(src + i);
        __m512i out = s;  // sixteen opaque samples are their own conversion
        if (_mm512_cmplt_epu32_mask(s, opaque) != 0) {
            out = conversion == SampleConversion::Premultiply ? PremultiplySixteen(s) : UnpremultiplySixteen(s);
        }
        _mm512_storeu_si512(dst + i, out);
    }
    ConvertAvx2(src + i, dst + i, count - i, conversion);
}
#endif

struct Levels {
    bool tables = true, sse2 = true, avx2 = true, avx512 = true;
};

// The words of QUILLET_DISABLE that concern these versions ("tables", "sse2", "avx2",
// "avx512").
Levels LevelsAllowedByEnvironment() {
    Levels levels;
    const char* value = std::getenv("QUILLET_DISABLE");
    std::string_view rest = value ? value : "";
    while (!rest.empty()) {
        const size_t end = rest.find_first_of(", ");
        const std::string_view word = rest.substr(0, end);
        if (word == "tables") levels.tables = false;
        if (word == "sse2") levels.sse2 = false;
        if (word == "avx2") levels.avx2 = false;
        if (word == "avx512") levels.avx512 = false;
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return levels;
}

}  // namespace

std::vector<NamedSampleRowConverter> RunnableSampleRowConverters() {
    const Levels levels = LevelsAllowedByEnvironment();
    std::vector<NamedSampleRowConverter> versions{{"generic", &ConvertSampleRowGeneric}};
    if (levels.tables) versions.push_back({"tables", &ConvertTables});
#ifdef QUILLET_SAMPLES_SSE2
    // The SSE2 version divides as the tables do, so it stands only beside them.
    if (levels.tables && levels.sse2) versions.push_back({"sse2", &ConvertSse2});
    __builtin_cpu_init();
    if (levels.tables && levels.sse2 && levels.avx2 && __builtin_cpu_supports("avx2"))
        versions.push_back({"avx2", &ConvertAvx2});
    if (levels.tables && levels.sse2 && levels.avx2 && levels.avx512 && __builtin_cpu_supports("avx2") &&
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        versions.push_back({"avx512", &ConvertAvx512});
#endif
    return versions;
}

void ConvertSampleRow(const DXSAMPLE* src, DXSAMPLE* dst, size_t count, SampleConversion conversion) {
    static const SampleRowConverter selected = RunnableSampleRowConverters().back().convert;
    selected(src, dst, count, conversion);
}
