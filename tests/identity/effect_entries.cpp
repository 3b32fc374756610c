// The effects' own tables and vector rows against the rules they stand for: Metallic's per-frame
// metal term, the edge filter's table of the scaled Laplacian (Line Drawing and
// Pastel Sketch), the mixing tables of Pastel Sketch and Line Drawing and Duo
// Chrome's byte tables. The reference of each is the same algorithm without its
// tables; the edge filter's is the generic float filter itself, not whichever
// version this processor runs.
#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "effects/airbrush.h"
#include "effects/dreamglow.h"
#include "effects/colorize.h"
#include "effects/duochrome.h"
#include "effects/laplacian_fast.h"
#include "effects/linedrawing.h"
#include "effects/metal.h"
#include "effects/metal_fast.h"
#include "effects/pastelsketch.h"
#include "image/cpudispatch.h"
#include "image/ippi_generic.h"
#include "tests/identity/registry.h"

namespace identity {
namespace {

struct Picture {
    int width, height;
    std::vector<uint8_t> bytes;
};

// Every channel sum, every byte in each position, then rows of noise.
Picture EveryCombination(Draw& d) {
    Picture p{256, 256 + 16, Grid256([](int x, int y, uint8_t* q) {
                  q[0] = static_cast<uint8_t>(x), q[1] = static_cast<uint8_t>(y);
                  q[2] = static_cast<uint8_t>((x * 7 + y * 13) & 255), q[3] = static_cast<uint8_t>(x ^ y);
              })};
    p.bytes.resize(256 * (256 + 16) * 4);
    for (size_t i = 256 * 256 * 4; i < p.bytes.size(); ++i) p.bytes[i] = d.Byte();
    return p;
}

Picture Noise(Draw& d, int width, int height) {
    return {width, height, d.Bytes(static_cast<size_t>(width) * height * 4)};
}

// A picture from the edges up: 1 x 1, thin strips, then odd sizes; now and then every
// combination of bytes.
Picture CasePicture(Draw& d, int n) {
    if (n % 8 == 0) return EveryCombination(d);
    return Noise(d, d.Between(1, 41), d.Between(1, 23));
}

// render(version, in, out) over buffers attached to the picture and the trial's
// destination (a picture's worth of noise, so untouched bytes show).
std::string Describe(int n, const Picture& p) {
    return " case " + std::to_string(n) + " " + std::to_string(p.width) + "x" + std::to_string(p.height);
}

template <class Render>
Trial PictureTrial(const std::string& what, int n, Draw& d, Picture picture, int outChannels, Render render) {
    const std::string label = what + Describe(n, picture);
    auto in = std::make_shared<Picture>(std::move(picture));
    const int w = in->width, h = in->height;
    return Trial(label, d.Bytes(static_cast<size_t>(w) * h * outChannels),
                 [in, w, h, outChannels, render](size_t v, uint8_t* dst) {
                     CImageBuffer src, out;
                     src.Attach(in->bytes.data(), w, h, w * 4, 4);
                     out.Attach(dst, w, h, w * outChannels, outChannels);
                     return render(v, src, out);
                 });
}

// An effect that renders a record along one of its paths (Path): the version of a
// case is the index of its path in `paths`, the rule first.
template <class Record, class Path>
using PathRender = void (*)(const CImageBuffer& in, CImageBuffer& out, const Record& record, Path path);

template <class Record, class Path>
Trial RecordCase(const std::string& what, PathRender<Record, Path> render, std::vector<Path> paths, Draw& d, int n,
                 Picture picture, Record record) {
    return PictureTrial(what, n, d, std::move(picture), 4,
                        [render, paths, record](size_t v, const CImageBuffer& in, CImageBuffer& out) {
                            render(in, out, record, paths[v]);
                            return 1;
                        });
}

template <class Record, class Path>
std::function<Trial(int, int)> RecordFrame(PathRender<Record, Path> render, std::vector<Path> paths, const Record& record) {
    return [=](int w, int h) {
        Draw d(5, false);
        return RecordCase("frame", render, paths, d, 0, Noise(d, w, h), record);
    };
}

// Metallic per pixel, from its tables, and from its tables with AVX-512 rows.
Paths<int> MetalPaths() { return Paths<int>{{0}}.Add(ippTablesEnabled(), 1, "tables").Add(ippTablesEnabled() && ippAvx512Enabled(), 2, "avx512"); }

// ---- Metallic ---------------------------------------------------------------------------

void RenderMetal(const CImageBuffer& in, CImageBuffer& out, const tMETALLIC_PROPS& r, int path) {
    const MetalSettings s{RedOf(r.color) / 256.0, GreenOf(r.color) / 256.0, BlueOf(r.color) / 256.0, r.picture, r.metal,
                          r.highlights,           r.shine,                    r.calibrate};
    if (path == 0) return RenderMetalPerPixel(in, out, s);
    RenderMetalTabulated(in, out, s, path == 2);
}

Trial MetalRandom(int n) {
    Draw d(80000 + n, false);
    tMETALLIC_PROPS r = g_metallicPresets[n % kMetallicPresetCount];
    if (n >= kMetallicPresetCount) {
        const float same = d.Value();
        const bool allSame = d.OneIn(4);
        r.color = d.Colour();
        for (float* f : {&r.shine, &r.highlights, &r.calibrate, &r.metal, &r.picture}) *f = allSame ? same : d.Value();
    }
    Picture picture = n < kMetallicPresetCount ? EveryCombination(d) : CasePicture(d, n);
    return RecordCase("Metallic", RenderMetal, MetalPaths().paths, d, n, std::move(picture), r);
}

// ---- the edge filter's table ------------------------------------------------------------

// What CImageOps().Convolve does with a 3 x 3 kernel, through the generic routine.
bool GenericEdgeFilter(const CImageBuffer& src, CImageBuffer& dst, const float kernel[9]) {
    if (src.GetChannels() != 4 || dst.GetChannels() != 4) return false;
    const int w = std::min(src.GetWidth(), dst.GetWidth()) - 2, h = std::min(src.GetHeight(), dst.GetHeight()) - 2;
    if (w < 1 || h < 1) return false;
    ipp_generic::Filter32f_8u_C4R(src.PixelAt(1, 1, 0), src.GetStep(), dst.PixelAt(1, 1, 0), dst.GetStep(), {w, h},
                                  kernel, {3, 3}, {1, 1});
    return true;
}

int EdgeFilter(size_t version, const CImageBuffer& in, CImageBuffer& out, const float kernel[9]) {
    const EdgeRows forms[] = {EdgeRows::kTable, EdgeRows::kTable, EdgeRows::kAvx2Double, EdgeRows::kAvx2Single,
                              EdgeRows::kAvx512Single};
    return version == 0 ? GenericEdgeFilter(in, out, kernel) : ConvolveEdgeKernel(in, out, kernel, forms[version]);
}

// Scales from the density knob, special values (zero, subnormal, huge, NaN,
// infinite) and random ones; some kernels of another shape or beyond single
// precision, which only the generic filter may take.
void EdgeKernel(Draw& d, int n, float kernel[9]) {
    constexpr float kLaplacian[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};
    const float special[] = {0.0f, -0.0f, FLT_MIN, FLT_MIN / 64, 1.0f / 3, 0.1f, 1e-3f, 3e37f, 4.25e37f, FLT_MAX, -7.3f,
                             std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};
    const float densities[] = {0.0f, 0.04f, 0.41f, 0.5f, 0.54f, 0.71f, 1.0f, -0.3f, -1.0f, 2.0f, 1e10f, 1e13f};
    const float inf = std::numeric_limits<float>::infinity();
    switch (n % 7) {
    case 0: ScaleEdgeKernel(kLaplacian, special[d.AnyBetween(0, 12)], kernel); return;
    case 1: ScaleEdgeKernel(kLaplacian, EdgeKernelScale(densities[d.AnyBetween(0, 11)]), kernel); return;
    case 2: {
        const float big = 1e38f;  // -8 * big is beyond single precision
        const float others[2][9] = {{0, 1, 0, 1, -4, 1, 0, 1, 0}, {big, big, big, big, -inf, big, big, big, big}};
        std::memcpy(kernel, others[d.AnyBetween(0, 1)], sizeof(float) * 9);
        return;
    }
    default:
        ScaleEdgeKernel(kLaplacian, static_cast<float>(static_cast<int>(d.Next() % 50001) - 25000) / 1000.0f, kernel);
    }
}

Trial EdgeFilterRandom(int n) {
    Draw d(90000 + n, false);
    const std::pair<int, int> edges[] = {{1, 1}, {2, 9}, {9, 2}, {3, 3}, {4, 7}, {33, 5}, {71, 29}};
    const auto [w, h] = n < 7 ? edges[n] : std::pair{d.AnyBetween(1, 71), d.AnyBetween(1, 29)};
    auto kernel = std::make_shared<std::array<float, 9>>();
    EdgeKernel(d, n, kernel->data());
    Picture picture = Noise(d, w, h);
    const std::string label = "edge filter cell " + std::to_string((*kernel)[0]);
    const std::string inPlace = label + Describe(n, picture) + " in place";
    auto render = [kernel](size_t v, const CImageBuffer& in, CImageBuffer& out) {
        return EdgeFilter(v, in, out, kernel->data());
    };
    if (n % 13 == 12)  // a one-channel destination: both refuse
        return PictureTrial(label + " into one channel", n, d, std::move(picture), 1, render);
    if (n % 13 == 6)  // into its own source
        return Trial(inPlace, std::move(picture.bytes), [kernel, w, h](size_t v, uint8_t* bytes) {
            CImageBuffer b;
            b.Attach(bytes, w, h, w * 4, 4);
            return EdgeFilter(v, b, b, kernel->data());
        });
    return PictureTrial(label, n, d, std::move(picture), 4, render);
}

Trial EdgeFilterFrame(int w, int h) {
    Draw d(5, false);
    auto kernel = std::make_shared<std::array<float, 9>>();
    EdgeKernel(d, 1, kernel->data());
    return PictureTrial("frame", 0, d, Noise(d, w, h), 4, [kernel](size_t v, const CImageBuffer& in, CImageBuffer& out) {
        return EdgeFilter(v, in, out, kernel->data());
    });
}

// ---- Pastel Sketch, Line Drawing and Duo Chrome ----------------------------------------

Paths<EdgePath> EdgePaths() {
    return Paths<EdgePath>{{EdgePath::kRule}}
        .Add(ippTablesEnabled(), EdgePath::kTables, "tables")
        .Add(ippTablesEnabled() && ippAvx2Enabled(), EdgePath::kAvx2, "tables with avx2")
        .Add(ippTablesEnabled() && ippAvx512VbmiEnabled(), EdgePath::kAvx512, "tables with avx512");
}

// Pastel Sketch and Line Drawing: their presets, then random colours and densities
// and a random `third` field (blend, contrast), through the overload without band rows.
template <class Record>
std::function<Trial(int)> EdgeEffectRandom(const char* what, uint32_t seed, const Record* presets, int presetCount,
                                           float Record::*third, PathRender<Record, EdgePath> render) {
    return [=](int n) {
        Draw d(seed + n, n < 4);
        Record r = presets[n % presetCount];
        if (n >= presetCount) {
            r.paper = d.Colour(), r.ink = d.Colour();
            r.density = d.OneIn(2) ? static_cast<float>(d.AnyBetween(0, 100)) / 100.0f : d.Value();
            r.*third = d.Value();
        }
        return RecordCase(what, render, EdgePaths().paths, d, n, CasePicture(d, n), r);
    };
}

const PathRender<tPASTEL_SKETCHPROPS, EdgePath> RenderPastel = RenderPastelSketch;
const PathRender<tLINE_DRAWING_PROPS, EdgePath> RenderLine = RenderLineDrawing;

Paths<DuoChromePath> DuoPaths() {
    return Paths<DuoChromePath>{{DuoChromePath::kRule}}
        .Add(ippTablesEnabled(), DuoChromePath::kTables, "tables")
        .Add(ippSse2Enabled(), DuoChromePath::kSse2, "sse2")
        .Add(ippAvx2Enabled(), DuoChromePath::kAvx2, "avx2")
        .Add(ippAvx512Enabled(), DuoChromePath::kAvx512, "avx512");
}

const PathRender<tDUOCHROME_PROPS, DuoChromePath> RenderDuo = RenderDuoChrome;

Trial DuoRandom(int n) {
    Draw d(110000 + n, n < 4);
    tDUOCHROME_PROPS r = g_duoChromePresets[n % kDuoChromePresetCount];
    if (n >= kDuoChromePresetCount) {
        // Some pairs of equal luminance, some of one colour, the rest anything.
        const uint32_t pairs[][2] = {{0x00F60000, 0x000A2D01}, {0x000A2D01, 0x00F60000}, {0x00808080, 0x00808080}};
        r.paper = d.Colour(), r.ink = d.Colour();
        if (n % 5 == 0) r.paper = pairs[n % 3][0], r.ink = pairs[n % 3][1];
        r.blend = d.OneIn(2) ? static_cast<float>(d.AnyBetween(0, 100)) / 100.0f : d.Value();
    }
    return RecordCase("Duo Chrome", RenderDuo, DuoPaths().paths, d, n, CasePicture(d, n), r);
}

// Every colour a pixel can have, 256 cases of one blue byte each, for a light paper
// over a dark ink, the same pair exchanged (a negative), a pair of one luminance under
// a blend below 0 and a blend beyond 1 that saturates.
Trial DuoEveryColour(int n) {
    Draw d(130000 + n, false);
    const tDUOCHROME_PROPS& preset = g_duoChromePresets[9];
    const tDUOCHROME_PROPS records[] = {preset, {preset.ink, preset.paper, preset.blend, 0, {}},
                                        {0x00F60000, 0x000A2D01, -0.4f, 0, {}}, {0x0033CC99, 0x00202020, 1.7f, 0, {}}};
    const int blue = n % 256;
    Picture p{256, 256, Grid256([blue](int x, int y, uint8_t* q) {
                  q[0] = static_cast<uint8_t>(blue), q[1] = static_cast<uint8_t>(x), q[2] = static_cast<uint8_t>(y);
                  q[3] = static_cast<uint8_t>(x * y + blue);
              })};
    return RecordCase("Duo Chrome every colour", RenderDuo, DuoPaths().paths, d, n, std::move(p), records[n / 256 % 4]);
}

// ---- Air Brush and Dream Glow: the streamed blur --------------------------------------

// The levels of the streamed blur this run may use, after the generic blur (nullopt).
Paths<std::optional<StreamLevel>> BlurLevels() {
    const bool streamed = AllowedStreamLevel().has_value();
    return Paths<std::optional<StreamLevel>>{{std::nullopt}}
        .Add(streamed, StreamLevel::Scalar, "running sums")
        .Add(streamed && ippSse2Enabled(), StreamLevel::Sse2, "sse2")
        .Add(streamed && ippAvx2Enabled(), StreamLevel::Avx2, "avx2")
        .Add(streamed && ippAvx512Enabled(), StreamLevel::Avx512, "avx512");
}

// One band of a picture: a picture of its own, or a slice of a taller one with the
// rows the effect reaches beyond it (held within the picture); render(version, in,
// out, band).
template <class Effect, class Record, class Render>
Trial BandCase(const std::string& what, Draw& d, int n, const Picture& picture, const Record& record, int firstRow,
               int rows, Render render) {
    BandGeometry band{firstRow, rows, 0, 0, picture.width, picture.height};
    const int reach = Effect::RowsReachedBeyondBand(record, picture.width, picture.height);
    band.rowsAbove = std::min(reach, firstRow);
    band.rowsBelow = std::min(reach, picture.height - firstRow - rows);
    const int w = picture.width;
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    auto in = std::make_shared<std::vector<uint8_t>>(picture.bytes.begin() + (firstRow - band.rowsAbove) * rowBytes,
                                                     picture.bytes.begin() + (firstRow + rows + band.rowsBelow) * rowBytes);
    const std::string label = what + Describe(n, picture) + " rows " + std::to_string(firstRow) + "+" +
                              std::to_string(rows);
    return Trial(label, d.Bytes(rowBytes * rows), [in, band, w, render](size_t v, uint8_t* dst) {
        CImageBuffer src, out;
        src.Attach(in->data(), w, band.rows + band.rowsAbove + band.rowsBelow, w * 4, 4);
        out.Attach(dst, w, band.rows, w * 4, 4);
        render(v, src, out, band);
        return 1;
    });
}

template <class Record>
using BlurRender = void (*)(const Record&, const CImageBuffer&, CImageBuffer&, const BandGeometry&,
                            std::optional<StreamLevel>);

template <class Effect, class Record>
Trial BlurBand(const std::string& what, BlurRender<Record> render, Draw& d, int n, const Picture& picture,
               const Record& record, int firstRow, int rows) {
    return BandCase<Effect>(what, d, n, picture, record, firstRow, rows,
                            [render, record, levels = BlurLevels().paths](size_t v, const CImageBuffer& in,
                                                                          CImageBuffer& out, const BandGeometry& band) {
                                render(record, in, out, band, levels[v]);
                            });
}

// Pictures from 1 pixel across up (the first cases 1 to 5 across and high), blur
// lengths from none to the picture's height + 1, whole pictures and bands of them
// down to one row.
template <class Effect, class Record>
Trial BlurCase(const char* what, BlurRender<Record> render, uint32_t seed, int n, Record record,
               float Record::*length) {
    Draw d(seed + n, false);
    // Now and then a tall strip, where long kernels meet many rows the padding repeats.
    const bool strip = n % 80 == 79;
    const int w = n < 25 ? 1 + n % 5 : d.AnyBetween(1, strip ? 20 : 67);
    const int h = n < 25 ? 1 + n / 5 : (strip ? d.AnyBetween(560, 700) : d.AnyBetween(1, 45));
    const Picture picture = Noise(d, w, h);
    if (n >= 25) record.*length = d.OneIn(8) ? d.Value() : static_cast<float>(d.AnyBetween(-10, 700)) / 100.0f;
    if (strip) record.*length = 9.0f;  // the longest kernel the height allows
    const int firstRow = n % 3 == 0 || strip ? 0 : d.AnyBetween(0, h - 1);
    const int rows = n % 3 == 0 ? h : (d.OneIn(3) ? 1 : d.AnyBetween(1, h - firstRow));
    return BlurBand<Effect>(what, render, d, n, picture, record, firstRow, rows);
}

Trial AirBrushBlurCase(int n) {
    tAIR_BRUSH_PROPS r = g_airBrushPresets[n % kAirBrushPresetCount];
    if (n >= 25) r.edge = static_cast<float>(n % 11) / 10.0f;
    return BlurCase<CAirBrush>("Air Brush", &RenderAirBrush, 130000, n, r, &tAIR_BRUSH_PROPS::spray);
}

Trial DreamGlowBlurCase(int n) {
    tDREAM_GLOW_PROPS r = g_dreamGlowPresets[n % kDreamGlowPresetCount];
    if (n >= 25) {
        Draw d(140000 + n, false);
        r.color = d.Colour();
        r.glow = d.OneIn(8) ? d.Value() : static_cast<float>(d.AnyBetween(0, 150)) / 100.0f;
    }
    return BlurCase<CDreamGlow>("Dream Glow", &RenderDreamGlow, 150000, n, r, &tDREAM_GLOW_PROPS::blur);
}

template <class Effect, class Record>
std::function<Trial(int, int)> BlurFrame(BlurRender<Record> render, const Record& record) {
    return [=](int w, int h) {
        Draw d(5, false);
        return BlurBand<Effect>("frame", render, d, 0, Noise(d, w, h), record, 0, h);
    };
}

// ---- Colorize ---------------------------------------------------------------------------

Paths<ColorizePath> ColorizePaths() {
    return Paths<ColorizePath>{{ColorizePath::kRule}}
        .Add(ippTablesEnabled(), ColorizePath::kTables, "tables")
        .Add(ippTablesEnabled() && ippAvx2Enabled(), ColorizePath::kAvx2, "tables with avx2")
        .Add(ippTablesEnabled() && ippAvx512Enabled(), ColorizePath::kAvx512, "tables with avx512");
}

// A preset or a random record (windows, gains and passes beyond the knobs' range among
// them) on a band that is the picture itself or, every third case, a slice of it whose
// input holds the rows its smoothing reaches beyond it.
Trial ColorizeCase(int n, Draw& d, Picture picture) {
    tCOLORIZE_PROPS r = g_colorizePresets[n % kColorizePresetCount];
    if (n >= kColorizePresetCount) {
        r.color1 = d.Colour(), r.color2 = d.Colour(), r.color3 = d.Colour();
        for (float* f : {&r.strength1, &r.strength2, &r.strength3, &r.saturation, &r.smoothing})
            *f = d.OneIn(3) ? d.Value() : static_cast<float>(d.AnyBetween(0, 100)) / 100.0f;
        if (!std::isfinite(r.smoothing) || std::fabs(r.smoothing) > 1.0f) r.smoothing = 0.3f;
    }
    const int h = picture.height;
    const int firstRow = n % 3 == 2 ? d.AnyBetween(0, h - 1) : 0;
    const int rows = n % 3 == 2 ? d.AnyBetween(1, h - firstRow) : h;
    return BandCase<CColorize>("Colorize", d, n, picture, r, firstRow, rows,
                               [r](size_t v, const CImageBuffer& in, CImageBuffer& out, const BandGeometry& band) {
                                   RenderColorize(r, in, out, band, ColorizePaths().paths[v]);
                               });
}

Trial ColorizeRandom(int n) {
    Draw d(130000 + n, n < 4);
    Picture picture = CasePicture(d, n);
    return ColorizeCase(n, d, std::move(picture));
}

Trial ColorizeFrame(int w, int h) {
    Draw d(5, false);
    return ColorizeCase(4, d, Noise(d, w, h));  // Faded Primary Colors: three windows, three passes
}

}  // namespace

// One row per table of an effect (see Entry): name, versions, cases, case n, a
// frame-sized case for the benchmark, the reference outputs' digest.
void AddEffectEntries(std::vector<Entry>& e) {
    const std::vector<std::string> v = ippTablesEnabled() ? std::vector<std::string>{"generic", "tables"}
                                                          : std::vector<std::string>{"generic"};
    // The edge filter's table path also runs its rows with AVX2 where that may run, in
    // double precision and, where it holds, in single.
    std::vector<std::string> edge = v;
    if (ippTablesEnabled() && ippAvx2Enabled()) edge.insert(edge.end(), {"tables with avx2", "avx2 single"});
    if (ippTablesEnabled() && ippAvx512VbmiEnabled()) edge.push_back("avx512 single");
    e.insert(e.end(), {
        {"Metallic metal term", MetalPaths().names, kMetallicPresetCount + 50, MetalRandom, RecordFrame(RenderMetal, MetalPaths().paths, g_metallicPresets[3]), 0xc3515ff949d46ee4ull},
        {"Edge filter Laplacian", edge, 200, EdgeFilterRandom, EdgeFilterFrame, 0x5a86c7fde5f4c483ull},
        {"Pastel Sketch mix", EdgePaths().names, kPastelSketchPresetCount + 60,
         EdgeEffectRandom("Pastel Sketch", 100000, g_pastelSketchPresets, kPastelSketchPresetCount, &tPASTEL_SKETCHPROPS::blend, RenderPastel),
         RecordFrame(RenderPastel, EdgePaths().paths, g_pastelSketchPresets[0]), 0x923429999fe01c5bull},
        {"Line Drawing mix", EdgePaths().names, kLineDrawingPresetCount + 60,
         EdgeEffectRandom("Line Drawing", 120000, g_lineDrawingPresets, kLineDrawingPresetCount, &tLINE_DRAWING_PROPS::contrast, RenderLine),
         RecordFrame(RenderLine, EdgePaths().paths, g_lineDrawingPresets[4]), 0x04440fb1c38136ceull},
        {"Colorize fused", ColorizePaths().names, kColorizePresetCount + 90, ColorizeRandom, ColorizeFrame, 0x0b7d88ccfce547aeull},
        {"Duo Chrome bytes", DuoPaths().names, kDuoChromePresetCount + 60, DuoRandom, RecordFrame(RenderDuo, DuoPaths().paths, g_duoChromePresets[0]), 0x143ba86f90ed1fd0ull},
        {"Duo Chrome every colour", DuoPaths().names, 4 * 256, DuoEveryColour, nullptr, 0x6f5bf4b42866b26bull},
        {"Air Brush streamed blur", BlurLevels().names, 400, AirBrushBlurCase, BlurFrame<CAirBrush>(&RenderAirBrush, g_airBrushPresets[2]), 0x3fab45d65b07670aull},
        {"Dream Glow streamed blur", BlurLevels().names, 400, DreamGlowBlurCase, BlurFrame<CDreamGlow>(&RenderDreamGlow, g_dreamGlowPresets[0]), 0xd600b353baaecf47ull},
    });
}

}  // namespace identity
