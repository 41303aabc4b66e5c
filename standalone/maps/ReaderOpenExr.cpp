// Both builds read EXR source images with OpenEXR: scan-line and tiled files (the
// full-resolution level of a mip-mapped one), the first part of a multi-part file. Its core
// library decodes each chunk straight into the image's floats, on as many threads as the image
// library is given, in about half the time of its frame-buffer reader, which remains for the
// compressions the core library does not decode right yet (B44, B44A, DWAA and DWAB). Radiance
// files go through the shared stb_image reader.

#include "maps/HdrImageReader.h"

#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfInputFile.h>
#include <OpenEXR/ImfTestFile.h>
#include <OpenEXR/ImfThreading.h>
#include <OpenEXR/openexr.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace standalone {

namespace {

// The first error the library reports for a file, from whichever thread met it.
struct FirstError {
    std::mutex mutex;
    std::string message;
};

void KeepFirstError(exr_const_context_t file, exr_result_t code, const char* message) {
    void* user = nullptr;
    if (exr_get_user_data(file, &user) != EXR_ERR_SUCCESS || !user) {
        return;
    }
    auto& first = *static_cast<FirstError*>(user);
    std::lock_guard<std::mutex> lock(first.mutex);
    if (first.message.empty()) {
        first.message = message && *message ? message : exr_get_error_code_as_string(code);
    }
}

// The chunks of part 0 at full resolution, decoded by one or more threads, each taking the next
// chunk not yet taken.
struct ChunkDecoding {
    exr_context_t file = nullptr;
    bool tiled = false;
    int64_t width = 0, height = 0;
    int firstRow = 0;  // the data window's top
    // Scan lines: the rows a chunk holds, one chunk across.
    int tileWidth = 1, tileHeight = 1, tilesAcross = 1;
    int chunks = 0;
    const char* wanted[3] = {"R", "G", "B"};  // or one channel, shown as grey
    int wantedCount = 3;
    float* rgb = nullptr;
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};

    void DecodeChunks() {
        exr_decode_pipeline_t decoder{};
        bool started = false;
        for (int chunk = next++; chunk < chunks && !failed; chunk = next++) {
            if (!Decode(chunk, decoder, started)) {
                failed = true;
            }
        }
        exr_decoding_destroy(file, &decoder);
    }

    bool Decode(int chunk, exr_decode_pipeline_t& decoder, bool& started) {
        exr_chunk_info_t info;
        const int tileX = chunk % tilesAcross, tileY = chunk / tilesAcross;
        const exr_result_t found =
            tiled ? exr_read_tile_chunk_info(file, 0, tileX, tileY, 0, 0, &info)
                  : exr_read_scanline_chunk_info(file, 0, firstRow + chunk * tileHeight, &info);
        // A chunk writes only the pixels it covers inside the image, whatever a damaged file
        // says.
        const int64_t left = int64_t(tileX) * tileWidth, top = int64_t(tileY) * tileHeight;
        if (found != EXR_ERR_SUCCESS || info.width < 0 || info.height < 0 ||
            left + info.width > width || top + info.height > height ||
            (!tiled && info.start_y != firstRow + top) ||
            (started ? exr_decoding_update(file, 0, &info, &decoder)
                     : exr_decoding_initialize(file, 0, &info, &decoder)) != EXR_ERR_SUCCESS) {
            return false;
        }
        for (int c = 0; c < decoder.channel_count; ++c) {
            exr_coding_channel_info_t& channel = decoder.channels[c];
            channel.decode_to_ptr = nullptr;  // channels not shown are skipped
            for (int w = 0; w < wantedCount; ++w) {
                if (std::strcmp(channel.channel_name, wanted[w]) == 0) {
                    channel.decode_to_ptr =
                        reinterpret_cast<uint8_t*>(rgb + (top * width + left) * 3 + w);
                    channel.user_pixel_stride = 3 * sizeof(float);
                    channel.user_line_stride = int32_t(width * 3 * sizeof(float));
                    channel.user_bytes_per_element = sizeof(float);
                    channel.user_data_type = EXR_PIXEL_FLOAT;
                }
            }
        }
        if (!started) {
            started = true;
            if (exr_decoding_choose_default_routines(file, 0, &decoder) != EXR_ERR_SUCCESS) {
                return false;
            }
        }
        return exr_decoding_run(file, 0, &decoder) == EXR_ERR_SUCCESS;
    }
};

// The chunks of the full-resolution level: tiles across and down, or bands of scan lines.
bool CountChunks(ChunkDecoding& decoding) {
    const int64_t width = decoding.width, height = decoding.height;
    if (decoding.tiled) {
        if (exr_get_tile_sizes(decoding.file, 0, 0, 0, &decoding.tileWidth, &decoding.tileHeight) !=
                EXR_ERR_SUCCESS ||
            decoding.tileWidth <= 0 || decoding.tileHeight <= 0) {
            return false;
        }
        decoding.tilesAcross = int((width + decoding.tileWidth - 1) / decoding.tileWidth);
        decoding.chunks =
            decoding.tilesAcross * int((height + decoding.tileHeight - 1) / decoding.tileHeight);
        return true;
    }
    if (exr_get_scanlines_per_chunk(decoding.file, 0, &decoding.tileHeight) != EXR_ERR_SUCCESS ||
        decoding.tileHeight <= 0) {
        return false;
    }
    decoding.chunks = int((height + decoding.tileHeight - 1) / decoding.tileHeight);
    return true;
}

// The same pixels through the frame-buffer reader, which reports by exceptions.
bool ReadThroughFrameBuffer(const char* name, const ChunkDecoding& decoding, std::string* error) {
    try {
        Imf::InputFile in(name);
        const Imath::Box2i window = in.header().dataWindow();
        Imf::FrameBuffer frame;
        const size_t xStride = 3 * sizeof(float), yStride = xStride * size_t(decoding.width);
        for (int c = 0; c < decoding.wantedCount; ++c) {
            frame.insert(decoding.wanted[c],
                         Imf::Slice::Make(Imf::FLOAT, decoding.rgb + c, window, xStride, yStride));
        }
        in.setFrameBuffer(frame);
        in.readPixels(window.min.y, window.max.y);
        return true;
    } catch (const std::exception& e) {
        *error = std::string("damaged OpenEXR pixel data (") + e.what() + ")";
        return false;
    }
}

// Red, green and blue when the file has them; otherwise its luminance ("Y") or, failing that,
// its first channel, spread over all three as grey.
bool ReadOpenExr(const char* name, HdrImage& out, std::string* error) {
    FirstError reported;
    exr_context_initializer_t init = EXR_DEFAULT_CONTEXT_INITIALIZER;
    init.error_handler_fn = KeepFirstError;
    init.user_data = &reported;
    exr_context_t file = nullptr;
    struct Closer {
        exr_context_t& file;
        ~Closer() {
            if (file) {
                exr_finish(&file);
            }
        }
    } closer{file};
    auto header = [&](const std::string& what) {
        *error = "damaged or unsupported OpenEXR header (" +
                 (reported.message.empty() ? what : reported.message) + ")";
        return false;
    };
    exr_storage_t storage = EXR_STORAGE_LAST_TYPE;
    exr_attr_box2i_t window{};
    const exr_attr_chlist_t* channels = nullptr;
    if (exr_start_read(&file, name, &init) != EXR_ERR_SUCCESS ||
        exr_get_storage(file, 0, &storage) != EXR_ERR_SUCCESS ||
        exr_get_data_window(file, 0, &window) != EXR_ERR_SUCCESS ||
        exr_get_channels(file, 0, &channels) != EXR_ERR_SUCCESS) {
        return header("cannot read it");
    }
    if (storage != EXR_STORAGE_SCANLINE && storage != EXR_STORAGE_TILED) {
        return header("deep data");
    }
    const int64_t width = int64_t(window.max.x) - window.min.x + 1;
    const int64_t height = int64_t(window.max.y) - window.min.y + 1;
    if (width <= 0 || height <= 0 || width * height > kMaxHdrPixels) {
        *error = "unsupported image size";
        return false;
    }
    if (!channels || channels->num_channels <= 0) {
        *error = "the image has no channels";
        return false;
    }
    ChunkDecoding decoding;
    decoding.file = file;
    decoding.tiled = storage == EXR_STORAGE_TILED;
    decoding.width = width;
    decoding.height = height;
    decoding.firstRow = window.min.y;
    auto has = [&](const char* channel) {
        for (int c = 0; c < channels->num_channels; ++c) {
            if (std::strcmp(channels->entries[c].name.str, channel) == 0) {
                return true;
            }
        }
        return false;
    };
    const bool colour = has("R") && has("G") && has("B");
    if (!colour) {
        decoding.wanted[0] = has("Y") ? "Y" : channels->entries[0].name.str;
        decoding.wantedCount = 1;
    }
    for (int c = 0; c < channels->num_channels; ++c) {
        const exr_attr_chlist_entry_t& channel = channels->entries[c];
        for (int w = 0; w < decoding.wantedCount; ++w) {
            if (std::strcmp(channel.name.str, decoding.wanted[w]) == 0 &&
                (channel.x_sampling != 1 || channel.y_sampling != 1)) {
                *error = "subsampled OpenEXR channels are not supported";
                return false;
            }
        }
    }
    exr_compression_t compression = EXR_COMPRESSION_NONE;
    if (exr_get_compression(file, 0, &compression) != EXR_ERR_SUCCESS) {
        return header("no compression");
    }
    // This version's core library misdecodes B44 and B44A files (float channels, partial tiles)
    // and cannot decode DWAA or DWAB.
    const bool byChunks =
        compression != EXR_COMPRESSION_B44 && compression != EXR_COMPRESSION_B44A &&
        compression != EXR_COMPRESSION_DWAA && compression != EXR_COMPRESSION_DWAB;
    if (byChunks && !CountChunks(decoding)) {
        return header("no chunk size");
    }
    PixelBuffer rgb;
    rgb.resize(size_t(width) * size_t(height) * 3);  // every chunk sets its pixels
    decoding.rgb = rgb.data();
    if (!byChunks) {
        if (!ReadThroughFrameBuffer(name, decoding, error)) {
            return false;
        }
    } else {
        // As many threads as the image library is given (the tool sets it; in the host it has
        // none, and the caller decodes alone), the caller's among them.
        const int threads = std::min(decoding.chunks, std::max(1, Imf::globalThreadCount()));
        {
            std::vector<std::jthread> helpers;
            try {
                for (int t = 1; t < threads; ++t) {
                    helpers.emplace_back([&decoding] { decoding.DecodeChunks(); });
                }
            } catch (const std::system_error&) {
                // Without another thread the caller's takes the remaining chunks alone.
            }
            decoding.DecodeChunks();
        }
        if (decoding.failed) {
            std::lock_guard<std::mutex> lock(reported.mutex);
            *error = "damaged OpenEXR pixel data (" +
                     (reported.message.empty() ? std::string("a chunk cannot be decoded")
                                               : reported.message) +
                     ")";
            return false;
        }
    }
    if (!colour) {
        const size_t pixels = size_t(width) * size_t(height);
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
