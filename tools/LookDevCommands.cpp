#include "LookDevCommands.h"

#include "CommandLine.h"
#include "EnvironmentInfo.h"
#include "ProgressBar.h"

#include <unistd.h>

namespace {

bool ParseInfo(const std::vector<std::string>& args, CommandLine& out, std::string* error) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out.action = CommandLine::Action::ShowInfoHelp;
            return true;
        } else if (arg == "--json") {
            out.info.json = true;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            *error = "unknown option '" + arg + "'";
            return false;
        } else if (!out.info.image.empty()) {
            *error = "one image file at most ('" + out.info.image.string() + "' and '" + arg + "')";
            return false;
        } else {
            out.info.image = arg;
        }
    }
    if (out.info.image.empty()) {
        *error = "info needs an image file";
        return false;
    }
    out.action = CommandLine::Action::Info;
    return true;
}

bool ParseSheet(const std::vector<std::string>& args, CommandLine& out, std::string* error) {
    for (size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i], value;
        size_t equals = arg.find('=');
        bool hasValue = arg.rfind("--", 0) == 0 && equals != std::string::npos;
        if (hasValue) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
        }
        bool takesValue = arg == "--out" || arg == "--threads" || arg == "--memory";
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value";
                return false;
            }
            value = args[++i];
        } else if (!takesValue && hasValue) {
            *error = arg + " takes no value";
            return false;
        }
        int number = 0;
        if (arg == "--help" || arg == "-h") {
            out.action = CommandLine::Action::ShowSheetHelp;
            return true;
        } else if (arg == "--quiet" || arg == "-q") {
            out.quiet = true;
        } else if (arg == "--out") {
            if (std::filesystem::path(value).filename().empty()) {
                *error = "--out needs a file name";
                return false;
            }
            out.sheet.output = value;
        } else if (arg == "--threads") {
            if (!ParseInt(value, 1, 256, number)) {
                *error = "--threads '" + value + "': expected a number from 1 to 256";
                return false;
            }
            out.sheet.threads = number;
        } else if (arg == "--memory") {
            if (!ParseInt(value, 64, 1 << 20, number)) {
                *error = "--memory '" + value + "': expected megabytes from 64 to 1048576";
                return false;
            }
            out.sheet.memoryBudgetBytes = uint64_t(number) << 20;
        } else if (!arg.empty() && arg[0] == '-') {
            *error = "unknown option '" + arg + "'";
            return false;
        } else if (!out.sheet.folder.empty()) {
            *error = "one folder at most ('" + out.sheet.folder.string() + "' and '" + arg + "')";
            return false;
        } else {
            out.sheet.folder = arg;
        }
    }
    if (out.sheet.folder.empty()) {
        *error = "sheet needs a folder";
        return false;
    }
    out.action = CommandLine::Action::Sheet;
    return true;
}

}  // namespace

bool IsLookDevCommand(const std::vector<std::string>& args) {
    return !args.empty() && (args[0] == "info" || args[0] == "sheet");
}

bool ParseLookDevCommand(const std::vector<std::string>& args, CommandLine& out,
                         std::string* error) {
    return args[0] == "info" ? ParseInfo(args, out, error) : ParseSheet(args, out, error);
}

int RunLookDevCommand(const CommandLine& commandLine, std::FILE* out, std::FILE* err) {
    switch (commandLine.action) {
        case CommandLine::Action::ShowInfoHelp:
            std::fputs(InfoHelpText(), out);
            return 0;
        case CommandLine::Action::ShowSheetHelp:
            std::fputs(SheetHelpText(), out);
            return 0;
        case CommandLine::Action::Info: {
            EnvironmentInfo info;
            std::string error;
            if (!ReadEnvironmentInfo(commandLine.info.image, info, &error)) {
                std::fprintf(err, "zenithra: %s\n", error.c_str());
                return 1;
            }
            std::string text = commandLine.info.json
                                   ? EnvironmentInfoJson(commandLine.info.image, info)
                                   : EnvironmentInfoText(commandLine.info.image, info);
            std::fputs(text.c_str(), out);
            return 0;
        }
        case CommandLine::Action::Sheet: {
            ProgressBar bar(!commandLine.quiet && ::isatty(::fileno(err)));
            SheetResult result = RunSheetJob(commandLine.sheet, [&](int done, int total) {
                bar.Show("reading " + std::to_string(total) + " files", double(done) / total);
            });
            bar.Finish();
            if (!result.warning.empty()) {
                std::fprintf(err, "zenithra: warning: %s\n", result.warning.c_str());
            }
            if (!result.ok) {
                std::fprintf(err, "zenithra: %s\n", result.error.c_str());
                return 1;
            }
            if (result.unreadable > 0) {
                std::fprintf(err,
                             "zenithra: %d of %d files could not be read; their cells say why\n",
                             result.unreadable, result.files);
            }
            std::fprintf(out, "%s\n", result.written.c_str());
            return 0;
        }
        default:
            return 2;
    }
}

const char* InfoHelpText() {
    return R"(usage: zenithra info IMAGE [--json]

Reads an HDR environment (.hdr or .exr, latitude-longitude) and prints what it holds. Every
figure weights a pixel by the solid angle it covers; luminance is 0.2126 R + 0.7152 G + 0.0722 B.
  size and format
  dynamic range     stops from the 1st-percentile luminance to the brightest pixel
  mean and median luminance
  exposure          the EV that brings the median luminance to 0.18
  dominant light    the brightest compact light (pixels at least 10 times the median that join
                    the brightest one): its azimuth in degrees from the image's centre column
                    (where the map's sun disc sits) towards the right, as Map Rot. turns, its
                    elevation above the horizon as the sun disc's Height, the radius of its part
                    at or above half its peak, and its share of the whole energy. Without a light
                    of at least 5% of the energy: none (overcast)

Options:
  --json        one JSON object instead of lines of text
  -h, --help    this text

Exit status: 0 when the image was read, 1 when it could not be, 2 for a mistake on the command
line.
)";
}

const char* SheetHelpText() {
    return R"(usage: zenithra sheet FOLDER [--out FILE] [--threads N] [--memory MB] [--quiet]

Writes one contact sheet (PNG) of every .hdr and .exr file in FOLDER, in name order. Each cell
shows the tone-mapped image, its name and size, its dynamic range, its sun's elevation or
"overcast", and the exposure that brings its median luminance to 0.18 (see zenithra info). A
file that cannot be read gets a cell with the reason; the sheet is written all the same.

Options:
  --out FILE      the sheet (default: FOLDER's name followed by -sheet.png, here)
  --threads N     files read at once at most (default: one per core)
  --memory MB     decoded images held at once stay within this (default 1024); a larger file is
                  read alone
  -q, --quiet     no progress bar (drawn on stderr only when it is a terminal)
  -h, --help      this text

Exit status: 0 when the sheet was written, 1 when it could not be (no such folder, no HDR
files in it, the sheet cannot be written), 2 for a mistake on the command line.
)";
}
