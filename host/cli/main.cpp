// brushwerk: the command line host of the effect module.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "host/cli/cli_error.h"
#include "host/cli/commands.h"
#include "host/studio/studio_command.h"

using namespace brushwerk::cli;

int main(int argc, char** argv) {
    // A reader that goes away (ffmpeg closing the pipe) shows as a write error, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "studio")
            return brushwerk::studio::RunStudio(std::vector<std::string>(args.begin() + 1, args.end()), std::cout);
        const CommandLine cl = ParseCommandLine(args);
        switch (cl.kind) {
        case CommandKind::Help:
            std::cout << UsageText();
            return args.empty() ? kExitUsage : 0;
        case CommandKind::Version:
            std::cout << "brushwerk 1.0 (Quillet Brushwerk)\n";
            return 0;
        case CommandKind::List:
            return RunList(cl.list, std::cout);
        case CommandKind::Render:
            return RunRender(cl.render, std::cerr);
        case CommandKind::Demo:
            return RunDemo(cl.demo, std::cout, std::cerr);
        case CommandKind::Register:
            return RunRegister(cl.registration, true, std::cout);
        case CommandKind::Unregister:
            return RunRegister(cl.registration, false, std::cout);
        }
    } catch (const CliError& e) {
        std::cout.flush();
        std::cerr << "brushwerk: " << e.what() << "\n";
        return e.ExitCode();
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << "brushwerk: out of memory: the pictures and the work on them do not fit in the memory available\n";
        return kExitFailure;
    }
    return 0;
}
