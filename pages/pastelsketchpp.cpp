#include "pages/pastelsketchpp.h"

template class CEffectPage<kPastelSketch, tPASTEL_SKETCHPROPS>;
