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

/// The name of slot `stem`'s spheres files without the extension: "slot01-spheres".
std::string SpheresFileStem(const std::string& slotStem);

/// Draws the balls lit by `slotImage` (the slot's rendered latitude-longitude image) and stages,
/// in `outputs`, "<stem>-spheres.exr" (linear, full range) and, when `preview` is given, the
/// tone-mapped "<stem>-spheres" picture in that format. `thumbnail`, when given, gets the
/// tone-mapped balls. False with a one-line reason that names the file as it
/// is to be called in `outputFolder`.
bool WriteSlotSpheres(const standalone::LatLongImage& slotImage, const std::string& slotStem,
                      StagedFiles& outputs, const std::filesystem::path& outputFolder,
                      std::optional<ImageFormat> preview, DisplayImage* thumbnail,
                      std::string* error);

/// A slot's thumbnail with its balls' thumbnail beside it, top-aligned.
DisplayImage BesideThumbnail(const DisplayImage& thumbnail, const DisplayImage& spheres);
