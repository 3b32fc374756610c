#include "pages/airbrushpp.h"

template class CEffectPage<kAirBrush, tAIR_BRUSH_PROPS>;
