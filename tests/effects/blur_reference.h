// The tent kernels of Air Brush and Dream Glow and the rules that normalise their
// sums, for the tests that read a kernel from a blurred row.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>


namespace blur_test {

// k[i] = i + 1 rising to the middle and mirrored: 1 2 3 4 3 2 1, 1 2 3 4 4 3 2 1.
inline std::vector<int> Tent(int n) {
    std::vector<int> k(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) k[i] = std::min(i + 1, n - i);
    return k;
}

// A kernel sum S divided by d: d = 1 clamps; d = 2^k rounds by shifting; any other d
// multiplies by 1/d rounded to single precision and rounds half up.
inline uint8_t Normalise(int64_t s, int d) {
    if (d == 1) return static_cast<uint8_t>(std::clamp<int64_t>(s, 0, 255));
    if ((d & (d - 1)) == 0) {
        int k = 0;
        while ((1 << k) != d) ++k;
        if (s <= 0) return 0;
        return static_cast<uint8_t>(std::min<int64_t>((s + (int64_t{1} << (k - 1))) >> k, 255));
    }
    const float reciprocal = 1.0f / static_cast<float>(d);
    const double v = static_cast<double>(s) * static_cast<double>(reciprocal);
    if (v <= 0) return 0;
    return static_cast<uint8_t>(std::min(std::trunc(v + 0.5), 255.0));
}

}  // namespace blur_test
