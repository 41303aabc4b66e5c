#include "support/TestImages.h"

#include "support/TestDrive.h"

#if defined(_WIN32)
// Not STBI_WRITE_NO_STDIO: this version of stb_image_write leaves the HDR writer out with it.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#define TINYEXR_USE_MINIZ 0
#define TINYEXR_USE_THREAD 0
#define TINYEXR_IMPLEMENTATION
#include <zlib.h>
#include <tinyexr.h>

#include "platform/Platform.h"

#include <fstream>
#else
#include <OpenImageIO/imagebuf.h>
#endif

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

namespace {

// The header, offset table and chunk header of GridImage() written natively by OpenImageIO 2.4
// with "compression" "dwaa" and float channels (WriteGridDwaaExrFile of the native build). The
// chunk holds its 32 scanline pixels uncompressed: per row, the B, G and R channels in turn.
const char kGridDwaaExrHead[] =
    "v/1\001\002\000\000\000capDate\000string\000\023\000\000\0002026:12:07 01:18:10channel"
    "s\000chlist\0007\000\000\000B\000\002\000\000\000\000\000\000\000\001\000\000\000\001"
    "\000\000\000G\000\002\000\000\000\000\000\000\000\001\000\000\000\001\000\000\000R\000"
    "\002\000\000\000\000\000\000\000\001\000\000\000\001\000\000\000\000compression\000com"
    "pression\000\001\000\000\000\010dataWindow\000box2i\000\020\000\000\000\000\000\000"
    "\000\000\000\000\000\007\000\000\000\003\000\000\000displayWindow\000box2i\000\020\000"
    "\000\000\000\000\000\000\000\000\000\000\007\000\000\000\003\000\000\000dwaCompression"
    "Level\000float\000\004\000\000\000\000\0004BlineOrder\000lineOrder\000\001\000\000\000"
    "\000pixelAspectRatio\000float\000\004\000\000\000\000\000\200\077screenWindowCenter"
    "\000v2f\000\010\000\000\000\000\000\000\000\000\000\000\000screenWindowWidth\000float"
    "\000\004\000\000\000\000\000\200\077\000\211\001\000\000\000\000\000\000\000\000\000"
    "\000\200\001\000\000";

}  // namespace

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

bool WriteExrFile(const std::wstring& windowsPath, const TestImage& image) {
    const char* err = nullptr;
    // SaveEXR writes ZIP-compressed channels; 0 asks for 32-bit floats rather than halves.
    int rc = SaveEXR(image.rgb.data(), image.width, image.height, 3, 0,
                     platform::WideToUtf8(windowsPath).c_str(), &err);
    FreeEXRErrorMessage(err);  // which takes no message too
    return rc == TINYEXR_SUCCESS;
}

bool WriteGridDwaaExrFile(const std::wstring& windowsPath) {
    std::ofstream out(NativePath(windowsPath), std::ios::binary | std::ios::trunc);
    out.write(kGridDwaaExrHead, sizeof kGridDwaaExrHead - 1);  // without the final NUL
    for (int row = 0; row < kGridHeight; ++row) {
        for (float Rgb::*channel : {&Rgb::b, &Rgb::g, &Rgb::r}) {
            for (int column = 0; column < kGridWidth; ++column) {
                const float value = GridPixel(column, row).*channel;  // little-endian, as x86
                out.write(reinterpret_cast<const char*>(&value), sizeof value);
            }
        }
    }
    return out.flush().good();
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

bool WriteExrFile(const std::wstring& windowsPath, const TestImage& image) {
    return WriteWithOiio(windowsPath, image, "zip");
}

bool WriteGridDwaaExrFile(const std::wstring& windowsPath) {
    return WriteWithOiio(windowsPath, GridImage(), "dwaa");
}

#endif

bool WriteImageFile(const std::wstring& windowsPath, const TestImage& image) {
    return windowsPath.ends_with(L".hdr") ? WriteHdrFile(windowsPath, image)
                                          : WriteExrFile(windowsPath, image);
}

}  // namespace testsupport
