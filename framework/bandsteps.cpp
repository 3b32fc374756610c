#include "framework/bandsteps.h"

#include "framework/bandviews.h"
#include "framework/dropper.h"
#include "image/imageops.h"
#include "transform/surfacelock.h"
#include "transform/dxbounds.h"

namespace {

// The region of the input a band reads. Each band is a picture of its own, so it
// reads exactly its own rows; this is where a band that is a slice of one picture
// would take the rows its filters reach beyond its edges.
const DXBNDS& InputRegionOf(const BandWorkInfo& band) { return band.inputBounds; }

BandGeometry GeometryOf(const BandWorkInfo& band, const DXBNDS& frame) {
    BandGeometry geometry;
    geometry.firstRow = band.inputBounds.u.D[DXB_Y].Min - frame.u.D[DXB_Y].Min;
    geometry.rows = BoundsHeight(band.outputBounds);
    geometry.frameWidth = BoundsWidth(frame);
    geometry.frameHeight = BoundsHeight(frame);
    return geometry;
}

}  // namespace

HRESULT RunBandSteps(IDXSurface* input, IDXSurface* output, const BandWorkInfo& band, const DXBNDS& frame,
                     BandTraits traits, BandRenderer render, const void* context) {
    const int width = BoundsWidth(band.outputBounds);
    const int height = BoundsHeight(band.outputBounds);

    HRESULT hr = S_OK;
    CSurfaceWriteLock outputLock(hr, output, &band.outputBounds, true);
    if (FAILED(hr)) return hr;
    CSurfaceReadLock inputLock(hr, input, &InputRegionOf(band), true);
    if (FAILED(hr)) return hr;

    CBandViews views;
    if (!views.Attach(inputLock, outputLock, width, height)) return E_OUTOFMEMORY;
    const CImageBuffer& in = views.In();
    CImageBuffer& out = views.Out();
    if (width < 1 || height < 1) return S_OK;

    if (traits.passInputThroughForDropper && IsDropperActive()) {
        CImageOps().Copy(in, 0, 0, width, height, out, 0, 0);
        return S_OK;
    }
    return render(context, in, out, GeometryOf(band, frame));
}
