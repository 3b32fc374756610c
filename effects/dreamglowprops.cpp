#include "effects/dreamglowprops.h"

#include "effects/propsinterpolation.h"

// Row i is named by string kDreamGlowFirstPresetStringId + i.
const tDREAM_GLOW_PROPS g_dreamGlowPresets[kDreamGlowPresetCount] = {
    {MakeColorRef(255, 255, 255), 1.00f, 0.84f, 0, {}},  // Afterlife
    {MakeColorRef(97, 236, 252), 0.83f, 0.59f, 0, {}},   // Aqua
    {MakeColorRef(159, 0, 159), 0.40f, 0.61f, 0, {}},    // Black Light
    {MakeColorRef(255, 0, 0), 0.10f, 0.74f, 0, {}},      // Darkroom
    {MakeColorRef(156, 167, 180), 0.48f, 1.00f, 0, {}},  // Gray Dream
    {MakeColorRef(255, 255, 0), 1.00f, 0.89f, 0, {}},    // Lemon Jello
    {MakeColorRef(0, 255, 64), 0.08f, 0.74f, 0, {}},     // Night Vision
    {MakeColorRef(255, 255, 255), 0.19f, 1.00f, 0, {}},  // Poltergeist
    {MakeColorRef(255, 255, 255), 0.00f, 0.00f, 0, {}},  // Reset To None
    {MakeColorRef(255, 255, 255), 0.46f, 0.45f, 0, {}},  // Soft Glow
    {MakeColorRef(255, 255, 255), 0.71f, 0.58f, 0, {}},  // Strong Glow
};

HRESULT InterpolateProps(tDREAM_GLOW_PROPS* out, const tDREAM_GLOW_PROPS* a, const tDREAM_GLOW_PROPS* b, double t) {
    if (!out || !a || !b) return E_POINTER;
    using namespace props_interpolation;
    t = ClampPosition(t);
    tDREAM_GLOW_PROPS r{};
    r.color = Color(a->color, b->color, t);
    r.blur = Float(a->blur, b->blur, t);
    r.glow = Float(a->glow, b->glow, t);
    r.flag = BothFlags(a->flag, b->flag);
    TracePresetRow("    {   RGB(%d,%d,%d),%0.2ff,%0.2ff,false },\t// \n", RedOf(a->color), GreenOf(a->color),
                   BlueOf(a->color), static_cast<double>(a->blur), static_cast<double>(a->glow));
    *out = r;
    return S_OK;
}
