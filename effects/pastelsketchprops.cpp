#include "effects/pastelsketchprops.h"

#include "effects/propsinterpolation.h"

HRESULT InterpolateProps(tPASTEL_SKETCHPROPS* out, const tPASTEL_SKETCHPROPS* a, const tPASTEL_SKETCHPROPS* b,
                         double t) {
    if (!out || !a || !b) return E_POINTER;
    using namespace props_interpolation;
    t = ClampPosition(t);
    tPASTEL_SKETCHPROPS r{};
    r.blend = Float(a->blend, b->blend, t);
    r.density = Float(a->density, b->density, t);
    r.paper = Color(a->paper, b->paper, t);
    r.ink = Color(a->ink, b->ink, t);
    r.flag = BothFlags(a->flag, b->flag);
    TracePresetRow("    {   RGB(%d,%d,%d),RGB(%d,%d,%d),%0.2ff,%0.2ff,false },\t// \n", RedOf(a->paper),
                   GreenOf(a->paper), BlueOf(a->paper), RedOf(a->ink), GreenOf(a->ink), BlueOf(a->ink),
                   static_cast<double>(a->density), static_cast<double>(a->blend));
    *out = r;
    return S_OK;
}
