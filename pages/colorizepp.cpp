#include "pages/colorizepp.h"

template class CEffectPage<kColorize, tCOLORIZE_PROPS>;
