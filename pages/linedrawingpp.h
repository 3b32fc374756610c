// Line Drawing's property page: Paper and Ink colours, Density and Contrast.
#pragma once

#include "pages/effectpage.h"
#include "sdk/linedrawing.h"

extern template class CEffectPage<kLineDrawing, tLINE_DRAWING_PROPS>;

class CLineDrawingPP : public CEffectPage<kLineDrawing, tLINE_DRAWING_PROPS> {};
