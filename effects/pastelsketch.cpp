// The Pastel Sketch algorithm for one band: the same density-scaled 3 x 3 Laplacian as Line
// Drawing picks, per pixel, the ink colour (filtered channel sum of 400 or more) or
// the paper colour, which is then mixed with the picture by `blend`. The picture's
// outermost rows and columns are copies of their inner neighbours, alpha included:
// at every band's edges when a band is a picture of its own, at the frame's edges
// when it is a slice of the frame.
//
// Choices for what the filter cannot reach:
//  - only inner pixels are filtered and mapped, an outermost row being the mapping of
//    its inner neighbour and an outermost pixel of a row a copy of its neighbour; so
//    nothing reads output samples the routine has not written;
//  - a picture narrower or lower than 3 pixels has no inner pixels to filter or replicate
//    from: every pixel of it is rendered as a flat area (filter response 0, so paper
//    mixed with the picture) with the input's alpha; "Reset To None" then leaves it as
//    it was;
//  - a mix that is not a number (NaN or infinite fields) gives 0 (effects/truncation.h).
#include "effects/pastelsketch.h"

#include "effects/edgeband.h"
#include "effects/truncation.h"
#include "image/cpudispatch.h"

namespace {

constexpr float kLaplacian[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};
// A filtered channel sum from here on selects the ink.
constexpr int kInkThreshold = 400;

struct PastelMix {
    float blend;
    float keep;      // 1 - blend
    float paper[3];  // blue, green, red: the pixel byte order
    int ink[3];
};

// v = float(s * blend); v = float(c * keep + v); held within 0..255 and truncated.
inline uint8_t MixChannel(int source, double colour, const PastelMix& mix) {
    const float share = static_cast<float>(source * static_cast<double>(mix.blend));
    float v = static_cast<float>(colour * mix.keep + share);
    if (v > 255.0f) v = 255.0f;
    if (v < 0.0f) v = 0.0f;
    return static_cast<uint8_t>(TruncateToInt32(v));
}

// The mix depends only on the source byte, the channel and whether ink or paper is
// mixed in, so each call evaluates it once for every case: 2 x 3 x 256 bytes.
struct MixTable {
    uint8_t byColour[2][3][256];  // [on an edge][channel][source byte]
};

void BuildMixTable(const PastelMix& mix, MixTable& table) {
    for (int c = 0; c < 3; ++c)
        for (int s = 0; s < 256; ++s) {
            table.byColour[0][c][s] = MixChannel(s, static_cast<double>(mix.paper[c]), mix);
            table.byColour[1][c][s] = MixChannel(s, static_cast<double>(mix.ink[c]), mix);
        }
}

// The same entries 32 bits wide, for the AVX2 map's gathers.
struct WideMixTable {
    uint32_t byColour[2][3][256];
};

void WidenMixTable(const MixTable& table, WideMixTable& wide) {
    for (int e = 0; e < 2; ++e)
        for (int c = 0; c < 3; ++c)
            for (int s = 0; s < 256; ++s) wide.byColour[e][c][s] = table.byColour[e][c][s];
}

// The mixing rule itself, evaluated per pixel: the reference the table gives the
// bytes of, and what runs when the tables are switched off.
struct MixRule {
    const PastelMix& mix;
    uint8_t operator()(int edge, int channel, int source) const {
        return MixChannel(source, edge ? static_cast<double>(mix.ink[channel]) : static_cast<double>(mix.paper[channel]),
                          mix);
    }
};

struct MixLookup {
    const MixTable& table;
    uint8_t operator()(int edge, int channel, int source) const { return table.byColour[edge][channel][source]; }
};

template <class Mixer>
inline void MapPixel(const uint8_t* filtered, const uint8_t* source, uint8_t* out, const Mixer& mixed) {
    const int edge = filtered[0] + filtered[1] + filtered[2] >= kInkThreshold ? 1 : 0;
    const uint8_t alpha = source[3];
    out[0] = mixed(edge, 0, source[0]);
    out[1] = mixed(edge, 1, source[1]);
    out[2] = mixed(edge, 2, source[2]);
    out[3] = alpha;
}

// The mix a row at a time (a row map of effects/edgeband.h); with a wide table the
// row's first pixels eight at a time through AVX2, with `bytes` sixteen at a time
// through AVX-512.
template <class Mixer>
struct RowMap {
    Mixer mixed;
    const WideMixTable* wide = nullptr;
    const MixTable* bytes = nullptr;
    void operator()(const uint8_t* source, uint8_t* pixels, int count) const {
        int x = 0;
#if defined(__x86_64__) || defined(__i386__)
        if (bytes) x = PastelSketchMapRowAvx512(&bytes->byColour[0][0][0], kInkThreshold, source, pixels, count);
        if (wide) x = PastelSketchMapRowAvx2(&wide->byColour[0][0][0], kInkThreshold, source, pixels, count);
#endif
        for (source += 4 * x, pixels += 4 * x; x < count; ++x, source += 4, pixels += 4)
            MapPixel(pixels, source, pixels, mixed);
    }
};

}  // namespace

int CPastelSketch::RowsReachedBeyondBand(const tPASTEL_SKETCHPROPS& /*props*/, int pictureWidth, int pictureHeight) {
    return pictureWidth < 3 || pictureHeight < 3 ? 0 : kEdgeFilterReach;
}

HRESULT CPastelSketch::RenderBand(const tPASTEL_SKETCHPROPS& props, const CImageBuffer& in, CImageBuffer& out,
                                  const BandGeometry& band) {
    RenderPastelSketch(in, out, props, FastestEdgePath(), band);
    return S_OK;
}

void RenderPastelSketch(const CImageBuffer& in, CImageBuffer& out, const tPASTEL_SKETCHPROPS& props, EdgePath path) {
    BandGeometry picture;
    picture.rows = picture.pictureHeight = out.GetHeight();
    picture.pictureWidth = out.GetWidth();
    RenderPastelSketch(in, out, props, path, picture);
}

void RenderPastelSketch(const CImageBuffer& in, CImageBuffer& out, const tPASTEL_SKETCHPROPS& props, EdgePath path,
                        const BandGeometry& band) {
    PastelMix mix;
    mix.blend = props.blend;
    mix.keep = static_cast<float>(1.0 - static_cast<double>(props.blend));
    mix.paper[0] = static_cast<float>(BlueOf(props.paper));
    mix.paper[1] = static_cast<float>(GreenOf(props.paper));
    mix.paper[2] = static_cast<float>(RedOf(props.paper));
    mix.ink[0] = BlueOf(props.ink);
    mix.ink[1] = GreenOf(props.ink);
    mix.ink[2] = RedOf(props.ink);
    float kernel[9];
    ScaleEdgeKernel(kLaplacian, EdgeKernelScale(props.density), kernel);
    if (path == EdgePath::kRule) return RenderEdgeBand(in, out, band, kernel, path, RowMap<MixRule>{MixRule{mix}});
    MixTable table;
    BuildMixTable(mix, table);
    if (path == EdgePath::kAvx512)
        return RenderEdgeBand(in, out, band, kernel, path, RowMap<MixLookup>{MixLookup{table}, nullptr, &table});
    if (path != EdgePath::kAvx2) return RenderEdgeBand(in, out, band, kernel, path, RowMap<MixLookup>{MixLookup{table}});
    WideMixTable wide;
    WidenMixTable(table, wide);
    RenderEdgeBand(in, out, band, kernel, path, RowMap<MixLookup>{MixLookup{table}, &wide});
}
