// One effect object driven as a host drives it: presets through IStaticFilterPreset,
// the record's bytes through IPersistStreamInit, keyframes through IDXTSfAutomation,
// and frames through IObjectWithSite and IDXTransform on the host stand-in's surfaces.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sdk/plugininterfaces.h"
#include "host/cli/image.h"
#include "host/cli/module_host.h"
#include "host/cli/record_values.h"

namespace brushwerk::cli {

class EffectInstance {
public:
    // Creates the object and starts it from InitNew (preset row 0).
    EffectInstance(const ModuleHost& host, const EffectInfo& effect);

    const EffectInfo& Info() const { return m_info; }

    std::vector<std::string> PresetNames() const;
    // A preset by index ("3") or name (exact, else ignoring case and surrounding blanks).
    // Throws CliError listing the presets.
    int FindPreset(std::string_view nameOrIndex) const;
    void SelectPreset(int index);

    // The current record's bytes (IPersistStreamInit::Save) and setting them (Load).
    RecordBytes Record() const;
    void SetRecord(const RecordBytes& record);
    // The stored state as a file holds it: exactly the record's bytes.
    void LoadStateFile(const std::string& path);
    void SaveStateFile(const std::string& path) const;

    // Hands the object a site whose task manager reports this many processors.
    void SetSite(unsigned processors);
    // Animation between two records: each frame at its position in 0..1.
    void SetKeyframes(const RecordBytes& from, const RecordBytes& to);
    void SetPosition(double t);

    // Renders one frame. The output's size must equal the input's; its samples are
    // first set from the input (converted to the output's alpha form by the surfaces),
    // so that whatever an effect leaves unwritten shows the input.
    void Render(const Image& input, Image& output);
    // Wall time spent inside Execute over all Render calls.
    double ExecuteSeconds() const { return m_executeSeconds; }

private:
    template <class I>
    ComPtr<I> Query() const;

    const EffectInfo& m_info;
    ComPtr<IUnknown> m_object;
    ComPtr<IStaticFilterPreset> m_presets;
    ComPtr<IPersistStreamInit> m_persist;
    ComPtr<IDXTSfAutomation> m_automation;
    ComPtr<IDXTransform> m_transform;
    double m_executeSeconds = 0.0;
};

// Wide text from the module (ASCII in practice) as UTF-8.
std::string NarrowText(const wchar_t* text);

}  // namespace brushwerk::cli
