// The tent blur of effects/tentblur.h streamed row by row, for the effects that combine
// each blurred row with its input row at once. It gives the bytes TentBlur gives but
// never builds the two padded images: the column pass keeps its running sums in a few
// rows of 32-bit integers and reads, for each blurred row, the four input rows its
// sums gain and lose (each the kept row nearest to it, as the padding would have
// made it); the row pass runs along one padded row held in cache; the effect's
// combine writes OUT's row from the blurred row and IN's row straight away. A frame
// then costs about one read of the input and one write of the output, which is what
// two bands on two cores need.
//
// The tent of length n is a box of a = (n + 1) / 2 taps over a box of b = n + 1 - a,
// so a window sum moves on by D, the entering box minus the leaving one, and D moves
// on by the four pixels that enter and leave those boxes:
//     S(y + 1) = S(y) + D(y + 1)
//     D(y + 1) = D(y) + p(y + 1 + r) - p(y + 1 + r - b) - p(y + 1 + r - a) + p(y + r - n)
// All sums are the exact integers the generic filters form (the kernel is taken only
// when they stay within 32 bits) and go through the same normalisation.
#pragma once

#include <cstdint>
#include <optional>

#include "effects/tentblur.h"

// The instruction sets the streamed blur can run its loops with; every one gives the
// same bytes.
enum class StreamLevel { Scalar, Sse2, Avx2, Avx512 };

// The fastest level the processor selection allows (image/cpudispatch.h), or none
// while the running-sum versions are switched off ("tables"): the effects then run
// the generic TentBlur and their generic combine.
std::optional<StreamLevel> AllowedStreamLevel();

// Writes `width` pixels of OUT's row from the band's input row and the blurred row
// (whose alpha bytes mean nothing).
using BlurRowCombine = void (*)(const void* context, const uint8_t* in, const uint8_t* blurred, uint8_t* out,
                                int width);

// Whether StreamTentBlur takes this kernel: its running sums fit 32 bits.
bool CanStreamTentBlur(const CTentKernel& kernel);

// For every row of OUT, the row TentBlur(in, out, kernel, band) would leave in OUT's
// colour bytes, handed with IN's row to `combine`, which writes OUT's row. False when
// the kernel is not one it takes or its scratch rows cannot be had; nothing is
// written then.
bool StreamTentBlur(const CImageBuffer& in, CImageBuffer& out, const CTentKernel& kernel, const BandGeometry& band,
                    StreamLevel level, BlurRowCombine combine, const void* context);
