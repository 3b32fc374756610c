#include "framework/bandsteps.h"

#include <algorithm>

#include "framework/bandviews.h"
#include "framework/dropper.h"
#include "image/imageops.h"
#include "transform/surfacelock.h"
#include "transform/dxbounds.h"

namespace {

// Rows of the input a band reads before and after its own, in surface order.
struct Margins {
    int before = 0;
    int after = 0;
};

// A band that is a slice of one picture reads `reach` rows beyond each of its edges,
// as far as the frame has them; a band that is a picture of its own reads its rows.
Margins MarginsOf(const BandWorkInfo& band, const DXBNDS* frame, int reach) {
    if (!frame || reach <= 0) return {};
    const LONG first = band.inputBounds.u.D[DXB_Y].Min;
    const LONG end = band.inputBounds.u.D[DXB_Y].Max;
    return {static_cast<int>(std::min<int64_t>(reach, int64_t{first} - frame->u.D[DXB_Y].Min)),
            static_cast<int>(std::min<int64_t>(reach, int64_t{frame->u.D[DXB_Y].Max} - end))};
}

DXBNDS InputRegionOf(const BandWorkInfo& band, Margins margins) {
    DXBNDS region = band.inputBounds;
    region.u.D[DXB_Y].Min -= margins.before;
    region.u.D[DXB_Y].Max += margins.after;
    return region;
}

// The geometry as the views present it: views whose rows run upwards in the surface
// see the band, its margins and its place in the picture turned over.
BandGeometry GeometryOf(const BandWorkInfo& band, const DXBNDS* frame, Margins margins, bool turned) {
    BandGeometry geometry;
    geometry.rows = BoundsHeight(band.outputBounds);
    geometry.pictureWidth = BoundsWidth(band.outputBounds);
    if (!frame) {
        geometry.pictureHeight = geometry.rows;
        return geometry;
    }
    geometry.pictureHeight = BoundsHeight(*frame);
    const int firstInFrame = band.inputBounds.u.D[DXB_Y].Min - frame->u.D[DXB_Y].Min;
    geometry.firstRow = turned ? geometry.pictureHeight - firstInFrame - geometry.rows : firstInFrame;
    geometry.rowsAbove = turned ? margins.after : margins.before;
    geometry.rowsBelow = turned ? margins.before : margins.after;
    return geometry;
}

}  // namespace

HRESULT RunBandSteps(IDXSurface* input, IDXSurface* output, const BandWorkInfo& band, const DXBNDS* frame, int reach,
                     BandTraits traits, BandRenderer render, const void* context) {
    const int width = BoundsWidth(band.outputBounds);
    const int height = BoundsHeight(band.outputBounds);
    const Margins margins = MarginsOf(band, frame, reach);
    const DXBNDS inputRegion = InputRegionOf(band, margins);

    HRESULT hr = S_OK;
    CSurfaceWriteLock outputLock(hr, output, &band.outputBounds, true);
    if (FAILED(hr)) return hr;
    CSurfaceReadLock inputLock(hr, input, &inputRegion, true);
    if (FAILED(hr)) return hr;

    CBandViews views;
    if (!views.Attach(inputLock, outputLock, width, height, margins.before, margins.after)) return E_OUTOFMEMORY;
    const CImageBuffer& in = views.In();
    CImageBuffer& out = views.Out();
    if (width < 1 || height < 1) return S_OK;

    const BandGeometry geometry = GeometryOf(band, frame, margins, views.Turned());
    if (traits.passInputThroughForDropper && IsDropperActive()) {
        CImageOps().Copy(in, 0, geometry.rowsAbove, width, height, out, 0, 0);
        return S_OK;
    }
    return render(context, in, out, geometry);
}
