#include "effects/linedrawingprops.h"

#include "effects/propsinterpolation.h"

// Row i is named by string kLineDrawingFirstPresetStringId + i.
const tLINE_DRAWING_PROPS g_lineDrawingPresets[kLineDrawingPresetCount] = {
    {MakeColorRef(0, 0, 0), MakeColorRef(188, 199, 222), 0.44f, 0.74f, 0, {}},        // Chalkboard
    {MakeColorRef(192, 192, 192), MakeColorRef(115, 132, 148), 0.47f, 0.42f, 0, {}},  // Gray Fog
    {MakeColorRef(0, 128, 64), MakeColorRef(236, 0, 0), 0.47f, 0.64f, 0, {}},         // Holiday Season
    {MakeColorRef(77, 28, 89), MakeColorRef(240, 202, 51), 1.00f, 0.91f, 0, {}},      // Nightmare
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.54f, 0.78f, 0, {}},        // Pen and Paper
    {MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), 0.00f, 0.00f, 0, {}},        // Reset To None
    {MakeColorRef(179, 104, 104), MakeColorRef(48, 47, 44), 0.71f, 0.37f, 0, {}},     // Rust
    {MakeColorRef(156, 181, 206), MakeColorRef(255, 255, 255), 0.52f, 0.44f, 0, {}},  // Sky Gazing
    {MakeColorRef(252, 158, 177), MakeColorRef(211, 29, 162), 0.41f, 0.41f, 0, {}},   // Valentine
    {MakeColorRef(140, 115, 78), MakeColorRef(69, 44, 34), 0.49f, 0.74f, 0, {}},      // Wood Carving
    {MakeColorRef(68, 148, 62), MakeColorRef(255, 255, 0), 0.52f, 0.73f, 0, {}},      // Yellow On Green
};

HRESULT InterpolateProps(tLINE_DRAWING_PROPS* out, const tLINE_DRAWING_PROPS* a, const tLINE_DRAWING_PROPS* b,
                         double t) {
    if (!out || !a || !b) return E_POINTER;
    using namespace props_interpolation;
    t = ClampPosition(t);
    tLINE_DRAWING_PROPS r{};
    r.density = Float(a->density, b->density, t);
    r.contrast = Float(a->contrast, b->contrast, t);
    r.paper = Color(a->paper, b->paper, t);
    r.ink = Color(a->ink, b->ink, t);
    r.flag = BothFlags(a->flag, b->flag);
    TracePresetRow("    {   RGB(%d,%d,%d),RGB(%d,%d,%d),%0.2ff,%0.2ff,false },\t// \n", RedOf(a->paper),
                   GreenOf(a->paper), BlueOf(a->paper), RedOf(a->ink), GreenOf(a->ink), BlueOf(a->ink),
                   static_cast<double>(a->density), static_cast<double>(a->contrast));
    *out = r;
    return S_OK;
}
