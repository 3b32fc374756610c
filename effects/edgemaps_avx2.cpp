// The row maps of Line Drawing and Pastel Sketch with AVX2: eight pixels at a time, each
// looking its output up in the effect's per-call table with a gather, the same entry
// the scalar map reads (effects/edgeband.h).
//
// Only this file's functions use AVX2 (a per-function target attribute); they are
// called only where ippAvx2Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "effects/edgeband.h"

#define QUILLET_AVX2 __attribute__((target("avx2")))

namespace {

QUILLET_AVX2 inline __m256i Channel(__m256i pixels, int shift) {
    return _mm256_and_si256(_mm256_srli_epi32(pixels, shift), _mm256_set1_epi32(0xFF));
}

QUILLET_AVX2 inline __m256i Alpha(__m256i pixels) { return _mm256_and_si256(pixels, _mm256_set1_epi32(-0x1000000)); }

}  // namespace

QUILLET_AVX2 int LineDrawingMapRowAvx2(const uint32_t colours[96], const uint8_t* source, uint8_t* pixels, int count) {
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        __m256i* at = reinterpret_cast<__m256i*>(pixels + 4 * x);
        const __m256i filtered = _mm256_loadu_si256(at);
        const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(Channel(filtered, 0), Channel(filtered, 8)), Channel(filtered, 16));
        const __m256i colour = _mm256_i32gather_epi32(reinterpret_cast<const int*>(colours), _mm256_srli_epi32(sum, 3), 4);
        const __m256i alpha = Alpha(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 4 * x)));
        _mm256_storeu_si256(at, _mm256_or_si256(colour, alpha));
    }
    return x;
}

QUILLET_AVX2 int PastelSketchMapRowAvx2(const uint32_t bytes[2 * 3 * 256], int inkThreshold, const uint8_t* source,
                                        uint8_t* pixels, int count) {
    const int* table = reinterpret_cast<const int*>(bytes);
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        __m256i* at = reinterpret_cast<__m256i*>(pixels + 4 * x);
        const __m256i filtered = _mm256_loadu_si256(at);
        const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(Channel(filtered, 0), Channel(filtered, 8)), Channel(filtered, 16));
        const __m256i onEdge = _mm256_cmpgt_epi32(sum, _mm256_set1_epi32(inkThreshold - 1));
        const __m256i first = _mm256_and_si256(onEdge, _mm256_set1_epi32(3 * 256));  // the ink's entries
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 4 * x));
        __m256i out = Alpha(s);
        for (int c = 0; c < 3; ++c) {
            const __m256i index = _mm256_add_epi32(first, _mm256_add_epi32(Channel(s, 8 * c), _mm256_set1_epi32(256 * c)));
            out = _mm256_or_si256(out, _mm256_slli_epi32(_mm256_i32gather_epi32(table, index, 4), 8 * c));
        }
        _mm256_storeu_si256(at, out);
    }
    return x;
}

#endif
