// Helpers of the bridge's tests: a plugin loaded as a host loads it (dlopen, f0r_*
// entry points), every record field moved off its default in each host's text form,
// and the brushwerk program run on raw frame files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/pictures.h"
#include "tests/support/process.h"

extern "C" {
#include <frei0r.h>
}

namespace brushwerk::frei0r::testing {

using namespace ::testsupport;

// The seven effects, by the short names the plugins carry.
const std::vector<std::string>& EffectNames();

// A plugin opened with dlopen and initialised with f0r_init; deinitialised and closed
// when destroyed.
class PluginLibrary {
public:
    explicit PluginLibrary(const std::string& effect);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool Loaded() const { return m_handle != nullptr; }
    int InitResult() const { return m_initResult; }
    f0r_plugin_info_t Info() const;
    std::vector<f0r_param_info_t> Params() const;
    int ParamIndex(const std::string& name) const;  // -1 when none

    // Parameter shortcuts over a live instance.
    void Set(f0r_instance_t i, int index, double v) const { set_param_value(i, &v, index); }
    void SetColour(f0r_instance_t i, int index, float r, float g, float b) const;
    void SetString(f0r_instance_t i, int index, const char* v) const;
    double Get(f0r_instance_t i, int index) const;
    f0r_param_color_t GetColour(f0r_instance_t i, int index) const;
    std::string GetString(f0r_instance_t i, int index) const;
    // Frames of width x height, one after another, through the instance.
    std::vector<uint8_t> Render(f0r_instance_t i, const std::vector<uint8_t>& frames, unsigned width, unsigned height) const;

    void (*get_plugin_info)(f0r_plugin_info_t*) = nullptr;
    void (*get_param_info)(f0r_param_info_t*, int) = nullptr;
    f0r_instance_t (*construct)(unsigned, unsigned) = nullptr;
    void (*destruct)(f0r_instance_t) = nullptr;
    void (*set_param_value)(f0r_instance_t, f0r_param_t, int) = nullptr;
    void (*get_param_value)(f0r_instance_t, f0r_param_t, int) = nullptr;
    void (*update)(f0r_instance_t, double, const uint32_t*, uint32_t*) = nullptr;

private:
    void* m_handle = nullptr;
    void (*m_deinit)() = nullptr;
    int m_initResult = 0;
};

// The preset a plugin names by number `row`, as read back from it.
std::string PresetName(const std::string& effect, int row);

// Every record field of an effect moved off its default (numbers 0.27 / 0.62, colours
// #20a0e0 / #c04080 in turn), with the plugin's parameter name and index.
struct FieldSetting {
    std::string field, param;  // the record's name (the program's --set) and the plugin's
    int index;
    bool colour;
    std::string text;          // "0.27" or "#20a0e0"
    std::string ffmpeg, melt;  // "0.27" or "0.1254902/0.627451/0.878431", "0x20a0e0ff"
};
std::vector<FieldSetting> FieldSettings(const std::string& effect);

// The brushwerk program: render EFFECT [--preset P] [--set F=V...] [--processors N]
// --size WxH on a raw straight stream.
struct RenderRequest {
    std::string effect, preset;
    std::vector<std::string> sets;  // "field=value"
    unsigned processors = 0;        // 0: the program's default
    unsigned width = 0, height = 0;
};
ProcessResult BrushwerkRender(const RenderRequest& request, const std::string& inPath, const std::string& outPath,
                              const std::string& registryPath);

}  // namespace brushwerk::frei0r::testing
