// Scoped access to one region of a host surface as 32-bit B, G, R, A samples in
// the form a frame routine asks for (premultiplied or straight). When the
// surface already stores that form the samples are used in place; otherwise the
// region is unpacked into a temporary array, and the write lock packs that array
// back into the surface when it ends. Construction reports its result through
// the caller's reference; a failed lock holds nothing and its getters return
// null / 0. Locks live on one call's stack and end in reverse order of creation.
#pragma once

#include "platform/dx/dxtrans.h"

namespace surface_lock_detail {

// What both locks hold, in this order: the access interface, the locked bounds,
// the samples and whether this object made them, and the row pitch in bytes.
template <class Access>
class LockedRegion {
public:
    LockedRegion(const LockedRegion&) = delete;
    LockedRegion& operator=(const LockedRegion&) = delete;

    DXSAMPLE* GetSamples() const { return m_pSamples; }
    // Pitch in bytes / 4, truncated toward zero; negative when rows run upwards in memory.
    LONG GetPitchPixels() const { return m_lPitch / 4; }
    LONG GetPitch() const { return m_lPitch; }
    const DXBNDS& GetBounds() const { return m_bounds; }
    bool UsesTemporaryArray() const { return m_bOwnsSamples; }

protected:
    LockedRegion() = default;
    ~LockedRegion();

    // Locks and maps the region; fills desc when a temporary array is used.
    HRESULT Open(IDXSurface* surface, const DXBNDS* bounds, bool premultiplied, DWORD lockFlags,
                 DXPACKEDRECTDESC& desc);

private:
    HRESULT Map(IDXSurface* surface, const DXBNDS* bounds, bool premultiplied, DWORD lockFlags,
                DXPACKEDRECTDESC& desc);

protected:

    ComPtr<Access> m_access;
    DXBNDS m_bounds{};
    DXSAMPLE* m_pSamples = nullptr;
    bool m_bOwnsSamples = false;
    LONG m_lPitch = 0;
};

extern template class LockedRegion<IDXARGBReadPtr>;
extern template class LockedRegion<IDXARGBReadWritePtr>;

}  // namespace surface_lock_detail

// Read access to the input surface's region.
class CSurfaceReadLock : public surface_lock_detail::LockedRegion<IDXARGBReadPtr> {
public:
    // bounds: the region in surface coordinates, or null for the whole surface.
    CSurfaceReadLock(HRESULT& hr, IDXSurface* surface, const DXBNDS* bounds, bool premultiplied);
    ~CSurfaceReadLock() = default;
};

// Read-write access to the output surface's region. A temporary array starts as
// the surface's current samples and is written back when the lock ends.
class CSurfaceWriteLock : public surface_lock_detail::LockedRegion<IDXARGBReadWritePtr> {
public:
    CSurfaceWriteLock(HRESULT& hr, IDXSurface* surface, const DXBNDS* bounds, bool premultiplied);
    ~CSurfaceWriteLock();

private:
    DXPACKEDRECTDESC m_packedRect{};
};
