#include "host/cli/effect_instance.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

#include "host/cli/cli_error.h"
#include "host/cli/replacement_file.h"
#include "host/cli/result_words.h"
#include "host/site.h"
#include "host/surface.h"
#include "platform/com/objidl.h"

namespace brushwerk::cli {
namespace {

void Check(HRESULT hr, const std::string& what) {
    if (FAILED(hr)) throw CliError(what + " failed: " + ResultInWords(hr));
}

ComPtr<IStream> StreamHolding(const RecordBytes& bytes) {
    ComPtr<IStream> stream;
    Check(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()), "making a memory stream");
    ULONG written = 0;
    Check(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), "writing a memory stream");
    LARGE_INTEGER zero{};
    Check(stream->Seek(zero, STREAM_SEEK_SET, nullptr), "rewinding a memory stream");
    return stream;
}

std::string Lower(std::string_view s) {
    std::string out;
    for (char c : s) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}
std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

DXSAMPLEFORMATENUM SurfaceFormatOf(AlphaForm alpha) {
    return alpha == AlphaForm::Premultiplied ? DXPF_PMARGB32 : DXPF_ARGB32;
}

ComPtr<IDXSurface> SurfaceOver(const Image& image) {
    ComPtr<IDXSurface> surface;
    // The surface only reads through a read lock for the input; it never writes to it.
    Check(CreateSurfaceOnMemory(const_cast<BYTE*>(image.bgra.data()), image.width, image.height,
                                static_cast<LONG>(image.Pitch()), SurfaceFormatOf(image.alpha),
                                surface.ReleaseAndGetAddressOf()),
          "making a surface");
    return surface;
}

// Fills the output surface with the input's samples, converted by the surface's own
// packing between the two alpha forms.
void FillFrom(IDXSurface* output, const Image& input) {
    ComPtr<IDXARGBReadWritePtr> access;
    Check(output->LockSurface(nullptr, INFINITE, DXLOCKF_READWRITE, IID_IDXARGBReadWritePtr,
                              access.ReleaseAndGetVoidAddress(), nullptr),
          "locking the output surface");
    DXPACKEDRECTDESC desc{};
    desc.pSamples = reinterpret_cast<DXBASESAMPLE*>(const_cast<uint8_t*>(input.bgra.data()));
    desc.bPremult = input.alpha == AlphaForm::Premultiplied;
    desc.rect = {0, 0, input.width, input.height};
    desc.lRowPadding = 0;
    access->PackRect(&desc);
}

}  // namespace

std::string NarrowText(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text) {
        const uint32_t c = static_cast<uint32_t>(*text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | ((c >> 18) & 0x07));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

template <class I>
ComPtr<I> EffectInstance::Query() const {
    ComPtr<I> p;
    const HRESULT hr = m_object->QueryInterface(__uuidof(I), p.ReleaseAndGetVoidAddress());
    if (FAILED(hr) || !p)
        throw CliError(std::string(m_info.shortName) + " does not answer a host interface it must have: " +
                       ResultInWords(hr));
    return p;
}

EffectInstance::EffectInstance(const ModuleHost& host, const EffectInfo& effect)
    : m_info(effect), m_object(host.CreateEffect(effect)) {
    m_presets = Query<IStaticFilterPreset>();
    m_persist = Query<IPersistStreamInit>();
    m_automation = Query<IDXTSfAutomation>();
    m_transform = Query<IDXTransform>();
    Check(m_persist->InitNew(), "starting " + std::string(effect.shortName));
}

std::vector<std::string> EffectInstance::PresetNames() const {
    ULONG count = 0;
    Check(m_presets->GetPresetCount(&count), "counting presets");
    std::vector<std::string> names;
    for (ULONG i = 0; i < count; ++i) {
        wchar_t name[260] = {};
        const HRESULT hr = m_presets->GetPresetName(static_cast<int>(i), name, 260);
        names.push_back(SUCCEEDED(hr) ? NarrowText(name) : std::string());
    }
    return names;
}

int EffectInstance::FindPreset(std::string_view wanted) const {
    const std::vector<std::string> names = PresetNames();
    int index = -1;
    auto [end, ec] = std::from_chars(wanted.data(), wanted.data() + wanted.size(), index);
    if (ec == std::errc() && end == wanted.data() + wanted.size()) {
        if (index >= 0 && index < static_cast<int>(names.size())) return index;
    } else {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == wanted) return static_cast<int>(i);
        for (size_t i = 0; i < names.size(); ++i)
            if (Lower(Trim(names[i])) == Lower(Trim(wanted))) return static_cast<int>(i);
    }
    std::string list;
    for (size_t i = 0; i < names.size(); ++i) list += (i ? ", " : " ") + std::to_string(i) + " \"" + names[i] + "\"";
    throw CliError("unknown preset '" + std::string(wanted) + "' for " + m_info.shortName + "; presets:" + list,
                   kExitUsage);
}

void EffectInstance::SelectPreset(int index) { Check(m_presets->SelectPreset(index), "selecting preset"); }

RecordBytes EffectInstance::Record() const {
    ComPtr<IStream> stream;
    Check(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()), "making a memory stream");
    Check(m_persist->Save(stream.Get(), FALSE), "saving the record");
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    Check(stream->Seek(zero, STREAM_SEEK_END, &end), "measuring the record");
    if (end.QuadPart != m_info.recordSize)
        throw CliError(std::string(m_info.shortName) + " stored " + std::to_string(end.QuadPart) + " bytes; its record has " +
                       std::to_string(m_info.recordSize));
    Check(stream->Seek(zero, STREAM_SEEK_SET, nullptr), "rewinding the record");
    RecordBytes bytes(m_info.recordSize);
    ULONG read = 0;
    Check(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read), "reading the record");
    if (read != bytes.size()) throw CliError("short record read");
    return bytes;
}

void EffectInstance::SetRecord(const RecordBytes& record) {
    if (record.size() != m_info.recordSize) throw CliError("internal: record of wrong size");
    ComPtr<IStream> stream = StreamHolding(record);
    Check(m_persist->Load(stream.Get()), "loading the record");
}

void EffectInstance::LoadStateFile(const std::string& path) {
    auto closeFile = [](FILE* f) { std::fclose(f); };
    std::unique_ptr<FILE, decltype(closeFile)> file(std::fopen(path.c_str(), "rb"), closeFile);
    if (!file) throw CliError("cannot read state " + path);
    RecordBytes bytes(m_info.recordSize + 1);
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get()))
        throw CliError("cannot read state " + path + ": " + (errno == EISDIR ? "it is a directory" : std::strerror(errno)));
    // A state file holds exactly one record; anything else belongs to another effect or is damaged.
    if (got != m_info.recordSize)
        throw CliError("state " + path + " is not a " + m_info.shortName + " record: it holds " +
                       (got > m_info.recordSize ? "more than " + std::to_string(m_info.recordSize)
                                                : std::to_string(got)) +
                       " bytes, the record " + std::to_string(m_info.recordSize));
    bytes.resize(m_info.recordSize);
    SetRecord(bytes);
}

void EffectInstance::SaveStateFile(const std::string& path) const {
    ReplacementFile file(path);
    {
        ComPtr<IStream> stream;
        Check(SHCreateStreamOnFileA(file.TempPath().c_str(), STGM_CREATE | STGM_WRITE, stream.ReleaseAndGetAddressOf()),
              "creating state file " + path);
        Check(m_persist->Save(stream.Get(), TRUE), "saving state to " + path);
        Check(stream->Commit(0), "writing state file " + path);
    }  // the stream closes its file here
    file.Commit();
}

void EffectInstance::SetSite(unsigned processors) {
    ComPtr<IUnknown> site;
    Check(CreateHostSite(processors, site.ReleaseAndGetAddressOf()), "making the host site");
    ComPtr<IObjectWithSite> withSite = Query<IObjectWithSite>();
    Check(withSite->SetSite(site.Get()), "handing the site to " + std::string(m_info.shortName));
}

void EffectInstance::SetKeyframes(const RecordBytes& from, const RecordBytes& to) {
    ComPtr<IStream> a = StreamHolding(from), b = StreamHolding(to);
    Check(m_automation->SetKeyframes(a.Get(), b.Get()), "setting keyframes");
    Check(m_automation->SetInterpolate(TRUE), "switching interpolation on");
}

void EffectInstance::SetPosition(double t) { Check(m_automation->SetPosition(t), "setting the position"); }

void EffectInstance::Render(const Image& input, Image& output) {
    if (output.width != input.width || output.height != input.height) throw CliError("internal: output size differs");
    ComPtr<IDXSurface> in = SurfaceOver(input);
    ComPtr<IDXSurface> out = SurfaceOver(output);
    FillFrom(out.Get(), input);
    IUnknown* inputs[] = {in.Get()};
    IUnknown* outputs[] = {out.Get()};
    Check(m_transform->Setup(inputs, 1, outputs, 1, 0), "setting up " + std::string(m_info.shortName));
    const auto start = std::chrono::steady_clock::now();
    const HRESULT hr = m_transform->Execute(nullptr, nullptr, nullptr);
    m_executeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m_transform->Setup(nullptr, 0, nullptr, 0, 0);  // let go of the surfaces over our memory
    if (hr == E_NOTIMPL)
        throw CliError(std::string(m_info.shortName) + " cannot render yet: its frame routine reports " + ResultInWords(hr));
    Check(hr, "rendering " + std::string(m_info.shortName));
}

}  // namespace brushwerk::cli
