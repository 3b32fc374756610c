// A test effect on the transform base: its frame routine records every band it is
// given (bounds, thread), can copy the band from input to output, can wait for all
// bands of a frame to meet, and can fail chosen bands. Used with the real host
// stand-in (site, task manager, surfaces).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "host/site.h"
#include "host/surface.h"
#include "transform/dtbase.h"
#include "transform/dxbounds.h"
#include "platform/com/object.h"

struct RecordedBand {
    DXBNDS inputBounds;
    DXBNDS outputBounds;
    std::thread::id thread;
};

class CTestEffect : public ComObjectRoot, public CDXBaseNTo1 {
public:
    HRESULT InternalQueryInterface(REFIID iid, void** object) { return BaseQueryInterface(iid, object); }

    HRESULT ProcessBand(const BandWorkInfo& work, BOOL* pbContinue) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            bands.push_back({work.inputBounds, work.outputBounds, std::this_thread::get_id()});
            if (!pbContinue || !*pbContinue) sawStopFlag = true;
            if (work.pTransform != this) sawForeignTransform = true;
        }
        if (meetingParties > 0 && !Meet()) return E_FAIL;
        if (copyInput) {
            HRESULT hr = CopyBand(work);
            if (FAILED(hr)) return hr;
        }
        return bandResult ? bandResult(work) : S_OK;
    }

    HRESULT OnBeginBands(BandWorkInfo& work, ULONG& count) override {
        if (forcedBandCount) count = forcedBandCount;
        return CDXBaseNTo1::OnBeginBands(work, count);
    }
    HRESULT OnObjectsSet(DWORD) override {
        ++objectsSetCalls;
        return objectsSetResult;
    }
    void OnObjectsReleased() override { ++objectsReleasedCalls; }

    // Bands in row order.
    std::vector<RecordedBand> SortedBands() {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto sorted = bands;
        std::sort(sorted.begin(), sorted.end(), [](const RecordedBand& a, const RecordedBand& b) {
            return a.inputBounds.u.D[DXB_Y].Min < b.inputBounds.u.D[DXB_Y].Min;
        });
        return sorted;
    }

    // Test access to the state.
    ULONG GenerationField() const { return m_dwGenerationId; }
    ULONG Processors() const { return m_ulNumProcessors; }
    bool EventsCreated() const { return m_ahBandEvents[0] && m_ahBandEvents[DXBASE_MAX_BANDS - 1]; }
    void SetMaxBands(ULONG n) { m_ulMaxImageBands = n; }
    void SetMiscFlagsField(DWORD flags) { m_dwMiscFlags = flags; }

    std::vector<RecordedBand> bands;
    bool copyInput = false;
    bool sawStopFlag = false;
    bool sawForeignTransform = false;
    int meetingParties = 0;
    ULONG forcedBandCount = 0;
    int objectsSetCalls = 0;
    int objectsReleasedCalls = 0;
    HRESULT objectsSetResult = S_OK;
    std::function<HRESULT(const BandWorkInfo&)> bandResult;

private:
    bool Meet() {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (++m_arrived == meetingParties) m_met.notify_all();
        return m_met.wait_for(lock, std::chrono::seconds(20), [&] { return m_arrived >= meetingParties; });
    }

    // Copies the band's input samples to its output place, through the surfaces' own
    // in-place access (both surfaces premultiplied in these tests).
    HRESULT CopyBand(const BandWorkInfo& work) {
        ComPtr<IDXARGBReadWritePtr> out;
        HRESULT hr = OutputSurface()->LockSurface(&work.outputBounds, 0, DXLOCKF_READWRITE, IID_IDXARGBReadWritePtr,
                                                  out.ReleaseAndGetVoidAddress(), nullptr);
        if (FAILED(hr)) return hr;
        ComPtr<IDXARGBReadPtr> in;
        hr = InputSurface(0)->LockSurface(&work.inputBounds, 0, DXLOCKF_READ, IID_IDXARGBReadPtr,
                                          in.ReleaseAndGetVoidAddress(), nullptr);
        if (FAILED(hr)) return hr;
        DXNATIVETYPEINFO src{}, dst{};
        in->GetNativeType(&src);
        out->GetNativeType(&dst);
        LONG w = BoundsWidth(work.inputBounds), h = BoundsHeight(work.inputBounds);
        for (LONG y = 0; y < h; ++y)
            std::memcpy(dst.pFirstByte + ptrdiff_t(y) * dst.lPitch, src.pFirstByte + ptrdiff_t(y) * src.lPitch,
                        size_t(w) * 4);
        return S_OK;
    }

    std::mutex m_mutex;
    std::condition_variable m_met;
    int m_arrived = 0;
};

// A surface over memory of its own.
inline ComPtr<IDXSurface> MemorySurface(LONG w, LONG h, DXSAMPLEFORMATENUM format = DXPF_PMARGB32) {
    ComPtr<IDXSurface> s;
    EXPECT_EQ(CreateMemorySurface(w, h, format, s.ReleaseAndGetAddressOf()), S_OK);
    return s;
}

// An effect object sited on a host site with a given processor count.
struct TestTransform {
    explicit TestTransform(ULONG processors, bool site = true) {
        EXPECT_EQ(CreateComInstance<CTestEffect>(nullptr, IID_IDXTransform, transform.ReleaseAndGetVoidAddress()),
                  S_OK);
        effect = static_cast<CTestEffect*>(static_cast<CDXBaseNTo1*>(transform.Get()));
        EXPECT_EQ(CreateHostSite(processors, hostSite.ReleaseAndGetAddressOf()), S_OK);
        if (site) {
            EXPECT_EQ(effect->SetSite(hostSite.Get()), S_OK);
        }
    }

    // Input and output surfaces of the given sizes (premultiplied), set up.
    HRESULT SetupSurfaces(LONG inW, LONG inH, LONG outW, LONG outH) {
        input = MemorySurface(inW, inH);
        output = MemorySurface(outW, outH);
        IUnknown* in[1] = {input.Get()};
        IUnknown* out[1] = {output.Get()};
        return transform->Setup(in, 1, out, 1, 0);
    }

    ComPtr<IDXTransform> transform;
    CTestEffect* effect = nullptr;
    ComPtr<IUnknown> hostSite;
    ComPtr<IDXSurface> input;
    ComPtr<IDXSurface> output;
};

// Sample (x, y) of a surface over memory.
inline DXSAMPLE& At(IDXSurface* s, LONG x, LONG y) {
    BYTE* first = nullptr;
    LONG pitch = 0;
    GetSurfaceMemory(s, &first, &pitch);
    return reinterpret_cast<DXSAMPLE*>(first + ptrdiff_t(y) * pitch)[x];
}

inline LONG RowMin(const DXBNDS& b) { return b.u.D[DXB_Y].Min; }
inline LONG RowMax(const DXBNDS& b) { return b.u.D[DXB_Y].Max; }
inline LONG ColMin(const DXBNDS& b) { return b.u.D[DXB_X].Min; }
inline LONG ColMax(const DXBNDS& b) { return b.u.D[DXB_X].Max; }
