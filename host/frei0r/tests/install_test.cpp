// The installed layout: cmake --install puts the plugins in <prefix>/lib/frei0r-1 and
// the module and the platform library in <prefix>/lib. An installed plugin finds the
// module one folder up, and ffmpeg loads it from there with nothing but FREI0R_PATH.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/frei0r/tests/test_support.h"

namespace brushwerk::frei0r::testing {
namespace {

std::string MappedFiles() {
    std::ifstream maps("/proc/self/maps");
    return std::string((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
}

TEST(Frei0rInstall, PluginsFindTheModuleBesideThemAndRunInFfmpeg) {
    TempFolder prefix;
    const ProcessResult install =
        RunProcess({QUILLET_CMAKE_COMMAND, "--install", QUILLET_BUILD_DIR, "--prefix", prefix.Path()}, "", "");
    ASSERT_EQ(install.exitCode, 0) << install.err;
    const std::string lib = prefix.Path() + "/lib";
    for (const std::string& effect : EffectNames()) {
        EXPECT_TRUE(std::filesystem::exists(lib + "/frei0r-1/quillet_" + effect + ".so")) << effect;
        EXPECT_TRUE(std::filesystem::exists(prefix.Path() + "/share/kdenlive/effects/quillet_" + effect + ".xml"));
    }
    ASSERT_TRUE(std::filesystem::exists(lib + "/libquillet_brushwerk.so"));
    ASSERT_TRUE(std::filesystem::exists(lib + "/libquillet_platform.so"));

    // In this process: the installed plugin loads the installed module, not the build's.
    ::unsetenv("QUILLET_MODULE");
    void* plugin = ::dlopen((lib + "/frei0r-1/quillet_colorize.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(plugin, nullptr) << ::dlerror();
    auto init = reinterpret_cast<int (*)()>(::dlsym(plugin, "f0r_init"));
    auto deinit = reinterpret_cast<void (*)()>(::dlsym(plugin, "f0r_deinit"));
    ASSERT_EQ(init(), 1);
    const std::string installedModule = std::filesystem::canonical(lib + "/libquillet_brushwerk.so").string();
    EXPECT_NE(MappedFiles().find(installedModule), std::string::npos);
    deinit();

#ifndef QUILLET_FREI0R_SANITIZED
    if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    // A separate process whose only hint is FREI0R_PATH: the plugin's own run path must
    // bring in the platform library, and the module must be found beside it.
    const ProcessResult ffmpeg =
        RunProcess({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=64x48",
                    "-frames:v", "1", "-vf", "frei0r=filter_name=quillet_colorize", "-f", "rawvideo", "-pix_fmt", "bgra",
                    prefix.File("out.bgra")},
                   "", "", {{"FREI0R_PATH", lib + "/frei0r-1"}, {"LD_LIBRARY_PATH", ""}});
    ASSERT_EQ(ffmpeg.exitCode, 0) << ffmpeg.err;
    EXPECT_EQ(ReadBytes(prefix.File("out.bgra")).size(), 64u * 48u * 4u);
#endif
}

}  // namespace
}  // namespace brushwerk::frei0r::testing
