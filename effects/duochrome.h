// CDuoChrome: the Duo Chrome effect object. The record, presets and interpolation live in
// effects/duochromeprops.h; the frame routine ProcessBand in effects/duochrome.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/duochromeprops.h"
#include "framework/clsids.h"
#include "image/imagebuffer.h"

class CDuoChrome : public CPluginEffect<tDUOCHROME_PROPS, CDuoChrome, CLSID_DuoChromePP> {
public:
    CDuoChrome()
        : CPluginEffect(g_duoChromePresets, kDuoChromeFirstPresetStringId, kDuoChromePresetCount, CLSID_DuoChrome,
                        kDuoChromeEffectCode) {}

    // Renders one band of the frame from the band's own record snapshot.
    HRESULT ProcessBand(const BandWorkInfo& work, BOOL* pbContinue) override;
};

// The algorithm of one band, OUT the size of IN: with `tables` the per-call byte
// tables, without them the rule per pixel (the same bytes).
void RenderDuoChrome(const CImageBuffer& in, CImageBuffer& out, const tDUOCHROME_PROPS& props, bool tables);
