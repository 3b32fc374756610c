// Every effect the module carries, in the order of its object map (each effect is
// registered before the next, so the shared program identifiers end on the last).
#pragma once

#include <span>

#include "sdk/airbrush.h"
#include "sdk/colorize.h"
#include "sdk/dreamglow.h"
#include "sdk/duochrome.h"
#include "sdk/linedrawing.h"
#include "sdk/metallic.h"
#include "sdk/pastelsketch.h"

inline constexpr const EffectDescriptor* kEffectDescriptors[] = {
    &kAirBrush, &kPastelSketch, &kColorize, &kDreamGlow, &kLineDrawing, &kMetallic, &kDuoChrome,
};

inline constexpr std::span<const EffectDescriptor* const> EffectDescriptors() { return kEffectDescriptors; }
