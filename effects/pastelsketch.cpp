// The Pastel Sketch frame routine.
#include "effects/pastelsketch.h"

// Not written yet: the effect refuses to render rather than deliver untouched pixels.
HRESULT CPastelSketch::ProcessBand(const BandWorkInfo& /*work*/, BOOL* /*pbContinue*/) { return E_NOTIMPL; }
