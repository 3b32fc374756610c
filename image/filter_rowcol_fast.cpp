// Tent-kernel versions of the separable filters. Algorithm: with the tent split into
// a box of a taps and a box of b taps, the window sum at position x is
//     S(x) = sum over j < a of T(x + anchor - j),   T(p) = sum over l < b of src(p - l),
// so moving one position on adds the box T that enters (itself a running sum, kept
// as "lead") and drops the one that leaves (kept as "lag"). Each step reads two
// source pixels for each of the two running boxes, never outside the span the
// generic routine reads. All sums are exact 32-bit integers (the kernel is accepted
// only when they cannot overflow) and are normalised by the rules of
// kernel_divisor.h, as the generic routine's are.
#include "image/filter_rowcol_fast.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "image/ippi_generic.h"
#include "image/kernel_divisor.h"
#include "image/sum_normalisation.h"

namespace ipp_fast {

bool TentBoxes(const Ipp32s* kernel, int length, int& a, int& b) {
    if (!kernel || length < 1) return false;
    int peak = 0;
    for (int i = 0; i < length; ++i) peak = kernel[i] > peak ? kernel[i] : peak;
    if (peak < 1 || peak > (length + 1) / 2) return false;
    for (int i = 0; i < length; ++i) {
        int expected = i + 1 < length - i ? i + 1 : length - i;
        expected = expected < peak ? expected : peak;
        if (kernel[i] != expected) return false;
    }
    a = peak;
    b = length + 1 - peak;
    return true;
}

namespace {

template <Rule R>
void FilterRowTent(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi, int anchor, int a, int b,
                   const Normalisation& normalise) {
    const int first = anchor - a + 1;  // the first box of the window at x = 0
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* row = pSrc + static_cast<ptrdiff_t>(y) * srcStep;
        auto px = [row](int p) { return row + static_cast<ptrdiff_t>(p) * 4; };
        Ipp8u* out = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        int32_t sum[3] = {0, 0, 0}, lead[3] = {0, 0, 0}, lag[3];
        for (int l = 0; l < b; ++l)
            for (int c = 0; c < 3; ++c) lead[c] += px(first - l)[c];
        for (int c = 0; c < 3; ++c) sum[c] = lag[c] = lead[c];
        for (int q = first + 1; q <= anchor; ++q)
            for (int c = 0; c < 3; ++c) {
                lead[c] += px(q)[c] - px(q - b)[c];
                sum[c] += lead[c];
            }
        for (int c = 0; c < 3; ++c) out[c] = normalise.Apply<R>(sum[c]);
        for (int x = 1; x < roi.width; ++x) {
            const Ipp8u* entering = px(x + anchor);
            const Ipp8u* enteringDrop = px(x + anchor - b);
            for (int c = 0; c < 3; ++c) lead[c] += entering[c] - enteringDrop[c];
            if (x >= 2) {
                const Ipp8u* leaving = px(x + anchor - a);
                const Ipp8u* leavingDrop = px(x + anchor - a - b);
                for (int c = 0; c < 3; ++c) lag[c] += leaving[c] - leavingDrop[c];
            }
            Ipp8u* d = out + static_cast<ptrdiff_t>(x) * 4;
            for (int c = 0; c < 3; ++c) {
                sum[c] += lead[c] - lag[c];
                d[c] = normalise.Apply<R>(sum[c]);
            }
        }
    }
}

// Column filter: the same recurrence down the rows, for all bytes of a row at once
// (the alpha byte is summed too but never written). The running sums live in memory
// of their own, never the rows', which lets these loops run in vector registers.
void AddRows(int32_t* __restrict box, const Ipp8u* __restrict entering, const Ipp8u* __restrict leaving,
             size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) box[i] += entering[i] - leaving[i];
}

void MoveWindow(int32_t* __restrict sum, int32_t* __restrict lead, const int32_t* __restrict lag,
                const Ipp8u* __restrict entering, const Ipp8u* __restrict enteringDrop, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
        lead[i] += entering[i] - enteringDrop[i];
        sum[i] += lead[i] - lag[i];
    }
}

template <Rule R>
void NormaliseRow(const int32_t* __restrict sum, Ipp8u* __restrict bytesOut, size_t bytes,
                  const Normalisation& normalise) {
    for (size_t i = 0; i < bytes; ++i) bytesOut[i] = normalise.Apply<R>(sum[i]);
}

template <Rule R>
bool FilterColumnTent(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi, int anchor, int a,
                      int b, const Normalisation& normalise) {
    const size_t bytes = static_cast<size_t>(roi.width) * 4;
    std::unique_ptr<int32_t[]> state(new (std::nothrow) int32_t[bytes * 3]);
    std::unique_ptr<Ipp8u[]> normalised(new (std::nothrow) Ipp8u[bytes]);
    if (!state || !normalised) return false;
    int32_t* sum = state.get();
    int32_t* lead = sum + bytes;
    int32_t* lag = lead + bytes;
    auto row = [pSrc, srcStep](int q) { return pSrc + static_cast<ptrdiff_t>(q) * srcStep; };

    const int first = anchor - a + 1;
    for (size_t i = 0; i < bytes; ++i) lead[i] = 0;
    for (int l = 0; l < b; ++l) {
        const Ipp8u* r = row(first - l);
        for (size_t i = 0; i < bytes; ++i) lead[i] += r[i];
    }
    for (size_t i = 0; i < bytes; ++i) sum[i] = lag[i] = lead[i];
    for (int q = first + 1; q <= anchor; ++q) {
        AddRows(lead, row(q), row(q - b), bytes);
        for (size_t i = 0; i < bytes; ++i) sum[i] += lead[i];
    }
    for (int y = 0; y < roi.height; ++y) {
        if (y >= 2) AddRows(lag, row(y + anchor - a), row(y + anchor - a - b), bytes);
        if (y >= 1) MoveWindow(sum, lead, lag, row(y + anchor), row(y + anchor - b), bytes);
        NormaliseRow<R>(sum, normalised.get(), bytes, normalise);
        Ipp8u* out = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        for (size_t i = 0; i < bytes; i += 4) {
            out[i] = normalised[i];
            out[i + 1] = normalised[i + 1];
            out[i + 2] = normalised[i + 2];
        }
    }
    return true;
}

// Calls filter<rule>(args..., normalisation) for the divisor's rule.
template <template <Rule> class Pass, class... Args>
auto WithRule(int divisor, Args... args) {
    const Normalisation n(divisor);
    switch (n.rule) {
    case Rule::Clamp: return Pass<Rule::Clamp>::Run(args..., n);
    case Rule::Shift: return Pass<Rule::Shift>::Run(args..., n);
    default: return Pass<Rule::Reciprocal>::Run(args..., n);
    }
}

template <Rule R>
struct RowPass {
    static bool Run(const Ipp8u* s, int ss, Ipp8u* d, int ds, IppiSize roi, int anchor, int a, int b,
                    const Normalisation& n) {
        FilterRowTent<R>(s, ss, d, ds, roi, anchor, a, b, n);
        return true;
    }
};

template <Rule R>
struct ColumnPass {
    static bool Run(const Ipp8u* s, int ss, Ipp8u* d, int ds, IppiSize roi, int anchor, int a, int b,
                    const Normalisation& n) {
        return FilterColumnTent<R>(s, ss, d, ds, roi, anchor, a, b, n);
    }
};

}  // namespace

IppStatus FilterRow_8u_AC4R_Tent(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                            const Ipp32s* pKernel, int kernelSize, int xAnchor, int divisor) {
    int a = 0, b = 0;
    if (!TentBoxes(pKernel, kernelSize, a, b) || !TentSumsFit32Bits(a, b))
        return ipp_generic::FilterRow_8u_AC4R(pSrc, srcStep, pDst, dstStep, roi, pKernel, kernelSize, xAnchor, divisor);
    WithRule<RowPass>(divisor, pSrc, srcStep, pDst, dstStep, roi, xAnchor, a, b);
    return ippStsNoErr;
}

IppStatus FilterColumn_8u_AC4R_Tent(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                               const Ipp32s* pKernel, int kernelSize, int yAnchor, int divisor) {
    int a = 0, b = 0;
    if (TentBoxes(pKernel, kernelSize, a, b) && TentSumsFit32Bits(a, b) &&
        WithRule<ColumnPass>(divisor, pSrc, srcStep, pDst, dstStep, roi, yAnchor, a, b))
        return ippStsNoErr;
    return ipp_generic::FilterColumn_8u_AC4R(pSrc, srcStep, pDst, dstStep, roi, pKernel, kernelSize, yAnchor, divisor);
}

}  // namespace ipp_fast
