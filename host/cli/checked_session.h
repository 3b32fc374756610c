// The command line's hold on one effect object: the hosts' shared session, with every
// failure thrown as a CliError in the command line's words. Adds what only the command
// line does: presets found by index or name, state files, and its Image frames.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/cli/image.h"
#include "host/cli/module_host.h"
#include "host/cli/record_values.h"
#include "host/common/effect_session.h"
#include "sdk/banding_service.h"

namespace brushwerk::cli {

class CheckedSession {
public:
    // Creates the object and starts it from InitNew (preset row 0).
    CheckedSession(const ModuleHost& host, const EffectInfo& effect);

    const EffectInfo& Info() const { return m_info; }

    std::vector<std::string> PresetNames();
    // A preset by index ("3") or name (exact, else ignoring case and surrounding blanks).
    // Throws CliError listing the presets.
    int FindPreset(std::string_view nameOrIndex);
    void SelectPreset(int index);

    // The current record's bytes (IPersistStreamInit::Save) and setting them (Load).
    RecordBytes Record();
    void SetRecord(const RecordBytes& record);
    // The stored state as a file holds it: exactly the record's bytes.
    void LoadStateFile(const std::string& path);
    void SaveStateFile(const std::string& path);

    // Hands the object a site whose task manager reports this many processors and
    // whose bands are slices of one picture (whole frame) or pictures of their own.
    void SetSite(unsigned processors, QuilletBandingMode banding = QUILLET_BANDING_WHOLE_FRAME);
    // Animation between two records: each frame at its position in 0..1.
    void SetKeyframes(const RecordBytes& from, const RecordBytes& to);
    void SetPosition(double t);

    // Renders one frame. The output's size must equal the input's; its samples are
    // first set from the input (converted to the output's alpha form by the surfaces),
    // so that whatever an effect leaves unwritten shows the input.
    void Render(const Image& input, Image& output);
    // Wall time spent inside Execute over all Render calls.
    double ExecuteSeconds() const { return m_session.ExecuteSeconds(); }

private:
    // Throws the command line's message for a failed session step; doing names what
    // the step was part of where the message says so.
    void Check(HRESULT hr, const std::string& doing = {}) const;

    const EffectInfo& m_info;
    common::EffectSession m_session;
};

// Wide text from the module (ASCII in practice) as UTF-8.
std::string NarrowText(const std::wstring& text);

}  // namespace brushwerk::cli
