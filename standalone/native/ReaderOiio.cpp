// Native builds read source images with OpenImageIO, which handles every EXR compression
// (DWAA/DWAB included) and Radiance files.

#include "HdrImageReader.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>

namespace standalone {

namespace {

// OpenImageIO keeps unretrieved errors and prints them when the reader goes away.
std::string TakeError(OIIO::ImageInput* in) {
    std::string text = in ? in->geterror() : OIIO::geterror();
    return text.empty() ? std::string("cannot read the image") : text;
}

}  // namespace

bool ReadHdrFile(const std::filesystem::path& file, HdrFileFormat format, HdrImage& out,
                 std::string* error) {
    std::unique_ptr<OIIO::ImageInput> in = OIIO::ImageInput::open(file.string());
    if (!in) {
        *error = TakeError(nullptr);
        return false;
    }
    // Both builds refuse a file whose contents do not match its extension.
    const char* expected = format == HdrFileFormat::Radiance ? "hdr" : "openexr";
    if (std::string(in->format_name()) != expected) {
        *error =
            format == HdrFileFormat::Radiance ? "not a Radiance HDR file" : "not an OpenEXR file";
        in->close();
        return false;
    }
    const OIIO::ImageSpec& spec = in->spec();
    int64_t pixels = int64_t(spec.width) * int64_t(spec.height);
    if (spec.width <= 0 || spec.height <= 0 || spec.depth > 1 || pixels > kMaxHdrPixels ||
        spec.nchannels <= 0) {
        *error = "unsupported image size";
        in->close();
        return false;
    }
    int channels = std::min(spec.nchannels, 3);
    // Three channels are read straight into the image; one or two are spread out after.
    std::vector<float> data(size_t(pixels) * size_t(channels));
    if (!in->read_image(0, 0, 0, channels, OIIO::TypeFloat, data.data())) {
        *error = TakeError(in.get());
        in->close();
        return false;
    }
    in->close();
    out.width = spec.width;
    out.height = spec.height;
    if (channels == 3) {
        out.rgb = std::move(data);
        return true;
    }
    out.rgb.resize(size_t(pixels) * 3);
    for (size_t p = 0; p < size_t(pixels); ++p) {
        // The first channel is grey (luminance, or luminance and alpha).
        float grey = data[p * size_t(channels)];
        out.rgb[p * 3] = out.rgb[p * 3 + 1] = out.rgb[p * 3 + 2] = grey;
    }
    return true;
}

}  // namespace standalone
