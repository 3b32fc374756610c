#include "host/frei0r/tests/test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace brushwerk::frei0r::testing {
namespace {

// The module writes its diagnostics word to the registry when it loads, in this process
// and in every ffmpeg or melt the tests start: each test process gets a registry file of
// its own, which its children inherit.
class OwnRegistryFile : public ::testing::Environment {
public:
    void SetUp() override {
        m_dir = std::make_unique<TempDir>();
        ::setenv("QUILLET_REGISTRY", m_dir->File("registry.reg").c_str(), 1);
    }
    void TearDown() override { m_dir.reset(); }

private:
    std::unique_ptr<TempDir> m_dir;
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

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-frei0r-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& stdinPath,
                         const std::string& stdoutPath, const std::map<std::string, std::string>& environment) {
    ProcessResult result;
    char errorTemplate[] = "/tmp/quillet-frei0r-stderr-XXXXXX";
    const int errorFd = ::mkstemp(errorTemplate);
    if (errorFd < 0) return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, stdinPath.empty() ? "/dev/null" : stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.empty() ? "/dev/null" : stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, errorFd, 2);

    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const size_t eq = entry.find('=');
        if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [k, v] : environment) merged[k] = v;
    std::vector<std::string> envText;
    for (const auto& [k, v] : merged) envText.push_back(k + "=" + v);
    std::vector<char*> envp, args;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argvCopy = argv;
    for (std::string& a : argvCopy) args.push_back(a.data());
    args.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned == 0) {
        int status = 0;
        if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    }
    ::close(errorFd);
    std::ifstream errors(errorTemplate);
    result.errorText.assign(std::istreambuf_iterator<char>(errors), std::istreambuf_iterator<char>());
    ::unlink(errorTemplate);
    if (result.errorText.size() > 4000) result.errorText = result.errorText.substr(result.errorText.size() - 4000);
    return result;
}

bool HaveProgram(const std::string& name) {
    const char* path = ::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    return false;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> StraightTestFrames(unsigned width, unsigned height, unsigned frames) {
    std::vector<uint8_t> bytes(size_t(width) * height * 4 * frames);
    uint32_t noise = 0x2545F491u;
    size_t i = 0;
    for (unsigned f = 0; f < frames; ++f) {
        for (unsigned y = 0; y < height; ++y) {
            for (unsigned x = 0; x < width; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const bool checker = ((x / 7 + y / 5 + f) & 1) != 0;
                bytes[i++] = static_cast<uint8_t>((x * 255) / (width > 1 ? width - 1 : 1));          // blue
                bytes[i++] = static_cast<uint8_t>(checker ? 230 : 20 + ((noise >> 24) & 31));       // green
                bytes[i++] = static_cast<uint8_t>((y * 255) / (height > 1 ? height - 1 : 1) ^ f * 40);  // red
                // Alpha: a transparent band, a graded band, an opaque band.
                const unsigned band = (x + y + f * 3) % 48;
                bytes[i++] = static_cast<uint8_t>(band < 8 ? 0 : band < 24 ? (band - 8) * 16 : 255);
            }
        }
    }
    return bytes;
}

std::string FirstDifference(const std::vector<uint8_t>& got, const std::vector<uint8_t>& expected, unsigned width,
                            unsigned height) {
    if (got.size() != expected.size())
        return "sizes differ: " + std::to_string(got.size()) + " bytes, expected " + std::to_string(expected.size());
    const size_t frameBytes = size_t(width) * height * 4;
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i] == expected[i]) continue;
        const size_t frame = frameBytes ? i / frameBytes : 0;
        const size_t pixel = frameBytes ? (i % frameBytes) / 4 : i / 4;
        const size_t at = i - i % 4;
        char text[200];
        std::snprintf(text, sizeof text, "frame %zu pixel (%zu, %zu): B,G,R,A %u,%u,%u,%u, expected %u,%u,%u,%u", frame,
                      width ? pixel % width : 0, width ? pixel / width : 0, got[at], got[at + 1], got[at + 2],
                      got[at + 3], expected[at], expected[at + 1], expected[at + 2], expected[at + 3]);
        return text;
    }
    return "";
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
