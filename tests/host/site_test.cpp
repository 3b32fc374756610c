// The host site: the transform factory and the services it looks up.
#include <gtest/gtest.h>

#include "host/site.h"

TEST(HostSite, AnswersTheFactoryAndItsServices) {
    ComPtr<IUnknown> site;
    ASSERT_EQ(CreateHostSite(3, site.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IDXTransformFactory> factory;
    ASSERT_EQ(site->QueryInterface(IID_IDXTransformFactory, factory.ReleaseAndGetVoidAddress()), S_OK);
    ComPtr<IServiceProvider> provider;
    EXPECT_EQ(site->QueryInterface(IID_IServiceProvider, provider.ReleaseAndGetVoidAddress()), S_OK);

    ComPtr<IDXSurfaceFactory> surfaces;
    EXPECT_EQ(factory->QueryService(SID_SDXSurfaceFactory, IID_IDXSurfaceFactory, surfaces.ReleaseAndGetVoidAddress()),
              S_OK);
    ComPtr<IDXTaskManager> tasks;
    ASSERT_EQ(factory->QueryService(SID_SDXTaskManager, IID_IDXTaskManager, tasks.ReleaseAndGetVoidAddress()), S_OK);
    ULONG n = 0;
    tasks->QueryNumProcessors(&n);
    EXPECT_EQ(n, 3u);
    ComPtr<IDXTaskManager> again;
    factory->QueryService(SID_SDXTaskManager, IID_IDXTaskManager, again.ReleaseAndGetVoidAddress());
    EXPECT_EQ(again.Get(), tasks.Get());  // one task manager per site
    ComPtr<IDirectDraw> display;
    EXPECT_EQ(factory->QueryService(SID_SDirectDraw, IID_IDirectDraw, display.ReleaseAndGetVoidAddress()), S_OK);

    ComPtr<IUnknown> none;
    EXPECT_EQ(factory->QueryService(IID_IDXSurface, IID_IUnknown, none.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
    EXPECT_EQ(factory->QueryService(SID_SDXTaskManager, IID_IDXSurface, none.ReleaseAndGetVoidAddress()),
              E_NOINTERFACE);
    EXPECT_EQ(factory->QueryService(SID_SDXTaskManager, IID_IDXTaskManager, nullptr), E_POINTER);
    EXPECT_EQ(CreateHostSite(2, nullptr), E_POINTER);
}
