#pragma once
// Image files of the command-line tool.

#include "LatLongRender.h"

#include <string>

/// Writes an image; the extension chooses the format. EXR keeps linear floats; 8-bit formats
/// get the sRGB transfer curve after clamping to 0..1.
bool WriteImageFile(const std::string& path, const standalone::LatLongImage& image,
                    std::string* error);
