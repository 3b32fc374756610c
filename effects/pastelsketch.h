// CPastelSketch: the Pastel Sketch effect object. The record, presets and interpolation live in
// effects/pastelsketchprops.h; the frame routine ProcessBand in effects/pastelsketch.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/pastelsketchprops.h"
#include "framework/clsids.h"

class CPastelSketch : public CPluginEffect<tPASTEL_SKETCHPROPS, CPastelSketch, CLSID_PastelSketchPP> {
public:
    CPastelSketch()
        : CPluginEffect(g_pastelSketchPresets, kPastelSketchFirstPresetStringId, kPastelSketchPresetCount, CLSID_PastelSketch,
                        kPastelSketchEffectCode) {}

    // Renders one band of the frame from the band's own record snapshot.
    HRESULT ProcessBand(const BandWorkInfo& work, BOOL* pbContinue) override;
};
