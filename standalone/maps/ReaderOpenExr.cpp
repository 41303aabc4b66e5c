// Both builds read EXR source images with OpenEXR, which decodes every compression (DWAA and
// DWAB included), scan-line and tiled files (the full-resolution level of a mip-mapped one) and
// the first part of a multi-part file; Radiance files go through the shared stb_image reader.

#include "maps/HdrImageReader.h"

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfInputFile.h>
#include <OpenEXR/ImfTestFile.h>

#include <exception>
#include <memory>

namespace standalone {

namespace {

// Red, green and blue when the file has them; otherwise its luminance ("Y") or, failing that,
// its first channel, spread over all three as grey.
// OpenEXR reports what it cannot read by exceptions: in the header (an unknown compression among
// them) or in the pixel data.
bool ReadOpenExr(const char* file, HdrImage& out, std::string* error) {
    std::unique_ptr<Imf::InputFile> opened;
    try {
        opened = std::make_unique<Imf::InputFile>(file);
    } catch (const std::exception& e) {
        *error = std::string("damaged or unsupported OpenEXR header (") + e.what() + ")";
        return false;
    }
    Imf::InputFile& in = *opened;
    const Imath::Box2i window = in.header().dataWindow();
    int64_t width = int64_t(window.max.x) - window.min.x + 1;
    int64_t height = int64_t(window.max.y) - window.min.y + 1;
    if (width <= 0 || height <= 0 || width * height > kMaxHdrPixels) {
        *error = "unsupported image size";
        return false;
    }
    const Imf::ChannelList& channels = in.header().channels();
    if (channels.begin() == channels.end()) {
        *error = "the image has no channels";
        return false;
    }
    bool colour =
        channels.findChannel("R") && channels.findChannel("G") && channels.findChannel("B");
    const char* grey = channels.findChannel("Y") ? "Y" : channels.begin().name();
    size_t pixels = size_t(width) * size_t(height);
    PixelBuffer rgb;
    rgb.resize(pixels * 3);  // OpenEXR sets every pixel of the data window
    Imf::FrameBuffer frame;
    const size_t xStride = 3 * sizeof(float), yStride = xStride * size_t(width);
    for (int c = 0; c < (colour ? 3 : 1); ++c) {
        const char* name = colour ? (c == 0 ? "R" : c == 1 ? "G" : "B") : grey;
        frame.insert(name, Imf::Slice::Make(Imf::FLOAT, rgb.data() + c, window, xStride, yStride));
    }
    try {
        in.setFrameBuffer(frame);
        in.readPixels(window.min.y, window.max.y);
    } catch (const std::exception& e) {
        *error = std::string("damaged OpenEXR pixel data (") + e.what() + ")";
        return false;
    }
    if (!colour) {
        for (size_t p = 0; p < pixels; ++p) {
            rgb[p * 3 + 1] = rgb[p * 3 + 2] = rgb[p * 3];
        }
    }
    out.width = int(width);
    out.height = int(height);
    out.rgb = std::move(rgb);
    return true;
}

}  // namespace

bool ReadHdrFile(const std::filesystem::path& file, HdrFileFormat format, HdrImage& out,
                 std::string* error) {
    if (format == HdrFileFormat::Radiance) {
        FileBytes bytes;
        if (!ReadFileBytes(file, bytes)) {
            *error = "cannot open the file";
            return false;
        }
        return DecodeRadiance(bytes, out, error);
    }
    // OpenEXR takes UTF-8 file names, on Windows too.
    const std::u8string utf8 = file.u8string();
    const char* name = reinterpret_cast<const char*>(utf8.c_str());
    // A file whose contents do not match its extension is refused.
    if (!Imf::isOpenExrFile(name)) {
        *error = "not an OpenEXR file";
        return false;
    }
    // Anything else OpenEXR throws ends here as the reason.
    try {
        return ReadOpenExr(name, out, error);
    } catch (const std::exception& e) {
        *error = e.what();
        return false;
    }
}

}  // namespace standalone
