// The Line Drawing frame routine.
#include "effects/linedrawing.h"

// Not written yet: the effect refuses to render rather than deliver untouched pixels.
HRESULT CLineDrawing::ProcessBand(const BandWorkInfo& /*work*/, BOOL* /*pbContinue*/) { return E_NOTIMPL; }
