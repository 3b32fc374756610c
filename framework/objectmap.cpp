// The object map: seven effects, each followed by its property page, in the order in
// which they are registered. Registering in this order leaves the shared program
// identifiers "Main.Plugin" and "Main.PluginPP" on the last pair, Duo Chrome.
#include "framework/objectmap.h"

#include "effects/airbrush.h"
#include "effects/colorize.h"
#include "effects/dreamglow.h"
#include "effects/duochrome.h"
#include "effects/linedrawing.h"
#include "effects/metal.h"
#include "effects/pastelsketch.h"
#include "framework/clsids.h"
#include "framework/registration.h"

namespace {

// Classes that are not yet part of the module have no instance creator; the class
// factory then is not made and DllGetClassObject says the class is not available.
constexpr InstanceCreator kNotAvailable = nullptr;

void NoObjectMain(bool /*starting*/) {}

template <const CLSID& Clsid, UINT ScriptId>
constexpr ObjectMapEntry Effect(InstanceCreator create, const char* displayName, const char* typeName) {
    return {&Clsid, &UpdateEffectRegistryFor<Clsid, ScriptId>, &CachedClassFactory::Create, create,
            nullptr, nullptr, &NoObjectMain, ObjectKind::Effect, ScriptId, displayName, typeName};
}
template <const CLSID& Clsid, UINT ScriptId>
constexpr ObjectMapEntry Page(InstanceCreator create, const char* displayName, const char* typeName) {
    return {&Clsid, &UpdatePageRegistryFor<ScriptId>, &CachedClassFactory::Create, create,
            nullptr, nullptr, &NoObjectMain, ObjectKind::Page, ScriptId, displayName, typeName};
}

const ObjectMapEntry kObjectMap[] = {
    Effect<CLSID_AirBrush, 109>(&CreateComInstance<CAirBrush>, "Quillet Air Brush", "AirBrush"),
    Page<CLSID_AirBrushPP, 108>(kNotAvailable, "Quillet Air Brush", "AirBrushPP"),
    Effect<CLSID_PastelSketch, 107>(&CreateComInstance<CPastelSketch>, "Quillet Pastel Sketch", "PastelSketch"),
    Page<CLSID_PastelSketchPP, 106>(kNotAvailable, "Quillet Pastel Sketch", "PastelSketchPP"),
    Effect<CLSID_Colorize, 111>(&CreateComInstance<CColorize>, "Quillet Colorize", "Colorize"),
    Page<CLSID_ColorizePP, 110>(kNotAvailable, "Quillet Colorize", "ColorizePP"),
    Effect<CLSID_DreamGlow, 113>(&CreateComInstance<CDreamGlow>, "Quillet Dream Glow", "DreamGlow"),
    Page<CLSID_DreamGlowPP, 112>(kNotAvailable, "Quillet Dream Glow", "DreamGlowPP"),
    Effect<CLSID_LineDrawing, 117>(&CreateComInstance<CLineDrawing>, "Quillet Line Drawing", "LineDrawing"),
    Page<CLSID_LineDrawingPP, 116>(kNotAvailable, "Quillet Line Drawing", "LineDrawingPP"),
    Effect<CLSID_Metallic, 119>(&CreateComInstance<CMetal>, "Quillet Metallic", "Metallic"),
    Page<CLSID_MetallicPP, 118>(kNotAvailable, "Quillet Metallic", "MetallicPP"),
    Effect<CLSID_DuoChrome, 115>(&CreateComInstance<CDuoChrome>, "Quillet DuoChrome", "DuoChrome"),
    Page<CLSID_DuoChromePP, 114>(kNotAvailable, "Quillet DuoChrome", "DuoChromePP"),
};
static_assert(std::size(kObjectMap) == kObjectMapSize);

}  // namespace

std::span<const ObjectMapEntry> ObjectMap() { return kObjectMap; }

const ObjectMapEntry* FindObjectMapEntry(REFCLSID clsid) {
    for (const ObjectMapEntry& entry : kObjectMap)
        if (*entry.clsid == clsid) return &entry;
    return nullptr;
}
