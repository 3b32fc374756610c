#include "effects/tentblur.h"

#include <cstring>
#include <new>

#include "image/imageops.h"
#include "image/ippi.h"

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

// Fills `padded` around the band it holds at (r, r) by edge replication. Normally the
// region kept starts r + 2 pixels in on both axes (which also replaces the band's two
// outer rows and columns at the top and left, and one or two at the bottom and right).
// On an axis where that region would be empty, the band's own extent is kept instead.
void ReplicateAroundBand(CImageBuffer& padded, int r, int bandWidth, int bandHeight) {
    const int trim = r + 2;
    const int trimmedWidth = padded.GetWidth() - 2 * trim;
    const int trimmedHeight = padded.GetHeight() - 2 * trim;
    if (trimmedWidth >= 1 && trimmedHeight >= 1) {
        CImageOps().CopyReplicateBorder(padded, padded, trim, trim);
        return;
    }
    const int left = trimmedWidth >= 1 ? trim : r;
    const int top = trimmedHeight >= 1 ? trim : r;
    const IppiSize kept = {trimmedWidth >= 1 ? trimmedWidth : bandWidth, trimmedHeight >= 1 ? trimmedHeight : bandHeight};
    ippiCopyReplicateBorder_8u_C4R(padded.PixelAt(left, top, 0), padded.GetStep(), kept, padded.PixelAt(0, 0, 0),
                                   padded.GetStep(), IppiSize{padded.GetWidth(), padded.GetHeight()}, top, left);
}

}  // namespace

bool TentBlur(const CImageBuffer& in, CImageBuffer& out, const CTentKernel& kernel) {
    const int w = in.GetWidth();
    const int h = in.GetHeight();
    const int n = kernel.Length();
    const int r = kernel.Radius();
    if (n < 1 || w < 1 || h < 1) return false;
    const int64_t paddedWidth = int64_t{w} + n;
    const int64_t paddedHeight = int64_t{h} + n;
    if (paddedWidth > INT32_MAX || paddedHeight > INT32_MAX) return false;

    CImageBuffer a, b;
    if (!a.Allocate(static_cast<int>(paddedWidth), static_cast<int>(paddedHeight), 4) ||
        !b.Allocate(static_cast<int>(paddedWidth), static_cast<int>(paddedHeight), 4))
        return false;
    // The column pass writes only B's colour bytes; its alpha bytes are carried along by
    // the replication but never used. Clearing B keeps every byte read a defined one.
    std::memset(b.GetData(), 0, static_cast<size_t>(b.GetStep()) * b.GetHeight());

    CImageOps ops;
    const IppiSize band = {w, h};

    // Vertical pass.
    ops.Copy(in, 0, 0, w, h, a, r, r);
    ReplicateAroundBand(a, r, w, h);
    ippiFilterColumn_8u_AC4R(a.PixelAt(r, r, 0), a.GetStep(), b.PixelAt(r, r, 0), b.GetStep(), band, kernel.Cells(), n,
                             r, kernel.Sum());

    // Horizontal pass, straight into OUT.
    ReplicateAroundBand(b, r, w, h);
    ippiFilterRow_8u_AC4R(b.PixelAt(r, r, 0), b.GetStep(), out.PixelAt(0, 0, 0), out.GetStep(), band, kernel.Cells(), n,
                          r, kernel.Sum());
    return true;
}
