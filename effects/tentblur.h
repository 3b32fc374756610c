// The separable tent blur shared by Air Brush and Dream Glow, over a picture or over
// the rows of one band of it.
//
// A tent kernel of length n has k[i] = i + 1 while i < (n + 1) >> 1 and mirrors
// after that (n = 7: 1 2 3 4 3 2 1; n = 8: 1 2 3 4 4 3 2 1); its radius, the anchor
// of both passes, is n >> 1. The blur pads the band into a scratch image of
// (W + n) x (H + n) pixels with the band at (r, r), replaces the band's outer rows and
// columns by edge replication from r + 2 pixels in, filters the columns into a second
// scratch image, replicates that one the same way, and filters its rows straight into
// OUT. Only the colour bytes of OUT are written.
//
// Pictures too small for the trimmed region (at most 3 pixels across for odd n, 4 for
// even n) have nothing to replicate from on that axis; there the picture's own edge
// pixels are replicated instead, so the filters never read memory nobody wrote.
//
// Every padded pixel is thus the picture's pixel at the position clamped into the
// kept region, so a band of the picture's rows is blurred from the kept rows its
// output rows reach: the rows between (kernel radius + 2) above and below it, and
// only the scratch rows those need are made.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/bandsteps.h"
#include "image/imagebuffer.h"

// Longest kernel the effects use: a band's height plus one, and never more than this,
// so that a stray record value cannot ask for an unbounded blur (the tent's sum stays
// within 32 bits).
constexpr int kMaxTentLength = 65535;

// The kernel length limit for a picture of `height` rows.
inline int TentLengthLimit(int height) {
    const int64_t limit = static_cast<int64_t>(height) + 1;
    return limit > kMaxTentLength ? kMaxTentLength : static_cast<int>(limit);
}

class CTentKernel {
public:
    // Builds the tent of length n (1..kMaxTentLength) in n + 1 cells (one spare).
    // False when the cells cannot be allocated or n is out of range.
    bool Build(int n);

    const int32_t* Cells() const { return m_cells.get(); }
    int Length() const { return m_length; }
    int Radius() const { return m_length >> 1; }
    int Sum() const { return m_sum; }

private:
    std::unique_ptr<int32_t[]> m_cells;
    int m_length = 0;
    int m_sum = 0;
};

// Rows beyond a band's edges that the blur of a tent of length n reads.
inline int TentBlurReach(int n) { return (n >> 1) + 2; }

// The pixels kept on one axis of a picture `size` long; the others are replaced by
// the nearest kept one. The trimmed region starts r + 2 pixels into the padded image
// (which also replaces the picture's two first pixels, and one or two last ones); on
// an axis where it would be empty, the picture's own extent is kept instead.
struct TentKeptSpan {
    int first, last;
    int Clamp(int p) const { return p < first ? first : (p > last ? last : p); }
    int Count() const { return last - first + 1; }
};
inline TentKeptSpan TentKeptOf(int size, int n) {
    const int trimmed = size + n - 2 * ((n >> 1) + 2);
    return trimmed >= 1 ? TentKeptSpan{2, trimmed + 1} : TentKeptSpan{0, size - 1};
}

// Blurs the colour bytes of the band's rows of the picture into `out` with `kernel`:
// `in` holds the band's rows and the rows around them that `band` says (4 channels).
// False when a scratch image cannot be allocated; `out` is then untouched.
bool TentBlur(const CImageBuffer& in, CImageBuffer& out, const CTentKernel& kernel, const BandGeometry& band);
