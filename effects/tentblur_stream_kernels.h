// The inner loops of the streamed tent blur (effects/tentblur_stream.h), one set per
// instruction set, chosen once per call. Every set gives the scalar set's bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/sum_normalisation.h"

// The tent's shape: boxes of a and b taps (a <= b), length n = a + b - 1, radius r.
struct TentShape {
    int a, b, n, r;
};

struct StreamKernels {
    // The column pass's start over `bytes` lanes: sum = the sum over t of
    // weights[t] * rows[t], diff = the sum of signs[t] * rows[t], t < count. Every
    // weight and sign lies within +-32767.
    void (*columnStart)(const uint8_t* const* rows, const int32_t* weights, const int32_t* signs, int count,
                        int32_t* sum, int32_t* diff, int bytes);
    // One step of the column pass over `bytes` lanes: diff += entering - enteringDrop
    // - leaving + leavingDrop; sum += diff; out = the normalised sum.
    void (*columnStep)(int32_t* diff, int32_t* sum, const uint8_t* entering, const uint8_t* enteringDrop,
                       const uint8_t* leaving, const uint8_t* leavingDrop, uint8_t* out, int bytes,
                       const ipp_fast::Normalisation& normalise);
    // The row pass: out's `width` pixels (4 bytes each) from the padded row `line`,
    // which holds pixels -n .. width - 1 + r around out's pixel 0, and repeats one
    // pixel at and before start + r (start <= 0): from there the sums are known, so
    // the running sums start at `start` with S = (a * b) times that pixel, D = 0.
    void (*rowPass)(const uint8_t* line, uint8_t* out, int width, int start, TentShape shape,
                    const ipp_fast::Normalisation& normalise);
    // The row pass over two padded rows at once, or null where the set has none.
    void (*rowPassPair)(const uint8_t* line0, const uint8_t* line1, uint8_t* out0, uint8_t* out1, int width,
                        int start, TentShape shape, const ipp_fast::Normalisation& normalise);
    // The same over four, or null.
    void (*rowPassQuad)(const uint8_t* const line[4], uint8_t* const out[4], int width, int start, TentShape shape,
                        const ipp_fast::Normalisation& normalise);
};

// Pixel x of a row of 4-byte pixels.
template <class Byte>
inline Byte* At(Byte* row, int x) {
    return row + static_cast<ptrdiff_t>(x) * 4;
}

// Where the vector row passes read, in bytes from the pixel they move to.
struct Reach {
    ptrdiff_t entering, enteringDrop, leaving, leavingDrop;
};

// The normalisation's numbers as the vector loops load them into registers.
struct NormalisationTerms {
    int32_t half;
    int shift;
    double reciprocal;
    int64_t multiplier, productHalf;
    int productShift;
    explicit NormalisationTerms(const ipp_fast::Normalisation& n)
        : half(static_cast<int32_t>(n.half)), shift(n.shift), reciprocal(n.reciprocal),
          multiplier(static_cast<int64_t>(n.multiplier)),
          productHalf(n.rule == ipp_fast::Rule::Product ? int64_t{1} << (n.productShift - 1) : 0),
          productShift(n.productShift) {}
};

// The column start over lanes first .. bytes - 1, one lane at a time: what a vector
// set leaves after its last full register.
inline void ColumnStartLanes(const uint8_t* const* rows, const int32_t* weights, const int32_t* signs, int count,
                             int32_t* sum, int32_t* diff, int first, int bytes) {
    for (int i = first; i < bytes; ++i) {
        sum[i] = diff[i] = 0;
        for (int t = 0; t < count; ++t) {
            sum[i] += weights[t] * rows[t][i];
            diff[i] += signs[t] * rows[t][i];
        }
    }
}

// The plain C++ loops, for any normalisation.
StreamKernels ScalarStreamKernels(const ipp_fast::Normalisation& normalise);


#if defined(__x86_64__) || defined(__i386__)
// The same loops in vector registers (effects/tentblur_stream_sse2.cpp, _avx2.cpp,
// _avx512.cpp: the AVX2 set with its column step sixteen lanes wide); AVX2 and AVX-512
// only where the processor selection allows them.
StreamKernels Sse2StreamKernels(const ipp_fast::Normalisation& normalise);
StreamKernels Avx2StreamKernels(const ipp_fast::Normalisation& normalise);
StreamKernels Avx512StreamKernels(const ipp_fast::Normalisation& normalise);
#endif
