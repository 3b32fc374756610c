// The steps every effect's band takes around its algorithm, written once: lock the
// output for writing, then the input for reading (premultiplied samples), wrap both as
// the views IN and OUT, stop at an empty region, and pass the input through while an
// eyedropper samples the screen. The effect's RenderBand then sees only its record,
// the two views and where the band lies in the frame (CPluginEffect joins the two).
#pragma once

#include "image/imagebuffer.h"
#include "platform/dx/dxtrans.h"
#include "transform/dtbase.h"

// Where a band lies in the frame that one Execute renders. Bands are horizontal
// slices, so a band is as wide as the frame. While each band is a picture of its
// own, IN and OUT are both the band's rows and an effect reads only their sizes; a
// mode in which bands are slices of one picture reads the frame's size and the
// band's place in it from here.
struct BandGeometry {
    int firstRow = 0;     // the band's first row, counted from the frame's first row
    int rows = 0;         // the band's rows: OUT's height
    int frameWidth = 0;   // the frame: the region of this Execute, all bands together
    int frameHeight = 0;
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

// Runs the steps for `band` of the frame `frame` (input coordinates; the band itself
// when it is not known) and calls `render` in between. Returns a failing lock's code,
// E_OUTOFMEMORY when the input needed a private copy that could not be made (nothing
// is written then), S_OK for an empty region or a passed-through band, else what
// `render` returned.
HRESULT RunBandSteps(IDXSurface* input, IDXSurface* output, const BandWorkInfo& band, const DXBNDS& frame,
                     BandTraits traits, BandRenderer render, const void* context);
