#include "host/frei0r/effect_renderer.h"

#include <cstring>
#include <limits>

#include "host/site.h"
#include "host/surface.h"
#include "platform/com/objidl.h"

namespace brushwerk::frei0r {
namespace {

template <class I>
HRESULT Query(IUnknown* object, ComPtr<I>* out) {
    return object->QueryInterface(__uuidof(I), out->ReleaseAndGetVoidAddress());
}

HRESULT StreamHolding(const RecordBytes& bytes, ComPtr<IStream>* stream) {
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream->ReleaseAndGetAddressOf());
    ULONG written = 0;
    if (SUCCEEDED(hr)) hr = (*stream)->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER zero{};
    if (SUCCEEDED(hr)) hr = (*stream)->Seek(zero, STREAM_SEEK_SET, nullptr);
    return hr;
}

}  // namespace

bool FrameSizeIsRenderable(unsigned width, unsigned height) {
    constexpr unsigned kLargestSide = std::numeric_limits<int32_t>::max() / 4;
    if (width > kLargestSide || height > kLargestSide) return false;
    return uint64_t(width) * height * 4 <= std::numeric_limits<size_t>::max() / 2;
}

HRESULT EffectRenderer::Create(const ModuleConnection& module, const common::EffectInfo& effect,
                               std::unique_ptr<EffectRenderer>* renderer) {
    if (!renderer) return E_POINTER;
    std::unique_ptr<EffectRenderer> made(new EffectRenderer(effect));
    HRESULT hr = module.CreateEffect(made->m_object.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) hr = Query(made->m_object.Get(), &made->m_presets);
    if (SUCCEEDED(hr)) hr = Query(made->m_object.Get(), &made->m_persist);
    if (SUCCEEDED(hr)) hr = Query(made->m_object.Get(), &made->m_withSite);
    if (SUCCEEDED(hr)) hr = Query(made->m_object.Get(), &made->m_transform);
    if (SUCCEEDED(hr)) hr = made->m_persist->InitNew();
    if (SUCCEEDED(hr)) hr = made->ReadRecord(&made->m_record);
    if (FAILED(hr)) return hr;
    *renderer = std::move(made);
    return S_OK;
}

HRESULT EffectRenderer::ReadRecord(RecordBytes* record) const {
    ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) hr = m_persist->Save(stream.Get(), FALSE);
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    if (SUCCEEDED(hr)) hr = stream->Seek(zero, STREAM_SEEK_END, &end);
    if (SUCCEEDED(hr) && end.QuadPart != m_effect.recordSize) hr = E_UNEXPECTED;
    if (SUCCEEDED(hr)) hr = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
    RecordBytes bytes(m_effect.recordSize);
    ULONG read = 0;
    hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    if (FAILED(hr)) return hr;
    if (read != bytes.size()) return E_UNEXPECTED;
    *record = std::move(bytes);
    return S_OK;
}

HRESULT EffectRenderer::ReadPresets(std::vector<Preset>* presets) {
    ULONG count = 0;
    HRESULT hr = m_presets->GetPresetCount(&count);
    if (FAILED(hr)) return hr;
    std::vector<Preset> read;
    for (ULONG i = 0; i < count; ++i) {
        Preset preset;
        wchar_t name[260] = {};
        if (SUCCEEDED(m_presets->GetPresetName(static_cast<int>(i), name, 260)))
            for (const wchar_t* c = name; *c; ++c) preset.name += (*c > 0 && *c < 0x80) ? static_cast<char>(*c) : '?';
        hr = m_presets->SelectPreset(static_cast<int>(i));
        if (SUCCEEDED(hr)) hr = ReadRecord(&preset.record);
        if (FAILED(hr)) return hr;
        read.push_back(std::move(preset));
    }
    // The object now holds the last preset: remember so, for UseRecord.
    if (!read.empty()) m_record = read.back().record;
    *presets = std::move(read);
    return S_OK;
}

HRESULT EffectRenderer::UseRecord(const RecordBytes& record) {
    if (record.size() != m_effect.recordSize) return E_INVALIDARG;
    if (record == m_record) return S_OK;
    ComPtr<IStream> stream;
    HRESULT hr = StreamHolding(record, &stream);
    if (SUCCEEDED(hr)) hr = m_persist->Load(stream.Get());
    if (FAILED(hr)) return hr;
    m_record = record;
    return S_OK;
}

HRESULT EffectRenderer::UseProcessors(unsigned processors) {
    if (processors == m_processors) return S_OK;
    ComPtr<IUnknown> site;
    HRESULT hr = CreateHostSite(processors, site.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) hr = m_withSite->SetSite(site.Get());
    if (FAILED(hr)) return hr;
    m_processors = processors;
    return S_OK;
}

HRESULT EffectRenderer::Render(const uint8_t* in, uint8_t* out, unsigned width, unsigned height) {
    if (!in || !out) return E_POINTER;
    if (!FrameSizeIsRenderable(width, height)) return E_INVALIDARG;
    if (width == 0 || height == 0) return S_OK;
    const size_t bytes = size_t(width) * height * 4;
    if (in == out) {
        // The effect reads neighbours of what it writes: keep the input apart.
        m_inputCopy.assign(in, in + bytes);
        in = m_inputCopy.data();
    } else {
        std::memcpy(out, in, bytes);
    }
    const LONG pitch = static_cast<LONG>(width) * 4;
    ComPtr<IDXSurface> input, output;
    // The input surface is only ever locked for reading.
    HRESULT hr = CreateSurfaceOnMemory(const_cast<BYTE*>(in), static_cast<LONG>(width), static_cast<LONG>(height), pitch,
                                       DXPF_ARGB32, input.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr))
        hr = CreateSurfaceOnMemory(out, static_cast<LONG>(width), static_cast<LONG>(height), pitch, DXPF_ARGB32,
                                   output.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    IUnknown* inputs[] = {input.Get()};
    IUnknown* outputs[] = {output.Get()};
    hr = m_transform->Setup(inputs, 1, outputs, 1, 0);
    if (SUCCEEDED(hr)) hr = m_transform->Execute(nullptr, nullptr, nullptr);
    // Let go of the surfaces over the host's memory before the host reuses it.
    m_transform->Setup(nullptr, 0, nullptr, 0, 0);
    return hr;
}

}  // namespace brushwerk::frei0r
