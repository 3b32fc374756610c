// The display-surface object of the host stand-in: an IDirectDrawSurface that carries
// one of the stand-in's surfaces, as a host may hand a transform a display surface
// instead of an IDXSurface. Private to the host stand-in.
#pragma once

#include "platform/com/object.h"
#include "platform/dx/dxtrans.h"

// How the surface factory finds the surface inside a display-surface object.
QUILLET_INTERFACE_ID(IHostDisplaySurface, "3c9e5a17-0d42-4f8b-a6e1-72b4c8d05f13");

struct IHostDisplaySurface : IUnknown {
    // The carried surface, with a reference for the caller.
    virtual HRESULT GetInnerSurface(IDXSurface** surface) = 0;
};

class CDisplaySurface : public ComObjectRoot, public IDirectDrawSurface, public IHostDisplaySurface {
public:
    explicit CDisplaySurface(IDXSurface* inner) : m_inner(inner) {}

    static REFIID PrimaryInterfaceId() { return IID_IDirectDrawSurface; }
    HRESULT InternalQueryInterface(REFIID iid, void** object);

    HRESULT GetInnerSurface(IDXSurface** surface) override { return m_inner.CopyTo(surface); }

private:
    ComPtr<IDXSurface> m_inner;
};

// The display service of the host stand-in (SID_SDirectDraw): it only needs to exist;
// surfaces come from the surface factory.
class CDisplayService : public ComObjectRoot, public IDirectDraw {
public:
    static REFIID PrimaryInterfaceId() { return IID_IDirectDraw; }
    HRESULT InternalQueryInterface(REFIID iid, void** object);
};

HRESULT CreateDisplayService(IDirectDraw** out);
