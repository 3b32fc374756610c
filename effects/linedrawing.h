// CLineDrawing: the Line Drawing effect object. The record, presets and interpolation live in
// effects/linedrawingprops.h; its algorithm, RenderBand, in effects/linedrawing.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/linedrawingprops.h"
#include "effects/edgeband.h"
#include "image/imagebuffer.h"

class CLineDrawing : public CPluginEffect<tLINE_DRAWING_PROPS, CLineDrawing, CLSID_LineDrawingPP> {
public:
    CLineDrawing()
        : CPluginEffect(g_lineDrawingPresets, kLineDrawingFirstPresetStringId, kLineDrawingPresetCount, CLSID_LineDrawing,
                        kLineDrawingEffectCode) {}

    // The rows its edge filter reads beyond a band that is a slice of the picture.
    static int RowsReachedBeyondBand(const tLINE_DRAWING_PROPS& props, int pictureWidth, int pictureHeight);
    // The effect's algorithm for one band (effects/linedrawing.cpp).
    static HRESULT RenderBand(const tLINE_DRAWING_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                              const BandGeometry& band);
};

// The algorithm of one band, OUT the size of IN, along `path` (effects/edgeband.h):
// the generic filter and the mixing rule per pixel, or the filter's and the mix's
// tables, with or without AVX2 rows (the same bytes).
void RenderLineDrawing(const CImageBuffer& in, CImageBuffer& out, const tLINE_DRAWING_PROPS& props, EdgePath path);

// The same for a band of a picture, IN holding the rows around it that `band` says.
void RenderLineDrawing(const CImageBuffer& in, CImageBuffer& out, const tLINE_DRAWING_PROPS& props, EdgePath path,
                       const BandGeometry& band);
