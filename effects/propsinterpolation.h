// The field rules every effect's record interpolation shares: the position is
// clamped into 0..1; a float field is a + (b - a) * t evaluated in double and rounded
// once to single precision when stored; a colour is interpolated per red, green and
// blue byte, truncated in double precision, with a zero top byte.
#pragma once

#include "sdk/colorref.h"

namespace props_interpolation {

// A position that is not a number (SetPosition takes the host's value unchecked)
// counts as 0: it would otherwise reach the colour truncation, where it has no value.
constexpr double ClampPosition(double t) {
    if (t > 1.0) return 1.0;
    if (t >= 0.0) return t;
    return 0.0;
}

// The difference of two floats is exact in double, so the only rounding is the store.
inline float Float(float a, float b, double t) {
    return static_cast<float>(static_cast<double>(a) + (static_cast<double>(b) - static_cast<double>(a)) * t);
}

inline BYTE ColorByte(BYTE a, BYTE b, double t) {
    // With t in 0..1 the value lies between a and b, so the truncation stays in 0..255.
    return static_cast<BYTE>(static_cast<int>(a + (static_cast<double>(b) - a) * t));
}

inline COLORREF Color(COLORREF a, COLORREF b, double t) {
    return MakeColorRef(ColorByte(RedOf(a), RedOf(b), t), ColorByte(GreenOf(a), GreenOf(b), t),
                        ColorByte(BlueOf(a), BlueOf(b), t));
}

// The flag of a record is one byte read as a boolean (non-zero is set); stored
// records may hold any byte there, so it is never read through a bool.
constexpr BYTE BothFlags(BYTE a, BYTE b) { return (a != 0 && b != 0) ? 1 : 0; }

// Writes one line to the debug output channel (printf-style).
void TracePresetRow(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace props_interpolation
