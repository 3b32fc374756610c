#include "host/common/effect_session.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "host/sampleconvert.h"
#include "host/site.h"
#include "host/surface.h"
#include "platform/com/objidl.h"

namespace brushwerk::common {
namespace {

template <class I>
HRESULT Query(IUnknown* object, ComPtr<I>* out) {
    const HRESULT hr = object->QueryInterface(__uuidof(I), out->ReleaseAndGetVoidAddress());
    return SUCCEEDED(hr) && !*out ? E_NOINTERFACE : hr;
}

DXSAMPLEFORMATENUM SurfaceFormat(const FrameMemory& frame) {
    return frame.premultiplied ? DXPF_PMARGB32 : DXPF_ARGB32;
}

HRESULT SurfaceOver(const FrameMemory& frame, ComPtr<IDXSurface>* surface) {
    return CreateSurfaceOnMemory(frame.samples, frame.width, frame.height, frame.pitch, SurfaceFormat(frame),
                                 surface->ReleaseAndGetAddressOf());
}

// Rows [first, end) of one frame converted into another.
struct RowSpan {
    const FrameMemory* from;
    const FrameMemory* to;
    SampleConversion conversion;
    LONG first, end;
};

void ConvertRowSpan(const RowSpan& span) {
    for (LONG y = span.first; y < span.end; ++y)
        ConvertSampleRow(reinterpret_cast<const DXSAMPLE*>(span.from->samples + ptrdiff_t(y) * span.from->pitch),
                         reinterpret_cast<DXSAMPLE*>(span.to->samples + ptrdiff_t(y) * span.to->pitch),
                         size_t(span.from->width), span.conversion);
}

void ConvertRowSpanTask(void* span, BOOL* /*keepGoing*/) { ConvertRowSpan(*static_cast<const RowSpan*>(span)); }

// A frame converts in one piece below this many rows per worker: handing rows out costs
// more than it saves.
constexpr LONG kRowsPerTask = 64;
constexpr ULONG kMostTasks = 16;

}  // namespace

HRESULT EffectSession::Start(IUnknown* object) {
    if (!object) return Fail(SessionStep::Interfaces, E_POINTER);
    HRESULT hr = Query(object, &m_presets);
    if (SUCCEEDED(hr)) hr = Query(object, &m_persist);
    if (SUCCEEDED(hr)) hr = Query(object, &m_automation);
    if (SUCCEEDED(hr)) hr = Query(object, &m_withSite);
    if (SUCCEEDED(hr)) hr = Query(object, &m_transform);
    if (FAILED(hr)) return Fail(SessionStep::Interfaces, hr);
    hr = m_persist->InitNew();
    return FAILED(hr) ? Fail(SessionStep::Start, hr) : hr;
}

HRESULT EffectSession::Fail(SessionStep step, HRESULT hr) {
    m_failedStep = step;
    return hr;
}

HRESULT EffectSession::PresetCount(ULONG* count) {
    const HRESULT hr = m_presets->GetPresetCount(count);
    return FAILED(hr) ? Fail(SessionStep::CountPresets, hr) : hr;
}

std::wstring EffectSession::PresetName(int index) const {
    wchar_t name[260] = {};
    if (FAILED(m_presets->GetPresetName(index, name, 260))) return {};
    return name;
}

HRESULT EffectSession::SelectPreset(int index) {
    m_heldRecord.reset();
    const HRESULT hr = m_presets->SelectPreset(index);
    return FAILED(hr) ? Fail(SessionStep::SelectPreset, hr) : hr;
}

HRESULT EffectSession::ReadRecord(RecordBytes* record, bool quietly) {
    ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return Fail(SessionStep::MakeStream, hr);
    hr = quietly ? m_automation->SaveProps(stream.Get()) : m_persist->Save(stream.Get(), FALSE);
    if (FAILED(hr)) return Fail(SessionStep::SaveRecord, hr);
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    hr = stream->Seek(zero, STREAM_SEEK_END, &end);
    if (FAILED(hr)) return Fail(SessionStep::MeasureRecord, hr);
    if (end.QuadPart != m_recordSize) {
        m_storedSize = end.QuadPart;
        return Fail(SessionStep::RecordSize, E_UNEXPECTED);
    }
    hr = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return Fail(SessionStep::RewindRecord, hr);
    RecordBytes bytes(m_recordSize);
    ULONG read = 0;
    hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    if (FAILED(hr)) return Fail(SessionStep::ReadRecord, hr);
    if (read != bytes.size()) return Fail(SessionStep::ShortRecord, E_UNEXPECTED);
    m_heldRecord = bytes;
    *record = std::move(bytes);
    return S_OK;
}

HRESULT EffectSession::StreamHolding(const RecordBytes& bytes, ComPtr<IStream>* stream) {
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream->ReleaseAndGetAddressOf());
    if (FAILED(hr)) return Fail(SessionStep::MakeStream, hr);
    ULONG written = 0;
    hr = (*stream)->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr)) return Fail(SessionStep::WriteStream, hr);
    LARGE_INTEGER zero{};
    hr = (*stream)->Seek(zero, STREAM_SEEK_SET, nullptr);
    return FAILED(hr) ? Fail(SessionStep::RewindStream, hr) : hr;
}

HRESULT EffectSession::LoadRecord(const RecordBytes& record) {
    if (record.size() != m_recordSize) return Fail(SessionStep::LoadRecord, E_INVALIDARG);
    m_heldRecord.reset();
    ComPtr<IStream> stream;
    HRESULT hr = StreamHolding(record, &stream);
    if (FAILED(hr)) return hr;
    hr = m_persist->Load(stream.Get());
    if (FAILED(hr)) return Fail(SessionStep::LoadRecord, hr);
    m_heldRecord = record;
    return S_OK;
}

HRESULT EffectSession::UseRecord(const RecordBytes& record) {
    if (record.size() != m_recordSize) return Fail(SessionStep::LoadRecord, E_INVALIDARG);
    if (m_heldRecord && *m_heldRecord == record) return S_OK;
    return LoadRecord(record);
}

HRESULT EffectSession::SaveState(IStream* stream) {
    const HRESULT hr = m_persist->Save(stream, TRUE);
    return FAILED(hr) ? Fail(SessionStep::SaveState, hr) : hr;
}

HRESULT EffectSession::UseSite(unsigned processors, QuilletBandingMode banding) {
    if (m_processors == processors) {
        const HRESULT hr = SetHostSiteBanding(m_site.Get(), banding);
        return FAILED(hr) ? Fail(SessionStep::HandSite, hr) : hr;
    }
    ComPtr<IUnknown> site;
    HRESULT hr = CreateHostSite(processors, site.ReleaseAndGetAddressOf(), banding);
    if (FAILED(hr)) return Fail(SessionStep::MakeSite, hr);
    hr = m_withSite->SetSite(site.Get());
    if (FAILED(hr)) return Fail(SessionStep::HandSite, hr);
    m_processors = processors;
    m_site = site;
    // The site's workers, idle while no frame renders, also convert the frames' rows.
    m_taskManager.Reset();
    m_workers = 1;
    ComPtr<IServiceProvider> services;
    if (SUCCEEDED(Query(site.Get(), &services)) &&
        SUCCEEDED(services->QueryService(SID_SDXTaskManager, IID_IDXTaskManager, m_taskManager.ReleaseAndGetVoidAddress())) &&
        m_taskManager && FAILED(m_taskManager->QueryNumProcessors(&m_workers)))
        m_workers = 1;
    return S_OK;
}

HRESULT EffectSession::SetKeyframes(const RecordBytes& from, const RecordBytes& to) {
    m_heldRecord.reset();
    ComPtr<IStream> a, b;
    HRESULT hr = StreamHolding(from, &a);
    if (SUCCEEDED(hr)) hr = StreamHolding(to, &b);
    if (FAILED(hr)) return hr;
    hr = m_automation->SetKeyframes(a.Get(), b.Get());
    if (FAILED(hr)) return Fail(SessionStep::SetKeyframes, hr);
    hr = m_automation->SetInterpolate(TRUE);
    return FAILED(hr) ? Fail(SessionStep::SwitchInterpolation, hr) : hr;
}

HRESULT EffectSession::SetPosition(double t) {
    m_heldRecord.reset();
    const HRESULT hr = m_automation->SetPosition(t);
    return FAILED(hr) ? Fail(SessionStep::SetPosition, hr) : hr;
}

// Samples of one alpha form are copied row by row; between the forms they are
// converted by the output surface's own packing.
HRESULT EffectSession::FillOutput(const FrameMemory& input, const FrameMemory& output) {
    if (input.premultiplied == output.premultiplied) {
        ConvertRows(input, output);
        return S_OK;
    }
    ComPtr<IDXSurface> surface;
    HRESULT hr = SurfaceOver(output, &surface);
    if (FAILED(hr)) return Fail(SessionStep::MakeSurface, hr);
    ComPtr<IDXARGBReadWritePtr> access;
    hr = surface->LockSurface(nullptr, INFINITE, DXLOCKF_READWRITE, IID_IDXARGBReadWritePtr,
                              access.ReleaseAndGetVoidAddress(), nullptr);
    if (FAILED(hr)) return Fail(SessionStep::LockOutput, hr);
    DXPACKEDRECTDESC desc{};
    desc.pSamples = reinterpret_cast<DXBASESAMPLE*>(input.samples);
    desc.bPremult = input.premultiplied;
    desc.rect = {0, 0, input.width, input.height};
    desc.lRowPadding = input.pitch / 4 - input.width;
    access->PackRect(&desc);
    return S_OK;
}

// The effects work on premultiplied samples. Surfaces of the other form would hand each
// band a converted copy of its rows in every lock (two more frames of memory, allocated
// anew every frame); instead the session converts once: a straight input into the kept
// copy, a straight output in place before the effect runs and back after it. Each sample
// goes through the same conversions as it would in the locks.
HRESULT EffectSession::Render(const FrameMemory& input, const FrameMemory& output) {
    // What the surfaces would refuse, refused before any sample is copied.
    if (!input.samples || !output.samples) return Fail(SessionStep::MakeSurface, E_POINTER);
    if (input.width != output.width || input.height != output.height || input.width < 0 || input.height < 0)
        return Fail(SessionStep::MakeSurface, E_INVALIDARG);
    const bool inPlace = input.samples == output.samples;
    FrameMemory source = input;
    if (inPlace || !input.premultiplied) {
        // The effect reads neighbours of what it writes, so an input sharing the output's
        // memory is kept apart too.
        const size_t rowBytes = size_t(input.width) * 4;
        m_inputCopy.resize(rowBytes * size_t(input.height));
        source = {m_inputCopy.data(), input.width, input.height, static_cast<LONG>(rowBytes), true};
        ConvertRows(input, source);
    }
    // The output first holds the input in its own form (an output sharing the input's
    // memory holds it already), then premultiplied: a straight input's premultiplied copy
    // is that already.
    FrameMemory target = output;
    target.premultiplied = true;
    HRESULT hr = S_OK;
    if (!inPlace && !input.premultiplied && !output.premultiplied) {
        ConvertRows(source, target);
    } else {
        if (!inPlace) hr = FillOutput(input, output);
        if (FAILED(hr)) return hr;
        ConvertRows(output, target);
    }

    ComPtr<IDXSurface> in, out;
    // The input surface is only ever locked for reading.
    hr = SurfaceOver(source, &in);
    if (SUCCEEDED(hr)) hr = SurfaceOver(target, &out);
    if (SUCCEEDED(hr)) {
        IUnknown* inputs[] = {in.Get()};
        IUnknown* outputs[] = {out.Get()};
        hr = m_transform->Setup(inputs, 1, outputs, 1, 0);
        if (FAILED(hr)) {
            m_transform->Setup(nullptr, 0, nullptr, 0, 0);
            hr = Fail(SessionStep::Setup, hr);
        } else {
            const auto start = std::chrono::steady_clock::now();
            hr = m_transform->Execute(nullptr, nullptr, nullptr);
            m_executeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            // Let go of the surfaces over the host's memory before the host reuses it.
            m_transform->Setup(nullptr, 0, nullptr, 0, 0);
            if (FAILED(hr)) hr = Fail(SessionStep::Execute, hr);
        }
    } else {
        hr = Fail(SessionStep::MakeSurface, hr);
    }
    // A frame that was refused shows the input as it came, where the input is still there.
    if (FAILED(hr) && !inPlace && !output.premultiplied) {
        FillOutput(input, output);
        return hr;
    }
    ConvertRows(target, output);
    return hr;
}

// Converts every row of `from` into `to` (which may be the same memory) between their
// forms, the rows shared out among the site's workers when the frame is tall enough.
void EffectSession::ConvertRows(const FrameMemory& from, const FrameMemory& to) {
    const SampleConversion conversion = ConversionBetween(from.premultiplied, to.premultiplied);
    if (conversion == SampleConversion::Copy && from.samples == to.samples) return;
    const ULONG parts = m_taskManager ? std::min<ULONG>({m_workers, ULONG(from.height / kRowsPerTask), kMostTasks}) : 1;
    if (parts <= 1) {
        ConvertRowSpan({&from, &to, conversion, 0, from.height});
        return;
    }
    RowSpan spans[kMostTasks];
    DXTMTASKINFO tasks[kMostTasks];
    for (ULONG i = 0; i < parts; ++i) {
        spans[i] = {&from, &to, conversion, LONG(int64_t(from.height) * i / parts), LONG(int64_t(from.height) * (i + 1) / parts)};
        tasks[i] = DXTMTASKINFO{&ConvertRowSpanTask, &spans[i], nullptr, 0, nullptr};
    }
    // Nothing has run when the manager refuses the tasks: then the rows convert here.
    if (FAILED(m_taskManager->ScheduleTasks(tasks, nullptr, nullptr, parts, INFINITE)))
        ConvertRowSpan({&from, &to, conversion, 0, from.height});
}

}  // namespace brushwerk::common
