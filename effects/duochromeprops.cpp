#include "effects/duochromeprops.h"

#include "effects/propsinterpolation.h"

// Row i is named by string kDuoChromeFirstPresetStringId + i.
const tDUOCHROME_PROPS g_duoChromePresets[kDuoChromePresetCount] = {
    {MakeColorRef(255, 255, 0), MakeColorRef(255, 0, 255), 1.00f, 0, {}},      // Acid Trip
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 1.00f, 0, {}},        // Black & White
    {MakeColorRef(128, 255, 0), MakeColorRef(147, 147, 147), 0.67f, 0, {}},    // Dayglo Highlights
    {MakeColorRef(255, 185, 40), MakeColorRef(255, 70, 70), 0.81f, 0, {}},     // Fire Glow
    {MakeColorRef(128, 128, 128), MakeColorRef(192, 192, 192), 0.36f, 0, {}},  // Light Haze
    {MakeColorRef(10, 128, 128), MakeColorRef(255, 214, 170), 1.00f, 0, {}},   // Negative
    {MakeColorRef(128, 128, 0), MakeColorRef(248, 250, 216), 1.00f, 0, {}},    // Radioactive Olive
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.00f, 0, {}},        // Reset To None
    {MakeColorRef(185, 124, 70), MakeColorRef(0, 0, 0), 0.41f, 0, {}},        // Sepia Tint
    {MakeColorRef(234, 227, 104), MakeColorRef(98, 145, 191), 1.00f, 0, {}},   // Yellow - Blue
};

HRESULT InterpolateProps(tDUOCHROME_PROPS* out, const tDUOCHROME_PROPS* a, const tDUOCHROME_PROPS* b, double t) {
    if (!out || !a || !b) return E_POINTER;
    using namespace props_interpolation;
    t = ClampPosition(t);
    tDUOCHROME_PROPS r{};
    r.blend = Float(a->blend, b->blend, t);
    r.paper = Color(a->paper, b->paper, t);
    r.ink = Color(a->ink, b->ink, t);
    r.flag = BothFlags(a->flag, b->flag);
    TracePresetRow("    {   RGB(%d,%d,%d),RGB(%d,%d,%d),%0.2ff,false },\t// \n", RedOf(a->paper), GreenOf(a->paper),
                   BlueOf(a->paper), RedOf(a->ink), GreenOf(a->ink), BlueOf(a->ink), static_cast<double>(a->blend));
    *out = r;
    return S_OK;
}
