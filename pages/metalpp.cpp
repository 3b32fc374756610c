#include "pages/metalpp.h"

template class CEffectPage<kMetallic, tMETALLIC_PROPS>;
