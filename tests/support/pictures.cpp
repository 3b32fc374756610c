#include "tests/support/pictures.h"

#include <cstdio>

namespace testsupport {

void FillRandom(uint8_t* p, size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    for (size_t i = 0; i < n; ++i) p[i] = BiasedByte(rng);
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    FillRandom(v.data(), n, seed);
    return v;
}

uint64_t Digest(const uint8_t* p, int64_t step, int rows, int64_t rowBytes) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < rows; ++y)
        for (int64_t x = 0; x < rowBytes; ++x) {
            h ^= p[y * step + x];
            h *= 1099511628211ull;
        }
    return h;
}

std::vector<uint8_t> StraightTestFrames(unsigned width, unsigned height, unsigned frames) {
    std::vector<uint8_t> bytes(size_t(width) * height * 4 * frames);
    uint32_t noise = 0x2545F491u;
    size_t i = 0;
    for (unsigned f = 0; f < frames; ++f) {
        for (unsigned y = 0; y < height; ++y) {
            for (unsigned x = 0; x < width; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const bool checker = ((x / 7 + y / 5 + f) & 1) != 0;
                bytes[i++] = static_cast<uint8_t>((x * 255) / (width > 1 ? width - 1 : 1));             // blue
                bytes[i++] = static_cast<uint8_t>(checker ? 230 : 20 + ((noise >> 24) & 31));          // green
                bytes[i++] = static_cast<uint8_t>((y * 255) / (height > 1 ? height - 1 : 1) ^ f * 40);  // red
                // Alpha: a transparent band, a graded band, an opaque band.
                const unsigned band = (x + y + f * 3) % 48;
                bytes[i++] = static_cast<uint8_t>(band < 8 ? 0 : band < 24 ? (band - 8) * 16 : 255);
            }
        }
    }
    return bytes;
}

std::string FirstDifference(const std::vector<uint8_t>& got, const std::vector<uint8_t>& expected, unsigned width,
                            unsigned height) {
    if (got.size() != expected.size())
        return "sizes differ: " + std::to_string(got.size()) + " bytes, expected " + std::to_string(expected.size());
    const size_t frameBytes = size_t(width) * height * 4;
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i] == expected[i]) continue;
        const size_t frame = frameBytes ? i / frameBytes : 0;
        const size_t pixel = frameBytes ? (i % frameBytes) / 4 : i / 4;
        const size_t at = i - i % 4;
        char text[200];
        std::snprintf(text, sizeof text, "frame %zu pixel (%zu, %zu): B,G,R,A %u,%u,%u,%u, expected %u,%u,%u,%u", frame,
                      width ? pixel % width : 0, width ? pixel / width : 0, got[at], got[at + 1], got[at + 2],
                      got[at + 3], expected[at], expected[at + 1], expected[at + 2], expected[at + 3]);
        return text;
    }
    return "";
}

}  // namespace testsupport
