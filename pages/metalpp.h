// Metallic's property page: the metal Color and five knobs.
#pragma once

#include "pages/effectpage.h"
#include "sdk/metallic.h"

extern template class CEffectPage<kMetallic, tMETALLIC_PROPS>;

class CMetalPP : public CEffectPage<kMetallic, tMETALLIC_PROPS> {};
