#include "effects/airbrushprops.h"

#include "effects/propsinterpolation.h"

HRESULT InterpolateProps(tAIR_BRUSH_PROPS* out, const tAIR_BRUSH_PROPS* a, const tAIR_BRUSH_PROPS* b, double t) {
    if (!out || !a || !b) return E_POINTER;
    using namespace props_interpolation;
    t = ClampPosition(t);
    tAIR_BRUSH_PROPS r{};
    r.spray = Float(a->spray, b->spray, t);
    r.edge = Float(a->edge, b->edge, t);
    *out = r;
    return S_OK;
}
