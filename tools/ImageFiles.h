#pragma once
// Image files of the command-line tool: probing a source image, and writing a slot's image as
// a full-range EXR (OpenEXR) or an 8-bit display image (stb_image_write).

#include "DisplayImage.h"
#include "render/LatLongRender.h"

#include <filesystem>
#include <memory>
#include <string>

/// What the header of an .hdr or .exr source file tells, read without decoding its pixels.
struct SourceImageInfo {
    int width = 0;
    int height = 0;
};

/// Checks that the file exists, has the .hdr or .exr extension the source maps accept and opens
/// as an image of that format with pixels. False with a one-line reason.
bool ProbeSourceImage(const std::filesystem::path& file, SourceImageInfo& info, std::string* error);

/// The formats of a slot's preview.
enum class ImageFormat { Png, Jpeg };

/// The extension of the format, with its dot (".png", ".jpg").
const char* ImageFormatExtension(ImageFormat format);

/// Writes an 8-bit RGB image (rows of width * 3 bytes, from the top) to `file` in the given format,
/// whatever the file's own name. False with a one-line reason ("cannot write: ...", which does not
/// name the file).
bool WriteDisplayImageFile(const std::filesystem::path& file, ImageFormat format, int width,
                           int height, const uint8_t* rgb, std::string* error);

/// How a slot's EXR file is stored. The default, 32-bit float and PIZ, keeps every value; half
/// floats (16-bit) are what lighting artists commonly hand around, at half the size. RLE, which
/// the command line does not offer, is for small images with large even areas.
enum class ExrCompression { Piz, Zip, Dwaa, None, Rle };
struct ExrFormat {
    ExrCompression compression = ExrCompression::Piz;
    bool half = false;  ///< 16-bit half floats instead of 32-bit floats
};

/// The one-line reason of a failed write: "cannot write: " and `reason` (which does not name the
/// file).
std::string CannotWrite(const std::string& reason);

/// Reads "piz", "zip", "dwaa" or "none"; false for any other text.
bool ParseExrCompression(const std::string& text, ExrCompression& out);

/// Writes a full-range EXR file (RGB in the given format, compressed by as many threads as
/// UseImageThreads allows) a band of rows at a time from the top, so that the rows already
/// rendered are compressed while the rest still renders. Errors are one-line reasons that do
/// not name the file.
class ExrRowWriter {
public:
    ExrRowWriter();
    ~ExrRowWriter();
    ExrRowWriter(const ExrRowWriter&) = delete;
    ExrRowWriter& operator=(const ExrRowWriter&) = delete;

    /// Creates the file for a width x height image.
    bool Open(const std::filesystem::path& file, int width, int height, const ExrFormat& format,
              std::string* error);
    /// Writes rows [RowsWritten(), end) of `image`, which has the size given to Open.
    bool WriteRows(const standalone::LatLongImage& image, int end, std::string* error);
    /// Writes rows [RowsWritten(), end) from `rows`, which holds just them (width * 3 floats a
    /// row). The rows of a block of the file that `end` cuts are copied, and go out with the
    /// write that finishes the block.
    bool WriteBand(const float* rows, int end, std::string* error);
    /// Finishes the file; false unless every row was written.
    bool Close(std::string* error);
    int RowsWritten() const { return rowsWritten; }

private:
    struct Output;
    std::unique_ptr<Output> output;
    int width = 0;
    int height = 0;
    int rowsWritten = 0;
};

/// How many threads the image library may use to read and write EXR files (1 or more).
void UseImageThreads(int threads);
