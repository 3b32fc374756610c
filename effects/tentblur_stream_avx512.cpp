// The streamed tent blur's column pass with AVX-512: sixteen lanes at a time, each byte
// widened to 32 bits, the sums normalised by the AVX2 set's operations in registers
// twice as wide (a shift, the integer product, or the product with the reciprocal and
// + 0.5 in double lanes, truncated), held at 0 and narrowed with unsigned saturation,
// which together are the rule's clamp into 0..255. Where the processor has BW too, the
// row pass takes four rows at once, the AVX2 pair's steps with a row in each 128-bit
// block. The rest of the loops are the AVX2 set's.
//
// Only this file's functions use AVX-512 (per-function target attributes); they run
// only where ippAvx512Enabled() says the processor has it.
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// maybe-uninitialized warning then reports at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include <cstddef>
#include <cstring>

#include "effects/tentblur_stream_kernels.h"
#include "image/cpudispatch.h"

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

// The row pass over four rows at once, with BW: the AVX2 pair's steps with a row in each
// 128-bit block (unpacking, widening and packing all work within blocks).
#define QUILLET_AVX512BW __attribute__((target("avx512f,avx512bw")))
#define QUILLET_AVX512BW_INLINE __attribute__((target("avx512f,avx512bw"), always_inline)) inline

// Sixteen bytes at `offset` from each row's `x`, the rows in blocks 0..3.
QUILLET_AVX512BW_INLINE __m512i LoadQuad(const uint8_t* const line[4], int x, ptrdiff_t offset) {
    __m512i v = _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(At(line[0], x) + offset)));
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(At(line[1], x) + offset)), 1);
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(At(line[2], x) + offset)), 2);
    return _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(At(line[3], x) + offset)), 3);
}

// One pixel of each row at `offset` from its `x`, in the low four bytes of each block.
QUILLET_AVX512BW_INLINE __m512i LoadPixelQuad(const uint8_t* const line[4], int x, ptrdiff_t offset) {
    int32_t p[4];
    for (int k = 0; k < 4; ++k) std::memcpy(&p[k], At(line[k], x) + offset, 4);
    return _mm512_setr_epi32(p[0], 0, 0, 0, p[1], 0, 0, 0, p[2], 0, 0, 0, p[3], 0, 0, 0);
}

// entering - enteringDrop - leaving + leavingDrop in 16-bit lanes: bytes 0..7 of each
// block in `low`, 8..15 in `high`.
QUILLET_AVX512BW_INLINE void Change(__m512i e, __m512i ed, __m512i l, __m512i ld, __m512i& low, __m512i& high) {
    const __m512i zero = _mm512_setzero_si512();
    low = _mm512_sub_epi16(_mm512_add_epi16(_mm512_sub_epi16(_mm512_unpacklo_epi8(e, zero), _mm512_unpacklo_epi8(ed, zero)),
                                            _mm512_unpacklo_epi8(ld, zero)),
                           _mm512_unpacklo_epi8(l, zero));
    high = _mm512_sub_epi16(_mm512_add_epi16(_mm512_sub_epi16(_mm512_unpackhi_epi8(e, zero), _mm512_unpackhi_epi8(ed, zero)),
                                             _mm512_unpackhi_epi8(ld, zero)),
                            _mm512_unpackhi_epi8(l, zero));
}

QUILLET_AVX512BW_INLINE __m512i WidenLow(__m512i v) { return _mm512_srai_epi32(_mm512_unpacklo_epi16(v, v), 16); }
QUILLET_AVX512BW_INLINE __m512i WidenHigh(__m512i v) { return _mm512_srai_epi32(_mm512_unpackhi_epi16(v, v), 16); }

// One pixel of the four rows: the sums moved on by the pixels entering and leaving.
QUILLET_AVX512BW_INLINE void QuadStep(const uint8_t* const line[4], int x, const Reach& o, __m512i& diff, __m512i& sum) {
    __m512i low, high;
    Change(LoadPixelQuad(line, x, o.entering), LoadPixelQuad(line, x, o.enteringDrop), LoadPixelQuad(line, x, o.leaving),
           LoadPixelQuad(line, x, o.leavingDrop), low, high);
    diff = _mm512_add_epi32(diff, WidenLow(low));
    sum = _mm512_add_epi32(sum, diff);
}

// One pixel of the four rows normalised and stored.
template <Rule R>
QUILLET_AVX512BW_INLINE void QuadStore(__m512i sum, const Terms& t, uint8_t* const out[4], int x) {
    const __m512i words = _mm512_packs_epi32(Normalise<R>(sum, t), sum);
    const __m512i bytes = _mm512_packus_epi16(words, words);
    alignas(64) int32_t lanes[16];
    _mm512_store_si512(lanes, bytes);
    for (int k = 0; k < 4; ++k) std::memcpy(At(out[k], x), &lanes[4 * k], 4);
}

template <Rule R>
QUILLET_AVX512BW void RowPassQuad(const uint8_t* const line[4], uint8_t* const out[4], int width, int start,
                                  TentShape shape, const Normalisation& normalise) {
    const Terms t(normalise);
    const Reach o{shape.r * 4, (shape.r - shape.b) * 4, (shape.r - shape.a) * 4, (shape.r - shape.n - 1) * 4};
    const int d = shape.a * shape.b;
    int32_t first[16] = {};
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 4; ++c) first[4 * k + c] = d * At(line[k], start)[o.entering + c];
    __m512i sum = _mm512_loadu_si512(first);
    __m512i diff = _mm512_setzero_si512();
    int x = start;
    if (x == 0) QuadStore<R>(sum, t, out, x);
    // Up to pixel 0 the sums only move on.
    for (++x; x <= 0; ++x) {
        QuadStep(line, x, o, diff, sum);
        if (x == 0) QuadStore<R>(sum, t, out, x);
    }
    for (; x + 4 <= width; x += 4) {
        __m512i low, high;
        Change(LoadQuad(line, x, o.entering), LoadQuad(line, x, o.enteringDrop), LoadQuad(line, x, o.leaving),
               LoadQuad(line, x, o.leavingDrop), low, high);
        __m512i v[4];
        diff = _mm512_add_epi32(diff, WidenLow(low));
        sum = _mm512_add_epi32(sum, diff);
        v[0] = Normalise<R>(sum, t);
        diff = _mm512_add_epi32(diff, WidenHigh(low));
        sum = _mm512_add_epi32(sum, diff);
        v[1] = Normalise<R>(sum, t);
        diff = _mm512_add_epi32(diff, WidenLow(high));
        sum = _mm512_add_epi32(sum, diff);
        v[2] = Normalise<R>(sum, t);
        diff = _mm512_add_epi32(diff, WidenHigh(high));
        sum = _mm512_add_epi32(sum, diff);
        v[3] = Normalise<R>(sum, t);
        // Each block packs its own row's four pixels in order.
        const __m512i bytes = _mm512_packus_epi16(_mm512_packs_epi32(v[0], v[1]), _mm512_packs_epi32(v[2], v[3]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(At(out[0], x)), _mm512_castsi512_si128(bytes));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(At(out[1], x)), _mm512_extracti32x4_epi32(bytes, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(At(out[2], x)), _mm512_extracti32x4_epi32(bytes, 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(At(out[3], x)), _mm512_extracti32x4_epi32(bytes, 3));
    }
    for (; x < width; ++x) {
        QuadStep(line, x, o, diff, sum);
        QuadStore<R>(sum, t, out, x);
    }
}

template <Rule R>
StreamKernels KernelsFor(const Normalisation& normalise) {
    StreamKernels kernels = Avx2StreamKernels(normalise);
    kernels.columnStep = &ColumnStep<R>;
    if (ippAvx512BwEnabled()) kernels.rowPassQuad = &RowPassQuad<R>;
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
