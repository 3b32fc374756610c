// The surface object behind host/surface.h: its memory (owned or borrowed), geometry,
// native sample format and generation id. Private to the host stand-in.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>

#include "platform/com/object.h"
#include "platform/dx/dxtrans.h"

// How the stand-in's own objects recognise one of its surfaces behind an IDXSurface.
QUILLET_INTERFACE_ID(IHostMemorySurface, "8d0f3c52-6b1e-4a57-9b2c-3f6a1e7d4c90");

struct HostSurfaceLayout {
    BYTE* firstByte;  // first byte of the top row
    LONG pitch;       // signed bytes from one row to the next
    LONG width;
    LONG height;
    DXSAMPLEFORMATENUM format;
};

struct IHostMemorySurface : IUnknown {
    virtual HostSurfaceLayout Layout() = 0;
    // Called by a read-write access object when it ends.
    virtual void NoteWritten() = 0;
};

bool IsSupportedSampleFormat(DXSAMPLEFORMATENUM format);
bool IsPremultipliedFormat(DXSAMPLEFORMATENUM format);

class CMemorySurface : public ComObjectRoot, public IDXSurface, public IHostMemorySurface {
public:
    struct AlignedDelete {
        void operator()(BYTE* p) const;
    };
    using Storage = std::unique_ptr<BYTE, AlignedDelete>;

    // storage may be null (borrowed memory, or a surface without samples).
    CMemorySurface(Storage storage, const HostSurfaceLayout& layout);

    static REFIID PrimaryInterfaceId() { return IID_IDXSurface; }
    HRESULT InternalQueryInterface(REFIID iid, void** object);

    // IDXBaseObject
    HRESULT GetGenerationId(ULONG* id) override;
    HRESULT IncrementGenerationId(BOOL refresh) override;
    HRESULT GetObjectSize(ULONG* size) override;
    // IDXSurface
    HRESULT GetPixelFormat(GUID* formatId, DXSAMPLEFORMATENUM* sampleFormat) override;
    HRESULT GetBounds(DXBNDS* bounds) override;
    HRESULT LockSurface(const DXBNDS* bounds, ULONG timeOut, DWORD flags, REFIID iid, void** pointer,
                        ULONG* generationId) override;
    // IHostMemorySurface
    HostSurfaceLayout Layout() override { return m_layout; }
    void NoteWritten() override { m_generationId.fetch_add(1); }

private:
    Storage m_storage;
    HostSurfaceLayout m_layout;
    std::atomic<ULONG> m_generationId{1};
};
