#include "effects/colorizeprops.h"

#include "effects/propsinterpolation.h"

HRESULT InterpolateProps(tCOLORIZE_PROPS* out, const tCOLORIZE_PROPS* a, const tCOLORIZE_PROPS* b, double t) {
    if (!out || !a || !b) return E_POINTER;
    using namespace props_interpolation;
    t = ClampPosition(t);
    tCOLORIZE_PROPS r{};
    r.strength1 = Float(a->strength1, b->strength1, t);
    r.strength2 = Float(a->strength2, b->strength2, t);
    r.strength3 = Float(a->strength3, b->strength3, t);
    r.smoothing = Float(a->smoothing, b->smoothing, t);
    r.saturation = Float(a->saturation, b->saturation, t);
    r.color1 = Color(a->color1, b->color1, t);
    r.color2 = Color(a->color2, b->color2, t);
    r.color3 = Color(a->color3, b->color3, t);
    r.flag = a->flag;
    TracePresetRow("    {   RGB(%d,%d,%d),RGB(%d,%d,%d),RGB(%d,%d,%d),%0.2ff,%0.2ff,%0.2ff,%0.2ff,%0.2ff,false },\t// \n",
                   RedOf(a->color1), GreenOf(a->color1), BlueOf(a->color1), RedOf(a->color2), GreenOf(a->color2),
                   BlueOf(a->color2), RedOf(a->color3), GreenOf(a->color3), BlueOf(a->color3),
                   static_cast<double>(a->strength1), static_cast<double>(a->strength2),
                   static_cast<double>(a->strength3), static_cast<double>(a->smoothing),
                   static_cast<double>(a->saturation));
    *out = r;
    return S_OK;
}
