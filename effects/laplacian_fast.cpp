// Edge kernel set-up and the table path of the scaled 3 x 3 Laplacian (see the header
// for why it gives the generic filter's bytes).
#include "effects/laplacian_fast.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "image/cpudispatch.h"
#include "image/imageops.h"
#include "image/ippi.h"

namespace {

constexpr int kLaplacianReach = 8 * 255;                   // |N| never exceeds this
constexpr int kTableSize = 2 * kLaplacianReach + 1;         // N = -2040 .. 2040
constexpr float kLaplacianShape[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};

// The generic filter's output rule: 0 for v <= 0, v + 0.5 truncated, 255 above 255.
uint8_t OutputByte(double v) {
    if (!(v > 0.0)) return 0;
    const double rounded = v + 0.5;
    return rounded >= 256.0 ? 255 : static_cast<uint8_t>(rounded);
}

// The bytes a buffer's rows span, for the overlap test.
struct Span {
    uintptr_t first, end;
};
Span SpanOf(const CImageBuffer& b) {
    const auto first = reinterpret_cast<uintptr_t>(b.GetData());
    const size_t rows = b.GetHeight() > 0 ? static_cast<size_t>(b.GetHeight()) : 0;
    const size_t rowBytes = b.GetWidth() > 0 ? static_cast<size_t>(b.GetWidth()) * b.GetChannels() : 0;
    if (rows == 0) return {first, first};
    return {first, first + (rows - 1) * static_cast<size_t>(b.GetStep()) + rowBytes};
}

}  // namespace

float EdgeKernelScale(float density) {
    float scale = density * density;
    scale = scale * density;
    scale = static_cast<float>(static_cast<double>(scale) * 20.0);
    scale = static_cast<float>(static_cast<double>(scale) + 0.3);
    return scale;
}

void ScaleEdgeKernel(const float laplacian[9], float scale, float kernel[9]) {
    for (int i = 0; i < 9; ++i) kernel[i] = laplacian[i] * scale;
}

bool IsScaledLaplacian(const float kernel[9], float* scale) {
    const float c = kernel[0];
    if (!std::isfinite(c)) return false;
    for (int i = 0; i < 9; ++i) {
        // -8 * c is exact in single precision whenever it is finite.
        const float expected = kLaplacianShape[i] * c;
        if (!std::isfinite(expected) || kernel[i] != expected) return false;
    }
    *scale = c;
    return true;
}

namespace {

// The output rule as the single-precision AVX2 rows evaluate it: c * N + 0.5 with
// float operations, held within 0..255 and truncated.
uint8_t SingleOutputByte(float scale, int n) {
    float v = static_cast<float>(n) * scale + 0.5f;
    if (v < 0.0f) v = 0.0f;
    if (v > 255.0f) v = 255.0f;
    return static_cast<uint8_t>(v);
}

// Whether SingleOutputByte gives OutputByte's byte for every N of this scale. Both
// are monotone in N, so on each side of 0 the check goes outwards only until both
// hold the byte the far end of that side has (for a scale of about 1, a few hundred N).
bool SingleFormHolds(float scale) {
    for (int direction : {1, -1}) {
        const int end = direction * kLaplacianReach;
        const uint8_t last = OutputByte(static_cast<double>(scale) * end);
        if (SingleOutputByte(scale, end) != last) return false;
        for (int n = 0; n != end; n += direction) {
            const uint8_t exact = OutputByte(static_cast<double>(scale) * n);
            if (exact != SingleOutputByte(scale, n)) return false;
            if (exact == last) break;
        }
    }
    return true;
}

// The table path over `rows` rows (see ConvolveEdgeKernelRows); false when its row of
// column sums cannot be allocated. With an AVX2 form, each row's bytes go through
// ScaledLaplacianRowAvx2 as far as it reaches and the table takes the rest. The table
// and the column sums are made only for a row that the vector path leaves unfinished
// (none, where a row is a multiple of four pixels), so that calls for a few rows at a
// time cost no more than one call for all of them.
bool ScaledLaplacianRows(const CImageBuffer& src, int srcRow, CImageBuffer& dst, int dstRow, int rows, int width,
                         float scale, EdgeRows form) {
    uint8_t table[kTableSize];
    std::unique_ptr<uint16_t[]> columns;
    const size_t rowBytes = static_cast<size_t>(width + 2) * 4;
    for (int k = 0; k < rows; ++k) {
        const int y = srcRow + k;
        const uint8_t* above = src.PixelAt(0, y - 1, 0);
        const uint8_t* mid = src.PixelAt(0, y, 0);
        const uint8_t* below = src.PixelAt(0, y + 1, 0);
        uint8_t* out = dst.PixelAt(1, dstRow + k, 0);
        int done = 0;
#if defined(__x86_64__) || defined(__i386__)
        if (form == EdgeRows::kAvx512Single) done = ScaledLaplacianRowAvx512(above, mid, below, out, width * 4, scale);
        if (form != EdgeRows::kTable)
            done += ScaledLaplacianRowAvx2(above + done, mid + done, below + done, out + done, width * 4 - done, scale,
                                           form != EdgeRows::kAvx2Double);
#else
        (void)form;
#endif
        if (done == width * 4) continue;
        if (!columns) {
            columns.reset(new (std::nothrow) uint16_t[rowBytes]);
            if (!columns) return false;
            for (int n = -kLaplacianReach; n <= kLaplacianReach; ++n)
                table[n + kLaplacianReach] = OutputByte(static_cast<double>(scale) * n);
        }
        // The sums of the three rows' bytes at every byte position, then each byte's
        // 3 x 3 sum less nine times itself, which is N.
        for (size_t i = static_cast<size_t>(done); i < rowBytes; ++i)
            columns[i] = static_cast<uint16_t>(above[i] + mid[i] + below[i]);
        const uint16_t* c = columns.get();
        for (int i = done; i < width * 4; ++i) {
            const int n = c[i] + c[i + 4] + c[i + 8] - 9 * mid[i + 4];
            out[i] = table[n + kLaplacianReach];
        }
    }
    return true;
}

bool Overlapping(const CImageBuffer& a, const CImageBuffer& b) {
    const Span x = SpanOf(a), y = SpanOf(b);
    return x.first < y.end && y.first < x.end;
}

}  // namespace

EdgeFilterPlan PlanEdgeFilter(const float kernel[9], bool tables, bool avx2, bool avx512) {
    EdgeFilterPlan plan;
    plan.kernel = kernel;
    plan.tablePath = tables && ippTablesEnabled() && IsScaledLaplacian(kernel, &plan.scale);
    if (plan.tablePath && avx2) {
        const bool single = SingleFormHolds(plan.scale);
        plan.rows = !single ? EdgeRows::kAvx2Double : avx512 ? EdgeRows::kAvx512Single : EdgeRows::kAvx2Single;
    }
    return plan;
}

bool ConvolveScaledLaplacian(const CImageBuffer& src, CImageBuffer& dst, const float kernel[9], EdgeRows form) {
    // The refusals of CImageOps::Convolve and the filter routine, in their order.
    if (src.GetChannels() != 4 || dst.GetChannels() != 4) return false;
    const int width = (src.GetWidth() < dst.GetWidth() ? src.GetWidth() : dst.GetWidth()) - 2;
    const int height = (src.GetHeight() < dst.GetHeight() ? src.GetHeight() : dst.GetHeight()) - 2;
    if (width < 1 || height < 1) return false;
    if (!src.GetData() || !dst.GetData()) return false;
    if (src.GetStep() < (int64_t{width} + 2) * 4 || dst.GetStep() < int64_t{width} * 4) return false;
    if (!ScaledLaplacianRows(src, 1, dst, 1, height, width, kernel[0], form))
        return CImageOps().Convolve(src, dst, kernel, 3);
    return true;
}

void ConvolveEdgeKernelRows(const CImageBuffer& src, int srcRow, CImageBuffer& dst, int dstRow, int rows,
                            const EdgeFilterPlan& plan) {
    const int width = dst.GetWidth() - 2;
    if (plan.tablePath && !Overlapping(src, dst) &&
        ScaledLaplacianRows(src, srcRow, dst, dstRow, rows, width, plan.scale, plan.rows))
        return;
    ippiFilter32f_8u_C4R(src.PixelAt(1, srcRow, 0), src.GetStep(), dst.PixelAt(1, dstRow, 0), dst.GetStep(),
                         IppiSize{width, rows}, plan.kernel, IppiSize{3, 3}, IppiPoint{1, 1});
}

void ReplicateEdgeColumns(CImageBuffer& out) {
    ippiCopyReplicateBorder_8u_C4R(out.PixelAt(1, 0, 0), out.GetStep(), IppiSize{out.GetWidth() - 2, out.GetHeight()},
                                   out.PixelAt(0, 0, 0), out.GetStep(), IppiSize{out.GetWidth(), out.GetHeight()}, 0, 1);
}

bool ConvolveEdgeKernel(const CImageBuffer& src, CImageBuffer& dst, const float kernel[9], EdgeRows form) {
    if (Overlapping(src, dst)) return CImageOps().Convolve(src, dst, kernel, 3);
    const EdgeFilterPlan plan =
        PlanEdgeFilter(kernel, true, form != EdgeRows::kTable, form == EdgeRows::kAvx512Single);
    if (!plan.tablePath) return CImageOps().Convolve(src, dst, kernel, 3);
    // A single form only where it holds for this scale.
    const bool single = form == EdgeRows::kAvx2Single || form == EdgeRows::kAvx512Single;
    return ConvolveScaledLaplacian(src, dst, kernel, single ? plan.rows : form);
}
