#pragma once
// The tool's look-development commands beside render: `zenithra info` and `zenithra sheet`.

#include "FolderSheet.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

struct CommandLine;

struct InfoOptions {
    std::filesystem::path image;
    bool json = false;
};

/// True when the arguments name one of these commands ("info", "sheet").
bool IsLookDevCommand(const std::vector<std::string>& args);
/// Reads the arguments of info or sheet into `out` (its action, its info or sheet options, or
/// the command's help). False with a one-line reason.
bool ParseLookDevCommand(const std::vector<std::string>& args, CommandLine& out,
                         std::string* error);
/// Runs an info or sheet command line: results on `out`, reasons on `err`, one line each.
/// Returns the exit status: 0 done, 1 failed.
int RunLookDevCommand(const CommandLine& commandLine, std::FILE* out, std::FILE* err);

const char* InfoHelpText();
const char* SheetHelpText();
