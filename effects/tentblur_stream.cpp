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
    if (level == StreamLevel::Avx512) return Avx512StreamKernels(normalise);
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

constexpr int32_t kMaxWeight = 32767;

// Padded rows the row pass may take at once.
constexpr int kLines = 4;

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
    if (ippAvx512Enabled()) return StreamLevel::Avx512;
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

    // This thread's scratch: the column pass's sums and differences, four padded rows
    // for the row pass (the AVX2 loops run two rows at once, the AVX-512 ones four), four
    // blurred rows, and the rows and weights the column pass starts from.
    const size_t stateBytes = Aligned(static_cast<size_t>(lanes) * sizeof(int32_t));
    const size_t lineBytes = Aligned((static_cast<size_t>(shape.n) + w + shape.r) * 4);
    const size_t rowBytes = Aligned(static_cast<size_t>(w) * 4);
    const size_t startBytes = Aligned((static_cast<size_t>(shape.n) + 1) * (sizeof(const uint8_t*) + 2 * sizeof(int32_t)));
    auto* block = static_cast<uint8_t*>(
        ScratchBytes(0, 2 * stateBytes + kLines * lineBytes + kLines * rowBytes + startBytes));
    if (!block) return false;
    auto* sum = reinterpret_cast<int32_t*>(block);
    auto* diff = reinterpret_cast<int32_t*>(block + stateBytes);
    uint8_t* const lines = block + 2 * stateBytes;
    auto* rowsAt = reinterpret_cast<const uint8_t**>(lines + kLines * lineBytes + kLines * rowBytes);
    auto* weights = reinterpret_cast<int32_t*>(rowsAt + shape.n + 1);
    int32_t* signs = weights + shape.n + 1;
    // Each padded row's pixel 0, where the row pass's output pixel 0 is centred.
    uint8_t* pixel0[kLines];
    uint8_t* blurred[kLines];
    for (int k = 0; k < kLines; ++k) {
        pixel0[k] = lines + k * lineBytes + static_cast<size_t>(shape.n) * 4;
        blurred[k] = lines + kLines * lineBytes + k * rowBytes;
    }
    auto keptRow = [&](int line) { return pixel0[line] + static_cast<size_t>(keptX.first) * 4; };

    const Normalisation normalise(kernel.Sum());
    const StreamKernels kernels = KernelsAt(level, normalise);
    // Picture row t as the padding would have made it: the kept row nearest to it.
    auto source = [&](int t) { return in.PixelAt(keptX.first, keptY.Clamp(t) - inFirstRow, 0); };

    // The column pass's sums at the band's first kept row y: S = the tent's cells
    // times rows y + r .. y + r - n + 1, D = T(y + r) - T(y + r - a), the boxes of b
    // rows ending there. Rows the padding made equal are taken once, with their
    // weights added while they stay within 16 bits.
    int y = keptY.Clamp(band.firstRow);
    int count = 0;
    for (int j = shape.n; j >= 0; --j) {
        const uint8_t* row = source(y + shape.r - j);
        const int32_t weight = j < shape.n ? kernel.Cells()[j] : 0;
        const int32_t sign = (j < shape.b ? 1 : 0) - (j >= shape.a ? 1 : 0);
        if (count > 0 && rowsAt[count - 1] == row && weights[count - 1] + weight <= kMaxWeight &&
            signs[count - 1] + sign >= -kMaxWeight && signs[count - 1] + sign <= kMaxWeight) {
            weights[count - 1] += weight;
            signs[count - 1] += sign;
        } else {
            rowsAt[count] = row;
            weights[count] = weight;
            signs[count] = sign;
            ++count;
        }
    }
    kernels.columnStart(rowsAt, weights, signs, count, sum, diff, lanes);
    NormaliseLanes(sum, keptRow(0), lanes, normalise);

    // Brings the column pass to kept row `target` with its normalised row in `line`.
    int normalisedIn = 0;
    auto columnsTo = [&](int target, int line) {
        for (; y < target; normalisedIn = line) {
            ++y;
            kernels.columnStep(diff, sum, source(y + shape.r), source(y + shape.r - shape.b),
                               source(y + shape.r - shape.a), source(y + shape.r - shape.n - 1), keptRow(line), lanes,
                               normalise);
        }
        if (normalisedIn != line) std::memcpy(keptRow(line), keptRow(normalisedIn), static_cast<size_t>(lanes));
        normalisedIn = line;
        ReplicateRow(pixel0[line], keptX.first, keptX.last, -shape.n, w - 1 + shape.r);
    };

    const int start = keptX.first - shape.r < 0 ? keptX.first - shape.r : 0;
    int blurredRow[kLines] = {-1, -1, -1, -1};  // the kept rows the blurred rows hold
    const int widest = kernels.rowPassQuad ? 4 : (kernels.rowPassPair ? 2 : 1);
    for (int j = 0; j < rows; ++j) {
        const int wanted = keptY.Clamp(band.firstRow + j);
        int slot = -1;
        for (int k = 0; k < kLines; ++k)
            if (blurredRow[k] == wanted) slot = k;
        if (slot < 0) {
            // As many rows at once as the loops take and the band has in succession.
            int group = 1;
            while (group < widest && j + group < rows && keptY.Clamp(band.firstRow + j + group) == wanted + group) ++group;
            if (group == 3) group = 2;
            for (int k = 0; k < group; ++k) columnsTo(wanted + k, k);
            if (group == 4)
                kernels.rowPassQuad(pixel0, blurred, w, start, shape, normalise);
            else if (group == 2)
                kernels.rowPassPair(pixel0[0], pixel0[1], blurred[0], blurred[1], w, start, shape, normalise);
            else
                kernels.rowPass(pixel0[0], blurred[0], w, start, shape, normalise);
            for (int k = 0; k < kLines; ++k) blurredRow[k] = k < group ? wanted + k : -1;
            slot = 0;
        }
        combine(context, in.PixelAt(0, band.rowsAbove + j, 0), blurred[slot], out.PixelAt(0, j, 0), w);
    }
    return true;
}
