// Surface locks: LockSurface with a time-out of 0, the locked bounds, the native
// sample format; in-place samples through GetNativeType when the format matches
// the requested premultiplication, else a temporary array of the region filled by
// UnpackRect (and, for the write lock, returned by PackRect at the end).
#include "transform/surfacelock.h"

#include <cstdint>
#include <new>

namespace surface_lock_detail {

namespace {

const GUID& AccessInterfaceId(IDXARGBReadPtr*) { return IID_IDXARGBReadPtr; }
const GUID& AccessInterfaceId(IDXARGBReadWritePtr*) { return IID_IDXARGBReadWritePtr; }

bool NativeFormatMatches(DXSAMPLEFORMATENUM format, bool premultiplied) {
    return (format == DXPF_PMARGB32 && premultiplied) || (format == DXPF_ARGB32 && !premultiplied);
}

}  // namespace

template <class Access>
LockedRegion<Access>::~LockedRegion() {
    if (m_bOwnsSamples) delete[] m_pSamples;
    m_pSamples = nullptr;
    m_access.Reset();  // unlocks the surface
}

template <class Access>
HRESULT LockedRegion<Access>::Open(IDXSurface* surface, const DXBNDS* bounds, bool premultiplied, DWORD lockFlags,
                                   DXPACKEDRECTDESC& desc) {
    const HRESULT hr = Map(surface, bounds, premultiplied, lockFlags, desc);
    if (FAILED(hr)) {
        // A lock that failed part-way holds nothing: the surface is unlocked now.
        if (m_bOwnsSamples) delete[] m_pSamples;
        m_pSamples = nullptr;
        m_bOwnsSamples = false;
        m_lPitch = 0;
        m_access.Reset();
    }
    return hr;
}

template <class Access>
HRESULT LockedRegion<Access>::Map(IDXSurface* surface, const DXBNDS* bounds, bool premultiplied, DWORD lockFlags,
                                  DXPACKEDRECTDESC& desc) {
    if (!surface) return E_POINTER;
    HRESULT hr = surface->LockSurface(bounds, 0, lockFlags, AccessInterfaceId(static_cast<Access*>(nullptr)),
                                      m_access.ReleaseAndGetVoidAddress(), nullptr);
    if (FAILED(hr)) return hr;
    if (!m_access) return E_POINTER;

    if (bounds) {
        m_bounds = *bounds;
    } else if (FAILED(hr = surface->GetBounds(&m_bounds))) {
        return hr;
    }

    GUID formatId{};
    DXSAMPLEFORMATENUM format = DXPF_NONSTANDARD;
    if (FAILED(hr = surface->GetPixelFormat(&formatId, &format))) return hr;

    if (NativeFormatMatches(format, premultiplied)) {
        DXNATIVETYPEINFO info{};
        m_access->GetNativeType(&info);
        m_pSamples = reinterpret_cast<DXSAMPLE*>(info.pFirstByte);
        m_lPitch = info.lPitch;
        return S_OK;
    }

    const int64_t width = int64_t{m_bounds.u.D[DXB_X].Max} - m_bounds.u.D[DXB_X].Min;
    const int64_t height = int64_t{m_bounds.u.D[DXB_Y].Max} - m_bounds.u.D[DXB_Y].Min;
    if (width < 0 || height < 0) return E_INVALIDARG;
    // The pitch and the rectangle are 32-bit; a region too large for them cannot
    // have a temporary array, like one whose memory is not available.
    if (width * 4 > INT32_MAX || height > INT32_MAX) return E_OUTOFMEMORY;
    m_lPitch = static_cast<LONG>(width * 4);
    const uint64_t count = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (count == 0) return S_OK;  // an empty region: nothing to carry either way
    if (count > SIZE_MAX / sizeof(DXSAMPLE)) return E_OUTOFMEMORY;
    m_pSamples = new (std::nothrow) DXSAMPLE[static_cast<size_t>(count)];
    if (!m_pSamples) return E_OUTOFMEMORY;
    m_bOwnsSamples = true;

    desc.pSamples = m_pSamples;
    desc.bPremult = premultiplied ? TRUE : FALSE;
    desc.rect = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    desc.lRowPadding = 0;
    m_access->UnpackRect(&desc);
    return S_OK;
}

template class LockedRegion<IDXARGBReadPtr>;
template class LockedRegion<IDXARGBReadWritePtr>;

}  // namespace surface_lock_detail

CSurfaceReadLock::CSurfaceReadLock(HRESULT& hr, IDXSurface* surface, const DXBNDS* bounds, bool premultiplied) {
    DXPACKEDRECTDESC unused{};
    hr = Open(surface, bounds, premultiplied, DXLOCKF_READ, unused);
}

CSurfaceWriteLock::CSurfaceWriteLock(HRESULT& hr, IDXSurface* surface, const DXBNDS* bounds, bool premultiplied) {
    hr = Open(surface, bounds, premultiplied, DXLOCKF_READWRITE, m_packedRect);
}

CSurfaceWriteLock::~CSurfaceWriteLock() {
    // Hand the frame routine's samples to the surface before the array goes.
    if (m_bOwnsSamples && m_access) m_access->PackRect(&m_packedRect);
}
