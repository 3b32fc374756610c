// CMetal: the Metallic effect object. The record, presets and interpolation live in
// effects/metalprops.h; its algorithm, RenderBand, in effects/metal.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/metalprops.h"

class CMetal : public CPluginEffect<tMETALLIC_PROPS, CMetal, CLSID_MetallicPP> {
public:
    CMetal()
        : CPluginEffect(g_metallicPresets, kMetallicFirstPresetStringId, kMetallicPresetCount, CLSID_Metallic,
                        kMetallicEffectCode) {}

    // The effect's algorithm for one band (effects/metal.cpp).
    static HRESULT RenderBand(const tMETALLIC_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                              const BandGeometry& band);
};
