// The separable tent blur shared by Air Brush and Dream Glow.
//
// A tent kernel of length n has k[i] = i + 1 while i < (n + 1) >> 1 and mirrors
// after that (n = 7: 1 2 3 4 3 2 1; n = 8: 1 2 3 4 4 3 2 1); its radius, the anchor
// of both passes, is n >> 1. The blur pads the band into a scratch image of
// (W + n) x (H + n) pixels with the band at (r, r), replaces the band's outer rows and
// columns by edge replication from r + 2 pixels in, filters the columns into a second
// scratch image, replicates that one the same way, and filters its rows straight into
// OUT. Only the colour bytes of OUT are written.
//
// Bands too small for the trimmed region (at most 3 pixels across for odd n, 4 for
// even n) have nothing to replicate from on that axis; there the band's own edge
// pixels are replicated instead, so the filters never read memory nobody wrote.
#pragma once

#include <cstdint>
#include <memory>

#include "image/imagebuffer.h"

// Longest kernel the effects use: a band's height plus one, and never more than this,
// so that a stray record value cannot ask for an unbounded blur (the tent's sum stays
// within 32 bits).
constexpr int kMaxTentLength = 65535;

// The kernel length limit for a band of `height` rows.
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

// Blurs the colour bytes of `in` into `out` (both 4-channel, W x H) with `kernel`.
// False when a scratch image cannot be allocated; `out` is then untouched.
bool TentBlur(const CImageBuffer& in, CImageBuffer& out, const CTentKernel& kernel);
