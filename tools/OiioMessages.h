#pragma once
// One-line reasons from the image library's error texts, for the tool's own messages.

#include <OpenImageIO/imageio.h>

#include <string>

/// "cannot write: " and the output's error (the library's without an output), on one line.
std::string ImageWriteError(OIIO::ImageOutput* out);
