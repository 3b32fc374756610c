// CColorize: the Colorize effect object. The record, presets and interpolation live in
// effects/colorizeprops.h; the frame routine ProcessBand in effects/colorize.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/colorizeprops.h"
#include "framework/clsids.h"

class CColorize : public CPluginEffect<tCOLORIZE_PROPS, CColorize, CLSID_ColorizePP> {
public:
    CColorize()
        : CPluginEffect(g_colorizePresets, kColorizeFirstPresetStringId, kColorizePresetCount, CLSID_Colorize,
                        kColorizeEffectCode) {}

    // Renders one band of the frame from the band's own record snapshot.
    HRESULT ProcessBand(const BandWorkInfo& work, BOOL* pbContinue) override;
};
