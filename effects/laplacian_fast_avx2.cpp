// The scaled Laplacian's rows with AVX2: sixteen bytes of a row at a time, N summed in
// 16-bit lanes from the nine widened neighbours, then c * N + 0.5 in double lanes,
// held within 0..255 and truncated. Those are the double operations the table path's
// entries come from (OutputByte in effects/laplacian_fast.cpp): maximum with 0 gives
// the 0 of v <= 0 (v + 0.5 is then at most 0.5), minimum with 255 the 255 of v + 0.5
// >= 256 or 255, so every byte is the table's. The single-precision form does the
// same in eight float lanes, twice the lanes of double; it runs only for a scale at
// which it was checked to give the table's byte for every N.
//
// Only this file's function uses AVX2 (a per-function target attribute); it is called
// only where ippAvx2Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "effects/laplacian_fast.h"

#define QUILLET_AVX2 __attribute__((target("avx2")))

namespace {

QUILLET_AVX2 inline __m256i Widen(const uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// c * n + 0.5 in single precision, held within 0..255 and truncated: eight lanes of
// n into eight int32 (the rule of SingleOutputByte in effects/laplacian_fast.cpp).
QUILLET_AVX2 inline __m256i OutputEightSingle(__m256i n, __m256 scale) {
    const __m256 v = _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(n), scale), _mm256_set1_ps(0.5f));
    return _mm256_cvttps_epi32(_mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), _mm256_set1_ps(255.0f)));
}

// c * n + 0.5 held within 0..255, truncated: four lanes of n into four int32.
QUILLET_AVX2 inline __m128i OutputFour(__m128i n, __m256d scale) {
    const __m256d v = _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(n), scale), _mm256_set1_pd(0.5));
    return _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(v, _mm256_setzero_pd()), _mm256_set1_pd(255.0)));
}

}  // namespace

QUILLET_AVX2 int ScaledLaplacianRowAvx2(const uint8_t* above, const uint8_t* mid, const uint8_t* below, uint8_t* out,
                                        int bytes, float scale, bool single) {
    const __m256d c = _mm256_set1_pd(static_cast<double>(scale));
    const __m256 cSingle = _mm256_set1_ps(scale);
    int i = 0;
    for (; i + 16 <= bytes; i += 16) {
        const __m256i centre = Widen(mid + i + 4);
        __m256i sum = _mm256_add_epi16(_mm256_add_epi16(Widen(above + i), Widen(above + i + 4)), Widen(above + i + 8));
        sum = _mm256_add_epi16(sum, _mm256_add_epi16(Widen(mid + i), Widen(mid + i + 8)));
        sum = _mm256_add_epi16(sum, _mm256_add_epi16(_mm256_add_epi16(Widen(below + i), Widen(below + i + 4)),
                                                     Widen(below + i + 8)));
        // The eight neighbours less eight times the centre.
        const __m256i n = _mm256_sub_epi16(sum, _mm256_slli_epi16(centre, 3));
        const __m256i low = _mm256_cvtepi16_epi32(_mm256_castsi256_si128(n));
        const __m256i high = _mm256_cvtepi16_epi32(_mm256_extracti128_si256(n, 1));
        if (single) {
            // packs works within each 128-bit half: put the four quarters back in order.
            const __m256i words = _mm256_permute4x64_epi64(
                _mm256_packs_epi32(OutputEightSingle(low, cSingle), OutputEightSingle(high, cSingle)), 0xD8);
            const __m128i packed = _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
            continue;
        }
        const __m128i q0 = OutputFour(_mm256_castsi256_si128(low), c);
        const __m128i q1 = OutputFour(_mm256_extracti128_si256(low, 1), c);
        const __m128i q2 = OutputFour(_mm256_castsi256_si128(high), c);
        const __m128i q3 = OutputFour(_mm256_extracti128_si256(high, 1), c);
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(q0, q1), _mm_packs_epi32(q2, q3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
    }
    return i;
}

#endif
