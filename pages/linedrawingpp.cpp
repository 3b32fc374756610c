#include "pages/linedrawingpp.h"

template class CEffectPage<kLineDrawing, tLINE_DRAWING_PROPS>;
