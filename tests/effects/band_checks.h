// Checks shared by the tests of the edge effects (Line Drawing, Pastel Sketch) and the
// per-pixel effects (Duo Chrome, Metallic): how the transform base cuts a frame into
// bands, rendering a frame band by band, and the replicated frame of a band.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "transform/dxbounds.h"
#include "tests/effects/effect_harness.h"

namespace effect_test {

struct BandRows {
    int top;
    int rows;
};

// The bands Execute makes of a width x height frame with `processors` workers: one per
// 4096 pixels, at most 4 and at most the processors; the last takes the remainder.
inline std::vector<BandRows> BandsOf(int width, int height, int processors) {
    unsigned n = static_cast<unsigned>(processors);
    if (n > 1) {
        n = static_cast<unsigned>((static_cast<unsigned>(width) * static_cast<unsigned>(height)) >> 12) + 1;
        n = std::min(n, 4u);
        n = std::min(n, static_cast<unsigned>(processors));
    }
    std::vector<BandRows> bands;
    const int b = height / static_cast<int>(n);
    int y = 0;
    for (unsigned i = 0; i < n; ++i) {
        const bool last = i + 1 == n;
        const int rows = last ? height - y : b;
        bands.push_back({y, rows});
        y += rows;
    }
    return bands;
}

// Every band of `bands` rendered alone, as a frame of its own rows, on one processor.
template <class Effect, class T>
Picture RenderBandByBand(const T& record, const Picture& input, const std::vector<BandRows>& bands) {
    EffectRig<Effect, T> rig(1);
    Picture whole(input.width, input.height);
    for (const BandRows& band : bands) whole.PutRows(band.top, rig.RenderWith(record, input.Rows(band.top, band.rows)));
    return whole;
}

// In rows [top, top + rows) of `out`: the outermost rows and columns are copies of
// their nearest inner pixel, all four bytes. Needs at least 3 rows and 3 columns.
inline void ExpectFrameReplicated(const Picture& out, int top, int rows) {
    const int w = out.width;
    ASSERT_GE(w, 3);
    ASSERT_GE(rows, 3);
    const int bottom = top + rows - 1;
    auto inner = [&](int x, int y) {
        const int ix = std::clamp(x, 1, w - 2);
        const int iy = std::clamp(y, top + 1, bottom - 1);
        return out.At(ix, iy);
    };
    for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < w; ++x) {
            if (y != top && y != bottom && x != 0 && x != w - 1) continue;
            const uint8_t* p = out.At(x, y);
            const uint8_t* q = inner(x, y);
            ASSERT_TRUE(std::equal(p, p + 4, q)) << "pixel (" << x << ", " << y << ") of the band at row " << top;
        }
    }
}

// Columns [left, left + width) of rows [top, top + height).
inline Picture Crop(const Picture& p, int left, int top, int width, int height) {
    Picture part(width, height);
    for (int y = 0; y < height; ++y) std::memcpy(part.At(0, y), p.At(left, top + y), static_cast<size_t>(width) * 4);
    return part;
}

// A clip of the input is rendered as a picture of its own, at the output's origin,
// and the rest of the output keeps what it held.
template <class Effect, class T>
void ExpectClipRendersAsItsOwnPicture(const T& record, const Picture& input, int left, int top, int width, int height,
                                      int processors) {
    EffectRig<Effect, T> rig(processors);
    const DXBNDS clip = MakeDiscreteBounds(left, top, left + width, top + height);
    RenderOptions options;
    options.clip = &clip;
    const Picture out = rig.RenderWith(record, input, options);
    EffectRig<Effect, T> alone(processors);
    Picture expected = OutputFill(input.width, input.height);
    const Picture region = alone.RenderWith(record, Crop(input, left, top, width, height));
    for (int y = 0; y < height; ++y)
        std::memcpy(expected.At(0, y), region.At(0, y), static_cast<size_t>(width) * 4);
    EXPECT_EQ(FirstDifference(out, expected), "");
}

// A lock that fails ends the frame with its code and leaves the output as it was.
template <class Effect, class T>
void ExpectFailingLocksEndTheFrame(const T& record, int processors) {
    const Picture in = MakeTestCard(90, 70);
    EffectRig<Effect, T> rig(processors);
    ASSERT_EQ(rig.SetProps(record), S_OK);
    RenderOptions options;
    options.outputLockFailure = E_ACCESSDENIED;
    RenderResult r = rig.Render(in, options);
    EXPECT_EQ(r.execute, E_ACCESSDENIED);
    EXPECT_EQ(FirstDifference(r.output, OutputFill(in.width, in.height)), "");
    options = {};
    options.inputLockFailure = E_OUTOFMEMORY;
    r = rig.Render(in, options);
    EXPECT_EQ(r.execute, E_OUTOFMEMORY);
    EXPECT_EQ(FirstDifference(r.output, OutputFill(in.width, in.height)), "");
}

// The edge filter's byte for a pixel `delta` darker than its eight equal neighbours:
// the kernel scale times 8 * delta, rounded, within 0..255.
inline int DarkPixelResponse(float scale, int delta) {
    const double v = static_cast<double>(scale) * 8 * delta;
    if (v <= 0) return 0;
    return std::min(255, static_cast<int>(v + 0.5));
}

// Values the knobs never produce, for every float field of a record.
inline std::vector<float> HostileFloats() {
    return {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
            -std::numeric_limits<float>::infinity(), -1.0f, -1e30f, 1e30f, FLT_MAX, -FLT_MAX, 7.5f, FLT_MIN / 4};
}

}  // namespace effect_test
