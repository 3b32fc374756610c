// The module's type library, MAINLib: the effects' dual interface IDXEffect, IPlugin
// (the same interface under the identifier hosts know it by) and the fourteen classes.
#include "framework/clsids.h"
#include "framework/plugininterfaces.h"
#include "resources/moduleresources.h"

namespace {

const TypeLibProperty kEffectProperties[] = {
    {"Capabilities", 10000, VT_I4, false},
    {"Progress", 10001, VT_R4, true},
    {"StepResolution", 10002, VT_R4, false},
    {"Duration", 10003, VT_R4, true},
};

const TypeLibInterface kInterfaces[] = {
    {"IDXEffect", IID_IDXEffect, "IDXEffect Interface", "IDispatch", true,
     kEffectProperties, std::size(kEffectProperties)},
    {"IPlugin", IID_IPlugin, "IPlugin Interface", "IDXEffect", true, nullptr,
     0},
};

// Effects carry their display names as help strings; pages carry none.
const TypeLibClass kClasses[] = {
    {"AirBrush", CLSID_AirBrush, "Quillet Air Brush"},
    {"AirBrushPP", CLSID_AirBrushPP, nullptr},
    {"Colorize", CLSID_Colorize, "Quillet Colorize"},
    {"ColorizePP", CLSID_ColorizePP, nullptr},
    {"DreamGlow", CLSID_DreamGlow, "Quillet Dream Glow"},
    {"DreamGlowPP", CLSID_DreamGlowPP, nullptr},
    {"LineDrawing", CLSID_LineDrawing, "Quillet Line Drawing"},
    {"LineDrawingPP", CLSID_LineDrawingPP, nullptr},
    {"Metallic", CLSID_Metallic, "Quillet Metallic"},
    {"MetallicPP", CLSID_MetallicPP, nullptr},
    {"DuoChrome", CLSID_DuoChrome, "Quillet DuoChrome"},
    {"DuoChromePP", CLSID_DuoChromePP, nullptr},
    {"PastelSketch", CLSID_PastelSketch, "Quillet Pastel Sketch"},
    {"PastelSketchPP", CLSID_PastelSketchPP, nullptr},
};

const TypeLibDescription kMainLib = {
    "MAINLib",
    MakeGuid("75C20786-10F9-43F2-B35F-36ECB32C51D1"),
    1,
    0,
    "Main 1.0 Type Library",
    kInterfaces,
    std::size(kInterfaces),
    kClasses,
    std::size(kClasses),
};

}  // namespace

const TypeLibDescription& MainTypeLibrary() { return kMainLib; }
