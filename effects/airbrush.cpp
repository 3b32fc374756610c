// The Air Brush frame routine.
#include "effects/airbrush.h"

// Not written yet: the effect refuses to render rather than deliver untouched pixels.
HRESULT CAirBrush::ProcessBand(const BandWorkInfo& /*work*/, BOOL* /*pbContinue*/) { return E_NOTIMPL; }
