// The Duo Chrome frame routine.
#include "effects/duochrome.h"

// Not written yet: the effect refuses to render rather than deliver untouched pixels.
HRESULT CDuoChrome::ProcessBand(const BandWorkInfo& /*work*/, BOOL* /*pbContinue*/) { return E_NOTIMPL; }
