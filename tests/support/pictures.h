// Test pictures: seeded random bytes biased towards 0 and 255 (where saturation and
// rounding faults show), straight B,G,R,A frames with gradients, edges and every kind
// of alpha, a digest of a region, and where two pictures first differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace testsupport {

inline uint8_t BiasedByte(std::mt19937& rng) {
    const uint32_t r = rng();
    switch (r & 7) {
    case 0: return 0;
    case 1: return 255;
    default: return static_cast<uint8_t>(r >> 8);
    }
}

void FillRandom(uint8_t* p, size_t n, uint32_t seed);
std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed);

// FNV-1a over a region's rows, skipping padding between rows.
uint64_t Digest(const uint8_t* p, int64_t step, int rows, int64_t rowBytes);

// Straight B, G, R, A frames with colour gradients, edges, and alpha from 0 to 255
// (transparent, half and opaque areas), different in every frame.
std::vector<uint8_t> StraightTestFrames(unsigned width, unsigned height, unsigned frames);

// "" when equal, else where the first difference is (frame, pixel, both samples).
std::string FirstDifference(const std::vector<uint8_t>& got, const std::vector<uint8_t>& expected, unsigned width,
                            unsigned height);

}  // namespace testsupport
