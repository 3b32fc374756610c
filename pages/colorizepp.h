// Colorize's property page: three colours, each with its Strength knob, then Smoothing and Saturation.
#pragma once

#include "pages/effectpage.h"
#include "sdk/colorize.h"

extern template class CEffectPage<kColorize, tCOLORIZE_PROPS>;

class CColorizePP : public CEffectPage<kColorize, tCOLORIZE_PROPS> {};
