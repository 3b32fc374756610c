// CColorize: the Colorize effect object. The record, presets and interpolation live in
// effects/colorizeprops.h; its algorithm, RenderBand, in effects/colorize.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/colorizeprops.h"

class CColorize : public CPluginEffect<tCOLORIZE_PROPS, CColorize, CLSID_ColorizePP> {
public:
    CColorize()
        : CPluginEffect(g_colorizePresets, kColorizeFirstPresetStringId, kColorizePresetCount, CLSID_Colorize,
                        kColorizeEffectCode) {}

    // The rows its hue smoothing reads beyond a band that is a slice of the picture.
    static int RowsReachedBeyondBand(const tCOLORIZE_PROPS& props, int pictureWidth, int pictureHeight);
    // The effect's algorithm for one band (effects/colorize.cpp).
    static HRESULT RenderBand(const tCOLORIZE_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                              const BandGeometry& band);
};

// The algorithm of one band: with `tables` the fused version (effects/colorize_fast.cpp)
// where it takes the record, else the generic steps; the same bytes either way.
void RenderColorize(const tCOLORIZE_PROPS& props, const CImageBuffer& in, CImageBuffer& out, const BandGeometry& band,
                    bool tables);
