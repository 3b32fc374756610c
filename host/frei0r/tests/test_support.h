// Helpers of the bridge's tests: a plugin loaded as a host loads it (dlopen, f0r_*
// entry points) and the brushwerk program run on raw frame files.
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
std::string PluginPath(const std::string& effect);

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

    int (*init)() = nullptr;
    void (*deinit)() = nullptr;
    void (*get_plugin_info)(f0r_plugin_info_t*) = nullptr;
    void (*get_param_info)(f0r_param_info_t*, int) = nullptr;
    f0r_instance_t (*construct)(unsigned, unsigned) = nullptr;
    void (*destruct)(f0r_instance_t) = nullptr;
    void (*set_param_value)(f0r_instance_t, f0r_param_t, int) = nullptr;
    void (*get_param_value)(f0r_instance_t, f0r_param_t, int) = nullptr;
    void (*update)(f0r_instance_t, double, const uint32_t*, uint32_t*) = nullptr;

    f0r_plugin_info_t Info() const;
    // Index of the parameter with this name, -1 when none.
    int ParamIndex(const std::string& name) const;
    std::vector<f0r_param_info_t> Params() const;

private:
    void* m_handle = nullptr;
    int m_initResult = 0;
};

// Parameter shortcuts over a live instance.
void SetDouble(const PluginLibrary& p, f0r_instance_t i, int index, double v);
double GetDouble(const PluginLibrary& p, f0r_instance_t i, int index);
void SetColour(const PluginLibrary& p, f0r_instance_t i, int index, float r, float g, float b);
f0r_param_color_t GetColour(const PluginLibrary& p, f0r_instance_t i, int index);
void SetString(const PluginLibrary& p, f0r_instance_t i, int index, const char* v);
std::string GetString(const PluginLibrary& p, f0r_instance_t i, int index);

// The brushwerk program: brushwerk render EFFECT [--preset P] [--set F=V...]
// --processors N --size WxH on a raw straight stream. Exit code and messages.
struct RenderRequest {
    std::string effect;
    std::string preset;             // empty: none
    std::vector<std::string> sets;  // "field=value"
    unsigned processors = 0;        // 0: the program's default
    unsigned width = 0, height = 0;
};
ProcessResult BrushwerkRender(const RenderRequest& request, const std::string& inPath, const std::string& outPath,
                              const std::string& registryPath);

// Formats a float so that reading it back gives the same float.
std::string ExactText(double v);

}  // namespace brushwerk::frei0r::testing
