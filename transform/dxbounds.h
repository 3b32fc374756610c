// Discrete bounds and points of the image-transform interfaces: construction and the
// few operations the transform base needs (intersect, union, offset, minimum corner).
//
// A bounds value has four dimensions (x, y, z, t), each [Min, Max) with Max exclusive.
// Surfaces report z and t as [0, 1); a clip given to Execute must do the same, because
// an intersection that leaves any dimension empty is empty as a whole. Build clips and
// regions with MakeDiscreteBounds.
#pragma once

#include "platform/dx/dxtrans.h"

// x in [left, right), y in [top, bottom), z and t in [0, 1).
DXBNDS MakeDiscreteBounds(LONG left, LONG top, LONG right, LONG bottom);
// A discrete point (x, y, 0, 0).
DXVEC MakeDiscretePoint(LONG x, LONG y);

inline LONG BoundsWidth(const DXBNDS& b) { return b.u.D[DXB_X].Max - b.u.D[DXB_X].Min; }
inline LONG BoundsHeight(const DXBNDS& b) { return b.u.D[DXB_Y].Max - b.u.D[DXB_Y].Min; }

// True when some dimension has Max <= Min.
bool BoundsAreEmpty(const DXBNDS& b);
// Sets every dimension to [0, 0), keeping the type.
void ClearBounds(DXBNDS& b);

// b = b ∩ other, dimension by dimension. When a dimension becomes empty the whole of
// b is cleared and the result is false ("empty").
bool IntersectBounds(DXBNDS& b, const DXBNDS& other);
// b = the smallest bounds holding b and other (an empty operand adds nothing).
void UnionBounds(DXBNDS& b, const DXBNDS& other);
// Moves b by +v (or -v). Results beyond the signed 32-bit range are clamped to it, so a
// far-away offset gives bounds that meet nothing rather than wrapping around.
void OffsetBounds(DXBNDS& b, const DXVEC& v);
void OffsetBoundsBack(DXBNDS& b, const DXVEC& v);
// The minimum corner (Min of every dimension) as a point.
DXVEC MinimumCorner(const DXBNDS& b);
// Subtracts point p from point v in every dimension (clamped like OffsetBounds).
void SubtractPoint(DXVEC& v, const DXVEC& p);
