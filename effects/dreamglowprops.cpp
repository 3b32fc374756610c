#include "effects/dreamglowprops.h"

#include "effects/propsinterpolation.h"

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
