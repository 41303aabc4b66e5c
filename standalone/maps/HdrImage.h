#pragma once
// High-dynamic-range images of the standalone host's source maps: reading .hdr and .exr files,
// and the latitude-longitude lookup that the maps shade with.

#include <max.h>

#include "maps/PixelBuffer.h"
#include "scene/ZenhostApi.h"

#include <cstdint>
#include <string>
#include <vector>

namespace standalone {

/// A linear RGB image, row-major; row 0 is the top row (the zenith of a lat-long image).
struct HdrImage {
    int width = 0;
    int height = 0;
    PixelBuffer rgb;  ///< width * height * 3 floats
};

/// Reads a Radiance .hdr or an OpenEXR .exr file (chosen by the extension, case ignored) named by
/// a Windows path. Non-finite pixel values and -0 become 0; values beyond a quarter of the float
/// range are held there. False with a one-line reason in `error`
/// (missing, truncated or damaged file, unsupported compression) and `out` untouched.
ZENHOST_API bool LoadHdrImage(const std::wstring& windowsPath, HdrImage& out, std::string* error);

/// When and how large a file was last written. Equal stamps taken at two moments mean that the
/// file was not rewritten in between; `exists` is false when the file cannot be found.
struct HdrFileStamp {
    bool exists = false;
    int64_t modified = 0;  ///< the file system's own clock ticks
    uint64_t size = 0;
    bool operator==(const HdrFileStamp&) const = default;
};

ZENHOST_API HdrFileStamp StampHdrFile(const std::wstring& windowsPath);

/// Bilinear lookup: u runs over the columns (pixel centres at (column + 0.5) / width) and wraps
/// around, v over the rows (row 0 at v = 0) and clamps at the top and bottom rows. Alpha is 1;
/// an empty image gives black.
ZENHOST_API AColor SampleLatLong(const float* rgb, int width, int height, float u, float v);
inline AColor SampleLatLong(const HdrImage& image, float u, float v) {
    return SampleLatLong(image.rgb.data(), image.width, image.height, u, v);
}

/// SampleLatLong at `count` positions, bit for bit: rgb[3 i .. 3 i + 2] = the colour at (u[i],
/// v[i]). Rows of samples go through it without a call per sample.
ZENHOST_API void SampleLatLongRow(const HdrImage& image, const float* u, const float* v, int count,
                                  float* rgb);

}  // namespace standalone
