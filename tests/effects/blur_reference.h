// A plain reference for the tests of Air Brush and Dream Glow: the tent blur written
// directly from its definition (padding as clamped coordinates, sums per pixel), the
// kernel normalisation rules. Slow and
// obvious on purpose; the effects must match it byte for byte.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/effects/effect_harness.h"

namespace blur_test {

using effect_test::Picture;

// k[i] = i + 1 rising to the middle and mirrored: 1 2 3 4 3 2 1, 1 2 3 4 4 3 2 1.
inline std::vector<int> Tent(int n) {
    std::vector<int> k(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) k[i] = std::min(i + 1, n - i);
    return k;
}

inline int SumOf(const std::vector<int>& k) {
    int s = 0;
    for (int v : k) s += v;
    return s;
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

// The colour bytes of `band` blurred with the tent of length n >= 1, as one picture;
// the alpha bytes of the result are 0. Around the band the blur sees its pixels
// clamped into the region that starts r + 2 pixels in (r = n / 2), or into the band
// itself on an axis where that region would be empty.
inline Picture TentBlur(const Picture& band, int n) {
    const int w = band.width, h = band.height, r = n / 2;
    const std::vector<int> k = Tent(n);
    const int sum = SumOf(k);
    auto keptRange = [&](int extent, int& lo, int& hi) {
        const int trimmed = extent + n - 2 * (r + 2);
        lo = trimmed >= 1 ? 2 : 0;  // in band coordinates
        hi = trimmed >= 1 ? 2 + trimmed - 1 : extent - 1;
    };
    int x0, x1, y0, y1;
    keptRange(w, x0, x1);
    keptRange(h, y0, y1);

    Picture columns(w, h, 0, 0, 0, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                int64_t s = 0;
                for (int i = 0; i < n; ++i) {
                    const int sy = std::clamp(y + r - i, y0, y1);
                    s += int64_t{k[i]} * band.At(std::clamp(x, x0, x1), sy)[c];
                }
                columns.At(x, y)[c] = Normalise(s, sum);
            }
    Picture out(w, h, 0, 0, 0, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                int64_t s = 0;
                for (int i = 0; i < n; ++i) {
                    const int sx = std::clamp(x + r - i, x0, x1);
                    s += int64_t{k[i]} * columns.At(sx, std::clamp(y, y0, y1))[c];
                }
                out.At(x, y)[c] = Normalise(s, sum);
            }
    return out;
}

}  // namespace blur_test
