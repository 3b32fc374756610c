// The host's image-transform interfaces: bounds and vectors, surfaces and their
// sample access, the transform and its base object, the factories, the task manager
// and the services a transform looks up on its site. Only the operations this
// system calls or implements are declared.
#pragma once

#include "platform/com/synch.h"
#include "platform/com/unknown.h"

// ---- bounds and vectors -------------------------------------------------------------

enum DXBNDTYPE : DWORD { DXBT_DISCRETE = 0, DXBT_DISCRETE64 = 1, DXBT_CONTINUOUS = 2, DXBT_CONTINUOUS64 = 3 };
enum DXBNDID { DXB_X = 0, DXB_Y = 1, DXB_Z = 2, DXB_T = 3 };

struct DXDBND {
    LONG Min;
    LONG Max;  // exclusive
};
struct DXBNDS {
    DXBNDTYPE eType;
    union {
        DXDBND D[4];
    } u;
};
struct DXVEC {
    DXBNDTYPE eType;
    union {
        LONG D[4];
    } u;
};

// ---- samples --------------------------------------------------------------------------

// One 32-bit sample: B, G, R, A bytes in memory.
struct DXSAMPLE {
    BYTE Blue, Green, Red, Alpha;
};
using DXBASESAMPLE = DXSAMPLE;
using DXPMSAMPLE = DXSAMPLE;

enum DXSAMPLEFORMATENUM : DWORD {
    DXPF_FLAGSMASK = 0xFFFF0000,
    DXPF_NONPREMULT = 0x00010000,
    DXPF_TRANSPARENCY = 0x00020000,
    DXPF_TRANSLUCENCY = 0x00040000,
    DXPF_2BITERROR = 0x00200000,
    DXPF_3BITERROR = 0x00300000,
    DXPF_4BITERROR = 0x00400000,
    DXPF_5BITERROR = 0x00500000,
    DXPF_ERRORMASK = 0x00700000,
    DXPF_NONSTANDARD = 0,
    DXPF_PMARGB32 = 1 | DXPF_TRANSPARENCY | DXPF_TRANSLUCENCY,  // 0x60001 premultiplied
    DXPF_ARGB32 = 2 | DXPF_NONPREMULT | DXPF_TRANSPARENCY | DXPF_TRANSLUCENCY,  // 0x70002 straight
};

struct DXNATIVETYPEINFO {
    BYTE* pCurrentData;
    BYTE* pFirstByte;
    LONG lPitch;
    DWORD dwColorKey;
};

struct DXPACKEDRECTDESC {
    DXBASESAMPLE* pSamples;
    BOOL bPremult;
    RECT rect;
    ULONG lRowPadding;
};

enum DXLOCKSURF : DWORD { DXLOCKF_READ = 0, DXLOCKF_READWRITE = 1 };

// ---- identifiers ----------------------------------------------------------------------

QUILLET_INTERFACE_ID(IDXBaseObject, "17B59B2B-9CC8-11D1-9053-00C04FD9189D");
QUILLET_INTERFACE_ID(IDXTransform, "30A5FB78-E11F-11D1-9064-00C04FD9189D");
QUILLET_INTERFACE_ID(IDXSurface, "B39FD73F-E139-11D1-9065-00C04FD9189D");
QUILLET_INTERFACE_ID(IDXARGBReadPtr, "EAAAC2D6-C290-11D1-905D-00C04FD9189D");
QUILLET_INTERFACE_ID(IDXARGBReadWritePtr, "EAAAC2D7-C290-11D1-905D-00C04FD9189D");
QUILLET_INTERFACE_ID(IServiceProvider, "6D5140C1-7436-11CE-8034-00AA006009FA");
QUILLET_INTERFACE_ID(IDXTransformFactory, "6A950B2B-A971-11D1-81C8-0000F87557DB");
QUILLET_INTERFACE_ID(IDXSurfaceFactory, "144946F5-C4D4-11D1-81D1-0000F87557DB");
QUILLET_INTERFACE_ID(IDXTaskManager, "254DBBC1-F922-11D0-883A-3C8B00C10000");
QUILLET_INTERFACE_ID(IDirectDraw, "6C14DB80-A733-11CE-A521-0020AF0BE560");
QUILLET_INTERFACE_ID(IDirectDrawSurface, "6C14DB81-A733-11CE-A521-0020AF0BE560");
QUILLET_INTERFACE_ID(IObjectWithSite, "FC4801A3-2BA9-11CF-A229-00AA003D7352");

// Service identifiers looked up through the transform factory.
inline constexpr GUID SID_SDXSurfaceFactory = IID_IDXSurfaceFactory;
inline constexpr GUID SID_SDXTaskManager = MakeGuid("4CB26C03-FF93-11D0-817E-0000F87557DB");
inline constexpr GUID SID_SDirectDraw = MakeGuid("618F8AD4-8B7A-11D0-8FCC-00C04FD9189D");

// Sample-format identifiers as GetPixelFormat reports them.
inline constexpr GUID DDPF_PMARGB32 = MakeGuid("2B5B2CDA-3AA9-11D1-9F8A-00C04FD9189D");
inline constexpr GUID DDPF_ARGB32 = MakeGuid("E3B2A3A0-1D49-11D1-9F77-00C04FD9189D");

// The component category every image transform registers under.
inline constexpr GUID CATID_DXImageTransform = MakeGuid("C501EDBE-9E70-11D1-9053-00C04FD9189D");

// ---- interfaces -----------------------------------------------------------------------

struct IDXBaseObject : IUnknown {
    virtual HRESULT GetGenerationId(ULONG* id) = 0;
    virtual HRESULT IncrementGenerationId(BOOL refresh) = 0;
    virtual HRESULT GetObjectSize(ULONG* size) = 0;
};

struct IDXSurface;

struct IDXARGBReadPtr : IUnknown {
    virtual HRESULT GetSurface(REFIID iid, void** surface) = 0;
    virtual DXSAMPLEFORMATENUM GetNativeType(DXNATIVETYPEINFO* info) = 0;
    // Copies a rectangle of the locked region (coordinates relative to the locked
    // region's top-left corner) into pSamples, premultiplied or straight as bPremult says.
    virtual void UnpackRect(const DXPACKEDRECTDESC* rect) = 0;
};

struct IDXARGBReadWritePtr : IDXARGBReadPtr {
    // Writes samples (premultiplied or straight as bPremult says) into the locked region.
    virtual void PackRect(const DXPACKEDRECTDESC* rect) = 0;
};

struct IDXSurface : IDXBaseObject {
    virtual HRESULT GetPixelFormat(GUID* formatId, DXSAMPLEFORMATENUM* sampleFormat) = 0;
    virtual HRESULT GetBounds(DXBNDS* bounds) = 0;
    // Locks bounds (null: the whole surface) and returns an access interface (iid:
    // IDXARGBReadPtr or IDXARGBReadWritePtr) that unlocks when released.
    virtual HRESULT LockSurface(const DXBNDS* bounds, ULONG timeOut, DWORD flags, REFIID iid, void** pointer,
                                ULONG* generationId) = 0;
};

struct IServiceProvider : IUnknown {
    virtual HRESULT QueryService(REFGUID service, REFIID iid, void** object) = 0;
};

struct IDXTransformFactory : IServiceProvider {};

// A display surface object (the kind a host may hand over instead of a surface).
struct IDirectDrawSurface : IUnknown {};
// The display service of the host.
struct IDirectDraw : IUnknown {};

struct IDXSurfaceFactory : IUnknown {
    // Creates an in-memory surface of the given size and sample format (DDPF_PMARGB32 or DDPF_ARGB32).
    virtual HRESULT CreateSurface(IUnknown* directDraw, const void* surfaceDesc, const GUID* formatId,
                                  const DXBNDS* bounds, DWORD flags, IUnknown* outer, REFIID iid,
                                  void** surface) = 0;
    // Wraps a display surface object as an IDXSurface.
    virtual HRESULT CreateFromDDSurface(IUnknown* ddSurface, const GUID* formatId, DWORD flags, IUnknown* outer,
                                        REFIID iid, void** surface) = 0;
};

using PFNDXTASKPROC = void (*)(void* taskData, BOOL* continueProcessing);
using PFNDXAPCPROC = void (*)(DWORD data);

struct DXTMTASKINFO {
    PFNDXTASKPROC pfnTaskProc;
    void* pTaskData;
    PFNDXAPCPROC pfnCompletionAPC;
    DWORD dwCompletionData;
    const GUID* pRequestID;
};

struct IDXTaskManager : IUnknown {
    virtual HRESULT QueryNumProcessors(ULONG* count) = 0;
    // Runs the tasks on worker threads, signals events[i] when task i has ended, and
    // (with a wait period) returns when all have ended or the period has passed.
    virtual HRESULT ScheduleTasks(DXTMTASKINFO* tasks, HANDLE* events, DWORD* taskIds, ULONG count,
                                  ULONG waitPeriod) = 0;
};

struct IObjectWithSite : IUnknown {
    virtual HRESULT SetSite(IUnknown* site) = 0;
    virtual HRESULT GetSite(REFIID iid, void** site) = 0;
};

struct IDXTransform : IDXBaseObject {
    virtual HRESULT Setup(IUnknown* const* inputs, ULONG inputCount, IUnknown* const* outputs, ULONG outputCount,
                          DWORD flags) = 0;
    virtual HRESULT Execute(const GUID* requestId, const DXBNDS* clip, const DXVEC* placement) = 0;
    virtual HRESULT MapBoundsIn2Out(const DXBNDS* inBounds, ULONG inCount, ULONG outIndex, DXBNDS* outBounds) = 0;
    virtual HRESULT MapBoundsOut2In(ULONG outIndex, const DXBNDS* outBounds, ULONG inIndex, DXBNDS* inBounds) = 0;
    virtual HRESULT SetMiscFlags(DWORD flags) = 0;
    virtual HRESULT GetMiscFlags(DWORD* flags) = 0;
    virtual HRESULT GetInOutInfo(BOOL isOutput, ULONG index, DWORD* flags, GUID* ids, ULONG* idCount,
                                 IUnknown** current) = 0;
    virtual HRESULT SetQuality(float quality) = 0;
    virtual HRESULT GetQuality(float* quality) = 0;
};

// ---- the effect's timing interface (dual) -------------------------------------------------

#include "platform/com/oaidl.h"

QUILLET_INTERFACE_ID(IDXEffect, "E31FB81B-1335-11D1-8189-0000F87557DB");

constexpr DISPID DISPID_DXE_CAPABILITIES = 10000;
constexpr DISPID DISPID_DXE_PROGRESS = 10001;
constexpr DISPID DISPID_DXE_STEPRESOLUTION = 10002;
constexpr DISPID DISPID_DXE_DURATION = 10003;

struct IDXEffect : IDispatch {
    virtual HRESULT get_Capabilities(LONG* capabilities) = 0;
    virtual HRESULT get_Progress(float* progress) = 0;
    virtual HRESULT put_Progress(float progress) = 0;
    virtual HRESULT get_StepResolution(float* step) = 0;
    virtual HRESULT get_Duration(float* duration) = 0;
    virtual HRESULT put_Duration(float duration) = 0;
};
