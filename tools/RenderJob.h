#pragma once
// The command-line tool's main job: every output slot of a Zenithra map rendered to files, the
// way a renderer samples the slots' proxies.

#include "ImageFiles.h"
#include "ToolScene.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

/// What --scene FILE does.
enum class SceneFileUse {
    None,
    Save,  ///< build the scene from the options, save it to the file, render
    Load,  ///< load the scene from the file, render
};

struct RenderJobOptions {
    SceneSetup setup;  ///< what the scene is built from, unless it is loaded
    SceneFileUse sceneFileUse = SceneFileUse::None;
    std::filesystem::path sceneFile;
    int width = 0;    ///< 0: the source image's width, 1024 for the procedural sky
    int height = 0;   ///< 0: the source image's height, 512 for the procedural sky
    int threads = 0;  ///< render threads; 0: one per core
    std::filesystem::path outputFolder = "zenithra-out";
    bool previews = true;  ///< tone-mapped previews and the contact sheet beside the EXR files
    ImageFormat previewFormat = ImageFormat::Jpeg;
    ExrFormat exrFormat;
    /// Every pixel through the slot's output map, one shading sample at a time, as a renderer
    /// samples it, instead of the same pixels a row at a time.
    bool perSample = false;
    bool spheres = false;  ///< each slot's lit spheres too (SlotSpheres.h)
};

struct RenderJobResult {
    bool ok = false;
    std::string error;                           ///< one line, when !ok
    bool badCommandLine = false;                 ///< the failure is a value the options gave
    std::vector<std::string> warnings;           ///< one line each
    std::vector<std::filesystem::path> written;  ///< the files made, once all of them are
};

/// Where a job is: a short description ("slot 2 of 4") and the fraction of the job done.
using RenderJobProgress = std::function<void(const std::string& stage, double fraction)>;

/// Builds or loads the scene, then renders every slot through its proxy and writes, into the
/// output folder, "slotNN.exr" (linear, full range) and, with previews, "slotNN.jpg" or
/// "slotNN.png" (tone-mapped) for each slot NN = 01, 02, ... and "contact-sheet.png". The files
/// appear together once all are written, after the scene file when one is saved; a job that
/// fails leaves none of them behind and changes no scene file.
RenderJobResult RunRenderJob(const RenderJobOptions& options,
                             const RenderJobProgress& progress = {});

/// The name of slot `slot`'s (0-based) files without the extension: "slot01" for slot 0.
std::string SlotFileStem(int slot);
