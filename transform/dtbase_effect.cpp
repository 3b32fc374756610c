// The effect timing half of IDXEffect (progress, duration, step resolution,
// capabilities) and the IDispatch through which scripts reach those four properties:
// names and calls are answered by the dual interface's type information in the
// module's type library, which holds the dispatch ids, types and access of each.
#include "transform/dtbase.h"
#include "transform/dtbase_trace.h"
#include "platform/com/kit/module.h"

namespace {
using Lock = std::lock_guard<std::recursive_mutex>;
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
    *count = 1;
    return S_OK;
}

HRESULT CDXBaseNTo1::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return ComModule::GetTypeInfoOfGuid(*m_pDualIid, info);
}

HRESULT CDXBaseNTo1::GetIDsOfNames(REFIID iid, const wchar_t* const* names, UINT count, LCID lcid, DISPID* ids) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    if (HRESULT hr = GetTypeInfo(0, lcid, info.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    return info->GetIDsOfNames(names, count, ids);
}

HRESULT CDXBaseNTo1::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* exceptionInfo, UINT* argError) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    if (HRESULT hr = GetTypeInfo(0, lcid, info.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    return info->Invoke(m_pDualInterface, id, flags, params, result, exceptionInfo, argError);
}
