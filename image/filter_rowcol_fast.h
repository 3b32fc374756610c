// Faster versions of the separable integer-kernel filters for tent kernels, the
// kernels the blur effects build: a tent of length K is a box of a taps convolved
// with a box of b taps (a + b = K + 1, a <= b), so each window sum can be kept as a
// running sum of running sums, at a cost per pixel that does not grow with K. The
// sums are the exact integers the generic routines form and go through the same
// normalisation, so the bytes are identical. Any other kernel (or one whose sums
// could leave 32 bits) is handed to the generic routine.
#pragma once

#include <cstdint>

#include "image/ippi.h"

namespace ipp_fast {

// Same contract as the generic routines (arguments already checked).
IppStatus FilterRow_8u_AC4R_Tent(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                            const Ipp32s* pKernel, int kernelSize, int xAnchor, int divisor);
IppStatus FilterColumn_8u_AC4R_Tent(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roiSize,
                               const Ipp32s* pKernel, int kernelSize, int yAnchor, int divisor);

// The box lengths (a <= b) of a tent kernel, or false when `kernel` is not one.
bool TentBoxes(const Ipp32s* kernel, int length, int& a, int& b);

// Whether a tent of boxes a and b keeps its running sums within 32 bits: S <= 255 * a * b,
// and S plus one entering box before the leaving one is dropped.
inline bool TentSumsFit32Bits(int a, int b) { return (int64_t{a} * b + b) * 255 <= INT32_MAX; }

}  // namespace ipp_fast
