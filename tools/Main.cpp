// zenithra: renders every output slot of a Zenithra environment to image files.

#include "CommandLine.h"
#include "ProgressBar.h"

#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

int main(int argc, char** argv) {
    CommandLine commandLine;
    std::string error;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!ParseCommandLine(args, commandLine, &error)) {
        std::string command = IsLookDevCommand(args) ? args[0] : "render";
        std::fprintf(stderr, "zenithra: %s (see zenithra %s --help)\n", error.c_str(),
                     command.c_str());
        return 2;
    }
    if (commandLine.action == CommandLine::Action::ShowHelp) {
        std::fputs(GeneralHelpText(), stdout);
        return 0;
    }
    if (commandLine.action == CommandLine::Action::ShowRenderHelp) {
        std::fputs(RenderHelpText(), stdout);
        return 0;
    }
    if (commandLine.action != CommandLine::Action::Render) {
        return RunLookDevCommand(commandLine, stdout, stderr);
    }
    ProgressBar bar(!commandLine.quiet && ::isatty(STDERR_FILENO));
    RenderJobResult result =
        RunRenderJob(commandLine.render,
                     [&](const std::string& stage, double fraction) { bar.Show(stage, fraction); });
    bar.Finish();
    for (const std::string& warning : result.warnings) {
        std::fprintf(stderr, "zenithra: warning: %s\n", warning.c_str());
    }
    if (!result.ok) {
        std::fprintf(stderr, "zenithra: %s\n", result.error.c_str());
        return result.badCommandLine ? 2 : 1;
    }
    for (const std::filesystem::path& file : result.written) {
        std::printf("%s\n", file.c_str());
    }
    return 0;
}
