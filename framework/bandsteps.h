// The steps every effect's band takes around its algorithm, written once: lock the
// output for writing, then the input for reading (premultiplied samples), wrap both as
// the views IN and OUT, stop at an empty region, and pass the input through while an
// eyedropper samples the screen. The effect's RenderBand then sees only its record,
// the two views and where the band lies in the frame (CPluginEffect joins the two).
#pragma once

#include "image/imagebuffer.h"
#include "platform/dx/dxtrans.h"
#include "transform/dtbase.h"

// What an effect's RenderBand is given to work on. OUT holds the band's rows; IN holds
// the same rows plus `rowsAbove` before and `rowsBelow` after them (IN's row
// rowsAbove is OUT's row 0). The effect's size rules (kernel lengths, the picture's
// edges) apply to the picture of pictureWidth x pictureHeight, in which OUT's rows
// start at firstRow:
//   - a band that is a picture of its own: the picture is the band, firstRow 0, no
//     rows beyond it;
//   - a band that is a slice of one picture: the picture is the frame, and IN carries
//     the rows the effect's filters reach beyond the band (fewer at the frame's edges).
// Rows are counted in the order the views present them (row 0 at the lowest address).
struct BandGeometry {
    int firstRow = 0;
    int rows = 0;
    int rowsAbove = 0;
    int rowsBelow = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
};

// What the band steps do differently per effect.
struct BandTraits {
    // While an eyedropper samples, the band is a copy of its input (an effect without
    // a colour to pick keeps rendering).
    bool passInputThroughForDropper = true;
};

// An effect's algorithm for one band: writes OUT from IN. `context` carries its record.
using BandRenderer = HRESULT (*)(const void* context, const CImageBuffer& in, CImageBuffer& out,
                                 const BandGeometry& band);

// Runs the steps for `band` and calls `render` in between. With `frame` null the band
// is a picture of its own; otherwise it is a slice of `frame` (input coordinates) and
// its input reaches `reach` rows beyond it on both sides, held within the frame.
// Returns a failing lock's code, E_OUTOFMEMORY when the input needed a private copy
// that could not be made (nothing is written then), S_OK for an empty region or a
// passed-through band, else what `render` returned.
HRESULT RunBandSteps(IDXSurface* input, IDXSurface* output, const BandWorkInfo& band, const DXBNDS* frame, int reach,
                     BandTraits traits, BandRenderer render, const void* context);
