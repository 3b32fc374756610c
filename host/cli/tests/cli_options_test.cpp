// The command line grammar.
#include <gtest/gtest.h>

#include "host/cli/cli_error.h"
#include "host/cli/cli_options.h"

namespace brushwerk::cli {
namespace {

CommandLine Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

int UsageErrorOf(std::vector<std::string> args) {
    try {
        Parse(args);
    } catch (const CliError& e) {
        return e.ExitCode();
    }
    return 0;
}

TEST(CommandLineGrammar, RenderTakesEveryOption) {
    const CommandLine cl = Parse({"render", "Dream Glow", "--preset", "Aqua", "--set", "blur=0.5", "--set=color=#ff0000",
                                  "--to-preset=3", "--to-set", "glow=1", "--processors", "2", "--size", "64x48",
                                  "--alpha", "premultiplied", "--frames", "10", "--start", "0", "--load-state", "a.st",
                                  "--save-state", "b.st", "--quality", "80", "--progress", "--module", "m.so", "-",
                                  "out_%03d.png"});
    ASSERT_EQ(cl.kind, CommandKind::Render);
    const RenderOptions& o = cl.render;
    EXPECT_EQ(o.effect, "Dream Glow");
    EXPECT_EQ(o.preset, "Aqua");
    EXPECT_EQ(o.sets, (std::vector<std::string>{"blur=0.5", "color=#ff0000"}));
    EXPECT_EQ(o.toPreset, "3");
    EXPECT_EQ(o.toSets, (std::vector<std::string>{"glow=1"}));
    EXPECT_TRUE(o.Animated());
    EXPECT_EQ(o.processors, 2u);
    EXPECT_EQ(o.size, (FrameSize{64, 48}));
    EXPECT_EQ(o.streamAlpha, AlphaForm::Premultiplied);
    EXPECT_EQ(o.frames, 10);
    EXPECT_EQ(o.start, 0);
    EXPECT_EQ(o.loadState, "a.st");
    EXPECT_EQ(o.saveState, "b.st");
    EXPECT_EQ(o.jpegQuality, 80);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.modulePath, "m.so");
    EXPECT_EQ(o.input, "-");
    EXPECT_EQ(o.output, "out_%03d.png");
}

TEST(CommandLineGrammar, DefaultsAndOtherCommands) {
    const CommandLine r = Parse({"render", "airbrush", "in.png", "out.png"});
    EXPECT_EQ(r.render.processors, 0u);
    EXPECT_EQ(r.render.streamAlpha, AlphaForm::Straight);
    EXPECT_FALSE(r.render.Animated());
    EXPECT_EQ(Parse({"list", "--json"}).list.json, true);
    EXPECT_EQ(Parse({"demo"}).demo.target, "brushwerk-demo");
    EXPECT_EQ(Parse({"demo", "sheet.png"}).demo.target, "sheet.png");
    EXPECT_EQ(Parse({"unregister", "--module", "m.so"}).registration.modulePath, "m.so");
    const CommandLine quiet = Parse({"render", "airbrush", "--quiet", "--stats", "a.png", "b.png"});
    EXPECT_TRUE(quiet.render.quiet && quiet.render.stats);
    EXPECT_EQ(Parse({"demo", "--out", "x", "--processors", "3"}).demo.processors, 3u);
    EXPECT_EQ(Parse({"render", "colorize", "--preset", "1", "--save-state", "s.st"}).render.input, "");
    EXPECT_EQ(Parse({"render", "--help"}).kind, CommandKind::Help);
}

TEST(CommandLineGrammar, MistakesAreUsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"paint"},
        {"render"},
        {"render", "airbrush", "in.png"},
        {"render", "airbrush", "a", "b", "c"},
        {"render", "airbrush", "--preset"},
        {"render", "airbrush", "--bogus", "a", "b"},
        {"render", "airbrush", "--processors", "0", "a", "b"},
        {"render", "airbrush", "--processors", "two", "a", "b"},
        {"render", "airbrush", "--size", "64", "a", "b"},
        {"render", "airbrush", "--alpha", "maybe", "a", "b"},
        {"render", "airbrush", "--quality", "101", "a", "b"},
        {"render", "airbrush", "--progress=yes", "a", "b"},
        {"render", "airbrush", "--to-set", "edge=1", "--save-state", "s"},
        {"list", "--yaml"},
        {"demo", "a", "b"},
        {"register", "extra"},
    };
    for (const auto& args : bad) EXPECT_EQ(UsageErrorOf(args), kExitUsage) << args[0] << " " << args.size();
}

TEST(CommandLineGrammar, HelpExplainsThatProcessorsChangeTheOutput) {
    const std::string usage = UsageText();
    EXPECT_NE(usage.find("--processors N"), std::string::npos);
    EXPECT_NE(usage.find("depends on N"), std::string::npos);
    for (const char* effect : {"airbrush", "colorize", "dreamglow", "duochrome", "linedrawing", "metallic", "pastelsketch"})
        EXPECT_NE(usage.find(effect), std::string::npos) << effect;
}

}  // namespace
}  // namespace brushwerk::cli
