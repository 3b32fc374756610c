// The real program on real files: help, errors that need no module, listing, and
// registration into a registry file of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "host/cli/demo_picture.h"
#include "host/cli/module_host.h"
#include "host/cli/picture_files.h"
#include "test_support.h"

namespace brushwerk::cli {
namespace {

using testing::ReadText;
using testing::RunProgram;
using testing::RunResult;
using testing::TempDir;

// Skips the test while the module cannot make effect objects yet.
#define SKIP_UNLESS_EFFECTS_CREATABLE(result)                                                     \
    if ((result).err.find("cannot create") != std::string::npos)                                  \
        GTEST_SKIP() << "the module does not create effect objects yet: " << (result).err

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

TEST(ProgramHelp, UsageOnRequestAndOnEmptyCommandLine) {
    TempDir dir;
    RunResult help = RunProgram(dir, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--processors N"), std::string::npos);
    RunResult none = RunProgram(dir, {});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.out.find("Usage:"), std::string::npos);
    RunResult bad = RunProgram(dir, {"paint"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("unknown command 'paint'"), std::string::npos);
}

// These are refused before the module is loaded, so they hold with any module state.
TEST(ProgramErrors, BadEffectFieldOrColourNeedsNoModule) {
    TempDir dir;
    WritePicture(dir.File("in.png"), DrawTestCard(32, 16));
    struct Case {
        std::vector<std::string> args;
        const char* message;
        int exitCode;
    } cases[] = {
        {{"render", "sparkle", dir.File("in.png"), dir.File("o.png")}, "unknown effect 'sparkle'; effects: airbrush, colorize",
         2},
        {{"render", "airbrush", "--set", "glow=0.5", dir.File("in.png"), dir.File("o.png")},
         "unknown field 'glow' for airbrush; fields: spray, edge", 2},
        {{"render", "dreamglow", "--set", "color=#12345", dir.File("in.png"), dir.File("o.png")}, "bad colour", 2},
        {{"render", "dreamglow", "--set", "color=300,0,0", dir.File("in.png"), dir.File("o.png")}, "bad colour", 2},
        {{"render", "dreamglow", "--to-set", "blur=lots", dir.File("in.png"), dir.File("o_%d.png")}, "bad number", 2},
        {{"render", "dreamglow", "--set", "blur=1e308", dir.File("in.png"), dir.File("o.png")},
         "blur: number '1e308' is out of range: a field holds -3.4e38 .. 3.4e38 (its page offers 0..1)", 2},
        {{"render", "dreamglow", "--size", "20000x20000", dir.File("in.png"), dir.File("o.png")},
         "--size 20000x20000 is too large: at most 32768 pixels a side and 268435456 in all (16384x16384)", 2},
        {{"render", "duochrome", dir.File("in.png"), dir.File("o.gif")}, "unknown picture format", 2},
        {{"render", "duochrome", "-", dir.File("o_%d.png")}, "needs --size", 2},
        {{"render", "duochrome", dir.File("in_%d.png"), dir.File("o_%d.png")}, "no frames found", 1},
        {{"render", "duochrome", "--to-preset", "1", dir.File("in.png"), dir.File("o.png")}, "OUT must be a pattern", 2},
        {{"render", "duochrome", "--module", dir.File("none.so"), dir.File("in.png"), dir.File("o.png")},
         "module not found", 1},
        {{"render", "duochrome", dir.File("missing.png"), dir.File("o.png")}, "missing.png", 1},
    };
    for (const Case& c : cases) {
        RunResult r = RunProgram(dir, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << "expected '" << c.message << "' in: " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("o.png")));
    }
}

TEST(ProgramRegistration, AMalformedRegistryFileIsNamed) {
    if (testing::ModulePath().empty()) GTEST_SKIP() << "module not built";
    const std::string utf16("\xFF\xFEW\0i\0n\0", 8);
    const struct {
        std::string text;  // empty: a directory stands where the file should be
        const char* message;
    } cases[] = {
        {"nope\n", ":1: missing header"},
        {utf16, ":1: the file is UTF-16 text; registry files are read as UTF-8"},
        {"", ": cannot read: it is a directory"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.text.empty())
            std::filesystem::create_directory(dir.File("registry.reg"));
        else
            testing::WriteBytes(dir.File("registry.reg"), {c.text.begin(), c.text.end()});
        RunResult r = RunProgram(dir, {"list"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("registry: " + dir.File("registry.reg") + c.message), std::string::npos) << r.err;
        if (!c.text.empty()) {
            EXPECT_EQ(ReadText(dir.File("registry.reg")), c.text);  // never silently reset
        }
    }
}

TEST(ProgramRegistration, RegisterAndUnregisterTheModule) {
    if (testing::ModulePath().empty()) GTEST_SKIP() << "module not built";
    TempDir dir;
    RunResult reg = RunProgram(dir, {"register"});
    ASSERT_EQ(reg.exitCode, 0) << reg.err;
    EXPECT_NE(reg.out.find("registered "), std::string::npos);
    EXPECT_NE(ReadText(dir.File("registry.reg")).find("{952fb6e1-477a-4770-af38-661f9af5ab8d}\\InprocServer32"),
              std::string::npos);
    RunResult unreg = RunProgram(dir, {"unregister"});
    ASSERT_EQ(unreg.exitCode, 0) << unreg.err;
    EXPECT_EQ(ReadText(dir.File("registry.reg")).find("{952fb6e1-477a-4770-af38-661f9af5ab8d}"), std::string::npos);
}

// Another process unregistering between this one's check and its creating an effect
// (render and list promise to register by themselves).
TEST(ProgramRegistration, ClassesUnregisteredMeanwhileAreRegisteredAgain) {
    if (testing::ModulePath().empty()) GTEST_SKIP() << "module not built";
    TempDir dir;
    ::setenv("QUILLET_REGISTRY", dir.File("registry.reg").c_str(), 1);
    ModuleHost host(ModuleLocation{testing::ModulePath()});
    ASSERT_EQ(RunProgram(dir, {"unregister"}).exitCode, 0);
    EXPECT_NO_THROW(host.CreateEffect(*FindEffect("colorize")));
    EXPECT_NE(ReadText(dir.File("registry.reg")).find("InprocServer32"), std::string::npos);
}

// list registers the module by itself; its text and JSON forms carry every effect's
// fields and presets.
TEST(ProgramList, ShowsEveryEffectWithFieldsAndPresetsAsTextAndJson) {
    if (testing::ModulePath().empty()) GTEST_SKIP() << "module not built";
    TempDir dir;
    RunResult r = RunProgram(dir, {"list"});
    SKIP_UNLESS_EFFECTS_CREATABLE(r);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(ReadText(dir.File("registry.reg")).find("libquillet_brushwerk.so"), std::string::npos);
    for (const char* text : {"\"Quillet Air Brush\"", "linedrawing", "\"Strength\" under \"Color 2\"", "\"Black Light \""})
        EXPECT_NE(r.out.find(text), std::string::npos) << text;
    EXPECT_EQ(Count(r.out, "\"Reset To None\""), 7u);
    RunResult json = RunProgram(dir, {"list", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"effects\": [", 0), 0u);
    EXPECT_EQ(Count(json.out, "\"recordSize\""), 7u);
    EXPECT_NE(json.out.find("{\"index\": 0, \"name\": \"Air Brushed\", \"values\": {\"spray\": 0.35, \"edge\": 1}}"),
              std::string::npos);
    EXPECT_NE(json.out.find("\"name\": \"Aqua\", \"values\": {\"color\": \"#61ecfc\", \"blur\": 0.83, \"glow\": 0.59}"),
              std::string::npos);
    EXPECT_NE(json.out.find("{\"name\": \"strength1\", \"kind\": \"number\", \"label\": \"Strength\", \"under\": \"Color 1\""),
              std::string::npos);
    // Balanced brackets: a cheap check that the document is whole.
    EXPECT_EQ(Count(json.out, "{"), Count(json.out, "}"));
    EXPECT_EQ(Count(json.out, "["), Count(json.out, "]"));
}

}  // namespace
}  // namespace brushwerk::cli
