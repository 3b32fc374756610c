// Metallic's per-pixel rule and a faster way to apply it to a whole band.
//
// MetalPixel (effects/metal.cpp) is the rule itself, evaluated per pixel in double
// precision. Its metal term w depends on the pixel only through the channel sum
// (0..765), and each picture share s * picture only on one byte, so RenderMetalTabulated
// (effects/metal_fast.cpp) evaluates the same double expressions once per frame into
// tables: w * kr, w * kg, w * kb per channel sum and s * picture per byte. Every output
// is then the same sum of the same two doubles as MetalPixel forms, hence the same
// bytes, for any record (NaN and infinities included).
#pragma once

#include <cstdint>

#include "effects/truncation.h"
#include "image/imagebuffer.h"

// The record's five floats as doubles and the metal colour as red / 256.0, green /
// 256.0, blue / 256.0.
struct MetalSettings {
    double kr, kg, kb;
    double picture, metal, highlights, shine, calibrate;
};

// One pixel, B G R A in memory: alpha copied, each colour the truncated metal term
// times its colour fraction plus the picture share, held within 0..255.
void MetalPixel(const uint8_t* source, uint8_t* destination, double kr, double kg, double kb, double picture,
                double metal, double highlights, double shine, double calibrate);

// MetalPixel over every pixel of two W x H 4-channel buffers, one call per pixel.
void RenderMetalPerPixel(const CImageBuffer& in, CImageBuffer& out, const MetalSettings& settings);

// The same bytes from per-frame tables; with `avx512` each row's first pixels go through
// MetalRowAvx512 (only where the processor has AVX-512).
void RenderMetalTabulated(const CImageBuffer& in, CImageBuffer& out, const MetalSettings& settings, bool avx512);

#if defined(__x86_64__) || defined(__i386__)
// The first pixels of a row of `width` 4-byte pixels from the metal term of each channel
// sum (metalTerm[0..765]); returns how many were done (effects/metal_avx512.cpp).
int MetalRowAvx512(const double* metalTerm, const MetalSettings& settings, const uint8_t* source,
                   uint8_t* destination, int width);
#endif

// The metal term of MetalPixel for a channel sum, shared by both versions so that
// they evaluate one expression.
double MetalTerm(int channelSum, double metal, double highlights, double shine, double calibrate);

// A double held within 0..255 after truncation toward zero (NaN gives 0).
inline uint8_t MetalChannel(double value) {
    const int32_t truncated = TruncateToInt32(value);
    if (truncated > 255) return 255;
    if (truncated < 0) return 0;
    return static_cast<uint8_t>(truncated);
}
