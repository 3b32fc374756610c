// CAirBrush: the Air Brush effect object. The record, presets and interpolation live in
// effects/airbrushprops.h; its algorithm, RenderBand, in effects/airbrush.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/airbrushprops.h"
#include "effects/tentblur_stream.h"

class CAirBrush : public CPluginEffect<tAIR_BRUSH_PROPS, CAirBrush, CLSID_AirBrushPP> {
public:
    CAirBrush()
        : CPluginEffect(g_airBrushPresets, kAirBrushFirstPresetStringId, kAirBrushPresetCount, CLSID_AirBrush,
                        kAirBrushEffectCode) {}

    // No colour to pick: Air Brush keeps rendering while an eyedropper samples.
    static constexpr BandTraits kBandTraits{.passInputThroughForDropper = false};

    // The rows its blur reads beyond a band that is a slice of the picture.
    static int RowsReachedBeyondBand(const tAIR_BRUSH_PROPS& props, int pictureWidth, int pictureHeight);
    // The effect's algorithm for one band (effects/airbrush.cpp).
    static HRESULT RenderBand(const tAIR_BRUSH_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                              const BandGeometry& band);
};

// The algorithm of one band: with a level, the blur streamed at that level
// (effects/tentblur_stream.h); without, the generic TentBlur and combine. The same bytes.
void RenderAirBrush(const tAIR_BRUSH_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                    const BandGeometry& band, std::optional<StreamLevel> level);
