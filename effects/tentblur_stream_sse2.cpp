// The streamed tent blur's loops with SSE2. The four pixels that enter and leave the
// boxes are combined in 16-bit lanes (the change lies within -510..510) and widened to
// the 32-bit sums; the sums are normalised four lanes at a time by the scalar rule's
// own operations (a shift, or the product with the reciprocal and + 0.5 in double
// lanes, truncated) and packed with saturation, which is the rule's clamp into 0..255.
// The row pass keeps a pixel's four sums in one register and moves along the row four
// pixels per step.
#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include <cstddef>
#include <cstring>

#include "effects/tentblur_stream_kernels.h"

namespace {

using ipp_fast::Normalisation;
using ipp_fast::Rule;

struct Terms {
    __m128i half;
    __m128i shift;
    __m128d reciprocal;
    explicit Terms(const Normalisation& n)
        : half(_mm_set1_epi32(static_cast<int>(n.half))), shift(_mm_cvtsi32_si128(n.shift)),
          reciprocal(_mm_set1_pd(n.reciprocal)) {}
};

// Four sums normalised, still in 32-bit lanes; values outside 0..255 are clamped by
// the packing that follows.
template <Rule R>
inline __m128i Normalise(__m128i sum, const Terms& t) {
    if constexpr (R == Rule::Clamp) {
        return sum;
    } else if constexpr (R == Rule::Shift) {
        return _mm_sra_epi32(_mm_add_epi32(sum, t.half), t.shift);
    } else {
        const __m128d half = _mm_set1_pd(0.5);
        const __m128d low = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(sum), t.reciprocal), half);
        const __m128d high = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(sum, sum)), t.reciprocal), half);
        return _mm_unpacklo_epi64(_mm_cvttpd_epi32(low), _mm_cvttpd_epi32(high));
    }
}

template <Rule R>
inline __m128i NormaliseSixteen(__m128i s0, __m128i s1, __m128i s2, __m128i s3, const Terms& t) {
    return _mm_packus_epi16(_mm_packs_epi32(Normalise<R>(s0, t), Normalise<R>(s1, t)),
                            _mm_packs_epi32(Normalise<R>(s2, t), Normalise<R>(s3, t)));
}

// entering - enteringDrop - leaving + leavingDrop over 16 bytes, as two sets of eight
// 16-bit lanes.
inline void Change(__m128i e, __m128i ed, __m128i l, __m128i ld, __m128i& low, __m128i& high) {
    const __m128i zero = _mm_setzero_si128();
    low = _mm_sub_epi16(_mm_add_epi16(_mm_sub_epi16(_mm_unpacklo_epi8(e, zero), _mm_unpacklo_epi8(ed, zero)),
                                      _mm_unpacklo_epi8(ld, zero)),
                        _mm_unpacklo_epi8(l, zero));
    high = _mm_sub_epi16(_mm_add_epi16(_mm_sub_epi16(_mm_unpackhi_epi8(e, zero), _mm_unpackhi_epi8(ed, zero)),
                                       _mm_unpackhi_epi8(ld, zero)),
                         _mm_unpackhi_epi8(l, zero));
}

// The signed 16-bit lanes 0..3 (Low) or 4..7 (High) widened to 32 bits.
inline __m128i WidenLow(__m128i v) { return _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16); }
inline __m128i WidenHigh(__m128i v) { return _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16); }

inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline __m128i Load4(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(v);
}

// Sixteen lanes at a time, the products formed by 16-bit multiply-adds of each byte
// (zero in the odd 16-bit lane) with the weight.
void ColumnStart(const uint8_t* const* rows, const int32_t* weights, const int32_t* signs, int count, int32_t* sum,
                 int32_t* diff, int bytes) {
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 16 <= bytes; i += 16) {
        __m128i s[4] = {zero, zero, zero, zero}, d[4] = {zero, zero, zero, zero};
        for (int t = 0; t < count; ++t) {
            const __m128i bytes16 = Load(rows[t] + i);
            const __m128i low = _mm_unpacklo_epi8(bytes16, zero), high = _mm_unpackhi_epi8(bytes16, zero);
            const __m128i lanes[4] = {_mm_unpacklo_epi16(low, zero), _mm_unpackhi_epi16(low, zero),
                                      _mm_unpacklo_epi16(high, zero), _mm_unpackhi_epi16(high, zero)};
            const __m128i w = _mm_set1_epi32(weights[t] & 0xFFFF), g = _mm_set1_epi32(signs[t] & 0xFFFF);
            for (int k = 0; k < 4; ++k) {
                s[k] = _mm_add_epi32(s[k], _mm_madd_epi16(lanes[k], w));
                d[k] = _mm_add_epi32(d[k], _mm_madd_epi16(lanes[k], g));
            }
        }
        for (int k = 0; k < 4; ++k) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sum + i + 4 * k), s[k]);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(diff + i + 4 * k), d[k]);
        }
    }
    ColumnStartLanes(rows, weights, signs, count, sum, diff, i, bytes);
}

template <Rule R>
void ColumnStep(int32_t* diff, int32_t* sum, const uint8_t* entering, const uint8_t* enteringDrop,
                const uint8_t* leaving, const uint8_t* leavingDrop, uint8_t* out, int bytes,
                const Normalisation& normalise) {
    const Terms t(normalise);
    int i = 0;
    for (; i + 16 <= bytes; i += 16) {
        __m128i low, high;
        Change(Load(entering + i), Load(enteringDrop + i), Load(leaving + i), Load(leavingDrop + i), low, high);
        const __m128i change[4] = {WidenLow(low), WidenHigh(low), WidenLow(high), WidenHigh(high)};
        __m128i s[4];
        for (int k = 0; k < 4; ++k) {
            auto* d = reinterpret_cast<__m128i*>(diff + i + 4 * k);
            auto* m = reinterpret_cast<__m128i*>(sum + i + 4 * k);
            const __m128i nd = _mm_add_epi32(_mm_loadu_si128(d), change[k]);
            _mm_storeu_si128(d, nd);
            s[k] = _mm_add_epi32(_mm_loadu_si128(m), nd);
            _mm_storeu_si128(m, s[k]);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), NormaliseSixteen<R>(s[0], s[1], s[2], s[3], t));
    }
    for (; i < bytes; ++i) {
        diff[i] += entering[i] - enteringDrop[i] - leaving[i] + leavingDrop[i];
        sum[i] += diff[i];
        out[i] = normalise.Apply<R>(sum[i]);
    }
}

// One pixel of the row pass: the four sums moved on by the pixels at e, ed, l, ld.
inline void RowPixelStep(const uint8_t* e, const uint8_t* ed, const uint8_t* l, const uint8_t* ld, __m128i& diff,
                         __m128i& sum) {
    __m128i low, high;
    Change(Load4(e), Load4(ed), Load4(l), Load4(ld), low, high);
    diff = _mm_add_epi32(diff, WidenLow(low));
    sum = _mm_add_epi32(sum, diff);
}

template <Rule R>
void RowPass(const uint8_t* line, uint8_t* out, int width, int start, TentShape shape, const Normalisation& normalise) {
    const Terms t(normalise);
    auto px = [line](int p) { return line + static_cast<ptrdiff_t>(p) * 4; };
    const uint8_t* known = px(start + shape.r);
    const int d = shape.a * shape.b;
    __m128i sum = _mm_setr_epi32(d * known[0], d * known[1], d * known[2], d * known[3]);
    __m128i diff = _mm_setzero_si128();
    const int lead = shape.r, enteringDrop = shape.r - shape.b, leaving = shape.r - shape.a,
              leavingDrop = shape.r - shape.n - 1;
    auto store1 = [&](int x) {
        const __m128i v = _mm_packs_epi32(Normalise<R>(sum, t), sum);
        const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(v, v));
        std::memcpy(out + static_cast<ptrdiff_t>(x) * 4, &bytes, 4);
    };
    int x = start;
    if (x == 0) store1(0);
    // Up to pixel 0 the sums only move on.
    for (++x; x <= 0; ++x) {
        RowPixelStep(px(x + lead), px(x + enteringDrop), px(x + leaving), px(x + leavingDrop), diff, sum);
        if (x == 0) store1(0);
    }
    for (; x + 4 <= width; x += 4) {
        __m128i low, high;
        Change(Load(px(x + lead)), Load(px(x + enteringDrop)), Load(px(x + leaving)), Load(px(x + leavingDrop)), low,
               high);
        __m128i s[4];
        diff = _mm_add_epi32(diff, WidenLow(low));
        s[0] = sum = _mm_add_epi32(sum, diff);
        diff = _mm_add_epi32(diff, WidenHigh(low));
        s[1] = sum = _mm_add_epi32(sum, diff);
        diff = _mm_add_epi32(diff, WidenLow(high));
        s[2] = sum = _mm_add_epi32(sum, diff);
        diff = _mm_add_epi32(diff, WidenHigh(high));
        s[3] = sum = _mm_add_epi32(sum, diff);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + static_cast<ptrdiff_t>(x) * 4),
                         NormaliseSixteen<R>(s[0], s[1], s[2], s[3], t));
    }
    for (; x < width; ++x) {
        RowPixelStep(px(x + lead), px(x + enteringDrop), px(x + leaving), px(x + leavingDrop), diff, sum);
        store1(x);
    }
}

template <Rule R>
StreamKernels KernelsFor() {
    return {&ColumnStart, &ColumnStep<R>, &RowPass<R>, nullptr, nullptr};
}

}  // namespace

StreamKernels Sse2StreamKernels(const Normalisation& normalise) {
    switch (normalise.rule) {
    case Rule::Clamp: return KernelsFor<Rule::Clamp>();
    case Rule::Shift: return KernelsFor<Rule::Shift>();
    default: return KernelsFor<Rule::Reciprocal>();
    }
}

#endif
