// The banding mode: our own extension beside the image-transform interfaces, asked
// of the host's site as a service. It says what a band of a banded Execute sees:
//   - per band: each band is a picture of its own (its blur sized by its own height,
//     its edges treated as picture edges), so the picture depends on how many bands
//     the frame was cut into. Stored projects were rendered this way, and it is what
//     a host that does not offer the service gets;
//   - whole frame: each band is a slice of one picture; it reads the rows its filters
//     need beyond its edges and sizes its filters by the whole frame, so the picture
//     is the same for every band count, while the bands still run in parallel.
// The transform base looks the service up when it is sited and asks it at every
// Execute, so a host may change the mode between frames.
#pragma once

#include "platform/dx/dxtrans.h"

enum QuilletBandingMode : ULONG {
    QUILLET_BANDING_PER_BAND = 0,
    QUILLET_BANDING_WHOLE_FRAME = 1,
};

QUILLET_INTERFACE_ID(IQuilletBandingMode, "659DA0C1-7F7F-4549-92AF-463008360E70");
// The service identifier is the interface's, as for the surface factory.
inline constexpr GUID SID_SQuilletBandingMode = IID_IQuilletBandingMode;

struct IQuilletBandingMode : IUnknown {
    // One of QuilletBandingMode; any other value is taken as per band.
    virtual HRESULT GetBandingMode(ULONG* mode) = 0;
};
