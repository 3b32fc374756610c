// The Metallic frame routine.
#include "effects/metal.h"

// Not written yet: the effect refuses to render rather than deliver untouched pixels.
HRESULT CMetal::ProcessBand(const BandWorkInfo& /*work*/, BOOL* /*pbContinue*/) { return E_NOTIMPL; }
