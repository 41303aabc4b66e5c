#include "ImageFiles.h"

#include "DisplayImage.h"
#include "OiioMessages.h"

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
        case ImageFormat::Png:
            return ".png";
        case ImageFormat::Jpeg:
            return ".jpg";
    }
    return "";
}

struct ExrRowWriter::Output {
    std::unique_ptr<OIIO::ImageOutput> out;
};

ExrRowWriter::ExrRowWriter() = default;

ExrRowWriter::~ExrRowWriter() {
    if (output) {
        output->out->close();
        output->out->geterror();  // an abandoned file's errors are nobody's
    }
}

std::string ImageWriteError(OIIO::ImageOutput* out) {
    std::string reason = out ? out->geterror() : OIIO::geterror();
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    return "cannot write: " + (reason.empty() ? std::string("unknown error") : reason);
}

bool ExrRowWriter::Open(const std::filesystem::path& file, int w, int h, std::string* error) {
    std::unique_ptr<OIIO::ImageOutput> out = OIIO::ImageOutput::create("exr");
    if (!out) {
        *error = ImageWriteError(nullptr);
        return false;
    }
    OIIO::ImageSpec spec(w, h, 3, OIIO::TypeDesc::FLOAT);
    // PIZ is lossless and made for the grain of photographed HDR images: on them it is both
    // smaller and about twice as fast to write as ZIP.
    spec.attribute("compression", "piz");
    if (!out->open(file.string(), spec)) {
        *error = ImageWriteError(out.get());
        return false;
    }
    output = std::make_unique<Output>(Output{std::move(out)});
    width = w;
    height = h;
    rowsWritten = 0;
    return true;
}

bool ExrRowWriter::WriteRows(const standalone::LatLongImage& image, int end, std::string* error) {
    if (!output || image.width != width || image.height != height || end > height) {
        *error = "cannot write: rows outside the image";
        return false;
    }
    if (end <= rowsWritten) {
        return true;
    }
    const float* first = &image.rgb[size_t(rowsWritten) * size_t(width) * 3];
    if (!output->out->write_scanlines(rowsWritten, end, 0, OIIO::TypeDesc::FLOAT, first)) {
        *error = ImageWriteError(output->out.get());
        return false;
    }
    rowsWritten = end;
    return true;
}

bool ExrRowWriter::Close(std::string* error) {
    if (!output) {
        *error = "cannot write: the file is not open";
        return false;
    }
    std::unique_ptr<Output> closing = std::move(output);
    bool ok = closing->out->close();
    if (!ok) {
        *error = ImageWriteError(closing->out.get());
    } else if (rowsWritten != height) {
        ok = false;
        *error = "cannot write: rows missing";
    }
    return ok;
}

bool WritePreviewFile(const std::filesystem::path& file, ImageFormat format,
                      const standalone::LatLongImage& image, std::string* error) {
    // The format is named, not taken from the file name: files are written under temporary names.
    std::unique_ptr<OIIO::ImageOutput> out =
        OIIO::ImageOutput::create(ImageFormatExtension(format) + 1);
    if (!out) {
        *error = ImageWriteError(nullptr);
        return false;
    }
    OIIO::ImageSpec spec(image.width, image.height, 3, OIIO::TypeDesc::UINT8);
    if (format == ImageFormat::Jpeg) {
        spec.attribute("compression", "jpeg:95");
    }
    bool ok = out->open(file.string(), spec);
    if (ok) {
        std::vector<uint8_t> bytes(image.rgb.size());
        std::transform(image.rgb.begin(), image.rgb.end(), bytes.begin(), ToneMapToDisplay);
        ok = out->write_image(OIIO::TypeDesc::UINT8, bytes.data());
    }
    ok = out->close() && ok;
    if (!ok) {
        *error = ImageWriteError(out.get());
    }
    return ok;
}

void UseImageThreads(int threads) {
    OIIO::attribute("exr_threads", std::max(threads, 1));
}
