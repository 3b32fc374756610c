// Dream Glow's property page: the glow Color, Blur and Glow.
#pragma once

#include "pages/effectpage.h"
#include "sdk/dreamglow.h"

extern template class CEffectPage<kDreamGlow, tDREAM_GLOW_PROPS>;

class CDreamGlowPP : public CEffectPage<kDreamGlow, tDREAM_GLOW_PROPS> {};
