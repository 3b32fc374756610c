// The host site with the transform factory and the services it looks up, and display
// surfaces that the surface factory turns back into surfaces.
#include <gtest/gtest.h>

#include "host/site.h"
#include "host/surface.h"
#include "host/surfacefactory.h"
#include "transform/dxbounds.h"

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
    EXPECT_EQ(factory->QueryService(IID_IDXSurface, IID_IUnknown, none.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
    EXPECT_EQ(factory->QueryService(SID_SDXTaskManager, IID_IDXSurface, none.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
    EXPECT_EQ(factory->QueryService(SID_SDXTaskManager, IID_IDXTaskManager, nullptr), E_POINTER);
    EXPECT_EQ(CreateHostSite(2, nullptr), E_POINTER);

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
    EXPECT_EQ(banding->GetBandingMode(nullptr), E_POINTER);
    EXPECT_EQ(SetHostSiteBanding(tasks.Get(), QUILLET_BANDING_WHOLE_FRAME), E_INVALIDARG);
    EXPECT_EQ(SetHostSiteBanding(nullptr, QUILLET_BANDING_WHOLE_FRAME), E_INVALIDARG);
}

TEST(HostDisplaySurface, FactoryGivesBackTheCarriedSurfaceAndCreatesEitherFormat) {
    ComPtr<IDXSurface> inner, back;
    ASSERT_EQ(CreateMemorySurface(3, 3, DXPF_ARGB32, inner.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IUnknown> display, dd;
    ASSERT_EQ(CreateDisplaySurface(inner.Get(), display.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(display->QueryInterface(IID_IDirectDrawSurface, dd.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(display->QueryInterface(IID_IDXSurface, dd.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
    EXPECT_EQ(CreateDisplaySurface(nullptr, dd.ReleaseAndGetAddressOf()), E_INVALIDARG);
    ComPtr<IDXSurfaceFactory> factory;
    ASSERT_EQ(CreateSurfaceFactory(factory.ReleaseAndGetAddressOf()), S_OK);
    const struct {
        IUnknown* surface;
        const GUID* format;
        HRESULT expected;
    } cases[] = {{display.Get(), nullptr, S_OK},
                 {display.Get(), &DDPF_ARGB32, S_OK},
                 {display.Get(), &DDPF_PMARGB32, E_INVALIDARG},  // not the carried surface's format
                 {inner.Get(), nullptr, E_INVALIDARG}};           // not one of our display surfaces
    for (const auto& c : cases) {
        EXPECT_EQ(factory->CreateFromDDSurface(c.surface, c.format, 0, nullptr, IID_IDXSurface, back.ReleaseAndGetVoidAddress()),
                  c.expected);
        EXPECT_EQ(back.Get(), SUCCEEDED(c.expected) ? inner.Get() : nullptr);
    }

    const DXBNDS bounds = MakeDiscreteBounds(10, 0, 30, 5);
    for (auto [id, expected] : {std::pair{&DDPF_ARGB32, DXPF_ARGB32}, {nullptr, DXPF_PMARGB32}}) {
        ComPtr<IDXSurface> s;
        ASSERT_EQ(factory->CreateSurface(nullptr, nullptr, id, &bounds, 0, nullptr, IID_IDXSurface, s.ReleaseAndGetVoidAddress()),
                  S_OK);
        DXSAMPLEFORMATENUM format{};
        s->GetPixelFormat(nullptr, &format);
        DXBNDS got{};
        s->GetBounds(&got);
        EXPECT_TRUE(format == expected && got.u.D[DXB_X].Max == 20 && got.u.D[DXB_Y].Max == 5);
    }
    ComPtr<IDXSurface> s;
    EXPECT_EQ(factory->CreateSurface(nullptr, nullptr, &IID_IDXSurface, &bounds, 0, nullptr, IID_IDXSurface,
                                     s.ReleaseAndGetVoidAddress()),
              E_INVALIDARG);
    EXPECT_EQ(factory->CreateSurface(nullptr, nullptr, nullptr, nullptr, 0, nullptr, IID_IDXSurface,
                                     s.ReleaseAndGetVoidAddress()),
              E_INVALIDARG);
}
