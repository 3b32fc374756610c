#include "host/cli/checked_session.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

#include "host/cli/cli_error.h"
#include "host/cli/replacement_file.h"
#include "host/cli/result_words.h"
#include "platform/com/objidl.h"

namespace brushwerk::cli {
namespace {

using common::SessionStep;

void CheckCall(HRESULT hr, const std::string& what) {
    if (FAILED(hr)) throw CliError(what + " failed: " + ResultInWords(hr));
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

common::FrameMemory MemoryOf(const Image& image) {
    // The session only reads the input; the const is dropped for the surface's sake.
    return {const_cast<uint8_t*>(image.bgra.data()), image.width, image.height, static_cast<LONG>(image.Pitch()),
            image.alpha == AlphaForm::Premultiplied};
}

}  // namespace

std::string NarrowText(const std::wstring& text) {
    std::string out;
    for (const wchar_t wide : text) {
        const uint32_t c = static_cast<uint32_t>(wide);
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

void CheckedSession::Check(HRESULT hr, const std::string& doing) const {
    if (SUCCEEDED(hr)) return;
    const std::string name = m_info.shortName;
    const std::string words = ResultInWords(hr);
    switch (m_session.FailedStep()) {
        case SessionStep::Interfaces:
            throw CliError(name + " does not answer a host interface it must have: " + words);
        case SessionStep::RecordSize:
            throw CliError(name + " stored " + std::to_string(m_session.StoredSize()) + " bytes; its record has " +
                           std::to_string(m_info.recordSize));
        case SessionStep::ShortRecord: throw CliError("short record read");
        case SessionStep::Execute:
            if (hr == E_NOTIMPL) throw CliError(name + " cannot render yet: its frame routine reports " + words);
            break;
        default: break;
    }
    const char* what = "";
    switch (m_session.FailedStep()) {
        case SessionStep::Start: what = "starting "; break;
        case SessionStep::CountPresets: what = "counting presets"; break;
        case SessionStep::SelectPreset: what = "selecting preset"; break;
        case SessionStep::MakeStream: what = "making a memory stream"; break;
        case SessionStep::WriteStream: what = "writing a memory stream"; break;
        case SessionStep::RewindStream: what = "rewinding a memory stream"; break;
        case SessionStep::SaveRecord: what = "saving the record"; break;
        case SessionStep::MeasureRecord: what = "measuring the record"; break;
        case SessionStep::RewindRecord: what = "rewinding the record"; break;
        case SessionStep::ReadRecord: what = "reading the record"; break;
        case SessionStep::LoadRecord: what = "loading the record"; break;
        case SessionStep::SaveState: what = "saving state to "; break;
        case SessionStep::MakeSite: what = "making the host site"; break;
        case SessionStep::HandSite: what = "handing the site to "; break;
        case SessionStep::SetKeyframes: what = "setting keyframes"; break;
        case SessionStep::SwitchInterpolation: what = "switching interpolation on"; break;
        case SessionStep::SetPosition: what = "setting the position"; break;
        case SessionStep::MakeSurface: what = "making a surface"; break;
        case SessionStep::LockOutput: what = "locking the output surface"; break;
        case SessionStep::Setup: what = "setting up "; break;
        case SessionStep::Execute: what = "rendering "; break;
        default: break;
    }
    // Steps that end in a blank name their object: the effect, or what doing says.
    std::string message = what;
    if (!message.empty() && message.back() == ' ') message += doing.empty() ? name : doing;
    throw CliError(message + " failed: " + words);
}

CheckedSession::CheckedSession(const ModuleHost& host, const EffectInfo& effect)
    : m_info(effect), m_session(effect) {
    const ComPtr<IUnknown> object = host.CreateEffect(effect);
    Check(m_session.Start(object.Get()));
}

std::vector<std::string> CheckedSession::PresetNames() {
    ULONG count = 0;
    Check(m_session.PresetCount(&count));
    std::vector<std::string> names;
    for (ULONG i = 0; i < count; ++i) names.push_back(NarrowText(m_session.PresetName(static_cast<int>(i))));
    return names;
}

int CheckedSession::FindPreset(std::string_view wanted) {
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

void CheckedSession::SelectPreset(int index) { Check(m_session.SelectPreset(index)); }

RecordBytes CheckedSession::Record() {
    RecordBytes bytes;
    Check(m_session.ReadRecord(&bytes));
    return bytes;
}

void CheckedSession::SetRecord(const RecordBytes& record) {
    if (record.size() != m_info.recordSize) throw CliError("internal: record of wrong size");
    Check(m_session.LoadRecord(record));
}

void CheckedSession::LoadStateFile(const std::string& path) {
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

void CheckedSession::SaveStateFile(const std::string& path) {
    ReplacementFile file(path);
    {
        ComPtr<IStream> stream;
        CheckCall(SHCreateStreamOnFileA(file.TempPath().c_str(), STGM_CREATE | STGM_WRITE, stream.ReleaseAndGetAddressOf()),
                  "creating state file " + path);
        Check(m_session.SaveState(stream.Get()), path);
        CheckCall(stream->Commit(0), "writing state file " + path);
    }  // the stream closes its file here
    file.Commit();
}

void CheckedSession::SetSite(unsigned processors, QuilletBandingMode banding) {
    Check(m_session.UseSite(processors, banding));
}

void CheckedSession::SetKeyframes(const RecordBytes& from, const RecordBytes& to) {
    Check(m_session.SetKeyframes(from, to));
}

void CheckedSession::SetPosition(double t) { Check(m_session.SetPosition(t)); }

void CheckedSession::Render(const Image& input, Image& output) {
    if (output.width != input.width || output.height != input.height) throw CliError("internal: output size differs");
    Check(m_session.Render(MemoryOf(input), MemoryOf(output)));
}

}  // namespace brushwerk::cli
