// The streamed tent blur's loops in plain C++: the reference for the vector ones.
#include <cstddef>

#include "effects/tentblur_stream_kernels.h"

namespace {

using ipp_fast::Normalisation;
using ipp_fast::Rule;

void ColumnStart(const uint8_t* const* rows, const int32_t* weights, const int32_t* signs, int count, int32_t* sum,
                 int32_t* diff, int bytes) {
    for (int i = 0; i < bytes; ++i) sum[i] = diff[i] = 0;
    for (int t = 0; t < count; ++t)
        for (int i = 0; i < bytes; ++i) {
            sum[i] += weights[t] * rows[t][i];
            diff[i] += signs[t] * rows[t][i];
        }
}

template <Rule R>
void ColumnStep(int32_t* __restrict diff, int32_t* __restrict sum, const uint8_t* __restrict entering,
                const uint8_t* __restrict enteringDrop, const uint8_t* __restrict leaving,
                const uint8_t* __restrict leavingDrop, uint8_t* __restrict out, int bytes,
                const Normalisation& normalise) {
    for (int i = 0; i < bytes; ++i) {
        diff[i] += entering[i] - enteringDrop[i] - leaving[i] + leavingDrop[i];
        sum[i] += diff[i];
        out[i] = normalise.Apply<R>(sum[i]);
    }
}

template <Rule R>
void RowPass(const uint8_t* line, uint8_t* out, int width, int start, TentShape shape, const Normalisation& normalise) {
    auto px = [line](int p) { return line + static_cast<ptrdiff_t>(p) * 4; };
    const uint8_t* known = px(start + shape.r);
    int32_t sum[4], diff[4] = {0, 0, 0, 0};
    for (int c = 0; c < 4; ++c) sum[c] = shape.a * shape.b * known[c];
    if (start == 0)
        for (int c = 0; c < 4; ++c) out[c] = normalise.Apply<R>(sum[c]);
    for (int x = start + 1; x < width; ++x) {
        const uint8_t* entering = px(x + shape.r);
        const uint8_t* enteringDrop = px(x + shape.r - shape.b);
        const uint8_t* leaving = px(x + shape.r - shape.a);
        const uint8_t* leavingDrop = px(x + shape.r - shape.n - 1);
        for (int c = 0; c < 4; ++c) {
            diff[c] += entering[c] - enteringDrop[c] - leaving[c] + leavingDrop[c];
            sum[c] += diff[c];
        }
        if (x >= 0)
            for (int c = 0; c < 4; ++c) out[static_cast<ptrdiff_t>(x) * 4 + c] = normalise.Apply<R>(sum[c]);
    }
}

template <Rule R>
StreamKernels KernelsFor() {
    return {&ColumnStart, &ColumnStep<R>, &RowPass<R>, nullptr, nullptr};
}

}  // namespace

StreamKernels ScalarStreamKernels(const Normalisation& normalise) {
    switch (normalise.rule) {
    case Rule::Clamp: return KernelsFor<Rule::Clamp>();
    case Rule::Shift: return KernelsFor<Rule::Shift>();
    default: return KernelsFor<Rule::Reciprocal>();
    }
}
