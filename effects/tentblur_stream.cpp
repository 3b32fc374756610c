#include "effects/tentblur_stream.h"

#include <cstddef>
#include <cstring>

#include "effects/tentblur_stream_kernels.h"
#include "image/cpudispatch.h"
#include "image/filter_rowcol_fast.h"
#include "image/scratchbuffer.h"

namespace {

using ipp_fast::Normalisation;
using ipp_fast::Rule;

TentShape ShapeOf(const CTentKernel& kernel) {
    const int n = kernel.Length();
    const int a = (n + 1) >> 1;
    return {a, n + 1 - a, n, kernel.Radius()};
}

StreamKernels KernelsAt(StreamLevel level, const Normalisation& normalise) {
#if defined(__x86_64__) || defined(__i386__)
    if (level == StreamLevel::Avx2) return Avx2StreamKernels(normalise);
    if (level == StreamLevel::Sse2) return Sse2StreamKernels(normalise);
#else
    (void)level;
#endif
    return ScalarStreamKernels(normalise);
}

template <Rule R>
void NormaliseLanes(const int32_t* sum, uint8_t* out, int lanes, const Normalisation& normalise) {
    for (int i = 0; i < lanes; ++i) out[i] = normalise.Apply<R>(sum[i]);
}

void NormaliseLanes(const int32_t* sum, uint8_t* out, int lanes, const Normalisation& normalise) {
    switch (normalise.rule) {
    case Rule::Clamp: return NormaliseLanes<Rule::Clamp>(sum, out, lanes, normalise);
    case Rule::Shift: return NormaliseLanes<Rule::Shift>(sum, out, lanes, normalise);
    default: return NormaliseLanes<Rule::Reciprocal>(sum, out, lanes, normalise);
    }
}

size_t Aligned(size_t bytes) { return (bytes + 31) / 32 * 32; }

// Replicates the kept pixels first .. last of the padded row over the rest of it,
// pixels from .. to (inclusive), as the padded image's columns were.
void ReplicateRow(uint8_t* pixel0, int first, int last, int from, int to) {
    for (int p = from; p < first; ++p) std::memcpy(pixel0 + static_cast<ptrdiff_t>(p) * 4, pixel0 + static_cast<ptrdiff_t>(first) * 4, 4);
    for (int p = last + 1; p <= to; ++p) std::memcpy(pixel0 + static_cast<ptrdiff_t>(p) * 4, pixel0 + static_cast<ptrdiff_t>(last) * 4, 4);
}

}  // namespace

std::optional<StreamLevel> AllowedStreamLevel() {
    if (!ippTablesEnabled()) return std::nullopt;
    if (ippAvx2Enabled()) return StreamLevel::Avx2;
    if (ippSse2Enabled()) return StreamLevel::Sse2;
    return StreamLevel::Scalar;
}

bool CanStreamTentBlur(const CTentKernel& kernel) {
    if (kernel.Length() < 1) return false;
    const TentShape shape = ShapeOf(kernel);
    return ipp_fast::TentSumsFit32Bits(shape.a, shape.b);
}

bool StreamTentBlur(const CImageBuffer& in, CImageBuffer& out, const CTentKernel& kernel, const BandGeometry& band,
                    StreamLevel level, BlurRowCombine combine, const void* context) {
    const int w = out.GetWidth();
    const int rows = out.GetHeight();
    if (!CanStreamTentBlur(kernel) || w < 1 || rows < 1 || band.pictureHeight < 1) return false;
    const TentShape shape = ShapeOf(kernel);
    const TentKeptSpan keptX = TentKeptOf(w, shape.n);
    const TentKeptSpan keptY = TentKeptOf(band.pictureHeight, shape.n);
    const int inFirstRow = band.firstRow - band.rowsAbove;  // picture row of IN's row 0
    const int lanes = keptX.Count() * 4;

    // This thread's scratch: the column pass's sums and differences (and the entering
    // box, while they start), the padded row of the row pass, the blurred row.
    const size_t stateBytes = Aligned(static_cast<size_t>(lanes) * sizeof(int32_t));
    const size_t lineBytes = Aligned((static_cast<size_t>(shape.n) + w + shape.r) * 4);
    auto* block = static_cast<uint8_t*>(ScratchBytes(0, 3 * stateBytes + lineBytes + Aligned(static_cast<size_t>(w) * 4)));
    if (!block) return false;
    auto* sum = reinterpret_cast<int32_t*>(block);
    auto* diff = reinterpret_cast<int32_t*>(block + stateBytes);
    auto* lead = reinterpret_cast<int32_t*>(block + 2 * stateBytes);
    uint8_t* pixel0 = block + 3 * stateBytes + static_cast<size_t>(shape.n) * 4;  // the row pass's pixel 0
    uint8_t* keptRow = pixel0 + static_cast<size_t>(keptX.first) * 4;
    uint8_t* blurred = block + 3 * stateBytes + lineBytes;

    const Normalisation normalise(kernel.Sum());
    const StreamKernels kernels = KernelsAt(level, normalise);
    // Picture row t as the padding would have made it: the kept row nearest to it.
    auto source = [&](int t) { return in.PixelAt(keptX.first, keptY.Clamp(t) - inFirstRow, 0); };

    // The column pass's sums at the band's first kept row y: S = the a entering boxes
    // T(first) .. T(y + r) summed, D = T(y + r) - T(y + r - a).
    int y = keptY.Clamp(band.firstRow);
    const int first = y + shape.r - shape.a + 1;
    std::memset(lead, 0, stateBytes);
    std::memset(diff, 0, stateBytes);
    for (int l = 0; l < shape.b; ++l) {
        const uint8_t* row = source(first - l);
        for (int i = 0; i < lanes; ++i) lead[i] += row[i];
    }
    std::memcpy(sum, lead, stateBytes);
    for (int q = first + 1; q <= y + shape.r; ++q) {
        const uint8_t* entering = source(q);
        const uint8_t* dropped = source(q - shape.b);
        for (int i = 0; i < lanes; ++i) {
            const int change = entering[i] - dropped[i];
            lead[i] += change;
            diff[i] += change;
            sum[i] += lead[i];
        }
    }
    {
        const uint8_t* entering = source(first);
        const uint8_t* dropped = source(first - shape.b);
        for (int i = 0; i < lanes; ++i) diff[i] += entering[i] - dropped[i];
    }
    NormaliseLanes(sum, keptRow, lanes, normalise);

    const int start = keptX.first - shape.r < 0 ? keptX.first - shape.r : 0;
    bool rowReady = false;
    for (int j = 0; j < rows; ++j) {
        const int wanted = keptY.Clamp(band.firstRow + j);
        for (; y < wanted; rowReady = false) {
            ++y;
            kernels.columnStep(diff, sum, source(y + shape.r), source(y + shape.r - shape.b),
                               source(y + shape.r - shape.a), source(y + shape.r - shape.n - 1), keptRow, lanes,
                               normalise);
        }
        if (!rowReady) {
            ReplicateRow(pixel0, keptX.first, keptX.last, -shape.n, w - 1 + shape.r);
            kernels.rowPass(pixel0, blurred, w, start, shape, normalise);
            rowReady = true;
        }
        combine(context, in.PixelAt(0, band.rowsAbove + j, 0), blurred, out.PixelAt(0, j, 0), w);
    }
    return true;
}
