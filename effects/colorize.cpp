// The Colorize frame routine.
#include "effects/colorize.h"

// Not written yet: the effect refuses to render rather than deliver untouched pixels.
HRESULT CColorize::ProcessBand(const BandWorkInfo& /*work*/, BOOL* /*pbContinue*/) { return E_NOTIMPL; }
