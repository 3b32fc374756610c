// The object map: seven effects, each followed by its property page, in the order in
// which they are registered. Registering in this order leaves the shared program
// identifiers "Main.Plugin" and "Main.PluginPP" on the last pair, Duo Chrome. Everything
// an entry says of its class comes from the effect's descriptor; the map adds only the
// class that implements it.
#include "module/objectmap.h"

#include "effects/airbrush.h"
#include "effects/colorize.h"
#include "effects/dreamglow.h"
#include "effects/duochrome.h"
#include "effects/linedrawing.h"
#include "effects/metal.h"
#include "effects/pastelsketch.h"
#include "module/registration.h"
#include "pages/airbrushpp.h"
#include "pages/colorizepp.h"
#include "pages/dreamglowpp.h"
#include "pages/duochromepp.h"
#include "pages/linedrawingpp.h"
#include "pages/metalpp.h"
#include "pages/pastelsketchpp.h"
#include "sdk/effects.h"

namespace {

void NoObjectMain(bool /*starting*/) {}

template <const EffectDescriptor& D, class EffectClass>
constexpr ObjectMapEntry Effect() {
    return {&D.clsid, &UpdateEffectRegistryFor<D>, &CachedClassFactory::Create, &CreateComInstance<EffectClass>,
            nullptr, nullptr, &NoObjectMain, ObjectKind::Effect, D.scriptId, D.displayName, &D};
}
template <const EffectDescriptor& D, class PageClass>
constexpr ObjectMapEntry Page() {
    return {&D.pageClsid, &UpdatePageRegistryFor<D>, &CachedClassFactory::Create, &CreateComInstance<PageClass>,
            nullptr, nullptr, &NoObjectMain, ObjectKind::Page, D.pageScriptId, D.displayName, &D};
}

constexpr ObjectMapEntry kObjectMap[] = {
    Effect<kAirBrush, CAirBrush>(),         Page<kAirBrush, CAirBrushPP>(),
    Effect<kPastelSketch, CPastelSketch>(), Page<kPastelSketch, CPastelSketchPP>(),
    Effect<kColorize, CColorize>(),         Page<kColorize, CColorizePP>(),
    Effect<kDreamGlow, CDreamGlow>(),       Page<kDreamGlow, CDreamGlowPP>(),
    Effect<kLineDrawing, CLineDrawing>(),   Page<kLineDrawing, CLineDrawingPP>(),
    Effect<kMetallic, CMetal>(),            Page<kMetallic, CMetalPP>(),
    Effect<kDuoChrome, CDuoChrome>(),       Page<kDuoChrome, CDuoChromePP>(),
};
static_assert(std::size(kObjectMap) == kObjectMapSize);

// Every published effect has its pair of entries, in the published order.
consteval bool MapFollowsDescriptors() {
    if (std::size(kObjectMap) != 2 * std::size(kEffectDescriptors)) return false;
    for (size_t i = 0; i < std::size(kEffectDescriptors); ++i)
        if (kObjectMap[2 * i].descriptor != kEffectDescriptors[i] || kObjectMap[2 * i + 1].descriptor != kEffectDescriptors[i])
            return false;
    return true;
}
static_assert(MapFollowsDescriptors());

}  // namespace

std::span<const ObjectMapEntry> ObjectMap() { return kObjectMap; }

const ObjectMapEntry* FindObjectMapEntry(REFCLSID clsid) {
    for (const ObjectMapEntry& entry : kObjectMap)
        if (*entry.clsid == clsid) return &entry;
    return nullptr;
}
