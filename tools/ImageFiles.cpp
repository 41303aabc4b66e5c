#include "ImageFiles.h"

#include "DisplayImage.h"
#include "maps/HdrImageReader.h"

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfInputFile.h>
#include <OpenEXR/ImfTestFile.h>
#include <OpenEXR/ImfThreading.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>
#include <vector>

namespace {

// A Radiance header is a few lines of text; its size is on the last of them.
constexpr size_t kRadianceHeaderBytes = 64 * 1024;
constexpr int kJpegQuality = 95;

std::string LowerExtension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text.empty() ? std::string("unknown error") : text;
}

}  // namespace

std::string CannotWrite(const std::string& reason) {
    return "cannot write: " + OneLine(reason);
}

bool ProbeSourceImage(const std::filesystem::path& file, SourceImageInfo& info,
                      std::string* error) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        *error = file.string() + ": no such file";
        return false;
    }
    if (!std::filesystem::is_regular_file(file, ec)) {
        *error = file.string() + ": not a file";
        return false;
    }
    std::string ext = LowerExtension(file);
    if (ext != ".hdr" && ext != ".exr") {
        *error = file.string() + ": not an .hdr or .exr file";
        return false;
    }
    std::string reason;
    if (ext == ".hdr") {
        standalone::FileBytes header;
        if (!standalone::ReadFileBytes(file, header, kRadianceHeaderBytes)) {
            reason = "cannot open the file";
        } else {
            standalone::ReadRadianceSize(header, info.width, info.height, &reason);
        }
    } else if (!Imf::isOpenExrFile(file.c_str())) {
        reason = "not an EXR file";
    } else {
        try {
            Imf::InputFile in(file.c_str());
            const Imath::Box2i window = in.header().dataWindow();
            info.width = window.max.x - window.min.x + 1;
            info.height = window.max.y - window.min.y + 1;
            if (in.header().channels().begin() == in.header().channels().end()) {
                reason = "the image has no pixels";
            }
        } catch (const std::exception& e) {
            reason = OneLine(e.what());
        }
    }
    if (!reason.empty()) {
        reason = "cannot read the image: " + reason;
    }
    if (reason.empty() && (info.width <= 0 || info.height <= 0)) {
        reason = "the image has no pixels";
    }
    if (!reason.empty()) {
        *error = file.string() + ": " + reason;
    }
    return reason.empty();
}

const char* ImageFormatExtension(ImageFormat format) {
    switch (format) {
        case ImageFormat::Png:
            return ".png";
        case ImageFormat::Jpeg:
            return ".jpg";
    }
    return "";
}

bool WriteDisplayImageFile(const std::filesystem::path& file, ImageFormat format, int width,
                           int height, const uint8_t* rgb, std::string* error) {
    errno = 0;
    struct Sink {
        std::FILE* out;
        bool failed;
    } sink{std::fopen(file.c_str(), "wb"), false};
    if (!sink.out) {
        *error = CannotWrite(std::strerror(errno != 0 ? errno : EIO));
        return false;
    }
    // Straight into the file: the encoder's own buffers are all the memory it takes.
    auto write = [](void* context, void* data, int size) {
        auto* s = static_cast<Sink*>(context);
        s->failed = s->failed || std::fwrite(data, 1, size_t(size), s->out) != size_t(size);
    };
    bool encoded = format == ImageFormat::Png
                       ? stbi_write_png_to_func(write, &sink, width, height, 3, rgb, width * 3)
                       : stbi_write_jpg_to_func(write, &sink, width, height, 3, rgb, kJpegQuality);
    bool written = !sink.failed && std::fclose(sink.out) == 0;
    if (sink.failed) {
        std::fclose(sink.out);
    }
    if (!encoded || !written) {
        *error = CannotWrite(!encoded ? std::string("the image could not be encoded")
                                      : std::strerror(errno != 0 ? errno : EIO));
    }
    return encoded && written;
}

void UseImageThreads(int threads) {
    Imf::setGlobalThreadCount(std::max(threads, 1));
}
