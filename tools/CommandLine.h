#pragma once
// The command line of the zenithra tool: its commands, their options and their help.

#include "LookDevCommands.h"
#include "RenderJob.h"

#include <string>
#include <vector>

struct CommandLine {
    enum class Action {
        Render,
        ShowHelp,
        ShowRenderHelp,
        Info,
        Sheet,
        ShowInfoHelp,
        ShowSheetHelp
    };
    Action action = Action::Render;
    RenderJobOptions render;
    InfoOptions info;    ///< zenithra info (LookDevCommands.h)
    SheetOptions sheet;  ///< zenithra sheet
    bool quiet = false;  ///< no progress bar
};

/// `text` as a whole decimal number from low to high, into `out`; false (out unchanged)
/// otherwise.
bool ParseInt(const std::string& text, int low, int high, int& out);

/// Reads the arguments after the program's name. No command, or options alone, mean "render".
/// False with a one-line reason for a command line that cannot be run.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string* error);

/// The texts of --help and of render --help.
const char* GeneralHelpText();
const char* RenderHelpText();
