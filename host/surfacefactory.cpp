#include "host/surfacefactory.h"

#include "host/displaysurface.h"
#include "host/surface.h"

HRESULT CSurfaceFactory::InternalQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IDXSurfaceFactory) {
        *object = static_cast<IDXSurfaceFactory*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT CSurfaceFactory::CreateSurface(IUnknown* /*directDraw*/, const void* /*surfaceDesc*/, const GUID* formatId,
                                       const DXBNDS* bounds, DWORD /*flags*/, IUnknown* outer, REFIID iid,
                                       void** surface) {
    if (!surface) return E_POINTER;
    *surface = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!bounds || bounds->eType != DXBT_DISCRETE) return E_INVALIDARG;
    DXSAMPLEFORMATENUM format;
    if (!formatId || *formatId == DDPF_PMARGB32)
        format = DXPF_PMARGB32;
    else if (*formatId == DDPF_ARGB32)
        format = DXPF_ARGB32;
    else
        return E_INVALIDARG;
    int64_t width = int64_t(bounds->u.D[DXB_X].Max) - bounds->u.D[DXB_X].Min;
    int64_t height = int64_t(bounds->u.D[DXB_Y].Max) - bounds->u.D[DXB_Y].Min;
    if (width < 0 || height < 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return E_INVALIDARG;
    ComPtr<IDXSurface> created;
    HRESULT hr = CreateMemorySurface(LONG(width), LONG(height), format, created.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    return created->QueryInterface(iid, surface);
}

HRESULT CSurfaceFactory::CreateFromDDSurface(IUnknown* ddSurface, const GUID* formatId, DWORD /*flags*/,
                                             IUnknown* outer, REFIID iid, void** surface) {
    if (!surface) return E_POINTER;
    *surface = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!ddSurface) return E_INVALIDARG;
    ComPtr<IHostDisplaySurface> display;
    if (FAILED(ddSurface->QueryInterface(IID_IHostDisplaySurface, display.ReleaseAndGetVoidAddress())))
        return E_INVALIDARG;
    ComPtr<IDXSurface> inner;
    HRESULT hr = display->GetInnerSurface(inner.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    if (!inner) return E_INVALIDARG;
    if (formatId) {
        GUID own{};
        hr = inner->GetPixelFormat(&own, nullptr);
        if (FAILED(hr)) return hr;
        if (own != *formatId) return E_INVALIDARG;
    }
    return inner->QueryInterface(iid, surface);
}

HRESULT CreateSurfaceFactory(IDXSurfaceFactory** out) {
    return CreateComInstance<CSurfaceFactory>(nullptr, IID_IDXSurfaceFactory, reinterpret_cast<void**>(out));
}
