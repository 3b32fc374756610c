// Normalisation of the integer-kernel filters: how a kernel sum S becomes an
// output byte for a divisor d.
//   d = 1          S clamped to 0..255
//   d = 2^k, k>=1  0 for S <= 0, else (S + 2^(k-1)) >> k clamped to 255
//   other d        r = 1/d rounded to single precision; v = S * r in double;
//                  0 for v <= 0, else v + 0.5 truncated, clamped to 255
// The sum is taken as a 64-bit value so that very large kernels cannot overflow;
// for every sum that fits 32 bits the result is the 32-bit definition's, and
// larger sums give what the exact sum gives.
#pragma once

#include <cmath>
#include <cstdint>

#include "image/ippi.h"

namespace ipp_detail {

// 1/d correctly rounded to single precision. Dividing in double and narrowing
// rounds twice; the two roundings disagree only when the double quotient lies
// exactly halfway between two floats, and then the exact remainder says which
// side the true quotient is on.
inline float ReciprocalToSingle(int d) {
    const double q = 1.0 / static_cast<double>(d);
    float r = static_cast<float>(q);
    if (static_cast<double>(r) != q) {
        const float other = std::nextafter(r, q > static_cast<double>(r) ? INFINITY : -INFINITY);
        if (static_cast<double>(r) + static_cast<double>(other) == 2.0 * q) {
            const double remainder = std::fma(-q, static_cast<double>(d), 1.0);  // exact: 1 - q*d
            const bool trueAboveQ = remainder / static_cast<double>(d) > 0.0;
            r = trueAboveQ ? std::fmax(r, other) : std::fmin(r, other);
        }
    }
    return r;
}

class KernelDivisor {
public:
    // d must not be 0 (the routines refuse it before getting here).
    explicit KernelDivisor(int d) {
        if (d == 1) {
            m_mode = Mode::Clamp;
        } else if (d > 1 && (d & (d - 1)) == 0) {
            m_mode = Mode::Shift;
            while ((1 << m_shift) != d) ++m_shift;
        } else {
            m_mode = Mode::Reciprocal;
            m_reciprocal = ReciprocalToSingle(d);
        }
    }

    Ipp8u operator()(int64_t sum) const {
        switch (m_mode) {
        case Mode::Clamp:
            return sum <= 0 ? 0 : sum >= 255 ? 255 : static_cast<Ipp8u>(sum);
        case Mode::Shift: {
            if (sum <= 0) return 0;
            // (S + 2^(k-1)) >> k without forming S + 2^(k-1), which could overflow.
            const int64_t rounded = (sum >> m_shift) + ((sum >> (m_shift - 1)) & 1);
            return rounded >= 255 ? 255 : static_cast<Ipp8u>(rounded);
        }
        case Mode::Reciprocal:
        default: {
            const double v = static_cast<double>(sum) * static_cast<double>(m_reciprocal);
            if (!(v > 0.0)) return 0;
            const double rounded = v + 0.5;
            return rounded >= 255.0 ? 255 : static_cast<Ipp8u>(rounded);
        }
        }
    }

    float Reciprocal() const { return m_reciprocal; }

private:
    enum class Mode { Clamp, Shift, Reciprocal };
    Mode m_mode = Mode::Clamp;
    int m_shift = 0;
    float m_reciprocal = 0.0f;
};

// Sums too large for 64 bits (possible only with kernels whose magnitudes add
// up beyond 2^63 / 255) are formed in 128 bits, exact for any 32-bit kernel, and
// clamped to 64 bits, which keeps their sign; every normalisation of a sum that
// large is 0 or 255 either way.
__extension__ using WideSum = __int128;

inline int64_t ClampToInt64(WideSum s) {
    if (s > static_cast<WideSum>(INT64_MAX)) return INT64_MAX;
    if (s < static_cast<WideSum>(INT64_MIN)) return INT64_MIN;
    return static_cast<int64_t>(s);
}

}  // namespace ipp_detail
