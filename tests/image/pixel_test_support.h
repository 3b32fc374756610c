// Helpers for the image tests: seeded random pictures (biased towards 0 and 255,
// where saturation and rounding faults show), blocks of exactly the bytes a
// routine may touch (so AddressSanitizer sees any byte beyond them), and a digest
// to compare whole pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace image_test {

inline uint8_t BiasedByte(std::mt19937& rng) {
    const uint32_t r = rng();
    switch (r & 7) {
    case 0: return 0;
    case 1: return 255;
    default: return static_cast<uint8_t>(r >> 8);
    }
}

inline void FillRandom(uint8_t* p, size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    for (size_t i = 0; i < n; ++i) p[i] = BiasedByte(rng);
}

inline std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    FillRandom(v.data(), n, seed);
    return v;
}

// Bytes a region of `rows` rows of `rowBytes` each at `step` spans: the last
// row ends exactly at the block's end.
inline size_t SpanBytes(int rows, int64_t step, int64_t rowBytes) {
    return static_cast<size_t>((rows - 1) * step + rowBytes);
}

// FNV-1a over a region's rows, skipping padding between rows.
inline uint64_t Digest(const uint8_t* p, int64_t step, int rows, int64_t rowBytes) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < rows; ++y)
        for (int64_t x = 0; x < rowBytes; ++x) {
            h ^= p[y * step + x];
            h *= 1099511628211ull;
        }
    return h;
}

}  // namespace image_test
