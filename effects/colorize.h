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

// The ways to render a band, all giving the same bytes: the generic steps, the fused
// version (effects/colorize_fast.cpp) where it takes the record, and the fused version
// with its rows eight pixels at a time (effects/colorize_avx2.cpp) where the processor has AVX2,
// sixteen (effects/colorize_avx512.cpp) where it has AVX-512.
enum class ColorizePath { kRule, kTables, kAvx2, kAvx512 };

// The fastest path the processor selection allows (image/cpudispatch.h).
ColorizePath FastestColorizePath();

// The algorithm of one band along `path`.
void RenderColorize(const tCOLORIZE_PROPS& props, const CImageBuffer& in, CImageBuffer& out, const BandGeometry& band,
                    ColorizePath path);
