// The streamed tent blur's column pass with AVX-512: sixteen lanes at a time, each byte
// widened to 32 bits, the sums normalised by the AVX2 set's operations in registers
// twice as wide (a shift, the integer product, or the product with the reciprocal and
// + 0.5 in double lanes, truncated), held at 0 and narrowed with unsigned saturation,
// which together are the rule's clamp into 0..255. The rest of the loops are the AVX2
// set's.
//
// Only this file's functions use AVX-512 (per-function target attributes); they run
// only where ippAvx512Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// maybe-uninitialized warning then reports at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include "effects/tentblur_stream_kernels.h"

#define QUILLET_AVX512 __attribute__((target("avx512f")))

namespace {

using ipp_fast::Normalisation;
using ipp_fast::Rule;

using Terms = NormalisationTerms;

template <Rule R>
QUILLET_AVX512 inline __m512i Normalise(__m512i sum, const Terms& t) {
    if constexpr (R == Rule::Clamp) {
        return sum;
    } else if constexpr (R == Rule::Shift) {
        return _mm512_sra_epi32(_mm512_add_epi32(sum, _mm512_set1_epi32(t.half)), _mm_cvtsi32_si128(t.shift));
    } else if constexpr (R == Rule::Product) {
        const __m512i multiplier = _mm512_set1_epi64(t.multiplier), half = _mm512_set1_epi64(t.productHalf);
        const __m128i shift = _mm_cvtsi32_si128(t.productShift);
        const __m512i s = _mm512_max_epi32(sum, _mm512_setzero_si512());
        const __m512i even = _mm512_srl_epi64(_mm512_add_epi64(_mm512_mul_epu32(s, multiplier), half), shift);
        const __m512i odd =
            _mm512_srl_epi64(_mm512_add_epi64(_mm512_mul_epu32(_mm512_srli_epi64(s, 32), multiplier), half), shift);
        return _mm512_or_si512(even, _mm512_slli_epi64(odd, 32));
    } else {
        const __m512d reciprocal = _mm512_set1_pd(t.reciprocal), half = _mm512_set1_pd(0.5);
        const __m256i low =
            _mm512_cvttpd_epi32(_mm512_add_pd(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_castsi512_si256(sum)), reciprocal), half));
        const __m256i high = _mm512_cvttpd_epi32(
            _mm512_add_pd(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(sum, 1)), reciprocal), half));
        return _mm512_inserti64x4(_mm512_castsi256_si512(low), high, 1);
    }
}

QUILLET_AVX512 inline __m512i Widen(const uint8_t* p) {
    return _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

template <Rule R>
QUILLET_AVX512 void ColumnStep(int32_t* diff, int32_t* sum, const uint8_t* entering, const uint8_t* enteringDrop,
                               const uint8_t* leaving, const uint8_t* leavingDrop, uint8_t* out, int bytes,
                               const Normalisation& normalise) {
    const Terms t(normalise);
    int i = 0;
    for (; i + 16 <= bytes; i += 16) {
        const __m512i change = _mm512_add_epi32(_mm512_sub_epi32(Widen(entering + i), Widen(enteringDrop + i)),
                                                _mm512_sub_epi32(Widen(leavingDrop + i), Widen(leaving + i)));
        const __m512i d = _mm512_add_epi32(_mm512_loadu_si512(diff + i), change);
        _mm512_storeu_si512(diff + i, d);
        const __m512i s = _mm512_add_epi32(_mm512_loadu_si512(sum + i), d);
        _mm512_storeu_si512(sum + i, s);
        const __m512i v = _mm512_max_epi32(Normalise<R>(s, t), _mm512_setzero_si512());
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm512_cvtusepi32_epi8(v));
    }
    for (; i < bytes; ++i) {
        diff[i] += entering[i] - enteringDrop[i] - leaving[i] + leavingDrop[i];
        sum[i] += diff[i];
        out[i] = normalise.Apply<R>(sum[i]);
    }
}

template <Rule R>
StreamKernels KernelsFor(const Normalisation& normalise) {
    StreamKernels kernels = Avx2StreamKernels(normalise);
    kernels.columnStep = &ColumnStep<R>;
    return kernels;
}

}  // namespace

StreamKernels Avx512StreamKernels(const Normalisation& normalise) {
    switch (normalise.rule) {
    case Rule::Clamp: return KernelsFor<Rule::Clamp>(normalise);
    case Rule::Shift: return KernelsFor<Rule::Shift>(normalise);
    case Rule::Product: return KernelsFor<Rule::Product>(normalise);
    default: return KernelsFor<Rule::Reciprocal>(normalise);
    }
}

#endif
