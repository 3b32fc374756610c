// The streamed tent blur's loops with AVX2. The column pass takes eight lanes at a
// time, each byte widened to 32 bits; the row pass takes two rows at once, a pixel of
// each in the two halves of a register, four pixels a step (a row on its own takes
// the SSE2 row pass). The sums are normalised by the scalar rule's own operations (a
// shift, or the product with the reciprocal and + 0.5 in double lanes, truncated) and
// packed with saturation, which is the rule's clamp into 0..255.
//
// Only this file's functions use AVX2 (per-function target attributes); they run only
// where ippAvx2Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstddef>
#include <cstring>

#include "effects/tentblur_stream_kernels.h"

#define QUILLET_AVX2 __attribute__((target("avx2")))

namespace {

using ipp_fast::Normalisation;
using ipp_fast::Rule;

using Terms = NormalisationTerms;

template <Rule R>
QUILLET_AVX2 inline __m256i Normalise(__m256i sum, const Terms& t) {
    if constexpr (R == Rule::Clamp) {
        return sum;
    } else if constexpr (R == Rule::Shift) {
        return _mm256_sra_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(t.half)), _mm_cvtsi32_si128(t.shift));
    } else if constexpr (R == Rule::Product) {
        // (S * M + 2^(k-1)) >> k in 64-bit lanes, the even and the odd ones; each result
        // (at most 256) fits the low half of its lane.
        const __m256i multiplier = _mm256_set1_epi64x(t.multiplier), half = _mm256_set1_epi64x(t.productHalf);
        const __m128i shift = _mm_cvtsi32_si128(t.productShift);
        const __m256i s = _mm256_max_epi32(sum, _mm256_setzero_si256());
        const __m256i even = _mm256_srl_epi64(_mm256_add_epi64(_mm256_mul_epu32(s, multiplier), half), shift);
        const __m256i odd =
            _mm256_srl_epi64(_mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(s, 32), multiplier), half), shift);
        return _mm256_or_si256(even, _mm256_slli_epi64(odd, 32));
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

// Thirty-two lanes at a time, kept in registers over all the rows.
QUILLET_AVX2 void ColumnStart(const uint8_t* const* rows, const int32_t* weights, const int32_t* signs, int count,
                              int32_t* sum, int32_t* diff, int bytes) {
    int i = 0;
    for (; i + 32 <= bytes; i += 32) {
        __m256i s[4], d[4];
        for (int k = 0; k < 4; ++k) s[k] = d[k] = _mm256_setzero_si256();
        for (int t = 0; t < count; ++t) {
            const __m256i w = _mm256_set1_epi32(weights[t]), g = _mm256_set1_epi32(signs[t]);
            for (int k = 0; k < 4; ++k) {
                const __m256i v = Widen(rows[t] + i + 8 * k);
                s[k] = _mm256_add_epi32(s[k], _mm256_mullo_epi32(v, w));
                d[k] = _mm256_add_epi32(d[k], _mm256_mullo_epi32(v, g));
            }
        }
        for (int k = 0; k < 4; ++k) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(sum + i + 8 * k), s[k]);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(diff + i + 8 * k), d[k]);
        }
    }
    ColumnStartLanes(rows, weights, signs, count, sum, diff, i, bytes);
}

template <Rule R>
QUILLET_AVX2 void ColumnStep(int32_t* diff, int32_t* sum, const uint8_t* entering, const uint8_t* enteringDrop,
                             const uint8_t* leaving, const uint8_t* leavingDrop, uint8_t* out, int bytes,
                             const Normalisation& normalise) {
    const Terms t(normalise);
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

QUILLET_AVX2 inline __m256i Pair(__m128i row0, __m128i row1) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(row0), row1, 1);
}

QUILLET_AVX2 inline __m256i LoadPair(const uint8_t* row0, const uint8_t* row1) {
    return Pair(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row0)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(row1)));
}

QUILLET_AVX2 inline __m256i LoadPixelPair(const uint8_t* row0, const uint8_t* row1) {
    int32_t p0, p1;
    std::memcpy(&p0, row0, 4);
    std::memcpy(&p1, row1, 4);
    return Pair(_mm_cvtsi32_si128(p0), _mm_cvtsi32_si128(p1));
}

// entering - enteringDrop - leaving + leavingDrop in 16-bit lanes: bytes 0..7 of each
// half in `low`, 8..15 in `high`.
QUILLET_AVX2 inline void Change(__m256i e, __m256i ed, __m256i l, __m256i ld, __m256i& low, __m256i& high) {
    const __m256i zero = _mm256_setzero_si256();
    low = _mm256_sub_epi16(
        _mm256_add_epi16(_mm256_sub_epi16(_mm256_unpacklo_epi8(e, zero), _mm256_unpacklo_epi8(ed, zero)),
                         _mm256_unpacklo_epi8(ld, zero)),
        _mm256_unpacklo_epi8(l, zero));
    high = _mm256_sub_epi16(
        _mm256_add_epi16(_mm256_sub_epi16(_mm256_unpackhi_epi8(e, zero), _mm256_unpackhi_epi8(ed, zero)),
                         _mm256_unpackhi_epi8(ld, zero)),
        _mm256_unpackhi_epi8(l, zero));
}

QUILLET_AVX2 inline __m256i WidenLow(__m256i v) { return _mm256_srai_epi32(_mm256_unpacklo_epi16(v, v), 16); }
QUILLET_AVX2 inline __m256i WidenHigh(__m256i v) { return _mm256_srai_epi32(_mm256_unpackhi_epi16(v, v), 16); }

// One pixel of both rows: the sums moved on by the pixels entering and leaving.
QUILLET_AVX2 inline void PairStep(const uint8_t* p0, const uint8_t* p1, const Reach& o, __m256i& diff, __m256i& sum) {
    __m256i low, high;
    Change(LoadPixelPair(p0 + o.entering, p1 + o.entering), LoadPixelPair(p0 + o.enteringDrop, p1 + o.enteringDrop),
           LoadPixelPair(p0 + o.leaving, p1 + o.leaving), LoadPixelPair(p0 + o.leavingDrop, p1 + o.leavingDrop), low,
           high);
    diff = _mm256_add_epi32(diff, WidenLow(low));
    sum = _mm256_add_epi32(sum, diff);
}

// One pixel of both rows normalised and stored.
template <Rule R>
QUILLET_AVX2 inline void PairStore(__m256i sum, const Terms& t, uint8_t* q0, uint8_t* q1) {
    const __m256i words = _mm256_packs_epi32(Normalise<R>(sum, t), sum);
    const __m256i bytes = _mm256_packus_epi16(words, words);
    const int32_t b0 = _mm_cvtsi128_si32(_mm256_castsi256_si128(bytes));
    const int32_t b1 = _mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1));
    std::memcpy(q0, &b0, 4);
    std::memcpy(q1, &b1, 4);
}

template <Rule R>
QUILLET_AVX2 void RowPassPair(const uint8_t* line0, const uint8_t* line1, uint8_t* out0, uint8_t* out1, int width,
                              int start, TentShape shape, const Normalisation& normalise) {
    const Terms t(normalise);
    const Reach o{shape.r * 4, (shape.r - shape.b) * 4, (shape.r - shape.a) * 4, (shape.r - shape.n - 1) * 4};
    const uint8_t* known0 = line0 + static_cast<ptrdiff_t>(start) * 4 + o.entering;
    const uint8_t* known1 = line1 + static_cast<ptrdiff_t>(start) * 4 + o.entering;
    const int d = shape.a * shape.b;
    __m256i sum = _mm256_setr_epi32(d * known0[0], d * known0[1], d * known0[2], d * known0[3], d * known1[0],
                                    d * known1[1], d * known1[2], d * known1[3]);
    __m256i diff = _mm256_setzero_si256();
    int x = start;
    if (x == 0) PairStore<R>(sum, t, out0, out1);
    // Up to pixel 0 the sums only move on.
    for (++x; x <= 0; ++x) {
        PairStep(At(line0, x), At(line1, x), o, diff, sum);
        if (x == 0) PairStore<R>(sum, t, out0, out1);
    }
    for (; x + 4 <= width; x += 4) {
        const uint8_t* p0 = At(line0, x);
        const uint8_t* p1 = At(line1, x);
        __m256i low, high;
        Change(LoadPair(p0 + o.entering, p1 + o.entering), LoadPair(p0 + o.enteringDrop, p1 + o.enteringDrop),
               LoadPair(p0 + o.leaving, p1 + o.leaving), LoadPair(p0 + o.leavingDrop, p1 + o.leavingDrop), low, high);
        __m256i v[4];
        diff = _mm256_add_epi32(diff, WidenLow(low));
        sum = _mm256_add_epi32(sum, diff);
        v[0] = Normalise<R>(sum, t);
        diff = _mm256_add_epi32(diff, WidenHigh(low));
        sum = _mm256_add_epi32(sum, diff);
        v[1] = Normalise<R>(sum, t);
        diff = _mm256_add_epi32(diff, WidenLow(high));
        sum = _mm256_add_epi32(sum, diff);
        v[2] = Normalise<R>(sum, t);
        diff = _mm256_add_epi32(diff, WidenHigh(high));
        sum = _mm256_add_epi32(sum, diff);
        v[3] = Normalise<R>(sum, t);
        // Each half packs its own row's four pixels in order.
        const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(v[0], v[1]), _mm256_packs_epi32(v[2], v[3]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(At(out0, x)), _mm256_castsi256_si128(bytes));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(At(out1, x)), _mm256_extracti128_si256(bytes, 1));
    }
    for (; x < width; ++x) {
        PairStep(At(line0, x), At(line1, x), o, diff, sum);
        PairStore<R>(sum, t, At(out0, x), At(out1, x));
    }
}

template <Rule R>
StreamKernels KernelsFor(const Normalisation& normalise) {
    StreamKernels kernels = Sse2StreamKernels(normalise);
    kernels.columnStart = &ColumnStart;
    kernels.columnStep = &ColumnStep<R>;
    kernels.rowPassPair = &RowPassPair<R>;
    return kernels;
}

}  // namespace

StreamKernels Avx2StreamKernels(const Normalisation& normalise) {
    switch (normalise.rule) {
    case Rule::Clamp: return KernelsFor<Rule::Clamp>(normalise);
    case Rule::Shift: return KernelsFor<Rule::Shift>(normalise);
    case Rule::Product: return KernelsFor<Rule::Product>(normalise);
    default: return KernelsFor<Rule::Reciprocal>(normalise);
    }
}

#endif
