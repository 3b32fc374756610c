// CMetal: the Metallic effect object. The record, presets and interpolation live in
// effects/metalprops.h; the frame routine ProcessBand in effects/metal.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/metalprops.h"
#include "framework/clsids.h"

class CMetal : public CPluginEffect<tMETALLIC_PROPS, CMetal, CLSID_MetallicPP> {
public:
    CMetal()
        : CPluginEffect(g_metallicPresets, kMetallicFirstPresetStringId, kMetallicPresetCount, CLSID_Metallic,
                        kMetallicEffectCode) {}

    // Renders one band of the frame from the band's own record snapshot.
    HRESULT ProcessBand(const BandWorkInfo& work, BOOL* pbContinue) override;
};
