#include "effects/tentblur.h"

#include <cstring>
#include <new>

#include "image/imageops.h"
#include "image/ippi.h"
#include "image/scratchbuffer.h"

bool CTentKernel::Build(int n) {
    m_cells.reset();
    m_length = 0;
    m_sum = 0;
    if (n < 1 || n > kMaxTentLength) return false;
    m_cells.reset(new (std::nothrow) int32_t[static_cast<size_t>(n) + 1]);
    if (!m_cells) return false;
    const int half = (n + 1) >> 1;
    int64_t sum = 0;
    for (int i = 0; i < n; ++i) {
        m_cells[i] = i < half ? i + 1 : m_cells[n - 1 - i];
        sum += m_cells[i];
    }
    m_cells[n] = 0;  // the spare cell
    m_length = n;
    m_sum = static_cast<int>(sum);
    return true;
}

namespace {

// Fills the columns of `padded` (the picture at column r) outside the kept ones by
// replication from the kept ones, on every row.
void ReplicateColumns(CImageBuffer& padded, int r, TentKeptSpan kept) {
    const int left = r + kept.first;
    ippiCopyReplicateBorder_8u_C4R(padded.PixelAt(left, 0, 0), padded.GetStep(), IppiSize{kept.Count(), padded.GetHeight()},
                                   padded.PixelAt(0, 0, 0), padded.GetStep(),
                                   IppiSize{padded.GetWidth(), padded.GetHeight()}, 0, left);
}

}  // namespace

bool TentBlur(const CImageBuffer& in, CImageBuffer& out, const CTentKernel& kernel, const BandGeometry& band) {
    const int w = out.GetWidth();
    const int rows = out.GetHeight();
    const int n = kernel.Length();
    const int r = kernel.Radius();
    if (n < 1 || w < 1 || rows < 1 || band.pictureHeight < 1) return false;
    const int64_t paddedWidth = int64_t{w} + n;
    if (paddedWidth > INT32_MAX) return false;
    const TentKeptSpan keptX = TentKeptOf(w, n);
    const TentKeptSpan keptY = TentKeptOf(band.pictureHeight, n);
    const int inFirstRow = band.firstRow - band.rowsAbove;  // picture row of IN's row 0

    // The column pass yields the kept rows the band's rows take: b0 .. b1. Cell i of
    // the kernel meets the row (r - i) below, so those read picture rows
    // b0 + r - (n - 1) .. b1 + r, each the kept row nearest to it.
    const int b0 = keptY.Clamp(band.firstRow);
    const int b1 = keptY.Clamp(band.firstRow + rows - 1);
    const int blurredRows = b1 - b0 + 1;
    const int paddedFirstRow = b0 + r - (n - 1);
    const int64_t paddedRows = int64_t{blurredRows} + n - 1;
    if (paddedRows > INT32_MAX) return false;

    // Both scratch images are kept by this thread from frame to frame (image/scratchbuffer.h).
    CImageBuffer a, b;
    if (!AttachScratch(0, a, static_cast<int>(paddedWidth), static_cast<int>(paddedRows), 4) ||
        !AttachScratch(1, b, static_cast<int>(paddedWidth), blurredRows, 4))
        return false;
    // The column pass writes only B's colour bytes; its alpha bytes are carried along by
    // the replication but never used. Clearing B keeps every byte read a defined one.
    std::memset(b.GetData(), 0, static_cast<size_t>(b.GetStep()) * b.GetHeight());

    // Vertical pass over the padded rows.
    const size_t keptBytes = static_cast<size_t>(keptX.Count()) * 4;
    for (int t = 0; t < a.GetHeight(); ++t) {
        const int source = keptY.Clamp(paddedFirstRow + t) - inFirstRow;
        std::memcpy(a.PixelAt(r + keptX.first, t, 0), in.PixelAt(keptX.first, source, 0), keptBytes);
    }
    ReplicateColumns(a, r, keptX);
    ippiFilterColumn_8u_AC4R(a.PixelAt(r + keptX.first, n - 1 - r, 0), a.GetStep(), b.PixelAt(r + keptX.first, 0, 0),
                             b.GetStep(), IppiSize{keptX.Count(), blurredRows}, kernel.Cells(), n, r, kernel.Sum());

    // Horizontal pass, straight into OUT: each run of output rows that take successive
    // blurred rows in one call.
    ReplicateColumns(b, r, keptX);
    for (int y = 0; y < rows;) {
        const int first = keptY.Clamp(band.firstRow + y);
        int run = 1;
        while (y + run < rows && keptY.Clamp(band.firstRow + y + run) == first + run) ++run;
        ippiFilterRow_8u_AC4R(b.PixelAt(r, first - b0, 0), b.GetStep(), out.PixelAt(0, y, 0), out.GetStep(),
                              IppiSize{w, run}, kernel.Cells(), n, r, kernel.Sum());
        y += run;
    }
    return true;
}
