#pragma once
// The tool's image files read back through OpenImageIO, a reader independent of the tool's own
// writers.

#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct ReadImage {
    int width = 0, height = 0, channels = 0;
    OIIO::TypeDesc format;
    std::string compression;    ///< as the file names it ("piz", "zip", ...)
    std::vector<float> pixels;  ///< every channel of every pixel, as float
};

/// The whole image; an empty one, and a test failure, when the file cannot be read.
inline ReadImage Read(const std::filesystem::path& file) {
    ReadImage image;
    std::unique_ptr<OIIO::ImageInput> in = OIIO::ImageInput::open(file.string());
    if (!in) {
        ADD_FAILURE() << "cannot read " << file << ": " << OIIO::geterror();
        return image;
    }
    image.width = in->spec().width;
    image.height = in->spec().height;
    image.channels = in->spec().nchannels;
    image.format = in->spec().format;
    image.compression = in->spec().get_string_attribute("compression");
    image.pixels.resize(size_t(image.width) * size_t(image.height) * size_t(image.channels));
    EXPECT_TRUE(in->read_image(0, 0, 0, image.channels, OIIO::TypeFloat, image.pixels.data()));
    return image;
}
