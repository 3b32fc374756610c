// The band routine of the two edge effects, Line Drawing and Pastel Sketch: the scaled
// Laplacian of the picture's inner pixels into OUT, every row then mapped in place by
// the effect's row map, and the outermost columns copied from their inner neighbours
// (the outermost rows take the filter of their neighbours' rows: ForEachEdgeRowRun).
//
// The filter and the map take a few rows in turn, so the rows the map reads back are
// still in the cache the filter wrote them through.
//
// A row map is called as map(source, filtered, pixels): `filtered` holds `pixels`
// filter responses, 4 bytes each, which it replaces by the output pixels; `source`
// holds the input pixels at the same places (their alpha is kept).
#pragma once

#include <algorithm>
#include <cstring>

#include "effects/laplacian_fast.h"
#include "image/cpudispatch.h"

// How an edge effect renders a band: the generic filter and its mixing rule per pixel;
// the filter's table path and the mix's per-call table; or those with AVX2 rows (the
// filter's and the map's), or AVX-512 ones. All give the same bytes.
enum class EdgePath { kRule, kTables, kAvx2, kAvx512 };

// The fastest path the processor selection allows (image/cpudispatch.h).
inline EdgePath FastestEdgePath() {
    if (!ippTablesEnabled()) return EdgePath::kRule;
    if (ippAvx512VbmiEnabled()) return EdgePath::kAvx512;
    return ippAvx2Enabled() ? EdgePath::kAvx2 : EdgePath::kTables;
}

#if defined(__x86_64__) || defined(__i386__)
// The first pixels of a row map with AVX2 (effects/edgemaps_avx2.cpp), from the effects'
// tables as 32-bit entries: Line Drawing's 96 colours (blue, green, red, 0) by filtered
// sum / 8, Pastel Sketch's bytes [on an edge][channel][source byte]. Return how many
// pixels they mapped (a multiple of 8); the scalar map does the rest.
int LineDrawingMapRowAvx2(const uint32_t colours[96], const uint8_t* source, uint8_t* pixels, int count);
int PastelSketchMapRowAvx2(const uint32_t bytes[2 * 3 * 256], int inkThreshold, const uint8_t* source, uint8_t* pixels,
                           int count);
// The same with AVX-512 (effects/edgerows_avx512.cpp), sixteen pixels at a time, from the
// same colours and from Pastel Sketch's byte table itself.
int LineDrawingMapRowAvx512(const uint32_t colours[96], const uint8_t* source, uint8_t* pixels, int count);
int PastelSketchMapRowAvx512(const uint8_t bytes[2 * 3 * 256], int inkThreshold, const uint8_t* source, uint8_t* pixels,
                             int count);
#endif

// Rows filtered before they are mapped: 32 rows of a 3840-pixel frame stay within
// a core's second-level cache.
constexpr int kEdgeRowsPerStep = 32;

template <class MapRow>
void RenderEdgeBand(const CImageBuffer& in, CImageBuffer& out, const BandGeometry& band, const float kernel[9],
                    EdgePath path, const MapRow& mapRow) {
    const int width = out.GetWidth();
    if (width < 3 || band.pictureHeight < 3) {
        // No inner pixels: every pixel as on a flat area (response 0).
        for (int y = 0; y < out.GetHeight(); ++y) {
            uint8_t* d = out.PixelAt(0, y, 0);
            std::memset(d, 0, static_cast<size_t>(width) * 4);
            mapRow(in.PixelAt(0, band.rowsAbove + y, 0), d, width);
        }
        return;
    }
    const EdgeFilterPlan plan = PlanEdgeFilter(kernel, path != EdgePath::kRule,
                                               path == EdgePath::kAvx2 || path == EdgePath::kAvx512,
                                               path == EdgePath::kAvx512);
    ForEachEdgeRowRun(band, [&](int outRow, int inRow, int count) {
        for (int k = 0; k < count; k += kEdgeRowsPerStep) {
            const int rows = std::min(kEdgeRowsPerStep, count - k);
            ConvolveEdgeKernelRows(in, inRow + k, out, outRow + k, rows, plan);
            for (int j = k; j < k + rows; ++j) mapRow(in.PixelAt(1, inRow + j, 0), out.PixelAt(1, outRow + j, 0), width - 2);
        }
    });
    ReplicateEdgeColumns(out);
}
