#include "host/memorysurface.h"

#include <algorithm>
#include <new>

#include "host/surfaceaccess.h"

bool IsSupportedSampleFormat(DXSAMPLEFORMATENUM format) { return format == DXPF_PMARGB32 || format == DXPF_ARGB32; }
bool IsPremultipliedFormat(DXSAMPLEFORMATENUM format) { return (format & DXPF_NONPREMULT) == 0; }

void CMemorySurface::AlignedDelete::operator()(BYTE* p) const { ::operator delete[](p, std::align_val_t(32)); }

CMemorySurface::CMemorySurface(Storage storage, const HostSurfaceLayout& layout)
    : m_storage(std::move(storage)), m_layout(layout) {}

HRESULT CMemorySurface::InternalQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IDXSurface || iid == IID_IDXBaseObject) {
        *object = static_cast<IDXSurface*>(this);
        return S_OK;
    }
    if (iid == IID_IHostMemorySurface) {
        *object = static_cast<IHostMemorySurface*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT CMemorySurface::GetGenerationId(ULONG* id) {
    if (!id) return E_POINTER;
    *id = m_generationId.load();
    return S_OK;
}

HRESULT CMemorySurface::IncrementGenerationId(BOOL /*refresh*/) {
    m_generationId.fetch_add(1);
    return S_OK;
}

HRESULT CMemorySurface::GetObjectSize(ULONG* size) {
    if (!size) return E_POINTER;
    uint64_t bytes = sizeof(*this) + uint64_t(m_layout.width) * uint64_t(m_layout.height) * 4u;
    *size = bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<ULONG>(bytes);
    return S_OK;
}

HRESULT CMemorySurface::GetPixelFormat(GUID* formatId, DXSAMPLEFORMATENUM* sampleFormat) {
    if (formatId) *formatId = IsPremultipliedFormat(m_layout.format) ? DDPF_PMARGB32 : DDPF_ARGB32;
    if (sampleFormat) *sampleFormat = m_layout.format;
    return S_OK;
}

HRESULT CMemorySurface::GetBounds(DXBNDS* bounds) {
    if (!bounds) return E_POINTER;
    *bounds = DXBNDS{};
    bounds->eType = DXBT_DISCRETE;
    bounds->u.D[DXB_X] = {0, m_layout.width};
    bounds->u.D[DXB_Y] = {0, m_layout.height};
    bounds->u.D[DXB_Z] = {0, 1};
    bounds->u.D[DXB_T] = {0, 1};
    return S_OK;
}

HRESULT CMemorySurface::LockSurface(const DXBNDS* bounds, ULONG /*timeOut*/, DWORD flags, REFIID iid,
                                    void** pointer, ULONG* generationId) {
    if (!pointer) return E_POINTER;
    *pointer = nullptr;
    if (flags & ~DWORD(DXLOCKF_READWRITE)) return E_INVALIDARG;
    bool writable = (flags & DXLOCKF_READWRITE) != 0;
    if (iid == IID_IDXARGBReadWritePtr && !writable) return E_INVALIDARG;
    if (iid != IID_IDXARGBReadPtr && iid != IID_IDXARGBReadWritePtr) return E_NOINTERFACE;

    RECT region{0, 0, m_layout.width, m_layout.height};
    if (bounds) {
        if (bounds->eType != DXBT_DISCRETE) return E_INVALIDARG;
        const DXDBND& x = bounds->u.D[DXB_X];
        const DXDBND& y = bounds->u.D[DXB_Y];
        if (x.Min < 0 || x.Min > x.Max || x.Max > m_layout.width) return E_INVALIDARG;
        if (y.Min < 0 || y.Min > y.Max || y.Max > m_layout.height) return E_INVALIDARG;
        region = RECT{x.Min, y.Min, x.Max, y.Max};
    }
    if (generationId) *generationId = m_generationId.load();
    return CreateComInstance<CSurfaceAccess>(nullptr, iid, pointer, this, region, writable);
}

// ---- creation -------------------------------------------------------------------------

namespace {

HRESULT WrapSurface(CMemorySurface::Storage storage, const HostSurfaceLayout& layout, IDXSurface** out) {
    return CreateComInstance<CMemorySurface>(nullptr, IID_IDXSurface, reinterpret_cast<void**>(out),
                                             std::move(storage), layout);
}

}  // namespace

HRESULT CreateMemorySurface(LONG width, LONG height, DXSAMPLEFORMATENUM format, IDXSurface** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (width < 0 || height < 0 || !IsSupportedSampleFormat(format)) return E_INVALIDARG;
    // A row of at most 2^31 - 1 samples needs up to 2^33 bytes: check in 64 bits.
    uint64_t pitch = uint64_t(width) * 4u;
    if (pitch > 0x7FFFFFFFu) return E_OUTOFMEMORY;
    uint64_t bytes = pitch * uint64_t(height);
    if (bytes > (uint64_t(1) << 40)) return E_OUTOFMEMORY;

    CMemorySurface::Storage storage;
    if (bytes > 0) {
        BYTE* p = static_cast<BYTE*>(::operator new[](size_t(bytes), std::align_val_t(32), std::nothrow));
        if (!p) return E_OUTOFMEMORY;
        storage.reset(p);
        std::fill(p, p + bytes, BYTE(0));
    }
    HostSurfaceLayout layout{storage.get(), static_cast<LONG>(pitch), width, height, format};
    return WrapSurface(std::move(storage), layout, out);
}

HRESULT CreateSurfaceOnMemory(BYTE* firstByte, LONG width, LONG height, LONG pitch, DXSAMPLEFORMATENUM format,
                              IDXSurface** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (width < 0 || height < 0 || !IsSupportedSampleFormat(format)) return E_INVALIDARG;
    int64_t magnitude = pitch < 0 ? -int64_t(pitch) : int64_t(pitch);
    if (magnitude < int64_t(width) * 4) return E_INVALIDARG;
    if (!firstByte && width > 0 && height > 0) return E_INVALIDARG;
    HostSurfaceLayout layout{firstByte, pitch, width, height, format};
    return WrapSurface(nullptr, layout, out);
}

HRESULT GetSurfaceMemory(IDXSurface* surface, BYTE** firstByte, LONG* pitch) {
    if (!firstByte || !pitch) return E_POINTER;
    *firstByte = nullptr;
    *pitch = 0;
    if (!surface) return E_INVALIDARG;
    ComPtr<IHostMemorySurface> host;
    if (FAILED(surface->QueryInterface(IID_IHostMemorySurface, host.ReleaseAndGetVoidAddress())))
        return E_INVALIDARG;
    HostSurfaceLayout layout = host->Layout();
    *firstByte = layout.firstByte;
    *pitch = layout.pitch;
    return S_OK;
}
