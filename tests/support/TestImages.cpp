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
#include <OpenEXR/ImfMultiPartOutputFile.h>
#include <OpenEXR/ImfOutputFile.h>
#include <OpenEXR/ImfOutputPart.h>
#include <OpenEXR/ImfPartType.h>
#include <OpenEXR/ImfTiledOutputFile.h>

#include <Imath/half.h>

#include <algorithm>
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

bool WriteExrFile(const std::wstring& windowsPath, const TestImage& image,
                  const ExrLayout& layout) {
    const Imath::Box2i window({0, 0}, {image.width - 1, image.height - 1});
    Imf::Header header(image.width, image.height);
    header.compression() = layout.compression;
    const Imf::PixelType type = layout.half ? Imf::HALF : Imf::FLOAT;
    const char* const names[] = {"A", "B", "G", "R"};  // the file lists channels in this order
    for (const char* name : names) {
        if (name[0] != 'A' || layout.alpha) {
            header.channels().insert(name, Imf::Channel(type));
        }
    }
    // Channels as the file keeps them; every mip-map level below the top one holds zeros.
    std::vector<float> planes[4];
    std::vector<half> halfPlanes[4];
    const size_t pixels = size_t(image.width) * size_t(image.height);
    Imf::FrameBuffer frame;
    for (int c = 0; c < 4; ++c) {
        planes[c].resize(pixels, 1.0f);
        for (size_t p = 0; c > 0 && p < pixels; ++p) {
            planes[c][p] = image.rgb[p * 3 + size_t(3 - c)];
        }
        halfPlanes[c].assign(planes[c].begin(), planes[c].end());
        char* base = layout.half ? reinterpret_cast<char*>(halfPlanes[c].data())
                                 : reinterpret_cast<char*>(planes[c].data());
        const size_t size = layout.half ? sizeof(half) : sizeof(float);
        frame.insert(names[c], Imf::Slice(type, base, size, size * size_t(image.width)));
    }
    auto zeros = [&] {
        for (int c = 0; c < 4; ++c) {
            std::fill(planes[c].begin(), planes[c].end(), 0.0f);
            std::fill(halfPlanes[c].begin(), halfPlanes[c].end(), half(0.0f));
        }
    };
    const std::string file =
        reinterpret_cast<const char*>(NativePath(windowsPath).u8string().c_str());
    try {
        if (layout.tiled || layout.mipmapped) {
            header.setTileDescription(Imf::TileDescription(
                16, 16, layout.mipmapped ? Imf::MIPMAP_LEVELS : Imf::ONE_LEVEL));
            Imf::TiledOutputFile out(file.c_str(), header);
            for (int level = 0; level < out.numLevels(); ++level) {
                if (level == 1) {
                    zeros();
                }
                out.setFrameBuffer(frame);
                out.writeTiles(0, out.numXTiles(level) - 1, 0, out.numYTiles(level) - 1, level);
            }
        } else if (layout.multiPart) {
            // The image first, then a second part of the same size holding zeros.
            header.setName("beauty");
            header.setType(Imf::SCANLINEIMAGE);
            Imf::Header headers[] = {header, header};
            headers[1].setName("zeros");
            Imf::MultiPartOutputFile out(file.c_str(), headers, 2);
            Imf::OutputPart first(out, 0);
            first.setFrameBuffer(frame);
            first.writePixels(image.height);
            zeros();
            Imf::OutputPart last(out, 1);
            last.setFrameBuffer(frame);
            last.writePixels(image.height);
        } else {
            Imf::OutputFile out(file.c_str(), header);
            out.setFrameBuffer(frame);
            out.writePixels(image.height);
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool WriteGridDwaaExrFile(const std::wstring& windowsPath) {
    return WriteExrFile(windowsPath, GridImage(), {Imf::DWAA_COMPRESSION});
}

bool WriteImageFile(const std::wstring& windowsPath, const TestImage& image) {
    return windowsPath.ends_with(L".hdr") ? WriteHdrFile(windowsPath, image)
                                          : WriteExrFile(windowsPath, image);
}

}  // namespace testsupport
