#include "effects/metalprops.h"

#include "effects/propsinterpolation.h"

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
