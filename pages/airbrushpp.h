// Air Brush's property page: two knobs, Spray and Edge.
#pragma once

#include "pages/effectpage.h"
#include "sdk/airbrush.h"

extern template class CEffectPage<kAirBrush, tAIR_BRUSH_PROPS>;

class CAirBrushPP : public CEffectPage<kAirBrush, tAIR_BRUSH_PROPS> {};
