// CPluginEffect<T, Derived, PageClsid>: what the seven effect classes share. It joins
// the transform base (CDXBaseNTo1) with the plug-in template for the effect's record
// (CSFVideoPlugin<T>), the dual interface IPlugin, the persistence companions
// (transform/dxatlpb.h) and the aggregated free-threaded marshaler, and answers the
// effect's interfaces in their lookup order. Its ProcessBand takes the band's record
// snapshot and runs the shared band steps (framework/bandsteps.h) around the effect's
// algorithm. An effect class adds its constructor arguments and
//   static HRESULT RenderBand(const T& props, const CImageBuffer& in, CImageBuffer& out,
//                             const BandGeometry& band);
// and, where its band steps differ, a `static constexpr BandTraits kBandTraits`. An
// effect whose output rows depend on input rows beyond them also adds
//   static int RowsReachedBeyondBand(const T& props, int pictureWidth, int pictureHeight);
// the most rows its filters read beyond a band's edges when the band is a slice of
// a picture of that size; without it a band reads only its own rows.
//
// Created through ComObject<Derived> / ComAggObject<Derived> (CreateComInstance).
#pragma once

#include "framework/bandsteps.h"
#include "sdk/plugininterfaces.h"
#include "framework/sfvideoplugin.h"
#include "transform/dtbase.h"
#include "transform/dxatlpb.h"
#include "transform/dxbounds.h"
#include "platform/com/combase.h"
#include "platform/com/kit/module.h"
#include "platform/com/object.h"

// Option flags every effect sets: inputs brought to one size, smaller ones centred.
constexpr DWORD kEffectOptionFlags = DXBOF_SAME_SIZE_INPUTS | DXBOF_CENTER_INPUTS;  // 12
constexpr float kEffectDuration = 0.5f;

namespace plugin_effect_detail {
// Each record's InterpolateProps is a free function beside the record; found by
// argument-dependent lookup when the effect class is instantiated.
template <class T>
HRESULT InterpolateRecord(T* out, const T* a, const T* b, double t) {
    return InterpolateProps(out, a, b, t);
}
}  // namespace plugin_effect_detail

template <class T, class Derived, const CLSID& PageClsid>
class CPluginEffect : public ComObjectRoot,
                      public CDXBaseNTo1,
                      public CSFVideoPlugin<T>,
                      public IPlugin,
                      public CObjectSafetyImpl,
                      public CPersistStorageImpl<Derived>,
                      public CSpecifyPropertyPagesImpl<Derived>,
                      public CPersistPropertyBagImpl<Derived> {
public:
    // The constructed record is preset row 0; the strings come from this module.
    CPluginEffect(const T* presetTable, UINT firstPresetStringId, int presetCount, const CLSID& clsid,
                  DWORD effectCode)
        : CSFVideoPlugin<T>(presetTable, ComModule::Instance(), firstPresetStringId, presetCount, &clsid) {
        SetOptionFlags(kEffectOptionFlags);
        SetDurationValue(kEffectDuration);
        SetDualInterface(IID_IPlugin, static_cast<IPlugin*>(this));
        this->SetPluginInfo(m_ulNumInRequired, m_ulMaxInputs, effectCode);
    }

    // ---- object plumbing (ComObject<Derived>) -------------------------------------------

    static REFIID PrimaryInterfaceId() { return IID_ISfVideoPluginExtension; }

    // Aggregates the free-threaded marshaler under the controlling unknown.
    HRESULT FinalConstruct(IUnknown* controllingUnknown) {
        return CoCreateFreeThreadedMarshaler(controllingUnknown, m_pUnkMarshaler.ReleaseAndGetAddressOf());
    }
    void FinalRelease() { m_pUnkMarshaler.Reset(); }

    // The effect's interfaces in lookup order, then the transform base's. No AddRef.
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_ISfVideoPluginExtension) *object = static_cast<ISfVideoPluginExtension*>(this);
        else if (iid == IID_IDXTSfAutomation) *object = static_cast<IDXTSfAutomation*>(this);
        else if (iid == IID_IStaticFilterPreset) *object = static_cast<IStaticFilterPreset*>(this);
        else if (iid == IID_IPersistStreamInit) *object = static_cast<IPersistStreamInit*>(this);
        else if (iid == IID_ISfExchangeProps) *object = static_cast<ISfExchangeProps<T>*>(this);
        else if (iid == IID_IPlugin) *object = static_cast<IPlugin*>(this);
        else if (iid == IID_IDispatch) *object = static_cast<IDispatch*>(static_cast<IPlugin*>(this));
        else if (iid == IID_IMarshal) return MarshalerInterface(iid, object);
        else if (iid == IID_IDXEffect) *object = static_cast<IDXEffect*>(static_cast<IPlugin*>(this));
        else if (iid == IID_IObjectSafety) *object = static_cast<IObjectSafety*>(this);
        else if (iid == IID_IPersistStorage) *object = static_cast<IPersistStorage*>(this);
        else if (iid == IID_ISpecifyPropertyPages) *object = static_cast<ISpecifyPropertyPages*>(this);
        else if (iid == IID_IPersistPropertyBag) *object = static_cast<IPersistPropertyBag*>(this);
        else return BaseQueryInterface(iid, object);
        return S_OK;
    }

    // ---- the band routine ------------------------------------------------------------------

    // The band steps every effect takes unless it says otherwise.
    static constexpr BandTraits kBandTraits{};
    static int RowsReachedBeyondBand(const T& /*props*/, int /*pictureWidth*/, int /*pictureHeight*/) { return 0; }

    // One band: its own record snapshot, taken before any surface lock, then the shared
    // steps and the effect's RenderBand. A band that is a slice of the frame reads the
    // rows the effect's filters reach beyond it for a picture of the frame's size.
    HRESULT ProcessBand(const BandWorkInfo& work, BOOL* /*pbContinue*/) override {
        const T props = this->TakeFrameSnapshot();
        if (!m_frameKnown || !BandsAreSlicesOfOneFrame())
            return RunBandSteps(InputSurface(0), OutputSurface(), work, nullptr, 0, Derived::kBandTraits,
                                &RenderWithRecord, &props);
        const int reach = Derived::RowsReachedBeyondBand(props, BoundsWidth(m_frame), BoundsHeight(m_frame));
        return RunBandSteps(InputSurface(0), OutputSurface(), work, &m_frame, reach, Derived::kBandTraits,
                            &RenderWithRecord, &props);
    }

    // ---- the record interpolation of this effect ----------------------------------------

    HRESULT InterpolateProps(T* out, const T* a, const T* b, double t) override {
        return plugin_effect_detail::InterpolateRecord(out, a, b, t);
    }

    // ---- persistence companions -----------------------------------------------------------

    // One entry: the effect's property page.
    static const PropertyMapEntry* PropertyMap() {
        static constexpr PropertyMapEntry map[] = {PropertyPageEntry(PageClsid), PropertyMapEnd()};
        return map;
    }
    const CLSID* PersistClassId() const { return this->ClassIdPointer(); }

    // ---- IPlugin: the transform base's IDXEffect under the host's identifier ----------------

    HRESULT get_Capabilities(LONG* capabilities) override { return CDXBaseNTo1::get_Capabilities(capabilities); }
    HRESULT get_Progress(float* progress) override { return CDXBaseNTo1::get_Progress(progress); }
    HRESULT put_Progress(float progress) override { return CDXBaseNTo1::put_Progress(progress); }
    HRESULT get_StepResolution(float* step) override { return CDXBaseNTo1::get_StepResolution(step); }
    HRESULT get_Duration(float* duration) override { return CDXBaseNTo1::get_Duration(duration); }
    HRESULT put_Duration(float duration) override { return CDXBaseNTo1::put_Duration(duration); }
    HRESULT GetTypeInfoCount(UINT* count) override { return CDXBaseNTo1::GetTypeInfoCount(count); }
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return CDXBaseNTo1::GetTypeInfo(index, lcid, info);
    }
    HRESULT GetIDsOfNames(REFIID iid, const wchar_t* const* names, UINT count, LCID lcid, DISPID* ids) override {
        return CDXBaseNTo1::GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exceptionInfo, UINT* argError) override {
        return CDXBaseNTo1::Invoke(id, iid, lcid, flags, params, result, exceptionInfo, argError);
    }

protected:
    // The frame's region, kept while its bands run so that each band knows where it lies.
    // Execute holds the object lock throughout and hands the bands to the workers after
    // this, so they read it without a lock.
    HRESULT OnBeginBands(BandWorkInfo& work, ULONG& bandCount) override {
        m_frame = work.inputBounds;
        m_frameKnown = true;
        return CDXBaseNTo1::OnBeginBands(work, bandCount);
    }
    HRESULT OnEndBands(BandWorkInfo& work) override {
        m_frameKnown = false;
        return CDXBaseNTo1::OnEndBands(work);
    }

private:
    static HRESULT RenderWithRecord(const void* record, const CImageBuffer& in, CImageBuffer& out,
                                    const BandGeometry& band) {
        return Derived::RenderBand(*static_cast<const T*>(record), in, out, band);
    }

    // IMarshal comes from the aggregated marshaler. Its answer carries a reference on
    // the controlling unknown, which is given back: the caller of InternalQueryInterface
    // adds the one the client keeps.
    HRESULT MarshalerInterface(REFIID iid, void** object) {
        if (!m_pUnkMarshaler) return E_NOINTERFACE;
        HRESULT hr = m_pUnkMarshaler->QueryInterface(iid, object);
        if (SUCCEEDED(hr) && *object) static_cast<IUnknown*>(*object)->Release();
        return hr;
    }

    ComPtr<IUnknown> m_pUnkMarshaler;
    DXBNDS m_frame{};
    bool m_frameKnown = false;
};
