#pragma once
// Small synthetic latitude-longitude images, written as real .hdr and .exr files for the
// standalone host's source maps to read.

#include <OpenEXR/ImfCompression.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct TestImage {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;  ///< row-major, row 0 at the top
};

struct Rgb {
    float r, g, b;
};

/// width x height pixels, each the colour `pixel(column, row)`.
TestImage ImageOf(int width, int height, const std::function<Rgb(int column, int row)>& pixel);

constexpr int kGridWidth = 8;
constexpr int kGridHeight = 4;

/// The colour of GridImage's pixel: red (column + 1) / 8, green (row + 1) / 4, blue
/// 2 + column / 4. Every value is exact in RGBE (.hdr) and in float and half channels.
Rgb GridPixel(int column, int row);

/// kGridWidth x kGridHeight pixels of GridPixel colours, each pixel its own.
TestImage GridImage();
/// One colour everywhere.
TestImage UniformImage(int width, int height, float r, float g, float b);

/// Radiance RGBE (.hdr) at a Windows path. False when it cannot be written.
bool WriteHdrFile(const std::wstring& windowsPath, const TestImage& image);
/// How an OpenEXR file keeps its pixels.
struct ExrLayout {
    Imf::Compression compression = Imf::ZIP_COMPRESSION;
    bool half = false;       ///< 16-bit channels rather than 32-bit floats
    bool tiled = false;      ///< 16 x 16 tiles
    bool mipmapped = false;  ///< tiled, with every smaller level holding zeros
    bool alpha = false;      ///< an "A" channel of 1
    bool multiPart = false;  ///< the image as the first of two parts (the second holds zeros)
};
/// OpenEXR with R, G and B channels (32-bit floats, ZIP, one scan-line part unless told).
bool WriteExrFile(const std::wstring& windowsPath, const TestImage& image,
                  const ExrLayout& layout = {});
/// .hdr when the path ends so, else .exr.
bool WriteImageFile(const std::wstring& windowsPath, const TestImage& image);
/// GridImage as a DWAA-compressed OpenEXR file with float channels (which DWAA keeps exactly).
bool WriteGridDwaaExrFile(const std::wstring& windowsPath);

}  // namespace testsupport
