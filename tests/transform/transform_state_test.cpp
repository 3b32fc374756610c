// The transform base's state operations: Setup rules and object slots, site, generation
// ids, the setters' result codes, in/out information, bounds mapping and dispatch.
#include "tests/transform/transform_test_effect.h"

namespace {

ULONG Generation(IDXTransform* t) {
    ULONG id = 0;
    EXPECT_EQ(t->GetGenerationId(&id), S_OK);
    return id;
}

ComPtr<IDXSurface> Surface(LONG w, LONG h) {
    ComPtr<IDXSurface> s;
    EXPECT_EQ(CreateMemorySurface(w, h, DXPF_PMARGB32, s.ReleaseAndGetAddressOf()), S_OK);
    return s;
}

void WriteThroughLock(IDXSurface* s) {
    ComPtr<IDXARGBReadWritePtr> p;
    ASSERT_EQ(s->LockSurface(nullptr, 0, DXLOCKF_READWRITE, IID_IDXARGBReadWritePtr, p.ReleaseAndGetVoidAddress(),
                             nullptr),
              S_OK);
}

}  // namespace

TEST(TransformSetup, NeedsASiteAndAnOutput) {
    TestTransform unsited(4, false);
    auto in = Surface(4, 4), out = Surface(4, 4);
    IUnknown* ins[1] = {in.Get()};
    IUnknown* outs[1] = {out.Get()};
    EXPECT_EQ(unsited.transform->Setup(ins, 1, outs, 1, 0), DXTERR_UNINITIALIZED);
    EXPECT_EQ(unsited.transform->Execute(nullptr, nullptr, nullptr), DXTERR_UNINITIALIZED);
    // Releasing nothing is always fine.
    EXPECT_EQ(unsited.transform->Setup(nullptr, 0, nullptr, 0, 0), S_OK);
    EXPECT_EQ(unsited.effect->objectsReleasedCalls, 1);

    TestTransform sited(4);
    EXPECT_EQ(sited.transform->Execute(nullptr, nullptr, nullptr), DXTERR_UNINITIALIZED);
}

TEST(TransformSetup, ArgumentRules) {
    TestTransform t(4);
    auto in = Surface(4, 4), out = Surface(4, 4);
    IUnknown* ins[2] = {in.Get(), in.Get()};
    IUnknown* outs[2] = {out.Get(), out.Get()};
    IUnknown* nullIn[1] = {nullptr};
    IUnknown* nullOut[1] = {nullptr};
    IDXTransform* x = t.transform.Get();
    EXPECT_EQ(x->Setup(nullIn, 1, outs, 1, 0), E_INVALIDARG);  // the one input is required
    EXPECT_EQ(x->Setup(nullptr, 1, outs, 1, 0), E_INVALIDARG);
    EXPECT_EQ(x->Setup(ins, 0, outs, 1, 0), E_INVALIDARG);
    EXPECT_EQ(x->Setup(ins, 2, outs, 1, 0), E_INVALIDARG);
    EXPECT_EQ(x->Setup(ins, 1, outs, 2, 0), E_INVALIDARG);
    EXPECT_EQ(x->Setup(ins, 1, nullOut, 1, 0), E_INVALIDARG);
    EXPECT_EQ(x->Setup(ins, 1, nullptr, 1, 0), E_INVALIDARG);
    EXPECT_EQ(x->Setup(ins, 1, outs, 1, 1), E_INVALIDARG);
    EXPECT_EQ(t.effect->objectsSetCalls, 0);
    EXPECT_EQ(t.effect->OutputSurface(), nullptr);

    ASSERT_EQ(x->Setup(ins, 1, outs, 1, 0), S_OK);
    EXPECT_EQ(t.effect->objectsSetCalls, 1);
    EXPECT_EQ(t.effect->InputSurface(0), in.Get());
    EXPECT_EQ(t.effect->InputSurface(1), nullptr);
    EXPECT_EQ(t.effect->OutputSurface(), out.Get());
    ASSERT_EQ(x->Setup(nullptr, 0, nullptr, 0, 0), S_OK);
    EXPECT_EQ(t.effect->InputSurface(0), nullptr);
    EXPECT_EQ(t.effect->OutputSurface(), nullptr);
    EXPECT_EQ(t.effect->objectsReleasedCalls, 1);
}

TEST(TransformSetup, FailuresLeaveNothingAttached) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(4, 4, 4, 4), S_OK);
    // Something that is neither a surface nor a display surface.
    IUnknown* notSurface[1] = {t.hostSite.Get()};
    IUnknown* outs[1] = {t.output.Get()};
    EXPECT_EQ(t.transform->Setup(notSurface, 1, outs, 1, 0), E_INVALIDARG);
    EXPECT_EQ(t.effect->InputSurface(0), nullptr);
    EXPECT_EQ(t.effect->OutputSurface(), nullptr);
    EXPECT_EQ(t.effect->objectsReleasedCalls, 1);
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), DXTERR_UNINITIALIZED);

    // The hook's failure undoes the Setup too.
    t.effect->objectsSetResult = E_ACCESSDENIED;
    IUnknown* ins[1] = {t.input.Get()};
    EXPECT_EQ(t.transform->Setup(ins, 1, outs, 1, 0), E_ACCESSDENIED);
    EXPECT_EQ(t.effect->OutputSurface(), nullptr);
    EXPECT_EQ(t.effect->objectsReleasedCalls, 2);
}

TEST(TransformSetup, DisplaySurfacesAreAcceptedAsInputAndOutput) {
    TestTransform t(4);
    auto in = Surface(8, 8), out = Surface(8, 8);
    ComPtr<IUnknown> inDisplay, outDisplay;
    ASSERT_EQ(CreateDisplaySurface(in.Get(), inDisplay.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(CreateDisplaySurface(out.Get(), outDisplay.ReleaseAndGetAddressOf()), S_OK);
    IUnknown* ins[1] = {inDisplay.Get()};
    IUnknown* outs[1] = {outDisplay.Get()};
    ASSERT_EQ(t.transform->Setup(ins, 1, outs, 1, 0), S_OK);
    EXPECT_EQ(t.effect->InputSurface(0), in.Get());
    EXPECT_EQ(t.effect->OutputSurface(), out.Get());
    EXPECT_EQ(t.transform->Execute(nullptr, nullptr, nullptr), S_OK);

    // GetInOutInfo: an input's current object is what the host passed; the output's is
    // its surface.
    ComPtr<IUnknown> current;
    ASSERT_EQ(t.transform->GetInOutInfo(FALSE, 0, nullptr, nullptr, nullptr, current.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(current.Get(), inDisplay.Get());
    ASSERT_EQ(t.transform->GetInOutInfo(TRUE, 0, nullptr, nullptr, nullptr, current.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(static_cast<void*>(current.Get()), static_cast<void*>(out.Get()));
}

TEST(TransformSite, ServicesProcessorsEventsAndGetSite) {
    TestTransform t(3, false);
    ComPtr<IUnknown> got;
    EXPECT_EQ(t.effect->GetSite(IID_IUnknown, got.ReleaseAndGetVoidAddress()), E_FAIL);
    EXPECT_EQ(got.Get(), nullptr);
    EXPECT_EQ(t.effect->GetSite(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(t.effect->Processors(), 1u);
    ASSERT_EQ(t.effect->SetSite(t.hostSite.Get()), S_OK);
    EXPECT_EQ(t.effect->Processors(), 3u);
    EXPECT_TRUE(t.effect->EventsCreated());
    ComPtr<IDXTransformFactory> factory;
    EXPECT_EQ(t.effect->GetSite(IID_IDXTransformFactory, factory.ReleaseAndGetVoidAddress()), S_OK);

    // A site without the transform factory: the site is kept, its services are not.
    auto notASite = Surface(1, 1);
    EXPECT_EQ(t.effect->SetSite(notASite.Get()), E_NOINTERFACE);
    EXPECT_EQ(t.effect->GetSite(IID_IDXSurface, got.ReleaseAndGetVoidAddress()), S_OK);
    IUnknown* ins[1] = {notASite.Get()};
    IUnknown* outs[1] = {notASite.Get()};
    EXPECT_EQ(t.transform->Setup(ins, 1, outs, 1, 0), DXTERR_UNINITIALIZED);
    EXPECT_EQ(t.effect->SetSite(nullptr), S_OK);
    EXPECT_EQ(t.effect->GetSite(IID_IUnknown, got.ReleaseAndGetVoidAddress()), E_FAIL);
}

TEST(TransformGeneration, FirstCheckAfterSetupCountsEachInputOnce) {
    TestTransform t(4);
    ULONG start = Generation(t.transform.Get());
    EXPECT_EQ(start, 1u);
    ASSERT_EQ(t.SetupSurfaces(8, 8, 8, 8), S_OK);
    EXPECT_EQ(Generation(t.transform.Get()), start + 1);
    EXPECT_EQ(Generation(t.transform.Get()), start + 1);  // nothing changed since
    WriteThroughLock(t.input.Get());
    EXPECT_EQ(Generation(t.transform.Get()), start + 2);
    // The output is watched only by in-place transforms.
    WriteThroughLock(t.output.Get());
    EXPECT_EQ(Generation(t.transform.Get()), start + 2);
    t.effect->SetMiscFlagsField(0x06030003 | DXTMF_INPLACE_OPERATION);
    EXPECT_EQ(Generation(t.transform.Get()), start + 3);
    EXPECT_EQ(t.transform->GetGenerationId(nullptr), E_POINTER);
}

TEST(TransformGeneration, IncrementAndRefresh) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(8, 8, 8, 8), S_OK);
    ULONG g = Generation(t.transform.Get());
    ASSERT_EQ(t.transform->IncrementGenerationId(FALSE), S_OK);
    EXPECT_EQ(Generation(t.transform.Get()), g + 1);
    // Refresh sets the same objects up again: the input counts as changed once more.
    ASSERT_EQ(t.transform->IncrementGenerationId(TRUE), S_OK);
    EXPECT_EQ(t.effect->objectsSetCalls, 2);
    EXPECT_EQ(t.effect->InputSurface(0), t.input.Get());
    EXPECT_EQ(Generation(t.transform.Get()), g + 3);
    ULONG size = 0;
    EXPECT_EQ(t.transform->GetObjectSize(&size), S_OK);
    EXPECT_GE(size, sizeof(CDXBaseNTo1));
    EXPECT_EQ(t.transform->GetObjectSize(nullptr), E_POINTER);
}

TEST(TransformSetters, ResultCodesAndGenerationSteps) {
    TestTransform t(4);
    IDXTransform* x = t.transform.Get();
    CTestEffect* e = t.effect;
    ULONG g = Generation(x);

    float value = 0;
    ASSERT_EQ(e->get_Duration(&value), S_OK);
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(e->put_Duration(0.0f), E_INVALIDARG);
    EXPECT_EQ(e->put_Duration(-1.0f), E_INVALIDARG);
    EXPECT_EQ(e->put_Duration(1.0f), S_OK);  // same value: no change
    EXPECT_EQ(Generation(x), g);
    EXPECT_EQ(e->put_Duration(2.5f), S_OK);
    EXPECT_EQ(Generation(x), ++g);
    e->get_Duration(&value);
    EXPECT_EQ(value, 2.5f);

    EXPECT_EQ(e->put_Progress(1.5f), E_INVALIDARG);
    EXPECT_EQ(e->put_Progress(-0.1f), E_INVALIDARG);
    EXPECT_EQ(e->put_Progress(0.25f), S_OK);
    EXPECT_EQ(Generation(x), ++g);
    EXPECT_EQ(e->put_Progress(0.25f), S_OK);  // progress always advances
    EXPECT_EQ(Generation(x), ++g);
    e->get_Progress(&value);
    EXPECT_EQ(value, 0.25f);
    e->get_StepResolution(&value);
    EXPECT_EQ(value, 0.0f);
    LONG caps = -1;
    EXPECT_EQ(e->get_Capabilities(&caps), S_OK);
    EXPECT_EQ(caps, 0);
    EXPECT_EQ(e->get_Progress(nullptr), E_POINTER);
    EXPECT_EQ(e->get_Duration(nullptr), E_POINTER);
    EXPECT_EQ(e->get_StepResolution(nullptr), E_POINTER);
    EXPECT_EQ(e->get_Capabilities(nullptr), E_POINTER);

    DWORD misc = 0;
    ASSERT_EQ(x->GetMiscFlags(&misc), S_OK);
    EXPECT_EQ(misc, 0x06030003u);
    EXPECT_EQ(x->SetMiscFlags(4), E_INVALIDARG);
    EXPECT_EQ(x->SetMiscFlags(3), S_OK);  // already in force
    EXPECT_EQ(Generation(x), g);
    EXPECT_EQ(x->SetMiscFlags(1), S_OK);
    EXPECT_EQ(Generation(x), ++g);
    x->GetMiscFlags(&misc);
    EXPECT_EQ(misc, 0x06030001u);
    EXPECT_EQ(x->GetMiscFlags(nullptr), E_POINTER);
    e->SetMiscFlagsField(0x06000000);  // neither blend nor dither supported
    EXPECT_EQ(x->SetMiscFlags(1), E_INVALIDARG);
    EXPECT_EQ(x->SetMiscFlags(2), E_INVALIDARG);

    float q = 0;
    EXPECT_EQ(x->SetQuality(0.7f), E_NOTIMPL);
    EXPECT_EQ(x->GetQuality(&q), E_NOTIMPL);
    e->SetMiscFlagsField(0x06030003 | DXTMF_QUALITY_SUPPORTED);
    EXPECT_EQ(x->SetQuality(1.5f), E_INVALIDARG);
    EXPECT_EQ(x->SetQuality(0.5f), S_OK);  // unchanged
    EXPECT_EQ(Generation(x), g);
    EXPECT_EQ(x->SetQuality(0.7f), S_OK);
    EXPECT_EQ(Generation(x), ++g);
    EXPECT_EQ(x->GetQuality(&q), S_OK);
    EXPECT_EQ(q, 0.7f);
    EXPECT_EQ(x->GetQuality(nullptr), E_POINTER);
}

TEST(TransformInfo, InOutInfoAndBoundsMapping) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(30, 20, 10, 10), S_OK);
    IDXTransform* x = t.transform.Get();

    DWORD flags = 99;
    GUID ids[2] = {};
    ULONG count = 2;
    EXPECT_EQ(x->GetInOutInfo(FALSE, 0, &flags, ids, &count, nullptr), S_OK);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(ids[0], IID_IDXSurface);
    EXPECT_EQ(ids[1], IID_IDirectDrawSurface);
    count = 1;
    ids[1] = GUID_NULL;
    EXPECT_EQ(x->GetInOutInfo(TRUE, 0, nullptr, ids, &count, nullptr), HRESULT_MORE_DATA);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(ids[0], IID_IDXSurface);
    EXPECT_EQ(ids[1], GUID_NULL);
    count = 0;
    EXPECT_EQ(x->GetInOutInfo(FALSE, 0, nullptr, nullptr, &count, nullptr), S_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(x->GetInOutInfo(FALSE, 1, &flags, nullptr, &count, nullptr), S_FALSE);
    EXPECT_EQ(x->GetInOutInfo(TRUE, 1, &flags, nullptr, &count, nullptr), S_FALSE);
    EXPECT_EQ(x->GetInOutInfo(FALSE, 0, nullptr, ids, nullptr, nullptr), E_INVALIDARG);

    DXBNDS out{};
    ASSERT_EQ(x->MapBoundsIn2Out(nullptr, 0, 0, &out), S_OK);
    EXPECT_EQ(BoundsWidth(out), 30);  // the input's bounds
    EXPECT_EQ(BoundsHeight(out), 20);
    DXBNDS given[2] = {MakeDiscreteBounds(0, 0, 5, 5), MakeDiscreteBounds(10, 2, 12, 8)};
    ASSERT_EQ(x->MapBoundsIn2Out(given, 2, 0, &out), S_OK);
    EXPECT_EQ(ColMax(out), 12);
    EXPECT_EQ(RowMax(out), 8);
    EXPECT_EQ(x->MapBoundsIn2Out(given, 2, 1, &out), E_INVALIDARG);
    EXPECT_EQ(x->MapBoundsIn2Out(nullptr, 1, 0, &out), E_INVALIDARG);
    EXPECT_EQ(x->MapBoundsIn2Out(nullptr, 0, 0, nullptr), E_POINTER);
    given[0].eType = DXBT_CONTINUOUS;
    EXPECT_EQ(x->MapBoundsIn2Out(given, 1, 0, &out), E_INVALIDARG);

    DXBNDS in{};
    DXBNDS some = MakeDiscreteBounds(1, 2, 3, 4);
    ASSERT_EQ(x->MapBoundsOut2In(0, &some, 0, &in), S_OK);
    EXPECT_EQ(std::memcmp(&in, &some, sizeof in), 0);
    EXPECT_EQ(x->MapBoundsOut2In(1, &some, 0, &in), E_INVALIDARG);
    EXPECT_EQ(x->MapBoundsOut2In(0, &some, 1, &in), E_INVALIDARG);
    EXPECT_EQ(x->MapBoundsOut2In(0, &some, 0, nullptr), E_POINTER);
}

TEST(TransformInterfaces, Query) {
    TestTransform t(4);
    IDXTransform* x = t.transform.Get();
    for (const GUID* iid : {&IID_IDXTransform, &IID_IDXBaseObject, &IID_IObjectWithSite, &IID_IDXEffect,
                            &IID_IDispatch, &IID_IUnknown}) {
        ComPtr<IUnknown> p;
        EXPECT_EQ(x->QueryInterface(*iid, p.ReleaseAndGetVoidAddress()), S_OK);
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(x->QueryInterface(IID_IDXSurface, none.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
}
