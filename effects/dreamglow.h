// CDreamGlow: the Dream Glow effect object. The record, presets and interpolation live in
// effects/dreamglowprops.h; its algorithm, RenderBand, in effects/dreamglow.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/dreamglowprops.h"
#include "effects/tentblur_stream.h"

class CDreamGlow : public CPluginEffect<tDREAM_GLOW_PROPS, CDreamGlow, CLSID_DreamGlowPP> {
public:
    CDreamGlow()
        : CPluginEffect(g_dreamGlowPresets, kDreamGlowFirstPresetStringId, kDreamGlowPresetCount, CLSID_DreamGlow,
                        kDreamGlowEffectCode) {}

    // The rows its blur reads beyond a band that is a slice of the picture.
    static int RowsReachedBeyondBand(const tDREAM_GLOW_PROPS& props, int pictureWidth, int pictureHeight);
    // The effect's algorithm for one band (effects/dreamglow.cpp).
    static HRESULT RenderBand(const tDREAM_GLOW_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                              const BandGeometry& band);
};

// The algorithm of one band: with a level, the blur streamed at that level
// (effects/tentblur_stream.h); without, the generic TentBlur and combine. The same bytes.
void RenderDreamGlow(const tDREAM_GLOW_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                     const BandGeometry& band, std::optional<StreamLevel> level);
