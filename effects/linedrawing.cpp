// The Line Drawing algorithm for one band: a density-scaled 3 x 3 Laplacian measures how much
// darker each pixel is than its neighbours; the sum of the three filtered colours,
// through a 96-entry contrast curve, mixes ink (strong response) with paper (none).
// The picture's outermost rows and columns are copies of their inner neighbours,
// alpha included: at every band's edges when a band is a picture of its own, at the
// frame's edges when it is a slice of the frame.
//
// Choices for what the filter cannot reach:
//  - only inner pixels are filtered and mapped, an outermost row being the mapping of
//    its inner neighbour and an outermost pixel of a row a copy of its neighbour; so
//    nothing reads output samples the routine has not written;
//  - a picture narrower or lower than 3 pixels has no inner pixels to filter or replicate
//    from: every pixel of it is rendered as a flat area (filter response 0, so the mix
//    of paper and ink at curve[0]) with the input's alpha;
//  - NaN curve values count as 0 (effects/truncation.h); an infinite or NaN kernel
//    goes through the generic filter, which gives 0 for a NaN sum.
#include "effects/linedrawing.h"

#include <cmath>
#include <cstring>

#include "effects/edgeband.h"
#include "effects/truncation.h"
#include "image/cpudispatch.h"

namespace {

constexpr float kLaplacian[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};
constexpr int kCurveSize = 96;

struct LineColours {
    int paper[3];  // blue, green, red: the pixel byte order
    int ink[3];
};

// curve[i] = trunc(255 * clamp(slope * float(i / 96) + offset, 0, 1)); slope and offset
// are single-precision working values, the rest double.
void BuildContrastCurve(float contrast, int curve[kCurveSize]) {
    const float slope = static_cast<float>(std::pow(10.0, 2.0 * static_cast<double>(contrast) - 1.0));
    const float offset = static_cast<float>((1.0 - static_cast<double>(slope)) / 2.0);
    for (int i = 0; i < kCurveSize; ++i) {
        const float position = static_cast<float>(i) / 96.0f;
        double v = static_cast<double>(slope) * position + offset;
        if (v < 0.0) v = 0.0;
        if (v > 1.0) v = 1.0;
        curve[i] = TruncateToInt32(255.0 * v);
    }
}

// Channel c of paper and ink mixed at curve value v.
inline uint8_t MixChannel(const LineColours& colours, int c, int v) {
    return static_cast<uint8_t>((colours.paper[c] * (255 - v) + colours.ink[c] * v) >> 8);
}

// out = (paper * (255 - v) + ink * v) >> 8 per colour, v = curve[edge sum >> 3];
// alpha from the input.
inline void MapPixel(const uint8_t* filtered, const uint8_t* source, uint8_t* out, const int curve[kCurveSize],
                     const LineColours& colours) {
    const int v = curve[(filtered[0] + filtered[1] + filtered[2]) >> 3];
    for (int c = 0; c < 3; ++c) out[c] = MixChannel(colours, c, v);
    out[3] = source[3];
}

// The mixing rule per pixel, a row at a time (a row map of effects/edgeband.h): the
// reference of the table, and what runs without tables.
struct MixRule {
    const int* curve;
    const LineColours& colours;
    void operator()(const uint8_t* source, uint8_t* pixels, int count) const {
        for (int x = 0; x < count; ++x, source += 4, pixels += 4) MapPixel(pixels, source, pixels, curve, colours);
    }
};

// The mixed colour depends only on the curve's index (the filtered sum / 8), so each
// call mixes it once per index: 96 colours, blue, green and red in a pixel's bytes.
struct MixTable {
    alignas(4) uint8_t colour[kCurveSize][4];
};

void BuildMixTable(const int curve[kCurveSize], const LineColours& colours, MixTable& table) {
    for (int i = 0; i < kCurveSize; ++i) {
        for (int c = 0; c < 3; ++c) table.colour[i][c] = MixChannel(colours, c, curve[i]);
        table.colour[i][3] = 0;
    }
}

// The table's colour with the source's alpha, one 4-byte move per pixel; along the AVX2
// or AVX-512 path the row's first pixels eight or sixteen at a time.
struct MixLookup {
    const MixTable& table;
    EdgePath path;
    void operator()(const uint8_t* source, uint8_t* pixels, int count) const {
        int x = 0;
#if defined(__x86_64__) || defined(__i386__)
        const uint32_t* colours = reinterpret_cast<const uint32_t*>(table.colour);
        if (path == EdgePath::kAvx512) x = LineDrawingMapRowAvx512(colours, source, pixels, count);
        if (path == EdgePath::kAvx2) x = LineDrawingMapRowAvx2(colours, source, pixels, count);
#endif
        for (source += 4 * x, pixels += 4 * x; x < count; ++x, source += 4, pixels += 4) {
            uint8_t pixel[4];
            std::memcpy(pixel, table.colour[(pixels[0] + pixels[1] + pixels[2]) >> 3], 4);
            pixel[3] = source[3];
            std::memcpy(pixels, pixel, 4);
        }
    }
};

}  // namespace

int CLineDrawing::RowsReachedBeyondBand(const tLINE_DRAWING_PROPS& /*props*/, int pictureWidth, int pictureHeight) {
    return pictureWidth < 3 || pictureHeight < 3 ? 0 : kEdgeFilterReach;
}

HRESULT CLineDrawing::RenderBand(const tLINE_DRAWING_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                                 const BandGeometry& band) {
    RenderLineDrawing(in, out, props, FastestEdgePath(), band);
    return S_OK;
}

void RenderLineDrawing(const CImageBuffer& in, CImageBuffer& out, const tLINE_DRAWING_PROPS& props, EdgePath path) {
    BandGeometry picture;
    picture.rows = picture.pictureHeight = out.GetHeight();
    picture.pictureWidth = out.GetWidth();
    RenderLineDrawing(in, out, props, path, picture);
}

void RenderLineDrawing(const CImageBuffer& in, CImageBuffer& out, const tLINE_DRAWING_PROPS& props, EdgePath path,
                       const BandGeometry& band) {
    const LineColours colours = {{BlueOf(props.paper), GreenOf(props.paper), RedOf(props.paper)},
                                 {BlueOf(props.ink), GreenOf(props.ink), RedOf(props.ink)}};
    float kernel[9];
    ScaleEdgeKernel(kLaplacian, EdgeKernelScale(props.density), kernel);
    int curve[kCurveSize];
    BuildContrastCurve(props.contrast, curve);
    if (path == EdgePath::kRule) return RenderEdgeBand(in, out, band, kernel, path, MixRule{curve, colours});
    MixTable table;
    BuildMixTable(curve, colours, table);
    RenderEdgeBand(in, out, band, kernel, path, MixLookup{table, path});
}
