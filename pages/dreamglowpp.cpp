#include "pages/dreamglowpp.h"

template class CEffectPage<kDreamGlow, tDREAM_GLOW_PROPS>;
