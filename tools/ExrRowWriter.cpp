// The tool's EXR writer. OpenEXR's core library compresses each chunk of rows on one of the
// image library's threads and writes the chunks in order, about a tenth faster than its
// frame-buffer writer on float PIZ; DWAA, which this version of the core library cannot
// compress, goes through the frame-buffer writer.

#include "ImageFiles.h"

#include <Imath/half.h>
#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfOutputFile.h>
#include <OpenEXR/ImfThreading.h>
#include <OpenEXR/openexr.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// PIZ, the default, is lossless and made for the grain of photographed HDR images: on them it is
// both smaller and about twice as fast to write as ZIP.
exr_compression_t CompressionOf(ExrCompression compression) {
    switch (compression) {
        case ExrCompression::Zip:
            return EXR_COMPRESSION_ZIP;
        case ExrCompression::Dwaa:
            return EXR_COMPRESSION_DWAA;
        case ExrCompression::None:
            return EXR_COMPRESSION_NONE;
        case ExrCompression::Rle:
            return EXR_COMPRESSION_RLE;
        case ExrCompression::Piz:
            break;
    }
    return EXR_COMPRESSION_PIZ;
}

// The first failure of a file, from whichever thread met it: the system's reason for a failed
// write, else the image library's message.
class FirstFailure {
public:
    void Keep(const std::string& reason) {
        std::lock_guard<std::mutex> lock(mutex);
        if (first.empty()) {
            first = reason.empty() ? std::string("unknown error") : reason;
        }
    }
    std::string Get() {
        std::lock_guard<std::mutex> lock(mutex);
        return first;
    }

private:
    std::mutex mutex;
    std::string first;
};

// The frame-buffer writer's file. OpenEXR finishes a file in its destructor, which keeps every
// error to itself; this stream keeps the first one for Close.
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

// The frame-buffer writer, for DWAA.
struct FrameBufferOutput {
    ExrFileStream stream;
    std::unique_ptr<Imf::OutputFile> file;
    bool halfFloats = false;
    std::vector<Imath::half> halfRows;  // the rows of one write, rounded to half floats
    explicit FrameBufferOutput(const std::filesystem::path& path) : stream(path) {}
};

// The core library's file: the chunks of a band are compressed side by side and written in
// their order, each thread waiting for the chunk before its own.
struct ChunkOutput {
    int descriptor = -1;
    exr_context_t file = nullptr;
    int chunkRows = 1;
    FirstFailure failure;
    std::mutex order;
    std::condition_variable turn;
    int nextChunk = 0;       // the next chunk to be written
    bool abandoned = false;  // a chunk failed: the file is given up, nobody waits
    // One encoder a thread, kept from band to band with its buffers (and never moved: each
    // points into itself).
    struct Encoder {
        exr_encode_pipeline_t pipeline{};
        bool started = false;
    };
    std::vector<Encoder> encoders;

    explicit ChunkOutput(int threads) : encoders(size_t(std::max(threads, 1))) {}

    ~ChunkOutput() {
        Finish();
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }

    // Frees the encoders, which need the file, then finishes it: writes the table of chunk
    // offsets.
    bool Finish() {
        for (Encoder& encoder : encoders) {
            exr_encoding_destroy(file, &encoder.pipeline);
        }
        encoders.clear();
        return !file || exr_finish(&file) == EXR_ERR_SUCCESS;
    }

    static ChunkOutput& Of(exr_const_context_t file) {
        void* user = nullptr;
        exr_get_user_data(file, &user);
        return *static_cast<ChunkOutput*>(user);
    }
    static void KeepMessage(exr_const_context_t file, exr_result_t, const char* message) {
        Of(file).failure.Keep(message ? message : "");
    }
    static int64_t WriteAt(exr_const_context_t, void* user, const void* bytes, uint64_t size,
                           uint64_t offset, exr_stream_error_func_ptr_t) {
        auto& output = *static_cast<ChunkOutput*>(user);
        for (uint64_t done = 0; done < size;) {
            const ssize_t written =
                ::pwrite(output.descriptor, static_cast<const char*>(bytes) + done, size - done,
                         off_t(offset + done));
            if (written <= 0) {
                output.failure.Keep(std::strerror(written < 0 && errno != 0 ? errno : EIO));
                return -1;
            }
            done += uint64_t(written);
        }
        return int64_t(size);
    }
    static exr_result_t WaitForTurn(exr_encode_pipeline_t* pipeline) {
        auto& output = *static_cast<ChunkOutput*>(pipeline->encoding_user_data);
        std::unique_lock<std::mutex> lock(output.order);
        output.turn.wait(
            lock, [&] { return output.abandoned || output.nextChunk == pipeline->chunk.idx; });
        return EXR_ERR_SUCCESS;
    }
    static exr_result_t WriteInTurn(exr_encode_pipeline_t* pipeline) {
        auto& output = *static_cast<ChunkOutput*>(pipeline->encoding_user_data);
        WaitForTurn(pipeline);
        const bool compressed = pipeline->compressed_buffer && pipeline->compressed_bytes > 0;
        const exr_result_t result = exr_write_scanline_chunk(
            output.file, pipeline->part_index, pipeline->chunk.start_y,
            compressed ? pipeline->compressed_buffer : pipeline->packed_buffer,
            compressed ? pipeline->compressed_bytes : pipeline->packed_bytes);
        std::lock_guard<std::mutex> lock(output.order);
        ++output.nextChunk;
        output.turn.notify_all();
        return result;
    }

    // Compresses and writes rows [first, first + count) from `rows`, which holds just them; the
    // rows are whole chunks, the last one possibly cut by the image's bottom.
    bool Encode(const float* rows, int width, int first, int count) {
        const int chunks = (count + chunkRows - 1) / chunkRows;
        std::atomic<int> next{0};
        std::atomic<bool> failed{false};
        const int threads = std::min(chunks, int(encoders.size()));
        auto encodeChunks = [&](int thread) {
            exr_encode_pipeline_t& encoder = encoders[size_t(thread)].pipeline;
            bool& started = encoders[size_t(thread)].started;
            for (int c = next++; c < chunks && !failed; c = next++) {
                exr_chunk_info_t info;
                const int y = first + c * chunkRows;
                bool ok = exr_write_scanline_chunk_info(file, 0, y, &info) == EXR_ERR_SUCCESS &&
                          (started ? exr_encoding_update(file, 0, &info, &encoder)
                                   : exr_encoding_initialize(file, 0, &info, &encoder)) ==
                              EXR_ERR_SUCCESS;
                for (int k = 0; ok && k < encoder.channel_count; ++k) {
                    exr_coding_channel_info_t& channel = encoder.channels[k];
                    // The channels are stored B, G, R.
                    const int component = channel.channel_name[0] == 'R'   ? 0
                                          : channel.channel_name[0] == 'G' ? 1
                                                                           : 2;
                    channel.encode_from_ptr = reinterpret_cast<const uint8_t*>(
                        rows + (size_t(y - first) * size_t(width)) * 3 + size_t(component));
                    channel.user_pixel_stride = 3 * sizeof(float);
                    channel.user_line_stride = int32_t(size_t(width) * 3 * sizeof(float));
                    channel.user_bytes_per_element = sizeof(float);
                    channel.user_data_type = EXR_PIXEL_FLOAT;
                }
                if (ok && !started) {
                    started = true;
                    ok = exr_encoding_choose_default_routines(file, 0, &encoder) == EXR_ERR_SUCCESS;
                    encoder.encoding_user_data = this;
                    encoder.yield_until_ready_fn = WaitForTurn;
                    encoder.write_fn = WriteInTurn;
                }
                if (!ok || exr_encoding_run(file, 0, &encoder) != EXR_ERR_SUCCESS) {
                    failed = true;
                    // The chunks after this one must not wait for it.
                    std::lock_guard<std::mutex> lock(order);
                    abandoned = true;
                    turn.notify_all();
                }
            }
        };
        {
            std::vector<std::jthread> helpers;
            try {
                for (int t = 1; t < threads; ++t) {
                    helpers.emplace_back(encodeChunks, t);
                }
            } catch (const std::system_error&) {
                // Without another thread the caller's takes the remaining chunks alone.
            }
            encodeChunks(0);
        }
        return !failed;
    }
};

}  // namespace

struct ExrRowWriter::Output {
    std::unique_ptr<ChunkOutput> chunks;
    std::unique_ptr<FrameBufferOutput> frames;
    std::vector<float> carried;  // rows of a chunk not yet whole, for the next band to finish
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

namespace {

std::unique_ptr<ChunkOutput> OpenChunkOutput(const std::filesystem::path& path, int width,
                                             int height, const ExrFormat& format,
                                             std::string* error) {
    auto output = std::make_unique<ChunkOutput>(Imf::globalThreadCount());
    output->descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (output->descriptor < 0) {
        *error = CannotWrite(std::strerror(errno != 0 ? errno : EIO));
        return nullptr;
    }
    exr_context_initializer_t init = EXR_DEFAULT_CONTEXT_INITIALIZER;
    init.error_handler_fn = ChunkOutput::KeepMessage;
    init.write_fn = ChunkOutput::WriteAt;
    init.user_data = output.get();
    int part = 0;
    const exr_pixel_type_t type = format.half ? EXR_PIXEL_HALF : EXR_PIXEL_FLOAT;
    if (exr_start_write(&output->file, path.c_str(), EXR_WRITE_FILE_DIRECTLY, &init) ||
        exr_add_part(output->file, "", EXR_STORAGE_SCANLINE, &part) ||
        exr_initialize_required_attr_simple(output->file, part, width, height,
                                            CompressionOf(format.compression)) ||
        exr_add_channel(output->file, part, "R", type, EXR_PERCEPTUALLY_LOGARITHMIC, 1, 1) ||
        exr_add_channel(output->file, part, "G", type, EXR_PERCEPTUALLY_LOGARITHMIC, 1, 1) ||
        exr_add_channel(output->file, part, "B", type, EXR_PERCEPTUALLY_LOGARITHMIC, 1, 1) ||
        exr_write_header(output->file) ||
        exr_get_scanlines_per_chunk(output->file, part, &output->chunkRows) ||
        output->chunkRows <= 0) {
        *error = CannotWrite(output->failure.Get());
        return nullptr;
    }
    return output;
}

}  // namespace

bool ExrRowWriter::Open(const std::filesystem::path& file, int w, int h, const ExrFormat& format,
                        std::string* error) {
    errno = 0;
    auto opened = std::make_unique<Output>();
    if (format.compression != ExrCompression::Dwaa) {
        opened->chunks = OpenChunkOutput(file, w, h, format, error);
        if (!opened->chunks) {
            return false;
        }
    } else {
        opened->frames = std::make_unique<FrameBufferOutput>(file);
        opened->frames->halfFloats = format.half;
        if (!opened->frames->stream.Error().empty()) {
            *error = CannotWrite(opened->frames->stream.Error());
            return false;
        }
        Imf::Header header(w, h);
        header.compression() = Imf::DWAA_COMPRESSION;
        for (const char* name : {"R", "G", "B"}) {
            header.channels().insert(name, Imf::Channel(format.half ? Imf::HALF : Imf::FLOAT));
        }
        try {
            // The library keeps two blocks of rows in flight for each thread it is given; the
            // tool hands it a band of one block a thread at a time, which half the threads'
            // buffers hold whole.
            const int bufferThreads = std::max(1, (Imf::globalThreadCount() + 1) / 2);
            opened->frames->file =
                std::make_unique<Imf::OutputFile>(opened->frames->stream, header, bufferThreads);
        } catch (const std::exception& e) {
            *error = CannotWrite(e.what());
            return false;
        }
    }
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
    if (!output || end > height) {
        *error = "cannot write: rows outside the image";
        return false;
    }
    if (end <= rowsWritten) {
        return true;
    }
    const size_t rowValues = size_t(width) * 3;
    if (ChunkOutput* chunks = output->chunks.get()) {
        // Whole chunks go out from the band itself; the rows of a chunk the band does not end
        // wait for the next band.
        std::vector<float>& carried = output->carried;
        const int chunkRows = chunks->chunkRows;
        int first = rowsWritten;  // rows before it are written or carried
        if (!carried.empty()) {
            const int waiting = int(carried.size() / rowValues);
            const int taken = std::min(chunkRows - waiting, end - first);
            carried.insert(carried.end(), rows, rows + size_t(taken) * rowValues);
            rows += size_t(taken) * rowValues;
            first += taken;
            if (waiting + taken == chunkRows || first == height) {
                if (!chunks->Encode(carried.data(), width, first - waiting - taken,
                                    waiting + taken)) {
                    *error = CannotWrite(chunks->failure.Get());
                    return false;
                }
                carried.clear();
            }
        }
        // From a chunk's first row on: whole chunks, and the image's last one however short.
        const int whole = end == height ? end - first : (end - first) / chunkRows * chunkRows;
        if (whole > 0 && !chunks->Encode(rows, width, first, whole)) {
            *error = CannotWrite(chunks->failure.Get());
            return false;
        }
        carried.insert(carried.end(), rows + size_t(whole) * rowValues,
                       rows + size_t(end - first) * rowValues);
        rowsWritten = end;
        return true;
    }
    try {
        Imf::FrameBuffer frame;
        const size_t values = size_t(end - rowsWritten) * rowValues;
        // The library addresses rows from row 0 of the image.
        char* base = reinterpret_cast<char*>(const_cast<float*>(rows)) -
                     size_t(rowsWritten) * rowValues * sizeof(float);
        size_t valueBytes = sizeof(float);
        if (output->frames->halfFloats) {
            // The library writes half channels only from halves: the new rows are rounded here,
            // and addressed as if the buffer began at row 0.
            output->frames->halfRows.assign(rows, rows + values);
            valueBytes = sizeof(Imath::half);
            base = reinterpret_cast<char*>(output->frames->halfRows.data()) -
                   size_t(rowsWritten) * rowValues * valueBytes;
        }
        const Imf::PixelType type = output->frames->halfFloats ? Imf::HALF : Imf::FLOAT;
        const size_t xStride = 3 * valueBytes, yStride = xStride * size_t(width);
        frame.insert("R", Imf::Slice(type, base, xStride, yStride));
        frame.insert("G", Imf::Slice(type, base + valueBytes, xStride, yStride));
        frame.insert("B", Imf::Slice(type, base + 2 * valueBytes, xStride, yStride));
        output->frames->file->setFrameBuffer(frame);
        output->frames->file->writePixels(end - rowsWritten);
    } catch (const std::exception& e) {
        const std::string& reason = output->frames->stream.Error();
        *error = CannotWrite(reason.empty() ? e.what() : reason);
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
    bool closed = true;
    std::string reason;
    if (ChunkOutput* chunks = closing->chunks.get()) {
        closed = chunks->Finish();
        closed = ::close(std::exchange(chunks->descriptor, -1)) == 0 && closed;
        reason = chunks->failure.Get();
        if (reason.empty() && !closed) {
            reason = std::strerror(errno != 0 ? errno : EIO);
        }
        closed = closed && reason.empty();
    } else {
        closing->frames->file.reset();  // writes the table of row offsets
        closed = closing->frames->stream.Close();
        reason = closing->frames->stream.Error();
    }
    if (!closed) {
        *error = CannotWrite(reason);
        return false;
    }
    if (rowsWritten != height) {
        *error = "cannot write: rows missing";
        return false;
    }
    return true;
}
