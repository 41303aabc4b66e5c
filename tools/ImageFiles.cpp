#include "ImageFiles.h"

#include "DisplayImage.h"
#include "maps/HdrImageReader.h"

#include <Imath/half.h>
#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfInputFile.h>
#include <OpenEXR/ImfOutputFile.h>
#include <OpenEXR/ImfTestFile.h>
#include <OpenEXR/ImfThreading.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

namespace {

// A Radiance header is a few lines of text; its size is on the last of them.
constexpr size_t kRadianceHeaderBytes = 64 * 1024;
// PIZ, the default, is lossless and made for the grain of photographed HDR images: on them it is
// both smaller and about twice as fast to write as ZIP.
Imf::Compression ExrCompressionOf(ExrCompression compression) {
    switch (compression) {
        case ExrCompression::Zip:
            return Imf::ZIP_COMPRESSION;
        case ExrCompression::Dwaa:
            return Imf::DWAA_COMPRESSION;
        case ExrCompression::None:
            return Imf::NO_COMPRESSION;
        case ExrCompression::Rle:
            return Imf::RLE_COMPRESSION;
        case ExrCompression::Piz:
            break;
    }
    return Imf::PIZ_COMPRESSION;
}
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

std::string CannotWrite(const std::string& reason) {
    return "cannot write: " + OneLine(reason);
}

// The EXR writer's file. OpenEXR finishes a file in its destructor, which keeps every error to
// itself; this stream keeps the first one for Close.
class ExrFileStream : public Imf::OStream {
public:
    explicit ExrFileStream(const std::filesystem::path& file)
        : Imf::OStream(file.c_str()), handle(std::fopen(file.c_str(), "wb")) {
        if (!handle) {
            Fail();
        }
    }
    ~ExrFileStream() override {
        if (handle) {
            std::fclose(handle);
        }
    }
    void write(const char c[], int n) override {
        if (handle && std::fwrite(c, 1, size_t(n), handle) != size_t(n)) {
            throw std::runtime_error(Fail());
        }
    }
    uint64_t tellp() override { return handle ? uint64_t(::ftello(handle)) : 0; }
    void seekp(uint64_t pos) override {
        if (handle && ::fseeko(handle, off_t(pos), SEEK_SET) != 0) {
            throw std::runtime_error(Fail());
        }
    }
    const std::string& Error() const { return error; }
    bool Close() {
        if (handle && std::fclose(std::exchange(handle, nullptr)) != 0) {
            Fail();
        }
        return error.empty();
    }

private:
    // Keeps the first failure's reason (errno's text) and returns it.
    const std::string& Fail() {
        if (error.empty()) {
            error = std::strerror(errno != 0 ? errno : EIO);
        }
        return error;
    }

    std::FILE* handle = nullptr;
    std::string error;
};

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

struct ExrRowWriter::Output {
    ExrFileStream stream;
    std::unique_ptr<Imf::OutputFile> file;
    bool halfFloats = false;
    std::vector<Imath::half> halfRows;  // the rows of one write, rounded to half floats
    explicit Output(const std::filesystem::path& path) : stream(path) {}
};

ExrRowWriter::ExrRowWriter() = default;
ExrRowWriter::~ExrRowWriter() = default;

bool ParseExrCompression(const std::string& text, ExrCompression& out) {
    const std::pair<const char*, ExrCompression> names[] = {{"piz", ExrCompression::Piz},
                                                            {"zip", ExrCompression::Zip},
                                                            {"dwaa", ExrCompression::Dwaa},
                                                            {"none", ExrCompression::None}};
    for (const auto& [name, compression] : names) {
        if (text == name) {
            out = compression;
            return true;
        }
    }
    return false;
}

bool ExrRowWriter::Open(const std::filesystem::path& file, int w, int h, const ExrFormat& format,
                        std::string* error) {
    errno = 0;
    auto opened = std::make_unique<Output>(file);
    if (!opened->stream.Error().empty()) {
        *error = CannotWrite(opened->stream.Error());
        return false;
    }
    Imf::Header header(w, h);
    header.compression() = ExrCompressionOf(format.compression);
    for (const char* name : {"R", "G", "B"}) {
        header.channels().insert(name, Imf::Channel(format.half ? Imf::HALF : Imf::FLOAT));
    }
    try {
        // The library keeps two blocks of rows in flight for each thread it is given; the
        // tool hands it a band of one block a thread at a time, which half the threads' buffers
        // hold whole.
        const int bufferThreads = std::max(1, (Imf::globalThreadCount() + 1) / 2);
        opened->file = std::make_unique<Imf::OutputFile>(opened->stream, header, bufferThreads);
    } catch (const std::exception& e) {
        *error = CannotWrite(e.what());
        return false;
    }
    opened->halfFloats = format.half;
    output = std::move(opened);
    width = w;
    height = h;
    rowsWritten = 0;
    return true;
}

bool ExrRowWriter::WriteRows(const standalone::LatLongImage& image, int end, std::string* error) {
    if (image.width != width || image.height != height) {
        *error = "cannot write: rows outside the image";
        return false;
    }
    return WriteBand(image.rgb.data() + size_t(std::max(rowsWritten, 0)) * size_t(width) * 3, end,
                     error);
}

bool ExrRowWriter::WriteBand(const float* rows, int end, std::string* error) {
    if (!output || !output->file || end > height) {
        *error = "cannot write: rows outside the image";
        return false;
    }
    if (end <= rowsWritten) {
        return true;
    }
    try {
        Imf::FrameBuffer frame;
        const float* first = rows;
        const size_t values = size_t(end - rowsWritten) * size_t(width) * 3;
        // The library addresses rows from row 0 of the image.
        char* base = reinterpret_cast<char*>(const_cast<float*>(rows)) -
                     size_t(rowsWritten) * size_t(width) * 3 * sizeof(float);
        size_t valueBytes = sizeof(float);
        if (output->halfFloats) {
            // The library writes half channels only from halves: the new rows are rounded here,
            // and addressed as if the buffer began at row 0.
            output->halfRows.assign(first, first + values);
            valueBytes = sizeof(Imath::half);
            base = reinterpret_cast<char*>(output->halfRows.data()) -
                   size_t(rowsWritten) * size_t(width) * 3 * valueBytes;
        }
        const Imf::PixelType type = output->halfFloats ? Imf::HALF : Imf::FLOAT;
        const size_t xStride = 3 * valueBytes, yStride = xStride * size_t(width);
        frame.insert("R", Imf::Slice(type, base, xStride, yStride));
        frame.insert("G", Imf::Slice(type, base + valueBytes, xStride, yStride));
        frame.insert("B", Imf::Slice(type, base + 2 * valueBytes, xStride, yStride));
        output->file->setFrameBuffer(frame);
        output->file->writePixels(end - rowsWritten);
    } catch (const std::exception& e) {
        *error = CannotWrite(output->stream.Error().empty() ? e.what() : output->stream.Error());
        return false;
    }
    rowsWritten = end;
    return true;
}

bool ExrRowWriter::Close(std::string* error) {
    if (!output || !output->file) {
        *error = "cannot write: the file is not open";
        return false;
    }
    std::unique_ptr<Output> closing = std::move(output);
    closing->file.reset();  // writes the table of row offsets
    if (!closing->stream.Close()) {
        *error = CannotWrite(closing->stream.Error());
        return false;
    }
    if (rowsWritten != height) {
        *error = "cannot write: rows missing";
        return false;
    }
    return true;
}

void UseImageThreads(int threads) {
    Imf::setGlobalThreadCount(std::max(threads, 1));
}
