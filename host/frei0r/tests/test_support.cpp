#include "host/frei0r/tests/test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>

#include "host/common/effect_catalog.h"
#include "tests/support/environment.h"

namespace brushwerk::frei0r::testing {
namespace {

// Each test process, and every ffmpeg or melt it starts, gets a registry file of its
// own, so that nothing a test runs can reach the person's (the plugins themselves keep
// their registry in memory: see InsideFfmpegAlone).
const TempRegistry g_ownRegistryFile;

template <class F>
void Bind(void* handle, const char* name, F* target) {
    *target = reinterpret_cast<F>(::dlsym(handle, name));
}

// A float that reads back as the same float.
std::string Exact(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

}  // namespace

const std::vector<std::string>& EffectNames() {
    static const std::vector<std::string> names = {"airbrush",    "colorize", "dreamglow",   "duochrome",
                                                   "linedrawing", "metallic", "pastelsketch"};
    return names;
}

PluginLibrary::PluginLibrary(const std::string& effect) {
    m_handle = ::dlopen((std::string(QUILLET_FREI0R_PLUGIN_DIR) + "/quillet_" + effect + ".so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) return;
    int (*init)() = nullptr;
    Bind(m_handle, "f0r_init", &init);
    Bind(m_handle, "f0r_deinit", &m_deinit);
    Bind(m_handle, "f0r_get_plugin_info", &get_plugin_info);
    Bind(m_handle, "f0r_get_param_info", &get_param_info);
    Bind(m_handle, "f0r_construct", &construct);
    Bind(m_handle, "f0r_destruct", &destruct);
    Bind(m_handle, "f0r_set_param_value", &set_param_value);
    Bind(m_handle, "f0r_get_param_value", &get_param_value);
    Bind(m_handle, "f0r_update", &update);
    if (init) m_initResult = init();
}

PluginLibrary::~PluginLibrary() {
    if (!m_handle) return;
    if (m_deinit) m_deinit();
    ::dlclose(m_handle);
}

f0r_plugin_info_t PluginLibrary::Info() const {
    f0r_plugin_info_t info{};
    get_plugin_info(&info);
    return info;
}

std::vector<f0r_param_info_t> PluginLibrary::Params() const {
    std::vector<f0r_param_info_t> params(Info().num_params);
    for (size_t i = 0; i < params.size(); ++i) get_param_info(&params[i], static_cast<int>(i));
    return params;
}

int PluginLibrary::ParamIndex(const std::string& name) const {
    const std::vector<f0r_param_info_t> params = Params();
    for (size_t i = 0; i < params.size(); ++i)
        if (name == params[i].name) return static_cast<int>(i);
    return -1;
}

void PluginLibrary::SetColour(f0r_instance_t i, int index, float r, float g, float b) const {
    f0r_param_color_t c{r, g, b};
    set_param_value(i, &c, index);
}
void PluginLibrary::SetString(f0r_instance_t i, int index, const char* v) const {
    f0r_param_string s = const_cast<char*>(v);
    set_param_value(i, &s, index);
}
double PluginLibrary::Get(f0r_instance_t i, int index) const {
    double v = -12345.0;
    get_param_value(i, &v, index);
    return v;
}
f0r_param_color_t PluginLibrary::GetColour(f0r_instance_t i, int index) const {
    f0r_param_color_t c{-1, -1, -1};
    get_param_value(i, &c, index);
    return c;
}
std::string PluginLibrary::GetString(f0r_instance_t i, int index) const {
    f0r_param_string s = nullptr;
    get_param_value(i, &s, index);
    return s ? std::string(s) : std::string("<null>");
}

std::vector<uint8_t> PluginLibrary::Render(f0r_instance_t instance, const std::vector<uint8_t>& frames, unsigned width,
                                           unsigned height) const {
    std::vector<uint8_t> out(frames.size());
    const size_t frameBytes = size_t(width) * height * 4;
    for (size_t at = 0; frameBytes && at + frameBytes <= frames.size(); at += frameBytes)
        update(instance, double(at), reinterpret_cast<const uint32_t*>(frames.data() + at),
               reinterpret_cast<uint32_t*>(out.data() + at));
    return out;
}

std::string PresetName(const std::string& effect, int row) {
    PluginLibrary plugin(effect);
    f0r_instance_t instance = plugin.construct(0, 0);
    plugin.SetString(instance, 0, std::to_string(row).c_str());
    const std::string name = plugin.GetString(instance, 0);
    plugin.destruct(instance);
    return name;
}

std::vector<FieldSetting> FieldSettings(const std::string& effect) {
    const common::EffectInfo& info = *common::FindEffect(effect);
    PluginLibrary plugin(effect);
    const std::vector<f0r_param_info_t> params = plugin.Params();
    std::vector<FieldSetting> settings;
    for (size_t i = 0; i < info.fields.size(); ++i) {
        FieldSetting s{info.fields[i].name, params[i + 1].name, static_cast<int>(i) + 1,
                       info.fields[i].kind == common::FieldKind::Colour, i % 2 ? "0.62" : "0.27", "", ""};
        s.ffmpeg = s.melt = s.text;
        if (s.colour) {
            const unsigned rgb = i % 2 ? 0xc04080 : 0x20a0e0;
            char hex[16];
            std::snprintf(hex, sizeof hex, "%06x", rgb);
            s.text = std::string("#") + hex;
            s.melt = std::string("0x") + hex + "ff";
            s.ffmpeg = Exact((rgb >> 16) / 255.0f) + "/" + Exact(((rgb >> 8) & 255) / 255.0f) + "/" + Exact((rgb & 255) / 255.0f);
        }
        settings.push_back(s);
    }
    return settings;
}

ProcessResult BrushwerkRender(const RenderRequest& request, const std::string& inPath, const std::string& outPath,
                              const std::string& registryPath) {
    std::vector<std::string> argv = {BRUSHWERK_PROGRAM, "render", request.effect, "--module", QUILLET_MODULE_PATH, "--quiet"};
    if (!request.preset.empty()) argv.insert(argv.end(), {"--preset", request.preset});
    for (const std::string& s : request.sets) argv.insert(argv.end(), {"--set", s});
    if (request.processors) argv.insert(argv.end(), {"--processors", std::to_string(request.processors)});
    argv.insert(argv.end(), {"--size", std::to_string(request.width) + "x" + std::to_string(request.height), "-", "-"});
    return RunProcess(argv, inPath, outPath, {{"QUILLET_REGISTRY", registryPath}});
}

}  // namespace brushwerk::frei0r::testing
