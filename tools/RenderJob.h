#pragma once
// The command-line tool's main job: every output slot of a Zenithra map rendered to files.

#include <string>
#include <vector>

struct RenderJobOptions {
    std::string outputFolder = "zenithra-out";
    int width = 512;
    int height = 256;
    int threads = 2;
    int slotCount = 4;  ///< 1..16 slots, each given its own look
};

struct RenderJobResult {
    bool ok = false;
    std::string error;                 ///< one line, when !ok
    std::vector<std::string> written;  ///< files written
};

/// Builds a map over the built-in procedural sky, gives each slot a look and writes each
/// slot's latitude-longitude image as EXR (linear) and PNG (exposed and gamma-encoded).
RenderJobResult RunRenderJob(const RenderJobOptions& options);
