// CDreamGlow: the Dream Glow effect object. The record, presets and interpolation live in
// effects/dreamglowprops.h; the frame routine ProcessBand in effects/dreamglow.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/dreamglowprops.h"
#include "framework/clsids.h"

class CDreamGlow : public CPluginEffect<tDREAM_GLOW_PROPS, CDreamGlow, CLSID_DreamGlowPP> {
public:
    CDreamGlow()
        : CPluginEffect(g_dreamGlowPresets, kDreamGlowFirstPresetStringId, kDreamGlowPresetCount, CLSID_DreamGlow,
                        kDreamGlowEffectCode) {}

    // Renders one band of the frame from the band's own record snapshot.
    HRESULT ProcessBand(const BandWorkInfo& work, BOOL* pbContinue) override;
};
