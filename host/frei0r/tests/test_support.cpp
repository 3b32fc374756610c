#include "host/frei0r/tests/test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdio>
#include <memory>

namespace brushwerk::frei0r::testing {
namespace {

// Each test process, and every ffmpeg or melt it starts, gets a registry file of its
// own, so that nothing a test runs can reach the person's (the plugins themselves keep
// their registry in memory: see InsideFfmpegAlone).
class OwnRegistryFile : public ::testing::Environment {
public:
    void SetUp() override {
        m_dir = std::make_unique<TempFolder>();
        ::setenv("QUILLET_REGISTRY", m_dir->File("registry.reg").c_str(), 1);
    }
    void TearDown() override { m_dir.reset(); }

private:
    std::unique_ptr<TempFolder> m_dir;
};

[[maybe_unused]] ::testing::Environment* const g_ownRegistryFile =
    ::testing::AddGlobalTestEnvironment(new OwnRegistryFile);

}  // namespace

const std::vector<std::string>& EffectNames() {
    static const std::vector<std::string> names = {"airbrush",    "colorize", "dreamglow",   "duochrome",
                                                   "linedrawing", "metallic", "pastelsketch"};
    return names;
}

std::string PluginPath(const std::string& effect) {
    return std::string(QUILLET_FREI0R_PLUGIN_DIR) + "/quillet_" + effect + ".so";
}

template <class F>
void Bind(void* handle, const char* name, F* target) {
    *target = reinterpret_cast<F>(::dlsym(handle, name));
}

PluginLibrary::PluginLibrary(const std::string& effect) {
    m_handle = ::dlopen(PluginPath(effect).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) return;
    Bind(m_handle, "f0r_init", &init);
    Bind(m_handle, "f0r_deinit", &deinit);
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
    if (deinit) deinit();
    ::dlclose(m_handle);
}

f0r_plugin_info_t PluginLibrary::Info() const {
    f0r_plugin_info_t info{};
    get_plugin_info(&info);
    return info;
}

std::vector<f0r_param_info_t> PluginLibrary::Params() const {
    std::vector<f0r_param_info_t> params;
    for (int i = 0; i < Info().num_params; ++i) {
        f0r_param_info_t p{};
        get_param_info(&p, i);
        params.push_back(p);
    }
    return params;
}

int PluginLibrary::ParamIndex(const std::string& name) const {
    const std::vector<f0r_param_info_t> params = Params();
    for (size_t i = 0; i < params.size(); ++i)
        if (name == params[i].name) return static_cast<int>(i);
    return -1;
}

void SetDouble(const PluginLibrary& p, f0r_instance_t i, int index, double v) { p.set_param_value(i, &v, index); }
double GetDouble(const PluginLibrary& p, f0r_instance_t i, int index) {
    double v = -12345.0;
    p.get_param_value(i, &v, index);
    return v;
}
void SetColour(const PluginLibrary& p, f0r_instance_t i, int index, float r, float g, float b) {
    f0r_param_color_t c{r, g, b};
    p.set_param_value(i, &c, index);
}
f0r_param_color_t GetColour(const PluginLibrary& p, f0r_instance_t i, int index) {
    f0r_param_color_t c{-1, -1, -1};
    p.get_param_value(i, &c, index);
    return c;
}
void SetString(const PluginLibrary& p, f0r_instance_t i, int index, const char* v) {
    f0r_param_string s = const_cast<char*>(v);
    p.set_param_value(i, &s, index);
}
std::string GetString(const PluginLibrary& p, f0r_instance_t i, int index) {
    f0r_param_string s = nullptr;
    p.get_param_value(i, &s, index);
    return s ? std::string(s) : std::string("<null>");
}

ProcessResult BrushwerkRender(const RenderRequest& request, const std::string& inPath, const std::string& outPath,
                              const std::string& registryPath) {
    std::vector<std::string> argv = {BRUSHWERK_PROGRAM, "render", request.effect, "--module", QUILLET_MODULE_PATH,
                                     "--quiet"};
    if (!request.preset.empty()) argv.insert(argv.end(), {"--preset", request.preset});
    for (const std::string& s : request.sets) argv.insert(argv.end(), {"--set", s});
    if (request.processors) argv.insert(argv.end(), {"--processors", std::to_string(request.processors)});
    argv.insert(argv.end(), {"--size", std::to_string(request.width) + "x" + std::to_string(request.height), "-", "-"});
    return RunProcess(argv, inPath, outPath, {{"QUILLET_REGISTRY", registryPath}});
}

std::string ExactText(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

}  // namespace brushwerk::frei0r::testing
