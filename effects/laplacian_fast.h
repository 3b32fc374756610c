// The 3 x 3 edge filter of Line Drawing and Pastel Sketch, and a faster way to run it.
//
// Both effects filter with c * (1 1 1 / 1 -8 1 / 1 1 1), c = 20 * density^3 + 0.3 in
// single precision, through CImageOps::Convolve. For a finite c every product of the
// generic filter, c times a byte, and every partial sum, c times an integer of at most
// 12 bits, is exact in double precision, so the filter's value at a pixel is exactly
// c * N with N the integer Laplacian of that channel (-2040..2040). The fast version
// sums N in integers and looks the output byte up in a 4081-entry table built per call
// from c * N; it gives the generic bytes for every finite c. Any other kernel (infinite
// or NaN c, another shape) goes to the generic Convolve.
#pragma once

#include <cstdint>

#include "framework/bandsteps.h"
#include "image/cpudispatch.h"
#include "image/imagebuffer.h"

// kernelScale = density^3 * 20 + 0.3, each step rounded to single precision; the
// constants 20 and 0.3 are double.
float EdgeKernelScale(float density);

// kernel[i] = laplacian[i] * scale (single precision), 9 cells.
void ScaleEdgeKernel(const float laplacian[9], float scale, float kernel[9]);

// True when kernel is a finite c times (1 1 1 / 1 -8 1 / 1 1 1), c stored in *scale.
bool IsScaledLaplacian(const float kernel[9], float* scale);

// How the table path runs its rows: by the table alone, or first through AVX2 rows
// that evaluate c * N + 0.5 in double precision (the table's own operations) or in
// single precision, which is taken only where it was checked to give the table's byte
// for every N of the scale (4081 values: the whole input space of the output rule);
// the single form also runs thirty-two bytes at a time with AVX-512.
enum class EdgeRows { kTable, kAvx2Double, kAvx2Single, kAvx512Single };

// The fastest rows the processor selection allows.
inline EdgeRows FastestEdgeRows() { return ippAvx2Enabled() ? EdgeRows::kAvx2Single : EdgeRows::kTable; }

// Exactly CImageOps().Convolve(src, dst, kernel, 3), result included: the table path
// for a finite scaled Laplacian while the tables are in use (image/cpudispatch.h),
// the generic routine for anything else; `form` says how the table path runs its
// rows (the single-precision form only where it holds, else the double one).
bool ConvolveEdgeKernel(const CImageBuffer& src, CImageBuffer& dst, const float kernel[9],
                        EdgeRows form = FastestEdgeRows());

// The table path alone, for a kernel that IsScaledLaplacian accepts; the generic
// routine only if its row of column sums cannot be allocated.
bool ConvolveScaledLaplacian(const CImageBuffer& src, CImageBuffer& dst, const float kernel[9],
                             EdgeRows form = EdgeRows::kTable);

#if defined(__x86_64__) || defined(__i386__)
// The first bytes of one row of the table path with AVX2 (effects/laplacian_fast_avx2.cpp):
// out[i] for i below the returned count (a multiple of 16, at most `bytes`), from the
// rows above, at and below it, each holding bytes + 8 bytes (a pixel either side);
// `single` for the single-precision form.
int ScaledLaplacianRowAvx2(const uint8_t* above, const uint8_t* mid, const uint8_t* below, uint8_t* out, int bytes,
                           float scale, bool single);
// The same in the single form with AVX-512 (effects/edgerows_avx512.cpp), a multiple of 32.
int ScaledLaplacianRowAvx512(const uint8_t* above, const uint8_t* mid, const uint8_t* below, uint8_t* out, int bytes,
                             float scale);
#endif

// The filter for one kernel, decided once per band: whether the table path runs (a
// finite scaled Laplacian while `tables` and the processor selection allow it) and
// with which rows (AVX2 where `avx2`, in single precision where that holds, with
// AVX-512 where `avx512` too).
struct EdgeFilterPlan {
    const float* kernel = nullptr;
    bool tablePath = false;
    float scale = 0.0f;
    EdgeRows rows = EdgeRows::kTable;
};
EdgeFilterPlan PlanEdgeFilter(const float kernel[9], bool tables, bool avx2 = ippAvx2Enabled(), bool avx512 = false);

// The filter at `rows` successive rows: dst rows dstRow.. (columns 1 .. W - 2) from
// the 3 x 3 neighbourhoods of src rows srcRow.., which need a row before and after
// them: the plan's table path, or the generic filter (also for a destination that
// shares memory with the source).
void ConvolveEdgeKernelRows(const CImageBuffer& src, int srcRow, CImageBuffer& dst, int dstRow, int rows,
                            const EdgeFilterPlan& plan);

// The edge effects' rows: inside the picture a pixel is filtered at its own place; the
// picture's outermost rows and columns are copies of their inner neighbours. So OUT's
// row j of a band holds the filter at picture row clamp(firstRow + j, 1, H - 2).
// Calls run(outRow, inRow, count) for each run of OUT's rows that take successive
// picture rows, inRow being IN's row of the first (a picture at least 3 rows high).
template <class Run>
void ForEachEdgeRowRun(const BandGeometry& band, Run run) {
    const int last = band.pictureHeight - 2;
    auto source = [&](int j) {
        const int y = band.firstRow + j;
        return y < 1 ? 1 : (y > last ? last : y);
    };
    for (int j = 0; j < band.rows;) {
        int count = 1;
        while (j + count < band.rows && source(j + count) == source(j) + count) ++count;
        run(j, source(j) - band.firstRow + band.rowsAbove, count);
        j += count;
    }
}

// Rows beyond a band's edges that the edge effects read: the filter's one, and one
// more where the picture's outermost row copies its inner neighbour.
constexpr int kEdgeFilterReach = 2;

// Each row's outermost pixels become copies of their inner neighbours (all channels).
void ReplicateEdgeColumns(CImageBuffer& out);
