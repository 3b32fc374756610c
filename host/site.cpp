#include "host/site.h"

#include <atomic>

#include "host/displaysurface.h"
#include "host/surfacefactory.h"
#include "host/taskmanager.h"
#include "platform/com/object.h"

namespace {

class CHostSite : public ComObjectRoot, public IDXTransformFactory, public IQuilletBandingMode {
public:
    CHostSite(ULONG processorCount, QuilletBandingMode banding) : m_processorCount(processorCount), m_banding(banding) {}

    static REFIID PrimaryInterfaceId() { return IID_IDXTransformFactory; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_IDXTransformFactory || iid == IID_IServiceProvider) {
            *object = static_cast<IDXTransformFactory*>(this);
            return S_OK;
        }
        if (iid == IID_IQuilletBandingMode) {
            *object = static_cast<IQuilletBandingMode*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }

    HRESULT FinalConstruct(IUnknown*) {
        HRESULT hr = CreateSurfaceFactory(m_surfaceFactory.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr)) hr = CreateTaskManager(m_processorCount, m_taskManager.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr)) hr = CreateDisplayService(m_displayService.ReleaseAndGetAddressOf());
        return hr;
    }

    HRESULT QueryService(REFGUID service, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (service == SID_SDXSurfaceFactory) return m_surfaceFactory->QueryInterface(iid, object);
        if (service == SID_SDXTaskManager) return m_taskManager->QueryInterface(iid, object);
        if (service == SID_SDirectDraw) return m_displayService->QueryInterface(iid, object);
        if (service == SID_SQuilletBandingMode) return static_cast<IDXTransformFactory*>(this)->QueryInterface(iid, object);
        return E_NOINTERFACE;
    }

    HRESULT GetBandingMode(ULONG* mode) override {
        if (!mode) return E_POINTER;
        *mode = m_banding.load(std::memory_order_relaxed);
        return S_OK;
    }
    void SetBandingMode(QuilletBandingMode banding) { m_banding.store(banding, std::memory_order_relaxed); }

    // The site behind an interface pointer, when it is one of ours.
    static CHostSite* Of(IUnknown* object) {
        if (!object) return nullptr;
        ComPtr<IQuilletBandingMode> mode;
        if (FAILED(object->QueryInterface(IID_IQuilletBandingMode, mode.ReleaseAndGetVoidAddress()))) return nullptr;
        return dynamic_cast<CHostSite*>(mode.Get());
    }

private:
    ULONG m_processorCount;
    std::atomic<ULONG> m_banding;
    ComPtr<IDXSurfaceFactory> m_surfaceFactory;
    ComPtr<IDXTaskManager> m_taskManager;
    ComPtr<IDirectDraw> m_displayService;
};

}  // namespace

HRESULT CreateHostSite(ULONG processorCount, IUnknown** out, QuilletBandingMode banding) {
    if (!out) return E_POINTER;
    return CreateComInstance<CHostSite>(nullptr, IID_IUnknown, reinterpret_cast<void**>(out), processorCount, banding);
}

HRESULT SetHostSiteBanding(IUnknown* site, QuilletBandingMode banding) {
    CHostSite* ours = CHostSite::Of(site);
    if (!ours) return E_INVALIDARG;
    ours->SetBandingMode(banding);
    return S_OK;
}
