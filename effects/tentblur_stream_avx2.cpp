// The streamed tent blur's column pass with AVX2: eight lanes at a time, each byte
// widened to 32 bits, the sums normalised by the scalar rule's own operations (a
// shift, or the product with the reciprocal and + 0.5 in double lanes, truncated) and
// packed with saturation, which is the rule's clamp into 0..255. The row pass is the
// SSE2 one.
//
// Only this file's functions use AVX2 (per-function target attributes); they run only
// where ippAvx2Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "effects/tentblur_stream_kernels.h"

#define QUILLET_AVX2 __attribute__((target("avx2")))

namespace {

using ipp_fast::Normalisation;
using ipp_fast::Rule;

struct Terms {
    int32_t half;
    int shift;
    double reciprocal;
};

template <Rule R>
QUILLET_AVX2 inline __m256i Normalise(__m256i sum, const Terms& t) {
    if constexpr (R == Rule::Clamp) {
        return sum;
    } else if constexpr (R == Rule::Shift) {
        return _mm256_sra_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(t.half)), _mm_cvtsi32_si128(t.shift));
    } else {
        const __m256d reciprocal = _mm256_set1_pd(t.reciprocal), half = _mm256_set1_pd(0.5);
        const __m256d low = _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(sum)), reciprocal), half);
        const __m256d high =
            _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(sum, 1)), reciprocal), half);
        return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm256_cvttpd_epi32(low)), _mm256_cvttpd_epi32(high), 1);
    }
}

QUILLET_AVX2 inline __m256i Widen(const uint8_t* p) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

template <Rule R>
QUILLET_AVX2 void ColumnStep(int32_t* diff, int32_t* sum, const uint8_t* entering, const uint8_t* enteringDrop,
                             const uint8_t* leaving, const uint8_t* leavingDrop, uint8_t* out, int bytes,
                             const Normalisation& normalise) {
    const Terms t{static_cast<int32_t>(normalise.half), normalise.shift, normalise.reciprocal};
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    int i = 0;
    for (; i + 32 <= bytes; i += 32) {
        __m256i v[4];
        for (int k = 0; k < 4; ++k) {
            const int j = i + 8 * k;
            const __m256i change = _mm256_add_epi32(_mm256_sub_epi32(Widen(entering + j), Widen(enteringDrop + j)),
                                                    _mm256_sub_epi32(Widen(leavingDrop + j), Widen(leaving + j)));
            auto* d = reinterpret_cast<__m256i*>(diff + j);
            auto* m = reinterpret_cast<__m256i*>(sum + j);
            const __m256i nd = _mm256_add_epi32(_mm256_loadu_si256(d), change);
            _mm256_storeu_si256(d, nd);
            const __m256i s = _mm256_add_epi32(_mm256_loadu_si256(m), nd);
            _mm256_storeu_si256(m, s);
            v[k] = Normalise<R>(s, t);
        }
        // Packing works within 128-bit halves; the permutation puts the bytes in order.
        const __m256i bytes16 = _mm256_packus_epi16(_mm256_packs_epi32(v[0], v[1]), _mm256_packs_epi32(v[2], v[3]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permutevar8x32_epi32(bytes16, order));
    }
    for (; i < bytes; ++i) {
        diff[i] += entering[i] - enteringDrop[i] - leaving[i] + leavingDrop[i];
        sum[i] += diff[i];
        out[i] = normalise.Apply<R>(sum[i]);
    }
}

}  // namespace

StreamKernels Avx2StreamKernels(const Normalisation& normalise) {
    StreamKernels kernels = Sse2StreamKernels(normalise);
    switch (normalise.rule) {
    case Rule::Clamp: kernels.columnStep = &ColumnStep<Rule::Clamp>; break;
    case Rule::Shift: kernels.columnStep = &ColumnStep<Rule::Shift>; break;
    default: kernels.columnStep = &ColumnStep<Rule::Reciprocal>; break;
    }
    return kernels;
}

#endif
