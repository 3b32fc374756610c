// CLineDrawing: the Line Drawing effect object. The record, presets and interpolation live in
// effects/linedrawingprops.h; the frame routine ProcessBand in effects/linedrawing.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/linedrawingprops.h"
#include "framework/clsids.h"

class CLineDrawing : public CPluginEffect<tLINE_DRAWING_PROPS, CLineDrawing, CLSID_LineDrawingPP> {
public:
    CLineDrawing()
        : CPluginEffect(g_lineDrawingPresets, kLineDrawingFirstPresetStringId, kLineDrawingPresetCount, CLSID_LineDrawing,
                        kLineDrawingEffectCode) {}

    // Renders one band of the frame from the band's own record snapshot.
    HRESULT ProcessBand(const BandWorkInfo& work, BOOL* pbContinue) override;
};
