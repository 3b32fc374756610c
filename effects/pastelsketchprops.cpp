#include "effects/pastelsketchprops.h"

#include "effects/propsinterpolation.h"

// Row i is named by string kPastelSketchFirstPresetStringId + i.
const tPASTEL_SKETCHPROPS g_pastelSketchPresets[kPastelSketchPresetCount] = {
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.50f, 0.57f, 0, {}},        // Cartoon
    {MakeColorRef(254, 35, 0), MakeColorRef(0, 0, 0), 0.62f, 0.33f, 0, {}},           // Heat
    {MakeColorRef(255, 255, 0), MakeColorRef(86, 84, 41), 0.43f, 0.63f, 0, {}},       // Lemon Meringue
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.42f, 0.24f, 0, {}},        // Light Shading
    {MakeColorRef(115, 117, 185), MakeColorRef(0, 0, 0), 0.50f, 0.21f, 0, {}},        // Night
    {MakeColorRef(143, 143, 143), MakeColorRef(0, 0, 0), 1.00f, 0.43f, 0, {}},        // Pepper
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.04f, 1.00f, 0, {}},        // Reset To None
    {MakeColorRef(93, 93, 93), MakeColorRef(255, 255, 255), 1.00f, 0.43f, 0, {}},     // Salt
    {MakeColorRef(201, 201, 201), MakeColorRef(0, 0, 0), 0.44f, 0.79f, 0, {}},        // Subtle
};

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
