#pragma once
// Small synthetic latitude-longitude images, written as real .hdr and .exr files for the
// standalone host's source maps to read.

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
/// OpenEXR with 32-bit float RGB channels and ZIP compression.
bool WriteExrFile(const std::wstring& windowsPath, const TestImage& image);
/// .hdr when the path ends so, else .exr.
bool WriteImageFile(const std::wstring& windowsPath, const TestImage& image);

}  // namespace testsupport
