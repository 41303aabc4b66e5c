#pragma once
// The image libraries behind LoadHdrImage, the same in both builds: Radiance files through
// stb_image (RadianceReader.cpp), EXR files through OpenEXR (ReaderOpenExr.cpp). LoadHdrImage is
// the only caller of ReadHdrFile; it has already checked the extension and that the file exists.

#include "maps/HdrImage.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace standalone {

enum class HdrFileFormat { Radiance, OpenExr };

/// Images larger than this are refused before their pixels are allocated (about 3 GB of floats).
constexpr int64_t kMaxHdrPixels = int64_t(1) << 28;

using FileBytes = std::vector<unsigned char>;

/// The file's first `limit` bytes (all of them for 0). False when it cannot be read.
bool ReadFileBytes(const std::filesystem::path& file, FileBytes& bytes, size_t limit = 0);

/// The size a Radiance file's header gives (its first few kilobytes are enough). False with a
/// one-line reason when it is no Radiance file or its size is not supported.
bool ReadRadianceSize(const FileBytes& bytes, int& width, int& height, std::string* error);

/// Decodes a whole Radiance file; false with a one-line reason, also for a truncated file.
bool DecodeRadiance(const FileBytes& bytes, HdrImage& out, std::string* error);

/// Decodes the whole file into `out`; false with a one-line reason on any failure.
bool ReadHdrFile(const std::filesystem::path& file, HdrFileFormat format, HdrImage& out,
                 std::string* error);

}  // namespace standalone
