// zenithra: renders every output slot of a Zenithra environment to image files.

#include "RenderJob.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: zenithra [--out FOLDER] [--slots N] [--width W] [--height H] "
                 "[--threads T]\n"
                 "Renders every slot of a Zenithra map over the built-in sky.\n");
}

bool ParseInt(const char* text, int low, int high, int& out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || v < low || v > high) {
        return false;
    }
    out = int(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    RenderJobOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = value != nullptr;
        if (arg == "--out" && ok) {
            options.outputFolder = value;
        } else if (arg == "--slots" && ok) {
            ok = ParseInt(value, 1, 16, options.slotCount);
        } else if (arg == "--width" && ok) {
            ok = ParseInt(value, 1, 16384, options.width);
        } else if (arg == "--height" && ok) {
            ok = ParseInt(value, 1, 16384, options.height);
        } else if (arg == "--threads" && ok) {
            ok = ParseInt(value, 1, 256, options.threads);
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "zenithra: bad argument '%s'\n", arg.c_str());
            Usage();
            return 2;
        }
        ++i;
    }
    RenderJobResult result = RunRenderJob(options);
    if (!result.ok) {
        std::fprintf(stderr, "zenithra: %s\n", result.error.c_str());
        return 1;
    }
    for (const std::string& file : result.written) {
        std::printf("%s\n", file.c_str());
    }
    return 0;
}
