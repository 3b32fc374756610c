// The surface factory of the host stand-in (the SID_SDXSurfaceFactory service):
// in-memory surfaces in both sample formats, and the surface inside one of the
// stand-in's display-surface objects. Private to the host stand-in.
#pragma once

#include "platform/com/object.h"
#include "platform/dx/dxtrans.h"

class CSurfaceFactory : public ComObjectRoot, public IDXSurfaceFactory {
public:
    static REFIID PrimaryInterfaceId() { return IID_IDXSurfaceFactory; }
    HRESULT InternalQueryInterface(REFIID iid, void** object);

    // formatId DDPF_PMARGB32 (also when null) or DDPF_ARGB32; bounds discrete, required,
    // the size is Max - Min of x and y. No aggregation.
    HRESULT CreateSurface(IUnknown* directDraw, const void* surfaceDesc, const GUID* formatId,
                          const DXBNDS* bounds, DWORD flags, IUnknown* outer, REFIID iid,
                          void** surface) override;
    // Answers the very surface the display-surface object carries (same samples); a
    // formatId other than that surface's own format is refused with E_INVALIDARG.
    HRESULT CreateFromDDSurface(IUnknown* ddSurface, const GUID* formatId, DWORD flags, IUnknown* outer,
                                REFIID iid, void** surface) override;
};

HRESULT CreateSurfaceFactory(IDXSurfaceFactory** out);
