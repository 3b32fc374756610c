#include "pages/duochromepp.h"

template class CEffectPage<kDuoChrome, tDUOCHROME_PROPS>;
