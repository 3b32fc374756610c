// Working values of the frame routines are products of record floats, truncated
// toward zero into signed 32-bit integers. A record can hold anything the host or a
// stored file put there, and converting NaN or an out-of-range value to int is
// undefined, so every such conversion goes through this helper: NaN gives 0, values
// beyond the 32-bit range saturate, everything else truncates exactly as a cast would.
#pragma once

#include <cmath>
#include <cstdint>

inline int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}
