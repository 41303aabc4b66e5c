#pragma once
// Image files of the command-line tool: probing a source image, and writing a slot's image as
// a full-range EXR or as a tone-mapped 8-bit preview.

#include "LatLongRender.h"

#include <filesystem>
#include <string>

/// What the header of an .hdr or .exr source file tells, read without decoding its pixels.
struct SourceImageInfo {
    int width = 0;
    int height = 0;
};

/// Checks that the file exists, has the .hdr or .exr extension the source maps accept and opens
/// as an image of that format with pixels. False with a one-line reason.
bool ProbeSourceImage(const std::filesystem::path& file, SourceImageInfo& info, std::string* error);

enum class ImageFormat { Exr, Png, Jpeg };

/// The extension of the format, with its dot (".exr", ".png", ".jpg").
const char* ImageFormatExtension(ImageFormat format);

/// Writes `image` to `file` in the given format whatever the file's own name. EXR keeps 32-bit
/// float channels (PIZ compressed, by as many threads as UseImageThreads allows); PNG and JPEG get
/// ToneMapToDisplay. False with a one-line reason (which does not name the file).
bool WriteImageFile(const std::filesystem::path& file, ImageFormat format,
                    const standalone::LatLongImage& image, std::string* error);

/// How many threads the image library may use to read and write EXR files (1 or more).
void UseImageThreads(int threads);
