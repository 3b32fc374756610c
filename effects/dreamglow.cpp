// The Dream Glow frame routine.
#include "effects/dreamglow.h"

// Not written yet: the effect refuses to render rather than deliver untouched pixels.
HRESULT CDreamGlow::ProcessBand(const BandWorkInfo& /*work*/, BOOL* /*pbContinue*/) { return E_NOTIMPL; }
