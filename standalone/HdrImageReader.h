#pragma once
// The image library behind LoadHdrImage: OpenImageIO in the native build (native/ReaderOiio.cpp),
// stb_image and tinyexr in the Win64 build (win/ReaderStbTinyexr.cpp). LoadHdrImage is the only
// caller; it has already checked the extension and that the file exists.

#include "HdrImage.h"

#include <cstdint>
#include <filesystem>

namespace standalone {

enum class HdrFileFormat { Radiance, OpenExr };

/// Images larger than this are refused before their pixels are allocated (about 3 GB of floats).
constexpr int64_t kMaxHdrPixels = int64_t(1) << 28;

/// Decodes the whole file into `out`; false with a one-line reason on any failure.
bool ReadHdrFile(const std::filesystem::path& file, HdrFileFormat format, HdrImage& out,
                 std::string* error);

}  // namespace standalone
