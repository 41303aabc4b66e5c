#include "support/TestImages.h"

#include "support/TestDrive.h"

#if defined(_WIN32)
// Not STBI_WRITE_NO_STDIO: this version of stb_image_write leaves the HDR writer out with it.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <fstream>
#else
#include <OpenImageIO/imagebuf.h>
#endif

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfOutputFile.h>

#include <exception>

namespace testsupport {

TestImage ImageOf(int width, int height, const std::function<Rgb(int column, int row)>& pixel) {
    TestImage image{width, height, {}};
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const Rgb c = pixel(column, row);
            image.rgb.insert(image.rgb.end(), {c.r, c.g, c.b});
        }
    }
    return image;
}

Rgb GridPixel(int column, int row) {
    return {float(column + 1) / 8.0f, float(row + 1) / 4.0f, 2.0f + float(column) / 4.0f};
}

TestImage GridImage() {
    return ImageOf(kGridWidth, kGridHeight, GridPixel);
}

TestImage UniformImage(int width, int height, float r, float g, float b) {
    return ImageOf(width, height, [=](int, int) { return Rgb{r, g, b}; });
}

#if defined(_WIN32)

bool WriteHdrFile(const std::wstring& windowsPath, const TestImage& image) {
    std::ofstream out(NativePath(windowsPath), std::ios::binary | std::ios::trunc);
    return out &&
           stbi_write_hdr_to_func(
               [](void* context, void* data, int size) {
                   static_cast<std::ofstream*>(context)->write(static_cast<const char*>(data),
                                                               size);
               },
               &out, image.width, image.height, 3, image.rgb.data()) != 0 &&
           out.flush().good();
}

#else

namespace {

bool WriteWithOiio(const std::wstring& windowsPath, const TestImage& image,
                   const char* compression) {
    OIIO::ImageSpec spec(image.width, image.height, 3, OIIO::TypeDesc::FLOAT);
    if (compression) {
        spec.attribute("compression", compression);
    }
    OIIO::ImageBuf buffer(spec, const_cast<float*>(image.rgb.data()));  // wrapped, not copied
    const bool ok = buffer.write(NativePath(windowsPath).string());
    buffer.geterror();  // clears a message, if any
    return ok;
}

}  // namespace

bool WriteHdrFile(const std::wstring& windowsPath, const TestImage& image) {
    return WriteWithOiio(windowsPath, image, nullptr);
}

#endif

bool WriteExrFile(const std::wstring& windowsPath, const TestImage& image) {
    Imf::Header header(image.width, image.height);
    header.compression() = Imf::ZIP_COMPRESSION;
    Imf::FrameBuffer frame;
    const size_t xStride = 3 * sizeof(float), yStride = xStride * size_t(image.width);
    for (size_t c = 0; c < 3; ++c) {
        const char* name = c == 0 ? "R" : c == 1 ? "G" : "B";
        header.channels().insert(name, Imf::Channel(Imf::FLOAT));
        auto* base = reinterpret_cast<char*>(const_cast<float*>(image.rgb.data() + c));
        frame.insert(name, Imf::Slice(Imf::FLOAT, base, xStride, yStride));
    }
    try {
        const std::u8string file = NativePath(windowsPath).u8string();
        Imf::OutputFile out(reinterpret_cast<const char*>(file.c_str()), header);
        out.setFrameBuffer(frame);
        out.writePixels(image.height);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool WriteImageFile(const std::wstring& windowsPath, const TestImage& image) {
    return windowsPath.ends_with(L".hdr") ? WriteHdrFile(windowsPath, image)
                                          : WriteExrFile(windowsPath, image);
}

}  // namespace testsupport
