// Conversion between premultiplied and straight 32-bit samples, as the surfaces'
// UnpackRect and PackRect perform it. Alpha is kept; each colour channel c becomes
//   premultiply:    c' = (c * a + 127) / 255
//   unpremultiply:  c  = a == 0 ? 0 : min(255, (c' * 255 + a / 2) / a)
// both in unsigned integer arithmetic (division truncates). Premultiplying rounds to
// nearest; unpremultiplying rounds to nearest and saturates premultiplied values that
// exceed their alpha (which a straight sample could not have produced).
#pragma once

#include <cstddef>
#include <vector>

#include "platform/dx/dxtrans.h"

inline BYTE PremultiplyChannel(BYTE c, BYTE a) { return static_cast<BYTE>((unsigned(c) * a + 127u) / 255u); }

inline BYTE UnpremultiplyChannel(BYTE c, BYTE a) {
    if (a == 0) return 0;
    unsigned v = (unsigned(c) * 255u + a / 2u) / a;
    return static_cast<BYTE>(v > 255u ? 255u : v);
}

inline DXSAMPLE PremultiplySample(DXSAMPLE s) {
    return {PremultiplyChannel(s.Blue, s.Alpha), PremultiplyChannel(s.Green, s.Alpha),
            PremultiplyChannel(s.Red, s.Alpha), s.Alpha};
}

inline DXSAMPLE UnpremultiplySample(DXSAMPLE s) {
    return {UnpremultiplyChannel(s.Blue, s.Alpha), UnpremultiplyChannel(s.Green, s.Alpha),
            UnpremultiplyChannel(s.Red, s.Alpha), s.Alpha};
}

// How a row of samples is carried from one form to the other.
enum class SampleConversion { Copy, Premultiply, Unpremultiply };

// The conversion from samples stored as `from` into samples wanted premultiplied or not.
SampleConversion ConversionBetween(bool fromPremultiplied, bool toPremultiplied);

// Converts count samples from src into dst (the ranges may not overlap unless equal),
// with the fastest version this processor and QUILLET_DISABLE allow (chosen once).
void ConvertSampleRow(const DXSAMPLE* src, DXSAMPLE* dst, size_t count, SampleConversion conversion);

// The same, one sample at a time by the rules above: the reference of the faster
// versions (host/sampleconvert_fast.cpp).
void ConvertSampleRowGeneric(const DXSAMPLE* src, DXSAMPLE* dst, size_t count, SampleConversion conversion);

using SampleRowConverter = void (*)(const DXSAMPLE* src, DXSAMPLE* dst, size_t count, SampleConversion conversion);
struct NamedSampleRowConverter {
    const char* name;
    SampleRowConverter convert;
};

// Every version this processor can run and QUILLET_DISABLE allows ("tables", "sse2",
// "avx2", "avx512"), the generic one first and the one ConvertSampleRow uses last.
std::vector<NamedSampleRowConverter> RunnableSampleRowConverters();
