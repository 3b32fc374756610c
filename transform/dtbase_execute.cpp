// Execute: the region to produce from the surfaces' bounds, the clip and the placement;
// its split into horizontal bands; and running ProcessBand per band, on the calling
// thread for a single band without request id, else as tasks on the host's task manager.
#include <algorithm>
#include <new>

#include "transform/dtbase.h"
#include "transform/dtbase_trace.h"
#include "transform/dxbounds.h"

namespace {
using Lock = std::lock_guard<std::recursive_mutex>;

// The platform's code for a wait that timed out: the task manager's tasks may still be
// running when it comes back with this.
constexpr HRESULT kWaitTimedOut = HRESULT_FROM_WIN32(WAIT_TIMEOUT);

// ProcessBand behind the component boundary: nothing thrown escapes onto a worker.
HRESULT CallProcessBand(const BandWorkInfo& work, BOOL* pbContinue) {
    try {
        return work.pTransform->ProcessBand(work, pbContinue);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

void BandTask(void* taskData, BOOL* continueProcessing) {
    auto* band = static_cast<BandWorkInfo*>(taskData);
    band->hrResult = CallProcessBand(*band, continueProcessing);
}

// The frame's result from its bands: the first failing band's code in band order; if
// none failed, the first other non-zero code (a band's S_FALSE); else S_OK.
HRESULT CombineBandResults(const BandWorkInfo* bands, ULONG count) {
    for (ULONG i = 0; i < count; ++i)
        if (FAILED(bands[i].hrResult)) return bands[i].hrResult;
    for (ULONG i = 0; i < count; ++i)
        if (bands[i].hrResult != S_OK) return bands[i].hrResult;
    return S_OK;
}

// The bytes a surface's region occupies, when the surface lends its memory; false when
// it does not say (no lock, no memory of its own).
struct ByteSpan {
    uintptr_t first, end;
};
bool MemoryOf(IDXSurface* surface, const DXBNDS& region, ByteSpan& span) {
    ComPtr<IDXARGBReadPtr> access;
    if (!surface || FAILED(surface->LockSurface(&region, 0, DXLOCKF_READ, IID_IDXARGBReadPtr,
                                                access.ReleaseAndGetVoidAddress(), nullptr)) ||
        !access)
        return false;
    DXNATIVETYPEINFO info{};
    access->GetNativeType(&info);
    if (!info.pFirstByte) return false;
    const auto top = reinterpret_cast<uintptr_t>(info.pFirstByte);
    const int64_t last = int64_t{BoundsHeight(region) - 1} * info.lPitch;
    const auto rowBytes = static_cast<uintptr_t>(BoundsWidth(region)) * 4;
    span = last >= 0 ? ByteSpan{top, top + static_cast<uintptr_t>(last) + rowBytes}
                     : ByteSpan{top - static_cast<uintptr_t>(-last), top + rowBytes};
    return true;
}

}  // namespace

bool CDXBaseNTo1::OutputMayOverwriteInput(const BandWorkInfo& work) const {
    ByteSpan in{}, out{};
    if (!MemoryOf(InputSurface(0), work.inputBounds, in) || !MemoryOf(OutputSurface(), work.outputBounds, out))
        return true;
    return in.first < out.end && out.first < in.end;
}

HRESULT CDXBaseNTo1::ComputeRegion(const DXBNDS* clip, const DXVEC* placement, BandWorkInfo& work) {
    DXBNDS in{};
    HRESULT hr = MapBoundsIn2Out(nullptr, 0, 0, &in);
    if (FAILED(hr)) return hr;
    DXBNDS out{};
    hr = m_Output.surface->GetBounds(&out);
    if (FAILED(hr)) return hr;

    if (clip && !IntersectBounds(in, *clip)) return S_FALSE;
    // v takes output coordinates to input coordinates: the region's first corner lands
    // at the placement point, or at the output's origin without one.
    DXVEC v = MinimumCorner(in);
    if (placement) SubtractPoint(v, *placement);
    OffsetBounds(out, v);
    if (!IntersectBounds(in, out)) return S_FALSE;
    out = in;
    OffsetBoundsBack(out, v);
    work.inputBounds = in;
    work.outputBounds = out;
    return S_OK;
}

ULONG CDXBaseNTo1::ChooseBandCount(const DXBNDS& region) const {
    ULONG n = m_ulNumProcessors;
    if (n > 1) {
        // One band per 4096 pixels; counted in 64 bits so that huge regions do not wrap.
        uint64_t pixels = uint64_t(uint32_t(BoundsWidth(region))) * uint64_t(uint32_t(BoundsHeight(region)));
        uint64_t byArea = (pixels >> 12) + 1;
        n = static_cast<ULONG>(std::min<uint64_t>(byArea, m_ulMaxImageBands));
        n = std::min(n, m_ulNumProcessors);
    }
    return n;
}

HRESULT CDXBaseNTo1::RunBands(const GUID* requestId, BandWorkInfo& work, ULONG bandCount) {
    if (bandCount == 1 && !requestId) {
        BOOL keepGoing = TRUE;
        work.hrResult = CallProcessBand(work, &keepGoing);
        return work.hrResult;
    }
    if (!m_cpTaskMgr) return DXTERR_UNINITIALIZED;

    // Rows [y0, y0 + H) in bandCount bands of H / bandCount rows; the last band takes
    // every remaining row, so the bands cover the region exactly.
    const LONG rows = BoundsHeight(work.inputBounds);
    const LONG firstRow = work.inputBounds.u.D[DXB_Y].Min;
    const LONG bandRows = rows / LONG(bandCount);
    const LONG outputShift = work.outputBounds.u.D[DXB_Y].Min - firstRow;

    BandWorkInfo bands[DXBASE_MAX_BANDS];
    DXTMTASKINFO tasks[DXBASE_MAX_BANDS];
    HANDLE events[DXBASE_MAX_BANDS];
    LONG y = firstRow;
    for (ULONG i = 0; i < bandCount; ++i) {
        LONG height = (i + 1 == bandCount) ? firstRow + rows - y : bandRows;
        bands[i] = work;
        bands[i].hrResult = S_OK;
        bands[i].inputBounds.u.D[DXB_Y] = {y, y + height};
        bands[i].outputBounds.u.D[DXB_Y] = {y + outputShift, y + height + outputShift};
        y += height;
        tasks[i] = DXTMTASKINFO{&BandTask, &bands[i], nullptr, 0, requestId};
        events[i] = m_ahBandEvents[i];
        if (events[i]) ResetEvent(events[i]);
    }

    m_bRunning = TRUE;
    HRESULT hr = m_cpTaskMgr->ScheduleTasks(tasks, events, nullptr, bandCount, m_ulWaitTimeout);
    // The bands live on this stack: whenever the tasks were handed over, do not leave
    // before every one of them has ended.
    if (SUCCEEDED(hr) || hr == kWaitTimedOut) {
        bool allEvents = std::all_of(events, events + bandCount, [](HANDLE e) { return e != nullptr; });
        if (allEvents) WaitForMultipleObjects(bandCount, events, TRUE, INFINITE);
    }
    m_bRunning = FALSE;
    if (FAILED(hr)) return hr;
    return CombineBandResults(bands, bandCount);
}

HRESULT CDXBaseNTo1::Execute(const GUID* requestId, const DXBNDS* clip, const DXVEC* placement) {
    FunctionTrace trace("CDXBaseNTo1::Execute");
    Lock lock(m_csLock);
    if (!m_Output.surface) {
        ReportTransformFailure("\nTransform has not been initialized");
        return DXTERR_UNINITIALIZED;
    }
    if (m_ulMaxImageBands == 0 || UsesMeshes()) {
        DWORD misc = m_dwMiscFlags.load();
        if ((clip && !(misc & DXTMF_BOUNDS_SUPPORTED)) || (placement && !(misc & DXTMF_PLACEMENT_SUPPORTED))) {
            ReportTransformFailure("\nTransform setup with invalid args");
            return E_INVALIDARG;
        }
        return ExecuteWhole(requestId, clip, placement);
    }
    if ((clip && clip->eType != DXBT_DISCRETE) || (placement && placement->eType != DXBT_DISCRETE)) {
        ReportTransformFailure("\nTransform setup with invalid args");
        return E_INVALIDARG;
    }

    BandWorkInfo work{};
    work.pTransform = this;
    HRESULT hr = ComputeRegion(clip, placement, work);
    if (hr != S_OK) {
        if (FAILED(hr)) ReportExecuteFailure(hr);
        return hr;  // S_FALSE: nothing of the input reaches the output
    }

    ULONG mode = QUILLET_BANDING_PER_BAND;
    if (m_cpBandingMode && FAILED(m_cpBandingMode->GetBandingMode(&mode))) mode = QUILLET_BANDING_PER_BAND;
    m_bWholeFrameBands = mode == QUILLET_BANDING_WHOLE_FRAME;

    // A band that is a slice of one picture reads rows of its neighbours' input; while
    // they write their output over that input (one memory for both, or memory we
    // cannot see), the frame is rendered as one band, the picture every slicing gives.
    ULONG bandCount = ChooseBandCount(work.inputBounds);
    if (m_bWholeFrameBands && bandCount > 1 && OutputMayOverwriteInput(work)) bandCount = 1;
    hr = OnBeginBands(work, bandCount);
    if (FAILED(hr)) return hr;
    // Whatever the hook asked for: at least one band, never more than the events, the
    // band limit or the rows (no band is empty).
    ULONG limit = std::min<ULONG>({m_ulMaxImageBands, DXBASE_MAX_BANDS, ULONG(BoundsHeight(work.inputBounds))});
    bandCount = std::clamp<ULONG>(bandCount, 1, std::max<ULONG>(limit, 1));

    hr = RunBands(requestId, work, bandCount);
    HRESULT hrEnd = OnEndBands(work);
    if (SUCCEEDED(hr) && FAILED(hrEnd)) hr = hrEnd;
    if (FAILED(hr)) ReportExecuteFailure(hr);
    return hr;
}
