#pragma once
// A slot's lit spheres in the command-line tool: the grey diffuse ball and the chrome ball lit by
// the slot's rendered image, as an EXR, a tone-mapped picture and beside the slot's thumbnail.

#include "DisplayImage.h"
#include "ImageFiles.h"
#include "StagedFiles.h"

#include <filesystem>
#include <optional>
#include <string>

/// Each ball's diameter in the EXR file, the picture and beside the thumbnail, in pixels.
constexpr int kSlotSpheresDiameter = 128;

/// Where a slot's spheres go: staged files, and the names they are to be called.
struct SlotSpheresFiles {
    std::filesystem::path exr, exrName;
    std::optional<ImageFormat> pictureFormat;  ///< none: no tone-mapped picture
    std::filesystem::path picture, pictureName;
};

/// Stages "<slotStem>-spheres.exr" and, with a format, the tone-mapped "<slotStem>-spheres"
/// picture in `outputs`, whose folder is `outputFolder`. On the thread that owns `outputs`.
SlotSpheresFiles StageSlotSpheres(StagedFiles& outputs, const std::filesystem::path& outputFolder,
                                  const std::string& slotStem,
                                  std::optional<ImageFormat> pictureFormat);

/// Draws the balls lit by `slotImage` (the slot's rendered latitude-longitude image) and writes
/// them to `files`: the EXR linear and full range, the picture tone-mapped. `thumbnail`, when
/// given, gets the tone-mapped balls. On any thread. False with a one-line reason and the name
/// of the file that could not be written.
bool WriteSlotSpheres(const standalone::LatLongImage& slotImage, const SlotSpheresFiles& files,
                      DisplayImage* thumbnail, std::filesystem::path* failedFile,
                      std::string* error);

/// A slot's thumbnail with its balls' thumbnail beside it, top-aligned.
DisplayImage BesideThumbnail(const DisplayImage& thumbnail, const DisplayImage& spheres);
