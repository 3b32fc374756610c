// The transform base: construction, site, Setup and the object slots, generation ids,
// misc flags and quality, in/out information and the bounds mapping. Execute and the
// bands live in dtbase_execute.cpp, the effect timing and dispatch in
// dtbase_effect.cpp, the class-wide parts in dtbase_registration.cpp.
#include "transform/dtbase.h"

#include <new>
#include <vector>

#include "transform/dtbase_trace.h"
#include "transform/dxbounds.h"

namespace {
using Lock = std::lock_guard<std::recursive_mutex>;

const char kNotInitialized[] = "\nTransform has not been initialized";
const char kInvalidArgs[] = "\nTransform setup with invalid args";
const char kSetupFailed[] = "\nTransform setup failed";

// The mesh interface a mesh input or output would accept (listed by GetInOutInfo only;
// no effect of this system uses meshes).
constexpr GUID IID_IDirect3DRMMeshBuilder3 = MakeGuid("4516EC83-8F20-11D0-9B6D-0000C0781BC3");
}  // namespace

CDXBaseNTo1::CDXBaseNTo1() { FunctionTrace trace("CDXBaseNTo1::CDXBaseNTo1"); }

CDXBaseNTo1::~CDXBaseNTo1() {
    FunctionTrace trace("CDXBaseNTo1::~CDXBaseNTo1");
    ReleaseAllObjects();
    m_pInputs.reset();
    ReleaseSiteServices();
    m_cpSite = nullptr;
    for (HANDLE& event : m_ahBandEvents) {
        if (event) CloseHandle(event);
        event = nullptr;
    }
}

HRESULT CDXBaseNTo1::BaseQueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IDXTransform || iid == IID_IDXBaseObject) {
        *object = static_cast<IDXTransform*>(this);
    } else if (iid == IID_IObjectWithSite) {
        *object = static_cast<IObjectWithSite*>(this);
    } else if (iid == IID_IDXEffect || iid == IID_IDispatch) {
        *object = static_cast<IDXEffect*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

// ---- objects ------------------------------------------------------------------------

void CDXBaseNTo1::ReleaseAllObjects() {
    if (m_pInputs)
        for (ULONG i = 0; i < m_ulMaxInputs; ++i) m_pInputs[i].Clear();
    m_ulNumInputs = 0;
    m_Output.Clear();
}

IDXSurface* CDXBaseNTo1::InputSurface(ULONG index) const {
    return (m_pInputs && index < m_ulNumInputs) ? m_pInputs[index].surface.Get() : nullptr;
}

IDXSurface* CDXBaseNTo1::OutputSurface() const { return m_Output.surface.Get(); }

// ---- site ---------------------------------------------------------------------------

void CDXBaseNTo1::ReleaseSiteServices() {
    m_cpTransFact = nullptr;
    m_cpSurfFact = nullptr;
    m_cpTaskMgr = nullptr;
    m_cpDirectDraw = nullptr;
    m_cpBandingMode = nullptr;
}

HRESULT CDXBaseNTo1::ObtainSiteServices(IUnknown* site) {
    HRESULT hr = site->QueryInterface(IID_IDXTransformFactory, m_cpTransFact.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) return hr;
    if (!m_pInputs && m_ulMaxInputs > 0) {
        m_pInputs.reset(new (std::nothrow) TransformObjectSlot[m_ulMaxInputs]);
        if (!m_pInputs) return E_OUTOFMEMORY;
    }
    hr = m_cpTransFact->QueryService(SID_SDXSurfaceFactory, IID_IDXSurfaceFactory,
                                     m_cpSurfFact.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) return hr;
    hr = m_cpTransFact->QueryService(SID_SDXTaskManager, IID_IDXTaskManager, m_cpTaskMgr.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) return hr;
    // The processor count is advisory: a failed query keeps the previous count.
    ULONG processors = 0;
    if (SUCCEEDED(m_cpTaskMgr->QueryNumProcessors(&processors)) && processors > 0) m_ulNumProcessors = processors;
    if (m_ulMaxImageBands > 0 && !UsesMeshes()) {
        ULONG events = m_ulMaxImageBands < DXBASE_MAX_BANDS ? m_ulMaxImageBands : DXBASE_MAX_BANDS;
        for (ULONG i = 0; i < events; ++i) {
            if (m_ahBandEvents[i]) continue;
            m_ahBandEvents[i] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            if (!m_ahBandEvents[i]) return E_OUTOFMEMORY;
        }
    }
    hr = m_cpTransFact->QueryService(SID_SDirectDraw, IID_IDirectDraw, m_cpDirectDraw.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) return hr;
    // A mesh service would be obtained here when meshes are in use; no effect uses them.
    // The banding mode is our own service: a site without it keeps bands per band.
    if (FAILED(m_cpTransFact->QueryService(SID_SQuilletBandingMode, IID_IQuilletBandingMode,
                                           m_cpBandingMode.ReleaseAndGetVoidAddress())))
        m_cpBandingMode = nullptr;
    return S_OK;
}

HRESULT CDXBaseNTo1::SetSite(IUnknown* site) {
    FunctionTrace trace("CDXBaseNTo1::SetSite");
    Lock lock(m_csLock);
    m_cpSite = site;
    ReleaseSiteServices();
    if (!site) return S_OK;
    HRESULT hr = ObtainSiteServices(site);
    if (FAILED(hr)) ReleaseSiteServices();
    return hr;
}

HRESULT CDXBaseNTo1::GetSite(REFIID iid, void** site) {
    FunctionTrace trace("CDXBaseNTo1::GetSite");
    if (!site) return E_POINTER;
    Lock lock(m_csLock);
    *site = nullptr;
    if (!m_cpSite) return E_FAIL;
    return m_cpSite->QueryInterface(iid, site);
}

// ---- Setup --------------------------------------------------------------------------

HRESULT CDXBaseNTo1::CheckSetupArguments(IUnknown* const* inputs, ULONG inputCount, IUnknown* const* outputs,
                                         ULONG outputCount, DWORD flags) const {
    if (flags != 0 || outputCount != 1) return E_INVALIDARG;
    if (inputCount < m_ulNumInRequired || inputCount > m_ulMaxInputs) return E_INVALIDARG;
    if (inputCount > 0 && (!inputs || !m_pInputs)) return E_INVALIDARG;
    if (!outputs || !outputs[0]) return E_INVALIDARG;
    for (ULONG i = 0; i < m_ulNumInRequired; ++i)
        if (!inputs[i]) return E_INVALIDARG;
    return S_OK;
}

HRESULT CDXBaseNTo1::AttachObject(TransformObjectSlot& slot, IUnknown* object) {
    slot.Clear();
    if (!object) return S_OK;
    ComPtr<IDXSurface> surface;
    if (FAILED(object->QueryInterface(IID_IDXSurface, surface.ReleaseAndGetVoidAddress()))) {
        // A display-surface object: the surface factory makes a surface around it.
        ComPtr<IDirectDrawSurface> display;
        if (FAILED(object->QueryInterface(IID_IDirectDrawSurface, display.ReleaseAndGetVoidAddress())) ||
            !m_cpSurfFact)
            return E_INVALIDARG;
        HRESULT hr = m_cpSurfFact->CreateFromDDSurface(display.Get(), nullptr, 0, nullptr, IID_IDXSurface,
                                                       surface.ReleaseAndGetVoidAddress());
        if (FAILED(hr)) return hr;
        if (!surface) return E_INVALIDARG;
    }
    slot.object = object;
    slot.surface = surface;
    if (FAILED(object->QueryInterface(IID_IDXBaseObject, slot.baseObject.ReleaseAndGetVoidAddress())))
        surface->QueryInterface(IID_IDXBaseObject, slot.baseObject.ReleaseAndGetVoidAddress());
    ULONG generation = 0;
    // One below the object's id, so that the first check after Setup counts as a change.
    if (slot.baseObject && SUCCEEDED(slot.baseObject->GetGenerationId(&generation)))
        slot.lastGenerationId = generation - 1;
    GUID formatId{};
    DXSAMPLEFORMATENUM format = DXPF_NONSTANDARD;
    HRESULT hr = surface->GetPixelFormat(&formatId, &format);
    if (FAILED(hr)) return hr;
    slot.sampleFormat = format;
    return S_OK;
}

HRESULT CDXBaseNTo1::AttachAll(IUnknown* const* inputs, ULONG inputCount, IUnknown* output, DWORD flags) {
    ReleaseAllObjects();
    m_ulNumInputs = inputCount;
    for (ULONG i = 0; i < inputCount; ++i) {
        HRESULT hr = AttachObject(m_pInputs[i], inputs[i]);
        if (FAILED(hr)) return hr;
    }
    HRESULT hr = AttachObject(m_Output, output);
    if (FAILED(hr)) return hr;
    // Bringing several inputs to one size (and centring them) is not provided: every
    // effect of this system has one input.
    if ((m_dwOptionFlags & DXBOF_SAME_SIZE_INPUTS) && inputCount > 1) return E_NOTIMPL;
    return OnObjectsSet(flags);
}

HRESULT CDXBaseNTo1::Setup(IUnknown* const* inputs, ULONG inputCount, IUnknown* const* outputs, ULONG outputCount,
                           DWORD flags) {
    FunctionTrace trace("CDXBaseNTo1::Setup");
    Lock lock(m_csLock);
    if (inputCount == 0 && outputCount == 0) {
        ReleaseAllObjects();
        OnObjectsReleased();
        return S_OK;
    }
    if (!m_cpTransFact) {
        ReportTransformFailure(kNotInitialized);
        return DXTERR_UNINITIALIZED;
    }
    HRESULT hr = CheckSetupArguments(inputs, inputCount, outputs, outputCount, flags);
    if (FAILED(hr)) {
        ReportTransformFailure(kInvalidArgs);
        return hr;
    }
    hr = AttachAll(inputs, inputCount, outputs[0], flags);
    if (FAILED(hr)) {
        ReleaseAllObjects();
        OnObjectsReleased();
        ReportTransformFailure(kSetupFailed);
    }
    return hr;
}

// ---- generation ids -------------------------------------------------------------------

bool CDXBaseNTo1::ObjectChanged(TransformObjectSlot& slot) {
    if (!slot.baseObject) return false;
    ULONG current = 0;
    if (FAILED(slot.baseObject->GetGenerationId(&current))) return false;
    bool changed = current != slot.lastGenerationId;
    slot.lastGenerationId = current;
    return changed;
}

void CDXBaseNTo1::OnUpdateGenerationId() {
    FunctionTrace trace("CDXBaseNTo1::OnUpdateGenerationId");
    if ((m_dwMiscFlags.load() & DXTMF_INPLACE_OPERATION) && ObjectChanged(m_Output)) AdvanceGenerationId();
    for (ULONG i = 0; m_pInputs && i < m_ulNumInputs; ++i)
        if (ObjectChanged(m_pInputs[i])) AdvanceGenerationId();
}

HRESULT CDXBaseNTo1::GetGenerationId(ULONG* id) {
    FunctionTrace trace("CDXBaseNTo1::GetGenerationId");
    if (!id) return E_POINTER;
    Lock lock(m_csLock);
    OnUpdateGenerationId();
    *id = m_dwGenerationId;
    return S_OK;
}

HRESULT CDXBaseNTo1::IncrementGenerationId(BOOL refresh) {
    FunctionTrace trace("CDXBaseNTo1::IncrementGenerationId");
    Lock lock(m_csLock);
    AdvanceGenerationId();
    if (!refresh) return S_OK;
    // Set up again with the objects now attached, holding references of our own while
    // Setup releases the slots.
    std::vector<ComPtr<IUnknown>> held;
    std::vector<IUnknown*> inputs;
    for (ULONG i = 0; m_pInputs && i < m_ulNumInputs; ++i) {
        held.push_back(m_pInputs[i].object);
        inputs.push_back(m_pInputs[i].object.Get());
    }
    ComPtr<IUnknown> output = m_Output.object;
    IUnknown* outputs[1] = {output.Get()};
    if (!output && inputs.empty()) return Setup(nullptr, 0, nullptr, 0, 0);
    return Setup(inputs.data(), static_cast<ULONG>(inputs.size()), outputs, output ? 1 : 0, 0);
}

ULONG CDXBaseNTo1::ReportObjectSize() {
    return static_cast<ULONG>(sizeof(CDXBaseNTo1) + m_ulMaxInputs * sizeof(TransformObjectSlot));
}

HRESULT CDXBaseNTo1::GetObjectSize(ULONG* size) {
    FunctionTrace trace("CDXBaseNTo1::GetObjectSize");
    if (!size) return E_POINTER;
    Lock lock(m_csLock);
    *size = ReportObjectSize();
    return S_OK;
}

// ---- flags and quality ------------------------------------------------------------------

HRESULT CDXBaseNTo1::SetMiscFlags(DWORD flags) {
    FunctionTrace trace("CDXBaseNTo1::SetMiscFlags");
    Lock lock(m_csLock);
    DWORD current = m_dwMiscFlags.load();
    if ((flags & DXTMF_OPTION_MASK) == (current & DXTMF_OPTION_MASK)) return S_OK;
    if (flags & DXTMF_OPTION_MASK & ~DXTMF_VALID_OPTIONS) return E_INVALIDARG;
    if ((flags & DXTMF_BLEND_WITH_OUTPUT) && !(current & DXTMF_BLEND_SUPPORTED)) return E_INVALIDARG;
    if ((flags & DXTMF_DITHER_OUTPUT) && !(current & DXTMF_DITHER_SUPPORTED)) return E_INVALIDARG;
    m_dwMiscFlags.store((current & ~DXTMF_OPTION_MASK) | (flags & DXTMF_OPTION_MASK));
    AdvanceGenerationId();
    return S_OK;
}

HRESULT CDXBaseNTo1::GetMiscFlags(DWORD* flags) {
    FunctionTrace trace("CDXBaseNTo1::GetMiscFlags");
    if (!flags) return E_POINTER;
    *flags = m_dwMiscFlags.load();
    return S_OK;
}

HRESULT CDXBaseNTo1::SetQuality(float quality) {
    FunctionTrace trace("CDXBaseNTo1::SetQuality");
    if (!(m_dwMiscFlags.load() & DXTMF_QUALITY_SUPPORTED)) return E_NOTIMPL;
    if (!(quality >= 0.0f && quality <= 1.0f)) return E_INVALIDARG;
    Lock lock(m_csLock);
    if (quality != m_fQuality.load()) {
        m_fQuality.store(quality);
        AdvanceGenerationId();
    }
    return S_OK;
}

HRESULT CDXBaseNTo1::GetQuality(float* quality) {
    FunctionTrace trace("CDXBaseNTo1::GetQuality");
    if (!(m_dwMiscFlags.load() & DXTMF_QUALITY_SUPPORTED)) return E_NOTIMPL;
    if (!quality) return E_POINTER;
    *quality = m_fQuality.load();
    return S_OK;
}

// ---- in/out information and bounds ---------------------------------------------------------

HRESULT CDXBaseNTo1::GetInOutInfo(BOOL isOutput, ULONG index, DWORD* flags, GUID* ids, ULONG* idCount,
                                  IUnknown** current) {
    FunctionTrace trace("CDXBaseNTo1::GetInOutInfo");
    Lock lock(m_csLock);
    if (isOutput ? index != 0 : index >= m_ulMaxInputs) return S_FALSE;
    if (ids && !idCount) return E_INVALIDARG;

    bool mesh = (m_dwOptionFlags & (isOutput ? DXBOF_OUTPUT_MESHBUILDER : DXBOF_INPUTS_MESHBUILDER)) != 0;
    const GUID surfaceIds[2] = {IID_IDXSurface, IID_IDirectDrawSurface};
    const GUID meshIds[1] = {IID_IDirect3DRMMeshBuilder3};
    const GUID* accepted = mesh ? meshIds : surfaceIds;
    ULONG acceptedCount = mesh ? 1 : 2;

    HRESULT hr = S_OK;
    if (flags) *flags = (!isOutput && index >= m_ulNumInRequired) ? DXINOUTF_OPTIONAL : 0;
    if (idCount) {
        if (ids) {
            ULONG capacity = *idCount;
            for (ULONG i = 0; i < acceptedCount && i < capacity; ++i) ids[i] = accepted[i];
            if (capacity < acceptedCount) hr = HRESULT_MORE_DATA;
        }
        *idCount = acceptedCount;
    }
    if (current) {
        IUnknown* object = nullptr;
        if (isOutput)
            object = m_Output.surface.Get();
        else if (m_pInputs && index < m_ulNumInputs)
            object = m_pInputs[index].object.Get();
        if (object) object->AddRef();
        *current = object;
    }
    return hr;
}

HRESULT CDXBaseNTo1::ComputeOutputBounds(DXBNDS& result) {
    bool anyInput = false;
    for (ULONG i = 0; m_pInputs && i < m_ulNumInputs; ++i) anyInput = anyInput || m_pInputs[i].IsSet();
    if (!anyInput && m_Output.surface) return m_Output.surface->GetBounds(&result);
    return S_OK;
}

HRESULT CDXBaseNTo1::MapBoundsIn2Out(const DXBNDS* inBounds, ULONG inCount, ULONG outIndex, DXBNDS* outBounds) {
    FunctionTrace trace("CDXBaseNTo1::MapBoundsIn2Out");
    if ((inCount > 0 && !inBounds) || outIndex != 0) return E_INVALIDARG;
    if (!outBounds) return E_POINTER;
    *outBounds = DXBNDS{};
    outBounds->eType = DXBT_DISCRETE;
    const DXBNDTYPE inputType = (m_dwOptionFlags & DXBOF_INPUTS_MESHBUILDER) ? DXBT_CONTINUOUS : DXBT_DISCRETE;
    for (ULONG i = 0; i < inCount; ++i)
        if (inBounds[i].eType != inputType) return E_INVALIDARG;

    Lock lock(m_csLock);
    if (inCount == 0) {
        for (ULONG i = 0; m_pInputs && i < m_ulNumInputs; ++i) {
            if (!m_pInputs[i].surface) continue;
            DXBNDS bounds{};
            HRESULT hr = m_pInputs[i].surface->GetBounds(&bounds);
            if (FAILED(hr)) return hr;
            UnionBounds(*outBounds, bounds);
        }
    } else {
        for (ULONG i = 0; i < inCount; ++i) UnionBounds(*outBounds, inBounds[i]);
    }
    return ComputeOutputBounds(*outBounds);
}

HRESULT CDXBaseNTo1::MapBoundsOut2In(ULONG outIndex, const DXBNDS* outBounds, ULONG inIndex, DXBNDS* inBounds) {
    FunctionTrace trace("CDXBaseNTo1::MapBoundsOut2In");
    if (m_dwOptionFlags & DXBOF_OUTPUT_MESHBUILDER) return E_NOTIMPL;
    if (inIndex >= m_ulMaxInputs || outIndex != 0 || !outBounds) return E_INVALIDARG;
    if (!inBounds) return E_POINTER;
    *inBounds = *outBounds;
    return S_OK;
}

// ---- default hooks -----------------------------------------------------------------------

HRESULT CDXBaseNTo1::OnBeginBands(BandWorkInfo&, ULONG&) { return S_OK; }
HRESULT CDXBaseNTo1::OnEndBands(BandWorkInfo&) { return S_OK; }
HRESULT CDXBaseNTo1::OnObjectsSet(DWORD) { return S_OK; }
void CDXBaseNTo1::OnObjectsReleased() {}
HRESULT CDXBaseNTo1::ExecuteWhole(const GUID*, const DXBNDS*, const DXVEC*) { return E_FAIL; }
