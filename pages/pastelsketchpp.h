// Pastel Sketch's property page: Paper and Ink colours, Density and Blend.
#pragma once

#include "pages/effectpage.h"
#include "sdk/pastelsketch.h"

extern template class CEffectPage<kPastelSketch, tPASTEL_SKETCHPROPS>;

class CPastelSketchPP : public CEffectPage<kPastelSketch, tPASTEL_SKETCHPROPS> {};
