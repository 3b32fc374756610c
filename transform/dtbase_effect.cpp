// The effect timing half of IDXEffect (progress, duration, step resolution,
// capabilities) and the small IDispatch through which scripts reach those four
// properties (DISPID 10000..10003).
#include <cwctype>

#include "transform/dtbase.h"
#include "transform/dtbase_trace.h"

namespace {
using Lock = std::lock_guard<std::recursive_mutex>;

struct DispatchName {
    const wchar_t* name;
    DISPID id;
};
constexpr DispatchName kDispatchNames[] = {
    {L"Capabilities", DISPID_DXE_CAPABILITIES},
    {L"Progress", DISPID_DXE_PROGRESS},
    {L"StepResolution", DISPID_DXE_STEPRESOLUTION},
    {L"Duration", DISPID_DXE_DURATION},
};

bool SameNameIgnoringCase(const wchar_t* a, const wchar_t* b) {
    for (; *a && *b; ++a, ++b)
        if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b))) return false;
    return *a == *b;
}

// The value a property put carries, as a float.
HRESULT FloatFromVariant(const VARIANT& v, float* value) {
    switch (v.vt) {
    case VT_R4: *value = v.fltVal; return S_OK;
    case VT_R8: *value = static_cast<float>(v.dblVal); return S_OK;
    case VT_I4: *value = static_cast<float>(v.lVal); return S_OK;
    default: return DISP_E_TYPEMISMATCH;
    }
}

}  // namespace

HRESULT CDXBaseNTo1::get_Capabilities(LONG* capabilities) {
    FunctionTrace trace("CDXBaseNTo1::get_Capabilities");
    if (!capabilities) return E_POINTER;
    *capabilities = 0;
    return S_OK;
}

HRESULT CDXBaseNTo1::get_Progress(float* progress) {
    FunctionTrace trace("CDXBaseNTo1::get_Progress");
    if (!progress) return E_POINTER;
    *progress = m_fProgress.load();
    return S_OK;
}

HRESULT CDXBaseNTo1::put_Progress(float progress) {
    FunctionTrace trace("CDXBaseNTo1::put_Progress");
    if (!(progress >= 0.0f && progress <= 1.0f)) return E_INVALIDARG;
    Lock lock(m_csLock);
    m_fProgress.store(progress);
    AdvanceGenerationId();
    return S_OK;
}

HRESULT CDXBaseNTo1::get_StepResolution(float* step) {
    FunctionTrace trace("CDXBaseNTo1::get_StepResolution");
    if (!step) return E_POINTER;
    *step = m_fStepResolution;
    return S_OK;
}

HRESULT CDXBaseNTo1::get_Duration(float* duration) {
    FunctionTrace trace("CDXBaseNTo1::get_Duration");
    if (!duration) return E_POINTER;
    *duration = m_fDuration.load();
    return S_OK;
}

HRESULT CDXBaseNTo1::put_Duration(float duration) {
    FunctionTrace trace("CDXBaseNTo1::put_Duration");
    if (!(duration > 0.0f)) return E_INVALIDARG;
    Lock lock(m_csLock);
    if (duration != m_fDuration.load()) {
        AdvanceGenerationId();
        m_fDuration.store(duration);
    }
    return S_OK;
}

// ---- IDispatch ---------------------------------------------------------------------------

HRESULT CDXBaseNTo1::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CDXBaseNTo1::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CDXBaseNTo1::GetIDsOfNames(REFIID iid, const wchar_t* const* names, UINT count, LCID, DISPID* ids) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (!names || !ids) return E_POINTER;
    // The first name is the member; the properties take no named arguments.
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    HRESULT hr = count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    if (names[0])
        for (const DispatchName& entry : kDispatchNames)
            if (SameNameIgnoringCase(names[0], entry.name)) {
                ids[0] = entry.id;
                return hr;
            }
    return DISP_E_UNKNOWNNAME;
}

HRESULT CDXBaseNTo1::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, void*,
                            UINT* argError) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (id < DISPID_DXE_CAPABILITIES || id > DISPID_DXE_DURATION) return DISP_E_MEMBERNOTFOUND;
    UINT argCount = params ? params->cArgs : 0;

    if (flags & DISPATCH_PROPERTYPUT) {
        if (id != DISPID_DXE_PROGRESS && id != DISPID_DXE_DURATION) return DISP_E_MEMBERNOTFOUND;
        if (argCount != 1 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
        float value = 0.0f;
        if (FAILED(FloatFromVariant(params->rgvarg[0], &value))) {
            if (argError) *argError = 0;
            return DISP_E_TYPEMISMATCH;
        }
        return id == DISPID_DXE_PROGRESS ? put_Progress(value) : put_Duration(value);
    }
    if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
        if (argCount != 0) return DISP_E_BADPARAMCOUNT;
        if (!result) return E_POINTER;
        HRESULT hr;
        if (id == DISPID_DXE_CAPABILITIES) {
            result->vt = VT_I4;
            hr = get_Capabilities(&result->lVal);
        } else {
            result->vt = VT_R4;
            hr = id == DISPID_DXE_PROGRESS         ? get_Progress(&result->fltVal)
                 : id == DISPID_DXE_STEPRESOLUTION ? get_StepResolution(&result->fltVal)
                                                   : get_Duration(&result->fltVal);
        }
        if (FAILED(hr)) result->vt = VT_EMPTY;
        return hr;
    }
    return DISP_E_MEMBERNOTFOUND;
}
