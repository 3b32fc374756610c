// CDuoChrome: the Duo Chrome effect object. The record, presets and interpolation live in
// effects/duochromeprops.h; its algorithm, RenderBand, in effects/duochrome.cpp.
#pragma once

#include "effects/plugineffect.h"
#include "effects/duochromeprops.h"
#include "image/imagebuffer.h"

class CDuoChrome : public CPluginEffect<tDUOCHROME_PROPS, CDuoChrome, CLSID_DuoChromePP> {
public:
    CDuoChrome()
        : CPluginEffect(g_duoChromePresets, kDuoChromeFirstPresetStringId, kDuoChromePresetCount, CLSID_DuoChrome,
                        kDuoChromeEffectCode) {}

    // The effect's algorithm for one band (effects/duochrome.cpp).
    static HRESULT RenderBand(const tDUOCHROME_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                              const BandGeometry& band);
};

// The ways to render a band, all giving the same bytes: the rule per pixel, its byte
// tables, and vector rows (effects/duochrome_fast.h) where the processor has them.
enum class DuoChromePath { kRule, kTables, kSse2, kAvx2, kAvx512 };

// The fastest path the processor selection allows (image/cpudispatch.h).
DuoChromePath FastestDuoChromePath();

// The algorithm of one band, OUT the size of IN, along `path`.
void RenderDuoChrome(const CImageBuffer& in, CImageBuffer& out, const tDUOCHROME_PROPS& props, DuoChromePath path);
