#include "host/displaysurface.h"

#include "host/surface.h"

HRESULT CDisplaySurface::InternalQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IDirectDrawSurface) {
        *object = static_cast<IDirectDrawSurface*>(this);
        return S_OK;
    }
    if (iid == IID_IHostDisplaySurface) {
        *object = static_cast<IHostDisplaySurface*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT CreateDisplaySurface(IDXSurface* inner, IUnknown** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!inner) return E_INVALIDARG;
    return CreateComInstance<CDisplaySurface>(nullptr, IID_IUnknown, reinterpret_cast<void**>(out), inner);
}

HRESULT CDisplayService::InternalQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IDirectDraw) {
        *object = static_cast<IDirectDraw*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT CreateDisplayService(IDirectDraw** out) {
    return CreateComInstance<CDisplayService>(nullptr, IID_IDirectDraw, reinterpret_cast<void**>(out));
}
