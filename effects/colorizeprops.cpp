#include "effects/colorizeprops.h"

#include "effects/propsinterpolation.h"

// Row i is named by string kColorizeFirstPresetStringId + i; the order is the ids',
// not alphabetical.
const tCOLORIZE_PROPS g_colorizePresets[kColorizePresetCount] = {
    // Blue & Red
    {MakeColorRef(255, 190, 76), MakeColorRef(79, 82, 64), MakeColorRef(168, 33, 9), 0.44f, 0.41f, 0.00f, 0.10f, 0.75f, 0, {}},
    // Cheap Postcard
    {MakeColorRef(0, 0, 255), MakeColorRef(79, 82, 64), MakeColorRef(255, 0, 0), 0.44f, 0.00f, 0.35f, 0.05f, 0.75f, 0, {}},
    // Bad Smog
    {MakeColorRef(90, 71, 199), MakeColorRef(244, 104, 0), MakeColorRef(0, 0, 0), 0.58f, 0.56f, 0.00f, 0.12f, 0.63f, 0, {}},
    // DayGlo
    {MakeColorRef(128, 255, 0), MakeColorRef(255, 255, 0), MakeColorRef(0, 0, 0), 1.00f, 1.00f, 0.00f, 0.21f, 1.00f, 0, {}},
    // Faded Primary Colors
    {MakeColorRef(210, 130, 130), MakeColorRef(73, 105, 148), MakeColorRef(66, 111, 84), 0.44f, 0.44f, 0.44f, 0.28f, 0.42f, 0, {}},
    // Gray People
    {MakeColorRef(177, 203, 245), MakeColorRef(73, 86, 45), MakeColorRef(0, 0, 0), 0.47f, 0.30f, 0.00f, 0.12f, 0.76f, 0, {}},
    // People Outdoors
    {MakeColorRef(128, 138, 77), MakeColorRef(228, 187, 177), MakeColorRef(177, 202, 241), 0.61f, 0.61f, 0.61f, 0.19f, 0.51f, 0, {}},
    // Pink!
    {MakeColorRef(255, 128, 255), MakeColorRef(244, 104, 0), MakeColorRef(0, 0, 0), 1.00f, 0.00f, 0.00f, 0.00f, 0.81f, 0, {}},
    // Purple Yellow
    {MakeColorRef(234, 228, 36), MakeColorRef(121, 84, 158), MakeColorRef(0, 0, 0), 1.00f, 1.00f, 0.00f, 0.08f, 1.00f, 0, {}},
    // Reset To None
    {MakeColorRef(255, 255, 255), MakeColorRef(255, 255, 255), MakeColorRef(255, 255, 255), 0.00f, 0.00f, 0.00f, 0.00f, 0.50f, 0, {}},
    // Skin Tone
    {MakeColorRef(193, 157, 135), MakeColorRef(121, 132, 57), MakeColorRef(125, 135, 145), 0.80f, 0.80f, 0.53f, 0.20f, 0.53f, 0, {}},
    // Sodium Lights
    {MakeColorRef(180, 172, 13), MakeColorRef(244, 104, 0), MakeColorRef(0, 0, 0), 1.00f, 0.00f, 0.00f, 0.00f, 0.46f, 0, {}},
};

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
