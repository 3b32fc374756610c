#include "effects/airbrushprops.h"

#include "effects/propsinterpolation.h"

// Row i is named by string kAirBrushFirstPresetStringId + i.
const tAIR_BRUSH_PROPS g_airBrushPresets[kAirBrushPresetCount] = {
    {0.35f, 1.00f},  // Air Brushed
    {0.51f, 0.27f},  // Dream
    {0.81f, 0.00f},  // Fog
    {0.27f, 0.15f},  // Out Of Focus
    {0.00f, 0.00f},  // Reset To None
    {0.00f, 0.57f},  // Touch Up
};

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
