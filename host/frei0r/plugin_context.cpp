#include "host/frei0r/plugin_context.h"

#include <cctype>
#include <charconv>

#include "host/frei0r/module_file.h"

namespace brushwerk::frei0r {
namespace {

// The module's string table holds its own title ("Quillet Brushwerk") under this id.
constexpr UINT kModuleTitleStringId = 102;

std::string LowerTrimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    std::string out;
    for (char c : s) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

PluginContext::PluginContext(const common::EffectInfo& effect)
    : m_effect(effect), m_parameters(effect), m_name(effect.displayName) {}

bool PluginContext::Open(const std::string& builtModulePath) {
    Close();
    const ModuleFileSearch search = FindModuleFile(builtModulePath);
    if (search.found.empty()) {
        m_error = std::string("cannot find ") + kModuleFileName + " (set QUILLET_MODULE to its path); looked at:";
        for (const std::string& place : search.tried) m_error += " " + place;
        return false;
    }
    m_modulePath = search.found;
    if (FAILED(m_module.Open(m_modulePath, m_effect))) {
        m_error = m_module.Error();
        return false;
    }
    HRESULT hr = ReadPresets();
    if (SUCCEEDED(hr) && m_presets.empty()) hr = E_UNEXPECTED;
    if (FAILED(hr)) {
        m_error = "cannot read the presets of " + std::string(m_effect.shortName) + " from " + m_modulePath + ": " +
                  DescribeResult(hr);
        m_presets.clear();
        m_module.Close();
        return false;
    }
    // Hosts may keep the texts f0r_get_plugin_info handed out: they change only when
    // their content does (never, in practice, when the plugin opens again).
    std::string name = m_module.LoadText(m_effect.displayNameStringId);
    if (name.empty()) name = m_effect.displayName;
    std::string moduleTitle = m_module.LoadText(kModuleTitleStringId);
    if (moduleTitle.empty()) moduleTitle = "Quillet Brushwerk";
    std::string explanation = name + " (" + moduleTitle + "): " + m_effect.summary;
    if (name != m_name) m_name = std::move(name);
    if (explanation != m_explanation) m_explanation = std::move(explanation);
    m_error.clear();
    return true;
}

HRESULT PluginContext::NewSession(std::unique_ptr<common::EffectSession>* session) const {
    ComPtr<IUnknown> object;
    HRESULT hr = m_module.CreateEffect(object.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    auto made = std::make_unique<common::EffectSession>(m_effect);
    RecordBytes record;
    hr = made->Start(object.Get());
    if (SUCCEEDED(hr)) hr = made->ReadRecord(&record);
    if (FAILED(hr)) return hr;
    *session = std::move(made);
    return S_OK;
}

// Every preset's name and record, read through the object's own preset interface.
// Names are kept to ASCII: hosts show them as they are.
HRESULT PluginContext::ReadPresets() {
    std::unique_ptr<common::EffectSession> reader;
    HRESULT hr = NewSession(&reader);
    ULONG count = 0;
    if (SUCCEEDED(hr)) hr = reader->PresetCount(&count);
    for (ULONG i = 0; SUCCEEDED(hr) && i < count; ++i) {
        Preset preset;
        for (const wchar_t c : reader->PresetName(static_cast<int>(i)))
            preset.name += (c > 0 && c < 0x80) ? static_cast<char>(c) : '?';
        hr = reader->SelectPreset(static_cast<int>(i));
        if (SUCCEEDED(hr)) hr = reader->ReadRecord(&preset.record);
        if (SUCCEEDED(hr)) m_presets.push_back(std::move(preset));
    }
    return hr;
}

void PluginContext::Close() {
    m_presets.clear();
    m_module.Close();
}

int PluginContext::FindPreset(std::string_view wanted) const {
    const int count = static_cast<int>(m_presets.size());
    for (int i = 0; i < count; ++i)
        if (m_presets[static_cast<size_t>(i)].name == wanted) return i;
    int index = -1;
    const char* end = wanted.data() + wanted.size();
    if (auto [stop, ec] = std::from_chars(wanted.data(), end, index); ec == std::errc() && stop == end)
        return index >= 0 && index < count ? index : -1;
    const std::string key = LowerTrimmed(wanted);
    if (key.empty()) return -1;
    for (int i = 0; i < count; ++i)
        if (LowerTrimmed(m_presets[static_cast<size_t>(i)].name) == key) return i;
    return -1;
}

std::string PluginContext::PresetList() const {
    std::string list;
    for (size_t i = 0; i < m_presets.size(); ++i)
        list += (i ? ", " : "") + std::to_string(i) + " \"" + m_presets[i].name + "\"";
    return list;
}

}  // namespace brushwerk::frei0r
