// Display-surface objects and the surface factory that turns them back into surfaces.
#include <gtest/gtest.h>

#include "host/surface.h"
#include "host/surfacefactory.h"

namespace {

ComPtr<IDXSurfaceFactory> Factory() {
    ComPtr<IDXSurfaceFactory> f;
    EXPECT_EQ(CreateSurfaceFactory(f.ReleaseAndGetAddressOf()), S_OK);
    return f;
}

}  // namespace

TEST(HostDisplaySurface, FactoryGivesBackTheCarriedSurface) {
    ComPtr<IDXSurface> inner;
    ASSERT_EQ(CreateMemorySurface(3, 3, DXPF_ARGB32, inner.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IUnknown> display;
    ASSERT_EQ(CreateDisplaySurface(inner.Get(), display.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IDirectDrawSurface> dd;
    EXPECT_EQ(display->QueryInterface(IID_IDirectDrawSurface, dd.ReleaseAndGetVoidAddress()), S_OK);
    ComPtr<IDXSurface> notASurface;
    EXPECT_EQ(display->QueryInterface(IID_IDXSurface, notASurface.ReleaseAndGetVoidAddress()), E_NOINTERFACE);

    auto factory = Factory();
    ComPtr<IDXSurface> back;
    ASSERT_EQ(factory->CreateFromDDSurface(display.Get(), nullptr, 0, nullptr, IID_IDXSurface,
                                           back.ReleaseAndGetVoidAddress()),
              S_OK);
    EXPECT_EQ(back.Get(), inner.Get());
    EXPECT_EQ(factory->CreateFromDDSurface(display.Get(), &DDPF_ARGB32, 0, nullptr, IID_IDXSurface,
                                           back.ReleaseAndGetVoidAddress()),
              S_OK);
    EXPECT_EQ(factory->CreateFromDDSurface(display.Get(), &DDPF_PMARGB32, 0, nullptr, IID_IDXSurface,
                                           back.ReleaseAndGetVoidAddress()),
              E_INVALIDARG);
    // Something that is not one of our display surfaces.
    EXPECT_EQ(factory->CreateFromDDSurface(inner.Get(), nullptr, 0, nullptr, IID_IDXSurface,
                                           back.ReleaseAndGetVoidAddress()),
              E_INVALIDARG);
    EXPECT_EQ(CreateDisplaySurface(nullptr, display.ReleaseAndGetAddressOf()), E_INVALIDARG);
}

TEST(HostDisplaySurface, FactoryCreatesSurfacesOfEitherFormat) {
    auto factory = Factory();
    DXBNDS b{};
    b.eType = DXBT_DISCRETE;
    b.u.D[DXB_X] = {10, 30};
    b.u.D[DXB_Y] = {0, 5};
    for (auto [id, expected] : {std::pair{&DDPF_ARGB32, DXPF_ARGB32}, {nullptr, DXPF_PMARGB32}}) {
        ComPtr<IDXSurface> s;
        ASSERT_EQ(factory->CreateSurface(nullptr, nullptr, id, &b, 0, nullptr, IID_IDXSurface,
                                         s.ReleaseAndGetVoidAddress()),
                  S_OK);
        DXSAMPLEFORMATENUM format{};
        s->GetPixelFormat(nullptr, &format);
        EXPECT_EQ(format, expected);
        DXBNDS got{};
        s->GetBounds(&got);
        EXPECT_EQ(got.u.D[DXB_X].Max, 20);
        EXPECT_EQ(got.u.D[DXB_Y].Max, 5);
    }
    ComPtr<IDXSurface> s;
    EXPECT_EQ(factory->CreateSurface(nullptr, nullptr, &IID_IDXSurface, &b, 0, nullptr, IID_IDXSurface,
                                     s.ReleaseAndGetVoidAddress()),
              E_INVALIDARG);
    EXPECT_EQ(factory->CreateSurface(nullptr, nullptr, nullptr, nullptr, 0, nullptr, IID_IDXSurface,
                                     s.ReleaseAndGetVoidAddress()),
              E_INVALIDARG);
}
