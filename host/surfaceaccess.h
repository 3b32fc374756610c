// The access object a surface lock hands out: the locked region of one surface, read
// or read-write, with in-place access (GetNativeType) and converting copies
// (UnpackRect / PackRect). Ending it ends the lock. Private to the host stand-in.
#pragma once

#include "host/memorysurface.h"

class CSurfaceAccess : public ComObjectRoot, public IDXARGBReadWritePtr {
public:
    // region: the locked rectangle in surface coordinates, inside the surface.
    CSurfaceAccess(CMemorySurface* surface, const RECT& region, bool writable);

    static REFIID PrimaryInterfaceId() { return IID_IDXARGBReadPtr; }
    HRESULT InternalQueryInterface(REFIID iid, void** object);
    void FinalRelease();

    HRESULT GetSurface(REFIID iid, void** surface) override;
    DXSAMPLEFORMATENUM GetNativeType(DXNATIVETYPEINFO* info) override;
    void UnpackRect(const DXPACKEDRECTDESC* rect) override;
    void PackRect(const DXPACKEDRECTDESC* rect) override;

private:
    // The sample at (x, y) relative to the locked region's top-left corner.
    DXSAMPLE* SampleAt(LONG x, LONG y) const;
    // True when r (relative to the region) lies inside the region.
    bool ContainsRelative(const RECT& r) const;

    ComPtr<IDXSurface> m_surface;   // keeps the surface alive while locked
    IHostMemorySurface* m_host;     // same object, not counted twice
    HostSurfaceLayout m_layout;
    RECT m_region;
    bool m_writable;
};
