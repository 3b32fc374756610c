// CAirBrush: the Air Brush effect object. The record, presets and interpolation live in
// effects/airbrushprops.h; the frame routine ProcessBand in effects/airbrush.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/airbrushprops.h"
#include "framework/clsids.h"

class CAirBrush : public CPluginEffect<tAIR_BRUSH_PROPS, CAirBrush, CLSID_AirBrushPP> {
public:
    CAirBrush()
        : CPluginEffect(g_airBrushPresets, kAirBrushFirstPresetStringId, kAirBrushPresetCount, CLSID_AirBrush,
                        kAirBrushEffectCode) {}

    // Renders one band of the frame from the band's own record snapshot.
    HRESULT ProcessBand(const BandWorkInfo& work, BOOL* pbContinue) override;
};
