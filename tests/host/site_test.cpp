// The host site with the transform factory and the services the transform base looks up,
// and display surfaces that the surface factory turns back into surfaces.
#include <gtest/gtest.h>

#include "host/site.h"
#include "host/surface.h"
#include "host/surfacefactory.h"

TEST(HostSite, AnswersTheFactoryAndItsServices) {
    ComPtr<IUnknown> site, none;
    ASSERT_EQ(CreateHostSite(3, site.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IDXTransformFactory> factory;
    ASSERT_EQ(site->QueryInterface(IID_IDXTransformFactory, factory.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(site->QueryInterface(IID_IServiceProvider, none.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(factory->QueryService(SID_SDXSurfaceFactory, IID_IDXSurfaceFactory, none.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(factory->QueryService(SID_SDirectDraw, IID_IDirectDraw, none.ReleaseAndGetVoidAddress()), S_OK);
    ComPtr<IDXTaskManager> tasks, again;
    ASSERT_EQ(factory->QueryService(SID_SDXTaskManager, IID_IDXTaskManager, tasks.ReleaseAndGetVoidAddress()), S_OK);
    ULONG n = 0;
    tasks->QueryNumProcessors(&n);
    EXPECT_EQ(n, 3u);
    factory->QueryService(SID_SDXTaskManager, IID_IDXTaskManager, again.ReleaseAndGetVoidAddress());
    EXPECT_EQ(again.Get(), tasks.Get());  // one task manager per site

    // The banding mode: per band unless the host chose, changed in place by the host.
    ComPtr<IQuilletBandingMode> banding;
    ASSERT_EQ(factory->QueryService(SID_SQuilletBandingMode, IID_IQuilletBandingMode, banding.ReleaseAndGetVoidAddress()),
              S_OK);
    ULONG mode = 99;
    EXPECT_EQ(banding->GetBandingMode(&mode), S_OK);
    EXPECT_EQ(mode, ULONG{QUILLET_BANDING_PER_BAND});
    EXPECT_EQ(SetHostSiteBanding(site.Get(), QUILLET_BANDING_WHOLE_FRAME), S_OK);
    banding->GetBandingMode(&mode);
    EXPECT_EQ(mode, ULONG{QUILLET_BANDING_WHOLE_FRAME});
}

// The transform base turns a host's display surface back into the surface it carries.
TEST(HostDisplaySurface, FactoryGivesBackTheCarriedSurface) {
    ComPtr<IDXSurface> inner, back;
    ASSERT_EQ(CreateMemorySurface(3, 3, DXPF_ARGB32, inner.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IUnknown> display, dd;
    ASSERT_EQ(CreateDisplaySurface(inner.Get(), display.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(display->QueryInterface(IID_IDirectDrawSurface, dd.ReleaseAndGetVoidAddress()), S_OK);
    ComPtr<IDXSurfaceFactory> factory;
    ASSERT_EQ(CreateSurfaceFactory(factory.ReleaseAndGetAddressOf()), S_OK);
    for (IUnknown* surface : {display.Get(), static_cast<IUnknown*>(inner.Get())}) {  // the second is no display surface
        const HRESULT hr = factory->CreateFromDDSurface(surface, nullptr, 0, nullptr, IID_IDXSurface, back.ReleaseAndGetVoidAddress());
        EXPECT_EQ(hr, surface == display.Get() ? S_OK : E_INVALIDARG);
        EXPECT_EQ(back.Get(), SUCCEEDED(hr) ? inner.Get() : nullptr);
    }
}
