// What one plugin knows once f0r_init has run: its effect, the module connection, the
// parameter table, the presets (names and records, read from the module once), and the
// texts f0r_get_plugin_info hands out. Read-only while instances exist.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/common/effect_catalog.h"
#include "host/common/effect_session.h"
#include "host/frei0r/module_connection.h"
#include "host/frei0r/parameter_table.h"
#include "host/frei0r/record_fields.h"

namespace brushwerk::frei0r {

struct Preset {
    std::string name;
    RecordBytes record;
};

class PluginContext {
public:
    explicit PluginContext(const common::EffectInfo& effect);

    // Finds and loads the module and reads the presets. builtModulePath: the module the
    // plugin was built with. On failure Error() says what went wrong and where it looked.
    bool Open(const std::string& builtModulePath);
    void Close();
    bool IsOpen() const { return m_module.IsOpen(); }
    const std::string& Error() const { return m_error; }

    const common::EffectInfo& Effect() const { return m_effect; }
    const ModuleConnection& Module() const { return m_module; }
    const ParameterTable& Parameters() const { return m_parameters; }
    const std::vector<Preset>& Presets() const { return m_presets; }
    const std::string& ModulePath() const { return m_modulePath; }

    // The module's display name ("Quillet Colorize"), and a sentence for hosts to show.
    const std::string& Name() const { return m_name; }
    const std::string& Explanation() const { return m_explanation; }

    // A new effect object of the open module in a started session that knows the
    // record it holds.
    HRESULT NewSession(std::unique_ptr<common::EffectSession>* session) const;

    // A preset by exact name, by number, else by name ignoring case and surrounding
    // blanks (two names end in a blank). -1 when none matches.
    int FindPreset(std::string_view wanted) const;
    // The presets for a message: 0 "Name", 1 "Name", ...
    std::string PresetList() const;

private:
    HRESULT ReadPresets();

    const common::EffectInfo& m_effect;
    ParameterTable m_parameters;
    ModuleConnection m_module;
    std::vector<Preset> m_presets;
    std::string m_modulePath;
    std::string m_name;
    std::string m_explanation;
    std::string m_error;
};

}  // namespace brushwerk::frei0r
