// Duo Chrome's property page: Paper and Ink colours and Blend.
#pragma once

#include "pages/effectpage.h"
#include "sdk/duochrome.h"

extern template class CEffectPage<kDuoChrome, tDUOCHROME_PROPS>;

class CDuoChromePP : public CEffectPage<kDuoChrome, tDUOCHROME_PROPS> {};
