// An effect's stored state from a hostile project: random bytes of any length loaded
// through IPersistStreamInit or through a storage's "Contents" stream, then one frame
// of a random size (at most 61x61) rendered on 1 to 4 processors, per band or whole
// frame. Loading must answer
// a result code, and the frame must render or fail, whatever the bytes.
//
// Input: effect, path, processors, format and banding, width, height, then the state; the frame's
// samples are the input's bytes over again (premultiplied or not, as they fall).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/common/effect_catalog.h"
#include "host/site.h"
#include "host/surface.h"
#include "platform/com/combase.h"
#include "platform/com/objidl.h"
#include "platform/com/registry.h"

namespace {

PFN_DllGetClassObject ModuleClassObjects() {
    static PFN_DllGetClassObject get = [] {
        RegistryKeepInMemory();
        HMODULE module = nullptr;
        if (FAILED(CoLoadModuleByPath(QUILLET_MODULE_PATH, &module))) std::abort();
        return reinterpret_cast<PFN_DllGetClassObject>(GetProcAddress(module, "DllGetClassObject"));
    }();
    return get;
}

template <class I>
ComPtr<I> Query(IUnknown* object) {
    ComPtr<I> result;
    object->QueryInterface(__uuidof(I), result.ReleaseAndGetVoidAddress());
    return result;
}

HRESULT LoadState(IUnknown* effect, bool throughStorage, const uint8_t* state, size_t size) {
    ComPtr<IStream> stream;
    ComPtr<IStorage> storage;
    if (throughStorage) {
        if (FAILED(StgCreateMemoryStorage(storage.ReleaseAndGetAddressOf())) ||
            FAILED(storage->CreateStream(L"Contents", STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0,
                                         stream.ReleaseAndGetAddressOf())))
            std::abort();
    } else if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()))) {
        std::abort();
    }
    ULONG written = 0;
    stream->Write(state, static_cast<ULONG>(size), &written);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (throughStorage) {
        stream.Reset();  // the storage hands the stream out again on Load
        return Query<IPersistStorage>(effect)->Load(storage.Get());
    }
    return Query<IPersistStreamInit>(effect)->Load(stream.Get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const auto effects = brushwerk::common::AllEffects();
    const auto& effect = effects[data[0] % effects.size()];
    const bool throughStorage = data[1] & 1;
    const ULONG processors = 1 + (data[1] >> 1) % 4;
    const int width = 1 + data[2] % 61, height = 1 + data[3] % 61;

    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> object;
    if (FAILED(ModuleClassObjects()(effect.clsid, IID_IClassFactory, factory.ReleaseAndGetVoidAddress())) ||
        FAILED(factory->CreateInstance(nullptr, IID_IUnknown, object.ReleaseAndGetVoidAddress())))
        std::abort();
    LoadState(object.Get(), throughStorage, data + 4, size - 4);

    ComPtr<IUnknown> site;
    const QuilletBandingMode banding = data[1] & 16 ? QUILLET_BANDING_WHOLE_FRAME : QUILLET_BANDING_PER_BAND;
    if (FAILED(CreateHostSite(processors, site.ReleaseAndGetAddressOf(), banding))) std::abort();
    Query<IObjectWithSite>(object.Get())->SetSite(site.Get());
    std::vector<BYTE> in(size_t(width) * height * 4), out(in.size());
    for (size_t i = 0; i < in.size(); ++i) in[i] = data[i % size];
    ComPtr<IDXSurface> inSurface, outSurface;
    const DXSAMPLEFORMATENUM format = data[1] & 8 ? DXPF_ARGB32 : DXPF_PMARGB32;
    CreateSurfaceOnMemory(in.data(), width, height, width * 4, format, inSurface.ReleaseAndGetAddressOf());
    CreateSurfaceOnMemory(out.data(), width, height, width * 4, format, outSurface.ReleaseAndGetAddressOf());
    ComPtr<IDXTransform> transform = Query<IDXTransform>(object.Get());
    IUnknown* inputs[] = {inSurface.Get()};
    IUnknown* outputs[] = {outSurface.Get()};
    if (SUCCEEDED(transform->Setup(inputs, 1, outputs, 1, 0))) {
        transform->Execute(nullptr, nullptr, nullptr);
        transform->Setup(nullptr, 0, nullptr, 0, 0);
    }
    Query<IObjectWithSite>(object.Get())->SetSite(nullptr);
    return 0;
}
