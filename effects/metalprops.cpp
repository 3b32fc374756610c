#include "effects/metalprops.h"

#include "effects/propsinterpolation.h"

// Row i is named by string kMetallicFirstPresetStringId + i.
const tMETALLIC_PROPS g_metallicPresets[kMetallicPresetCount] = {
    {MakeColorRef(140, 120, 83), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},   // Bronze
    {MakeColorRef(73, 65, 122), 1.00f, 0.56f, 0.74f, 0.57f, 0.58f, 0, {}},    // Cool Steel
    {MakeColorRef(184, 115, 51), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},   // Copper
    {MakeColorRef(223, 175, 32), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},   // Gold
    {MakeColorRef(255, 128, 0), 1.00f, 1.00f, 0.74f, 0.82f, 0.25f, 0, {}},    // Halloween
    {MakeColorRef(251, 0, 125), 0.57f, 0.16f, 0.65f, 0.62f, 0.48f, 0, {}},    // Pink Wash
    {MakeColorRef(222, 222, 222), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},  // Platinum
    {MakeColorRef(255, 255, 0), 1.00f, 0.62f, 0.74f, 0.20f, 1.00f, 0, {}},    // Radiant Lemon
    {MakeColorRef(255, 255, 255), 0.00f, 0.00f, 0.00f, 0.00f, 1.00f, 0, {}},  // Reset To None
    {MakeColorRef(230, 232, 250), 1.00f, 0.50f, 0.80f, 0.65f, 0.65f, 0, {}},  // Silver
};

HRESULT InterpolateProps(tMETALLIC_PROPS* out, const tMETALLIC_PROPS* a, const tMETALLIC_PROPS* b, double t) {
    if (!out || !a || !b) return E_POINTER;
    using namespace props_interpolation;
    t = ClampPosition(t);
    tMETALLIC_PROPS r{};
    r.shine = Float(a->shine, b->shine, t);
    r.highlights = Float(a->highlights, b->highlights, t);
    r.calibrate = Float(a->calibrate, b->calibrate, t);
    r.metal = Float(a->metal, b->metal, t);
    r.picture = Float(a->picture, b->picture, t);
    r.color = Color(a->color, b->color, t);
    r.flag = BothFlags(a->flag, b->flag);
    TracePresetRow("    {   RGB(%d,%d,%d),%0.2ff,%0.2ff,%0.2ff,%0.2ff,%0.2ff,false },\t// \n", RedOf(a->color),
                   GreenOf(a->color), BlueOf(a->color), static_cast<double>(a->shine),
                   static_cast<double>(a->highlights), static_cast<double>(a->calibrate),
                   static_cast<double>(a->metal), static_cast<double>(a->picture));
    *out = r;
    return S_OK;
}
