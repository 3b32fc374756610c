// Duo Chrome's ramp for one record, and its rows in vector registers.
//
// The rule (effects/duochrome.cpp) takes a pixel's luminance Y to one of three segments
// of the ramp (paper to white above the paper, black to ink below the ink, ink to paper
// between) and there computes t = (Y - from) / over and each colour base + span * t, in
// double precision, every working value rounded to single precision where the rule
// stores it. The vector rows evaluate the same expressions lane by lane: each lane
// picks its segment's constants, then divides, converts and rounds with the IEEE
// operations the scalar code uses (no reciprocal, no fused multiply-add), so each
// lane holds the scalar value bit for bit; the AVX-512 rows take a reciprocal and a
// fused multiply-add only where they give those values too (effects/duochrome_avx512.cpp
// says why). The final mix, colour * blend + byte * keep,
// takes two floats per operation, whose exact results double precision holds (the
// products) or rounds with no double-rounding fault (a sum: 53 >= 2 * 24 + 2 bits), so
// it runs in single precision, eight lanes at a time, with the same results.
#pragma once

#include <cstdint>

#include "sdk/duochrome.h"

struct DuoRamp {
    float blend;
    float keep;  // 1 - blend
    float P[3];  // the lighter colour, blue, green, red
    float K[3];  // the darker colour
    float LP;    // their luminances, LP >= LK
    float LK;
    bool inverted;
};

DuoRamp MakeDuoRamp(const tDUOCHROME_PROPS& props);

// The ramp's three segments as the vector rows take them: index 0 paper to white
// (Y > LP), 1 black to ink (Y < LK), 2 between. Black to ink is 0 + K * t, the rule's
// K * t (never negative, so adding 0 changes nothing); where paper and ink share one
// luminance the middle segment is the single point of the paper colour, P + 0 * Y.
struct DuoSegments {
    double from[3], over[3];
    double base[3][3], span[3][3];  // [channel][segment]
    double LP, LK;
    float blend, keep;
    bool inverted;
};

DuoSegments MakeDuoSegments(const DuoRamp& ramp);

#if defined(__x86_64__) || defined(__i386__)
// The first pixels of a row of `width` 4-byte pixels, as the rule renders them: returns
// how many were done (the rest is left to the rule). AVX-512 takes sixteen at a time
// (effects/duochrome_avx512.cpp), AVX2 eight (effects/duochrome_avx2.cpp), SSE2 four
// (effects/duochrome_sse2.cpp).
int DuoChromeRowAvx512(const DuoSegments& ramp, const uint8_t* source, uint8_t* destination, int width);
int DuoChromeRowAvx2(const DuoSegments& ramp, const uint8_t* source, uint8_t* destination, int width);
int DuoChromeRowSse2(const DuoSegments& ramp, const uint8_t* source, uint8_t* destination, int width);
// t[i] = a[i] / over[i] in double rounded to single precision, as the AVX-512 rows find a
// pixel's place on its segment; n a multiple of 8.
void DuoChromePositionsAvx512(const double* a, const double* over, float* t, int n);
#endif
