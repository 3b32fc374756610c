// The transform base's state operations: Setup rules and object slots, the site,
// generation ids, the setters' result codes, in/out information and bounds mapping.
#include <functional>

#include "tests/transform/transform_test_effect.h"

namespace {

ULONG Generation(IDXTransform* t) {
    ULONG id = 0;
    EXPECT_EQ(t->GetGenerationId(&id), S_OK);
    return id;
}

void WriteThroughLock(IDXSurface* s) {
    ComPtr<IDXARGBReadWritePtr> p;
    ASSERT_EQ(s->LockSurface(nullptr, 0, DXLOCKF_READWRITE, IID_IDXARGBReadWritePtr, p.ReleaseAndGetVoidAddress(), nullptr),
              S_OK);
}

}  // namespace

TEST(TransformSetup, ArgumentsObjectsAndFailuresThatLeaveNothingAttached) {
    TestTransform unsited(4, false);
    auto in = MemorySurface(4, 4), out = MemorySurface(4, 4);
    IUnknown *ins[2] = {in.Get(), in.Get()}, *outs[2] = {out.Get(), out.Get()}, *none[1] = {nullptr};
    EXPECT_EQ(unsited.transform->Setup(ins, 1, outs, 1, 0), DXTERR_UNINITIALIZED);
    EXPECT_EQ(unsited.transform->Execute(nullptr, nullptr, nullptr), DXTERR_UNINITIALIZED);
    EXPECT_EQ(unsited.transform->Setup(nullptr, 0, nullptr, 0, 0), S_OK);  // releasing nothing is always fine
    EXPECT_EQ(unsited.effect->objectsReleasedCalls, 1);

    TestTransform t(4);
    IDXTransform* x = t.transform.Get();
    EXPECT_EQ(x->Execute(nullptr, nullptr, nullptr), DXTERR_UNINITIALIZED);
    const std::function<HRESULT()> refused[] = {
        [&] { return x->Setup(none, 1, outs, 1, 0); },  [&] { return x->Setup(nullptr, 1, outs, 1, 0); },
        [&] { return x->Setup(ins, 0, outs, 1, 0); },   [&] { return x->Setup(ins, 2, outs, 1, 0); },
        [&] { return x->Setup(ins, 1, outs, 2, 0); },   [&] { return x->Setup(ins, 1, none, 1, 0); },
        [&] { return x->Setup(ins, 1, nullptr, 1, 0); }, [&] { return x->Setup(ins, 1, outs, 1, 1); }};
    for (const auto& call : refused) EXPECT_EQ(call(), E_INVALIDARG) << &call - refused;
    EXPECT_EQ(t.effect->objectsSetCalls, 0);
    ASSERT_EQ(x->Setup(ins, 1, outs, 1, 0), S_OK);
    EXPECT_EQ(t.effect->objectsSetCalls, 1);
    EXPECT_TRUE(t.effect->InputSurface(0) == in.Get() && !t.effect->InputSurface(1) && t.effect->OutputSurface() == out.Get());

    // Something that is no surface, or the hook's failure, undoes the Setup.
    IUnknown* notSurface[1] = {t.hostSite.Get()};
    EXPECT_EQ(x->Setup(notSurface, 1, outs, 1, 0), E_INVALIDARG);
    EXPECT_TRUE(!t.effect->InputSurface(0) && !t.effect->OutputSurface());
    EXPECT_EQ(t.effect->objectsReleasedCalls, 1);
    EXPECT_EQ(x->Execute(nullptr, nullptr, nullptr), DXTERR_UNINITIALIZED);
    t.effect->objectsSetResult = E_ACCESSDENIED;
    EXPECT_EQ(x->Setup(ins, 1, outs, 1, 0), E_ACCESSDENIED);
    EXPECT_EQ(t.effect->OutputSurface(), nullptr);
    EXPECT_EQ(t.effect->objectsReleasedCalls, 2);
    t.effect->objectsSetResult = S_OK;

    // Display surfaces are accepted; an input's current object is what the host passed,
    // the output's is its surface.
    ComPtr<IUnknown> inDisplay, outDisplay, current;
    ASSERT_EQ(CreateDisplaySurface(in.Get(), inDisplay.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(CreateDisplaySurface(out.Get(), outDisplay.ReleaseAndGetAddressOf()), S_OK);
    IUnknown *displayIn[1] = {inDisplay.Get()}, *displayOut[1] = {outDisplay.Get()};
    ASSERT_EQ(x->Setup(displayIn, 1, displayOut, 1, 0), S_OK);
    EXPECT_TRUE(t.effect->InputSurface(0) == in.Get() && t.effect->OutputSurface() == out.Get());
    EXPECT_EQ(x->Execute(nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(x->GetInOutInfo(FALSE, 0, nullptr, nullptr, nullptr, current.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(current.Get(), inDisplay.Get());
    ASSERT_EQ(x->GetInOutInfo(TRUE, 0, nullptr, nullptr, nullptr, current.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(static_cast<void*>(current.Get()), static_cast<void*>(out.Get()));
}

TEST(TransformSite, ServicesProcessorsEventsAndGetSite) {
    TestTransform t(3, false);
    ComPtr<IUnknown> got;
    EXPECT_EQ(t.effect->GetSite(IID_IUnknown, got.ReleaseAndGetVoidAddress()), E_FAIL);
    EXPECT_EQ(t.effect->GetSite(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(t.effect->Processors(), 1u);
    ASSERT_EQ(t.effect->SetSite(t.hostSite.Get()), S_OK);
    EXPECT_EQ(t.effect->Processors(), 3u);
    EXPECT_TRUE(t.effect->EventsCreated());
    EXPECT_EQ(t.effect->GetSite(IID_IDXTransformFactory, got.ReleaseAndGetVoidAddress()), S_OK);

    // A site without the transform factory: the site is kept, its services are not.
    auto notASite = MemorySurface(1, 1);
    EXPECT_EQ(t.effect->SetSite(notASite.Get()), E_NOINTERFACE);
    EXPECT_EQ(t.effect->GetSite(IID_IDXSurface, got.ReleaseAndGetVoidAddress()), S_OK);
    IUnknown* surfaces[1] = {notASite.Get()};
    EXPECT_EQ(t.transform->Setup(surfaces, 1, surfaces, 1, 0), DXTERR_UNINITIALIZED);
    EXPECT_EQ(t.effect->SetSite(nullptr), S_OK);
    EXPECT_EQ(t.effect->GetSite(IID_IUnknown, got.ReleaseAndGetVoidAddress()), E_FAIL);
}

// The first check after Setup counts each input once; the output is watched only by
// in-place transforms; a refresh sets the same objects up again.
TEST(TransformGeneration, CountsChangedInputsIncrementsAndRefreshes) {
    TestTransform t(4);
    IDXTransform* x = t.transform.Get();
    const ULONG start = Generation(x);
    EXPECT_EQ(start, 1u);
    ASSERT_EQ(t.SetupSurfaces(8, 8, 8, 8), S_OK);
    EXPECT_EQ(Generation(x), start + 1);
    EXPECT_EQ(Generation(x), start + 1);
    WriteThroughLock(t.input.Get());
    EXPECT_EQ(Generation(x), start + 2);
    WriteThroughLock(t.output.Get());
    EXPECT_EQ(Generation(x), start + 2);
    t.effect->SetMiscFlagsField(0x06030003 | DXTMF_INPLACE_OPERATION);
    EXPECT_EQ(Generation(x), start + 3);
    t.effect->SetMiscFlagsField(0x06030003);
    ASSERT_EQ(x->IncrementGenerationId(FALSE), S_OK);
    EXPECT_EQ(Generation(x), start + 4);
    ASSERT_EQ(x->IncrementGenerationId(TRUE), S_OK);
    EXPECT_EQ(t.effect->objectsSetCalls, 2);
    EXPECT_EQ(t.effect->InputSurface(0), t.input.Get());
    EXPECT_EQ(Generation(x), start + 6);
    EXPECT_EQ(x->GetGenerationId(nullptr), E_POINTER);
    EXPECT_EQ(x->GetObjectSize(nullptr), E_POINTER);
}

// Each setter with its answer and how far it moves the generation: a change one step,
// the same value none, a refusal none; progress always advances.
TEST(TransformSetters, ResultCodesAndGenerationSteps) {
    TestTransform t(4);
    IDXTransform* x = t.transform.Get();
    CTestEffect* e = t.effect;
    const struct {
        std::function<HRESULT()> call;
        HRESULT expected;
        ULONG steps;
    } cases[] = {
        {[&] { return e->put_Duration(0.0f); }, E_INVALIDARG, 0}, {[&] { return e->put_Duration(-1.0f); }, E_INVALIDARG, 0},
        {[&] { return e->put_Duration(1.0f); }, S_OK, 0},          {[&] { return e->put_Duration(2.5f); }, S_OK, 1},
        {[&] { return e->put_Progress(1.5f); }, E_INVALIDARG, 0}, {[&] { return e->put_Progress(-0.1f); }, E_INVALIDARG, 0},
        {[&] { return e->put_Progress(0.25f); }, S_OK, 1},         {[&] { return e->put_Progress(0.25f); }, S_OK, 1},
        {[&] { return x->SetMiscFlags(4); }, E_INVALIDARG, 0},    {[&] { return x->SetMiscFlags(3); }, S_OK, 0},
        {[&] { return x->SetMiscFlags(1); }, S_OK, 1},             {[&] { return x->SetQuality(0.7f); }, E_NOTIMPL, 0},
        {[&] { return e->SetMiscFlagsField(0x06030001 | DXTMF_QUALITY_SUPPORTED), x->SetQuality(1.5f); }, E_INVALIDARG, 0},
        {[&] { return x->SetQuality(0.5f); }, S_OK, 0},            {[&] { return x->SetQuality(0.7f); }, S_OK, 1},
        {[&] { return e->SetMiscFlagsField(0x06000000), x->SetMiscFlags(1); }, E_INVALIDARG, 0},  // neither supported
        {[&] { return x->SetMiscFlags(2); }, E_INVALIDARG, 0},
    };
    for (const auto& c : cases) {
        const ULONG before = Generation(x);
        EXPECT_EQ(c.call(), c.expected) << &c - cases;
        EXPECT_EQ(Generation(x), before + c.steps) << &c - cases;
    }
    float duration = 0, progress = 0, step = -1, quality = 0;
    LONG caps = -1;
    DWORD misc = 0;
    EXPECT_EQ(e->get_Duration(&duration) | e->get_Progress(&progress) | e->get_StepResolution(&step) |
                  e->get_Capabilities(&caps) | x->GetMiscFlags(&misc),
              S_OK);
    EXPECT_TRUE(duration == 2.5f && progress == 0.25f && step == 0.0f && caps == 0) << duration;
    EXPECT_EQ(misc, 0x06000000u);
    EXPECT_EQ(x->GetQuality(&quality), E_NOTIMPL);
    e->SetMiscFlagsField(0x06030003 | DXTMF_QUALITY_SUPPORTED);
    EXPECT_EQ(x->GetQuality(&quality), S_OK);
    EXPECT_EQ(quality, 0.7f);
    for (HRESULT hr : {e->get_Progress(nullptr), e->get_Duration(nullptr), e->get_StepResolution(nullptr),
                       e->get_Capabilities(nullptr), x->GetMiscFlags(nullptr), x->GetQuality(nullptr)})
        EXPECT_EQ(hr, E_POINTER);
}

TEST(TransformInfo, InOutInfoAndBoundsMapping) {
    TestTransform t(4);
    ASSERT_EQ(t.SetupSurfaces(30, 20, 10, 10), S_OK);
    IDXTransform* x = t.transform.Get();
    DWORD flags = 99;
    GUID ids[2] = {};
    ULONG count = 2;
    EXPECT_EQ(x->GetInOutInfo(FALSE, 0, &flags, ids, &count, nullptr), S_OK);
    EXPECT_TRUE(flags == 0 && count == 2 && ids[0] == IID_IDXSurface && ids[1] == IID_IDirectDrawSurface);
    count = 1;
    ids[1] = GUID_NULL;
    EXPECT_EQ(x->GetInOutInfo(TRUE, 0, nullptr, ids, &count, nullptr), HRESULT_MORE_DATA);
    EXPECT_TRUE(count == 2 && ids[0] == IID_IDXSurface && ids[1] == GUID_NULL);
    count = 0;
    EXPECT_EQ(x->GetInOutInfo(FALSE, 0, nullptr, nullptr, &count, nullptr), S_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(x->GetInOutInfo(FALSE, 1, &flags, nullptr, &count, nullptr), S_FALSE);
    EXPECT_EQ(x->GetInOutInfo(TRUE, 1, &flags, nullptr, &count, nullptr), S_FALSE);
    EXPECT_EQ(x->GetInOutInfo(FALSE, 0, nullptr, ids, nullptr, nullptr), E_INVALIDARG);

    DXBNDS out{}, in{};
    ASSERT_EQ(x->MapBoundsIn2Out(nullptr, 0, 0, &out), S_OK);
    EXPECT_TRUE(BoundsWidth(out) == 30 && BoundsHeight(out) == 20);  // the input's bounds
    DXBNDS given[2] = {MakeDiscreteBounds(0, 0, 5, 5), MakeDiscreteBounds(10, 2, 12, 8)};
    ASSERT_EQ(x->MapBoundsIn2Out(given, 2, 0, &out), S_OK);
    EXPECT_TRUE(ColMax(out) == 12 && RowMax(out) == 8);
    const DXBNDS some = MakeDiscreteBounds(1, 2, 3, 4);
    ASSERT_EQ(x->MapBoundsOut2In(0, &some, 0, &in), S_OK);
    EXPECT_EQ(std::memcmp(&in, &some, sizeof in), 0);
    EXPECT_EQ(x->MapBoundsIn2Out(nullptr, 0, 0, nullptr), E_POINTER);
    EXPECT_EQ(x->MapBoundsOut2In(0, &some, 0, nullptr), E_POINTER);
    DXBNDS continuous = given[0];
    continuous.eType = DXBT_CONTINUOUS;
    for (HRESULT hr : {x->MapBoundsIn2Out(given, 2, 1, &out), x->MapBoundsIn2Out(nullptr, 1, 0, &out),
                       x->MapBoundsOut2In(1, &some, 0, &in), x->MapBoundsOut2In(0, &some, 1, &in),
                       x->MapBoundsIn2Out(&continuous, 1, 0, &out)})
        EXPECT_EQ(hr, E_INVALIDARG);
}
