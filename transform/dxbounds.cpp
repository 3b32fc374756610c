#include "transform/dxbounds.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

LONG ClampToLong(int64_t v) {
    constexpr int64_t lo = std::numeric_limits<LONG>::min();
    constexpr int64_t hi = std::numeric_limits<LONG>::max();
    return static_cast<LONG>(std::clamp(v, lo, hi));
}

void Offset(DXBNDS& b, const DXVEC& v, int sign) {
    for (int d = 0; d < 4; ++d) {
        b.u.D[d].Min = ClampToLong(int64_t(b.u.D[d].Min) + sign * int64_t(v.u.D[d]));
        b.u.D[d].Max = ClampToLong(int64_t(b.u.D[d].Max) + sign * int64_t(v.u.D[d]));
    }
}

}  // namespace

DXBNDS MakeDiscreteBounds(LONG left, LONG top, LONG right, LONG bottom) {
    DXBNDS b{};
    b.eType = DXBT_DISCRETE;
    b.u.D[DXB_X] = {left, right};
    b.u.D[DXB_Y] = {top, bottom};
    b.u.D[DXB_Z] = {0, 1};
    b.u.D[DXB_T] = {0, 1};
    return b;
}

DXVEC MakeDiscretePoint(LONG x, LONG y) {
    DXVEC v{};
    v.eType = DXBT_DISCRETE;
    v.u.D[DXB_X] = x;
    v.u.D[DXB_Y] = y;
    return v;
}

bool BoundsAreEmpty(const DXBNDS& b) {
    for (int d = 0; d < 4; ++d)
        if (b.u.D[d].Max <= b.u.D[d].Min) return true;
    return false;
}

void ClearBounds(DXBNDS& b) {
    for (int d = 0; d < 4; ++d) b.u.D[d] = {0, 0};
}

bool IntersectBounds(DXBNDS& b, const DXBNDS& other) {
    for (int d = 0; d < 4; ++d) {
        b.u.D[d].Min = std::max(b.u.D[d].Min, other.u.D[d].Min);
        b.u.D[d].Max = std::min(b.u.D[d].Max, other.u.D[d].Max);
    }
    if (BoundsAreEmpty(b)) {
        ClearBounds(b);
        return false;
    }
    return true;
}

void UnionBounds(DXBNDS& b, const DXBNDS& other) {
    if (BoundsAreEmpty(other)) return;
    if (BoundsAreEmpty(b)) {
        b = other;
        return;
    }
    for (int d = 0; d < 4; ++d) {
        b.u.D[d].Min = std::min(b.u.D[d].Min, other.u.D[d].Min);
        b.u.D[d].Max = std::max(b.u.D[d].Max, other.u.D[d].Max);
    }
}

void OffsetBounds(DXBNDS& b, const DXVEC& v) { Offset(b, v, +1); }
void OffsetBoundsBack(DXBNDS& b, const DXVEC& v) { Offset(b, v, -1); }

DXVEC MinimumCorner(const DXBNDS& b) {
    DXVEC v{};
    v.eType = b.eType;
    for (int d = 0; d < 4; ++d) v.u.D[d] = b.u.D[d].Min;
    return v;
}

void SubtractPoint(DXVEC& v, const DXVEC& p) {
    for (int d = 0; d < 4; ++d) v.u.D[d] = ClampToLong(int64_t(v.u.D[d]) - int64_t(p.u.D[d]));
}
