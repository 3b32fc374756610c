#include "effects/duochromeprops.h"

#include "effects/propsinterpolation.h"

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
