// The host video editor's plug-in interfaces that every effect object implements,
// and the one host interface an effect calls back (the change sink). Hosts may
// include this header: it is the published contract between host and effect.
//
// Calls reach these interfaces from any host thread; every operation returns an
// HRESULT and never throws.
#pragma once

#include <cstddef>

#include "platform/com/objidl.h"
#include "platform/dx/dxtrans.h"
#include "platform/ui/winuser.h"

QUILLET_INTERFACE_ID(IStaticFilterPreset, "36A22460-0CC9-11D0-8574-00A0C9053912");
QUILLET_INTERFACE_ID(ISfVideoPluginExtension, "709BA0D3-F965-11D1-9AA9-00A0C99B12C5");
QUILLET_INTERFACE_ID(IDXTSfAutomation, "8D506FC4-9541-11D2-9601-00C04F8EDC2D");
QUILLET_INTERFACE_ID(IPlugin, "8CCE0EFB-C7F5-4C39-8BCA-08E64E3151BC");
// The host's change sink has no identifier of its own in the published interfaces
// (an effect only ever calls it); this one is ours, so that hosts built here can
// answer QueryInterface for it.
QUILLET_INTERFACE_ID(ISfChangeSink, "5C7F3E2A-9B41-4D6E-8A1F-2E6B7C0D9A34");

// Named factory presets. Preset names come from the module's string table.
struct IStaticFilterPreset : IUnknown {
    virtual HRESULT GetPresetCount(ULONG* count) = 0;
    // Copies preset index's name as wide characters into name, at most capacity
    // characters (including the terminator).
    virtual HRESULT GetPresetName(int index, wchar_t* name, ULONG capacity) = 0;
    virtual HRESULT SelectPreset(int index) = 0;
};

// The fixed information block an effect hands to the host (32 bytes, little-endian).
struct PluginInfoBlock {
    uint32_t version;         // 2
    uint32_t reserved0;       // 0
    double unit;              // 1.0
    uint32_t requiredInputs;  // the transform's required inputs (1)
    uint32_t maxInputs;       // the transform's most inputs (1)
    uint32_t effectCode;      // per effect
    uint32_t reserved1;       // 0
};
static_assert(sizeof(PluginInfoBlock) == 32);
static_assert(offsetof(PluginInfoBlock, reserved0) == 4);
static_assert(offsetof(PluginInfoBlock, unit) == 8);
static_assert(offsetof(PluginInfoBlock, requiredInputs) == 16);
static_assert(offsetof(PluginInfoBlock, maxInputs) == 20);
static_assert(offsetof(PluginInfoBlock, effectCode) == 24);
static_assert(offsetof(PluginInfoBlock, reserved1) == 28);

struct ISfVideoPluginExtension : IUnknown {
    // Copies min(size, 32) bytes of the information block into buffer.
    virtual HRESULT GetPluginInfo(void* buffer, ULONG size) = 0;
    // Stores v clamped into [0, 1].
    virtual HRESULT SetUnitValue(double v) = 0;
};

// Told after the effect's parameter record changed (only OnChange is ever called).
struct ISfChangeSink : IUnknown {
    virtual HRESULT OnChange() = 0;
};

// Keyframe interpolation and record streaming for the host's automation.
struct IDXTSfAutomation : IUnknown {
    virtual HRESULT SetInterpolate(BOOL on) = 0;
    virtual HRESULT SaveProps(IStream* stream) = 0;
    virtual HRESULT LoadProps(IStream* stream) = 0;
    // Reads a record from a and from b, interpolates them at t and writes the result to out.
    virtual HRESULT InterpolateStreams(IStream* out, IStream* a, IStream* b, double t) = 0;
    virtual HRESULT SetKeyframes(IStream* a, IStream* b) = 0;
    virtual HRESULT SetPosition(double t) = 0;
    // Keeps sink with a reference (null allowed), releasing the previous one.
    virtual HRESULT SetChangeSink(ISfChangeSink* sink) = 0;
};

// Whole-record exchange between the effect and its property page. One interface
// identifier serves every record type T.
inline constexpr GUID IID_ISfExchangeProps = MakeGuid("0CC91747-EF4A-11D3-8558-00802968502D");

template <class T>
struct ISfExchangeProps : IUnknown {
    virtual HRESULT GetProps(T* record) = 0;
    virtual HRESULT SetProps(const T* record) = 0;
    // The page's window receives a posted WM_COMMAND with wParam = command whenever
    // someone other than the page changes the record; a null window stops it.
    virtual HRESULT SetNotifyWindow(HWND page, UINT command) = 0;
};
template <class T>
struct InterfaceIdOf<ISfExchangeProps<T>> {
    static constexpr const GUID& value = IID_ISfExchangeProps;
};

// The effect's dual interface as the host knows it: IDXEffect under its own identifier.
struct IPlugin : IDXEffect {};
