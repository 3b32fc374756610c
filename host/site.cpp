#include "host/site.h"

#include "host/displaysurface.h"
#include "host/surfacefactory.h"
#include "host/taskmanager.h"
#include "platform/com/object.h"

namespace {

class CHostSite : public ComObjectRoot, public IDXTransformFactory {
public:
    explicit CHostSite(ULONG processorCount) : m_processorCount(processorCount) {}

    static REFIID PrimaryInterfaceId() { return IID_IDXTransformFactory; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_IDXTransformFactory || iid == IID_IServiceProvider) {
            *object = static_cast<IDXTransformFactory*>(this);
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
        return E_NOINTERFACE;
    }

private:
    ULONG m_processorCount;
    ComPtr<IDXSurfaceFactory> m_surfaceFactory;
    ComPtr<IDXTaskManager> m_taskManager;
    ComPtr<IDirectDraw> m_displayService;
};

}  // namespace

HRESULT CreateHostSite(ULONG processorCount, IUnknown** out) {
    if (!out) return E_POINTER;
    return CreateComInstance<CHostSite>(nullptr, IID_IUnknown, reinterpret_cast<void**>(out), processorCount);
}
