// CDXBaseNTo1: the base of every effect object. It implements the host-facing
// transform interfaces (IDXTransform with IDXBaseObject, IObjectWithSite) and the
// timing half of IDXEffect with its IDispatch; owns the input and output surfaces
// handed over in Setup; and on Execute works out the region to produce, cuts it into
// horizontal bands and runs the effect's ProcessBand once per band, on the host's task
// manager when there are several bands (or a request id).
//
// The base does not implement IUnknown: the final effect class is wrapped by
// ComObject<T> (platform/com/object.h) and its InternalQueryInterface calls
// BaseQueryInterface last. Every host-facing operation returns an HRESULT.
//
// Locking: one object lock (m_csLock, recursive) guards the transform state; Execute
// holds it for the whole frame. Band tasks run on worker threads and take no base lock.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/dx/dxtrans.h"
#include "transform/dtbase_trace.h"
#include "sdk/banding_service.h"

class CDXBaseNTo1;

// "The transform has not been initialised": Setup before a successful SetSite, Execute
// before a successful Setup.
constexpr HRESULT DXTERR_UNINITIALIZED = MakeHResult(0x887A0001u);

// Misc flags: options in force (low 16 bits) and capabilities (high bits).
constexpr DWORD DXTMF_BLEND_WITH_OUTPUT = 0x00000001;
constexpr DWORD DXTMF_DITHER_OUTPUT = 0x00000002;
constexpr DWORD DXTMF_OPTION_MASK = 0x0000FFFF;
constexpr DWORD DXTMF_VALID_OPTIONS = DXTMF_BLEND_WITH_OUTPUT | DXTMF_DITHER_OUTPUT;
constexpr DWORD DXTMF_BLEND_SUPPORTED = 0x00010000;
constexpr DWORD DXTMF_DITHER_SUPPORTED = 0x00020000;
constexpr DWORD DXTMF_INPLACE_OPERATION = 0x01000000;
constexpr DWORD DXTMF_BOUNDS_SUPPORTED = 0x02000000;
constexpr DWORD DXTMF_PLACEMENT_SUPPORTED = 0x04000000;
constexpr DWORD DXTMF_QUALITY_SUPPORTED = 0x08000000;

// Option flags: inputs/output as meshes, inputs brought to one size, smaller ones centred.
constexpr DWORD DXBOF_INPUTS_MESHBUILDER = 0x00000001;
constexpr DWORD DXBOF_OUTPUT_MESHBUILDER = 0x00000002;
constexpr DWORD DXBOF_SAME_SIZE_INPUTS = 0x00000004;
constexpr DWORD DXBOF_CENTER_INPUTS = 0x00000008;

// GetInOutInfo flag: an input beyond the required ones.
constexpr DWORD DXINOUTF_OPTIONAL = 0x00000001;

// The most bands (and band events) one Execute uses.
constexpr ULONG DXBASE_MAX_BANDS = 4;

// One band of one frame: the region of the input to read and where it lands in the
// output surface (same width and height).
struct BandWorkInfo {
    CDXBaseNTo1* pTransform;
    DXBNDS inputBounds;   // input coordinates
    DXBNDS outputBounds;  // output surface coordinates
    void* pThreadData;    // always null
    HRESULT hrResult;     // the band's result, 0 until it ran
};

// One input or the output as Setup attached it.
struct TransformObjectSlot {
    ComPtr<IUnknown> object;           // what the host passed
    ComPtr<IDXSurface> surface;        // the object as a surface (or one made around a display surface)
    ComPtr<IDXBaseObject> baseObject;  // for generation tracking; may be null
    ULONG lastGenerationId = 0;        // the object's generation id as last seen
    DXSAMPLEFORMATENUM sampleFormat = DXPF_NONSTANDARD;

    void Clear() { *this = TransformObjectSlot{}; }
    bool IsSet() const { return static_cast<bool>(object); }
};

class CDXBaseNTo1 : public IDXTransform, public IObjectWithSite, public IDXEffect {
public:
    CDXBaseNTo1();
    virtual ~CDXBaseNTo1();
    CDXBaseNTo1(const CDXBaseNTo1&) = delete;
    CDXBaseNTo1& operator=(const CDXBaseNTo1&) = delete;

    // The interface ComObject<T> hands out for IID_IUnknown.
    static REFIID PrimaryInterfaceId() { return IID_IDXTransform; }
    // IDXTransform, IDXBaseObject, IObjectWithSite, IDXEffect, IDispatch; else E_NOINTERFACE.
    // Like InternalQueryInterface: no AddRef.
    HRESULT BaseQueryInterface(REFIID iid, void** object);

    // ---- class-wide ------------------------------------------------------------------
    // The debug-flags word the diagnostics keep (dtbase_trace.h). Bit 0: entry/exit
    // traces of the public operations; bit 1: failure reports.
    static DWORD LoadDebugFlags() { return LoadTransformDebugFlags(); }
    static DWORD DebugFlags() { return TransformDebugFlags(); }
    static void SetDebugFlags(DWORD flags) { SetTransformDebugFlags(flags); }
    // Registering: runs registry script scriptId, then (if it succeeded) records the
    // implemented and required categories; returns the script's result. Unregistering:
    // removes the categories, then runs the script in unregister mode; returns S_OK.
    static HRESULT RegisterTransform(REFCLSID clsid, int scriptId, ULONG implCount, const CATID* impl,
                                     ULONG reqCount, const CATID* req, BOOL doRegister);

    // ---- IDXBaseObject ---------------------------------------------------------------
    HRESULT GetGenerationId(ULONG* id) override;
    HRESULT IncrementGenerationId(BOOL refresh) override;
    HRESULT GetObjectSize(ULONG* size) override;

    // ---- IDXTransform ----------------------------------------------------------------
    HRESULT Setup(IUnknown* const* inputs, ULONG inputCount, IUnknown* const* outputs, ULONG outputCount,
                  DWORD flags) override;
    HRESULT Execute(const GUID* requestId, const DXBNDS* clip, const DXVEC* placement) override;
    HRESULT MapBoundsIn2Out(const DXBNDS* inBounds, ULONG inCount, ULONG outIndex, DXBNDS* outBounds) override;
    HRESULT MapBoundsOut2In(ULONG outIndex, const DXBNDS* outBounds, ULONG inIndex, DXBNDS* inBounds) override;
    HRESULT SetMiscFlags(DWORD flags) override;
    HRESULT GetMiscFlags(DWORD* flags) override;
    HRESULT GetInOutInfo(BOOL isOutput, ULONG index, DWORD* flags, GUID* ids, ULONG* idCount,
                         IUnknown** current) override;
    HRESULT SetQuality(float quality) override;
    HRESULT GetQuality(float* quality) override;

    // ---- IObjectWithSite -------------------------------------------------------------
    HRESULT SetSite(IUnknown* site) override;
    HRESULT GetSite(REFIID iid, void** site) override;

    // ---- IDXEffect -------------------------------------------------------------------
    HRESULT get_Capabilities(LONG* capabilities) override;
    HRESULT get_Progress(float* progress) override;
    HRESULT put_Progress(float progress) override;
    HRESULT get_StepResolution(float* step) override;
    HRESULT get_Duration(float* duration) override;
    HRESULT put_Duration(float duration) override;

    // ---- IDispatch: names and calls go through the dual interface's type information,
    // read from the module's own type library -------------------------------------------
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID iid, const wchar_t* const* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exceptionInfo, UINT* argError) override;

    // ---- for the effects -------------------------------------------------------------
    // Input index's surface (index below the inputs set up; else null) and the output's.
    // Plain reads, valid between a successful Setup and the next one.
    IDXSurface* InputSurface(ULONG index) const;
    IDXSurface* OutputSurface() const;
    // The frame routine: renders one band. Runs on worker threads, several at once.
    virtual HRESULT ProcessBand(const BandWorkInfo& work, BOOL* pbContinue) = 0;
    // Whether the bands of the frame being executed are slices of one picture (the
    // site's banding-mode service said so at the start of Execute). Read by the bands
    // without a lock: Execute sets it before they start and holds the object lock.
    bool BandsAreSlicesOfOneFrame() const { return m_bWholeFrameBands; }

protected:
    // ---- hooks -------------------------------------------------------------------------
    // Before the bands (may change the band count; it is kept within 1..bands possible).
    virtual HRESULT OnBeginBands(BandWorkInfo& work, ULONG& bandCount);
    // After the bands, also after a failed band.
    virtual HRESULT OnEndBands(BandWorkInfo& work);
    // Setup attached the objects.
    virtual HRESULT OnObjectsSet(DWORD setupFlags);
    // Setup released the objects (Setup with none, or a failed Setup).
    virtual void OnObjectsReleased();
    // The whole-frame road (maxBands 0 or meshes): E_FAIL unless overridden.
    virtual HRESULT ExecuteWhole(const GUID* requestId, const DXBNDS* clip, const DXVEC* placement);
    // GetGenerationId: advances the generation for changed inputs (and output in place).
    virtual void OnUpdateGenerationId();
    // GetObjectSize: the size of the base's own state.
    virtual ULONG ReportObjectSize();
    // MapBoundsIn2Out, after the union of the inputs: with no input set and an output
    // set, result becomes the output surface's bounds.
    virtual HRESULT ComputeOutputBounds(DXBNDS& result);

    // Effects' constructors set these (the base starts with 0 and 1.0).
    void SetOptionFlags(DWORD flags) { m_dwOptionFlags = flags; }
    void SetDurationValue(float duration) { m_fDuration.store(duration); }
    // The interface that IDispatch describes and calls into (the base's own IDXEffect
    // unless an effect hands out IDXEffect under another identifier).
    void SetDualInterface(REFIID iid, IDXEffect* itf) {
        m_pDualIid = &iid;
        m_pDualInterface = itf;
    }
    // Advances the generation id (caller holds m_csLock).
    void AdvanceGenerationId() { ++m_dwGenerationId; }

    // ---- transform state (declaration order of the state table) ---------------------
    std::atomic<DWORD> m_dwMiscFlags{0x06030003};
    HANDLE m_ahBandEvents[DXBASE_MAX_BANDS] = {};  // manual-reset, created by SetSite
    ULONG m_ulNumProcessors = 1;
    ULONG m_dwGenerationId = 1;
    std::atomic<float> m_fDuration{1.0f};
    const float m_fStepResolution = 0.0f;
    std::atomic<float> m_fQuality{0.5f};
    ULONG m_ulNumInputs = 0;
    BOOL m_bRunning = FALSE;  // bands run on worker threads
    DWORD m_dwOptionFlags = 0;
    ULONG m_ulWaitTimeout = 0xFFFFFFFFu;  // wait period given to the task manager
    ULONG m_ulMaxInputs = 1;
    ULONG m_ulNumInRequired = 1;
    ULONG m_ulMaxImageBands = DXBASE_MAX_BANDS;  // 0: the effect executes whole frames
    std::atomic<float> m_fProgress{0.0f};
    std::unique_ptr<TransformObjectSlot[]> m_pInputs;  // m_ulMaxInputs slots, made by SetSite
    TransformObjectSlot m_Output;
    ComPtr<IUnknown> m_cpSite;
    ComPtr<IDXTransformFactory> m_cpTransFact;
    ComPtr<IDXSurfaceFactory> m_cpSurfFact;
    ComPtr<IDXTaskManager> m_cpTaskMgr;
    ComPtr<IDirectDraw> m_cpDirectDraw;
    ComPtr<IQuilletBandingMode> m_cpBandingMode;  // optional; none: per band
    bool m_bWholeFrameBands = false;

    std::recursive_mutex m_csLock;  // the object lock

private:
    const IID* m_pDualIid = &IID_IDXEffect;
    IDXEffect* m_pDualInterface = this;

    bool UsesMeshes() const { return (m_dwOptionFlags & (DXBOF_INPUTS_MESHBUILDER | DXBOF_OUTPUT_MESHBUILDER)) != 0; }
    void ReleaseSiteServices();
    void ReleaseAllObjects();
    HRESULT ObtainSiteServices(IUnknown* site);
    HRESULT CheckSetupArguments(IUnknown* const* inputs, ULONG inputCount, IUnknown* const* outputs,
                                ULONG outputCount, DWORD flags) const;
    HRESULT AttachObject(TransformObjectSlot& slot, IUnknown* object);
    HRESULT AttachAll(IUnknown* const* inputs, ULONG inputCount, IUnknown* output, DWORD flags);
    HRESULT ComputeRegion(const DXBNDS* clip, const DXVEC* placement, BandWorkInfo& work);
    ULONG ChooseBandCount(const DXBNDS& region) const;
    // Whether writing the output region may change the input region (shared memory, or
    // a surface that does not show its memory).
    bool OutputMayOverwriteInput(const BandWorkInfo& work) const;
    HRESULT RunBands(const GUID* requestId, BandWorkInfo& work, ULONG bandCount);
    static bool ObjectChanged(TransformObjectSlot& slot);
};
