#include "ImageFiles.h"

#include "DisplayImage.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cmath>
#include <system_error>

namespace {

// OpenImageIO keeps unretrieved errors per thread and prints them at exit; take them.
std::string TakeError(OIIO::ImageInput* in) {
    std::string text = in ? in->geterror() : OIIO::geterror();
    text = text.empty() ? std::string("unknown error") : text;
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string LowerExtension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

}  // namespace

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
    std::unique_ptr<OIIO::ImageInput> in = OIIO::ImageInput::open(file.string());
    if (!in) {
        *error = file.string() + ": cannot read the image: " + TakeError(nullptr);
        return false;
    }
    const char* expected = ext == ".hdr" ? "hdr" : "openexr";
    const OIIO::ImageSpec& spec = in->spec();
    bool ok = std::string(in->format_name()) == expected;
    if (!ok) {
        *error =
            file.string() + (ext == ".hdr" ? ": not a Radiance HDR file" : ": not an EXR file");
    } else if (spec.width <= 0 || spec.height <= 0 || spec.depth > 1 || spec.nchannels <= 0) {
        ok = false;
        *error = file.string() + ": the image has no pixels";
    }
    info.width = spec.width;
    info.height = spec.height;
    in->close();
    return ok;
}

const char* ImageFormatExtension(ImageFormat format) {
    switch (format) {
        case ImageFormat::Exr:
            return ".exr";
        case ImageFormat::Png:
            return ".png";
        case ImageFormat::Jpeg:
            return ".jpg";
    }
    return "";
}

bool WriteImageFile(const std::filesystem::path& file, ImageFormat format,
                    const standalone::LatLongImage& image, std::string* error) {
    // The format is named, not taken from the file name: files are written under temporary names.
    std::unique_ptr<OIIO::ImageOutput> out =
        OIIO::ImageOutput::create(ImageFormatExtension(format) + 1);
    if (!out) {
        *error = OIIO::geterror();
        return false;
    }
    bool isExr = format == ImageFormat::Exr;
    OIIO::ImageSpec spec(image.width, image.height, 3,
                         isExr ? OIIO::TypeDesc::FLOAT : OIIO::TypeDesc::UINT8);
    if (isExr) {
        // PIZ is lossless and made for the grain of photographed HDR images: on them it is both
        // smaller and about twice as fast to write as ZIP.
        spec.attribute("compression", "piz");
    } else if (format == ImageFormat::Jpeg) {
        spec.attribute("compression", "jpeg:95");
    }
    bool ok = out->open(file.string(), spec);
    if (ok && isExr) {
        ok = out->write_image(OIIO::TypeDesc::FLOAT, image.rgb.data());
    } else if (ok) {
        std::vector<uint8_t> bytes(image.rgb.size());
        std::transform(image.rgb.begin(), image.rgb.end(), bytes.begin(), ToneMapToDisplay);
        ok = out->write_image(OIIO::TypeDesc::UINT8, bytes.data());
    }
    ok = out->close() && ok;
    if (!ok) {
        std::string reason = out->geterror();
        *error = "cannot write: " + (reason.empty() ? std::string("unknown error") : reason);
    }
    return ok;
}

void UseImageThreads(int threads) {
    OIIO::attribute("exr_threads", std::max(threads, 1));
}
