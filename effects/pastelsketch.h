// CPastelSketch: the Pastel Sketch effect object. The record, presets and interpolation live in
// effects/pastelsketchprops.h; its algorithm, RenderBand, in effects/pastelsketch.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/pastelsketchprops.h"
#include "effects/edgeband.h"
#include "image/imagebuffer.h"

class CPastelSketch : public CPluginEffect<tPASTEL_SKETCHPROPS, CPastelSketch, CLSID_PastelSketchPP> {
public:
    CPastelSketch()
        : CPluginEffect(g_pastelSketchPresets, kPastelSketchFirstPresetStringId, kPastelSketchPresetCount, CLSID_PastelSketch,
                        kPastelSketchEffectCode) {}

    // The rows its edge filter reads beyond a band that is a slice of the picture.
    static int RowsReachedBeyondBand(const tPASTEL_SKETCHPROPS& props, int pictureWidth, int pictureHeight);
    // The effect's algorithm for one band (effects/pastelsketch.cpp).
    static HRESULT RenderBand(const tPASTEL_SKETCHPROPS& props, const CImageBuffer& in, CImageBuffer& out,
                              const BandGeometry& band);
};

// The algorithm of one band, OUT the size of IN, along `path` (effects/edgeband.h):
// the generic filter and the mixing rule per pixel, or the filter's and the mix's
// tables, with or without AVX2 rows (the same bytes).
void RenderPastelSketch(const CImageBuffer& in, CImageBuffer& out, const tPASTEL_SKETCHPROPS& props, EdgePath path);
// The same for a band of a picture, IN holding the rows around it that `band` says.
void RenderPastelSketch(const CImageBuffer& in, CImageBuffer& out, const tPASTEL_SKETCHPROPS& props, EdgePath path,
                        const BandGeometry& band);
