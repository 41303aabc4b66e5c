// The Win64 build reads EXR source images with tinyexr (header-only); .hdr files go through the
// shared stb_image reader (RadianceReader.cpp). tinyexr cannot decode the PXR24, B44 and DWA
// compressions that real environment maps often use; such files are refused with the compression's
// name.

#include "maps/HdrImageReader.h"

// ZIP through the system's zlib rather than tinyexr's bundled copy of miniz.
#define TINYEXR_USE_MINIZ 0
#define TINYEXR_USE_THREAD 0
#define TINYEXR_IMPLEMENTATION
#include <zlib.h>
#include <tinyexr.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace standalone {

namespace {

using Bytes = FileBytes;

// The value of the header's "compression" attribute. The header is a list of attributes (name,
// type name, 32-bit little-endian size, value) ended by an empty name; tinyexr refuses an
// unsupported compression without saying which, so the header is read here first.
std::optional<int> ExrCompression(const Bytes& bytes) {
    const unsigned char magic[4] = {0x76, 0x2F, 0x31, 0x01};
    if (bytes.size() < 8 || std::memcmp(bytes.data(), magic, 4) != 0) {
        return std::nullopt;
    }
    size_t pos = 8;
    auto readName = [&](std::string& name) {
        size_t end = pos;
        while (end < bytes.size() && bytes[end] != 0 && end - pos < 256) {
            ++end;
        }
        if (end >= bytes.size() || bytes[end] != 0) {
            return false;
        }
        name.assign(reinterpret_cast<const char*>(bytes.data() + pos), end - pos);
        pos = end + 1;
        return true;
    };
    std::string name, type;
    while (readName(name) && !name.empty() && readName(type)) {
        if (pos + 4 > bytes.size()) {
            break;
        }
        uint32_t size = uint32_t(bytes[pos]) | uint32_t(bytes[pos + 1]) << 8 |
                        uint32_t(bytes[pos + 2]) << 16 | uint32_t(bytes[pos + 3]) << 24;
        pos += 4;
        if (size > bytes.size() - pos) {
            break;
        }
        if (name == "compression" && size == 1) {
            return int(bytes[pos]);
        }
        pos += size;
    }
    return std::nullopt;
}

const char* ExrCompressionName(int code) {
    static const char* const names[] = {"NONE",  "RLE", "ZIPS", "ZIP",  "PIZ",
                                        "PXR24", "B44", "B44A", "DWAA", "DWAB"};
    return code >= 0 && code < int(std::size(names)) ? names[code] : nullptr;
}

std::string TakeExrError(const char* message, int code) {
    std::string text = message ? message : "tinyexr error " + std::to_string(code);
    if (message) {
        FreeEXRErrorMessage(message);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

bool ReadOpenExr(const Bytes& bytes, HdrImage& out, std::string* error) {
    if (std::optional<int> compression = ExrCompression(bytes);
        compression && *compression > TINYEXR_COMPRESSIONTYPE_PIZ) {
        const char* name = ExrCompressionName(*compression);
        *error = std::string("EXR compression ") +
                 (name ? name : "code " + std::to_string(*compression)) +
                 " is not supported by this reader (tinyexr reads NONE, RLE, ZIPS, ZIP and PIZ)";
        return false;
    }
    EXRVersion version;
    EXRHeader header;
    InitEXRHeader(&header);
    const char* message = nullptr;
    int rc = ParseEXRVersionFromMemory(&version, bytes.data(), bytes.size());
    if (rc != TINYEXR_SUCCESS) {
        *error = "not an OpenEXR file";
        return false;
    }
    rc = ParseEXRHeaderFromMemory(&header, &version, bytes.data(), bytes.size(), &message);
    if (rc != TINYEXR_SUCCESS) {
        FreeEXRHeader(&header);
        *error = "damaged OpenEXR header (" + TakeExrError(message, rc) + ")";
        return false;
    }
    int64_t width = int64_t(header.data_window.max_x) - header.data_window.min_x + 1;
    int64_t height = int64_t(header.data_window.max_y) - header.data_window.min_y + 1;
    FreeEXRHeader(&header);
    if (width <= 0 || height <= 0 || width * height > kMaxHdrPixels) {
        *error = "unsupported image size";
        return false;
    }
    float* rgba = nullptr;
    int w = 0, h = 0;
    rc = LoadEXRFromMemory(&rgba, &w, &h, bytes.data(), bytes.size(), &message);
    if (rc != TINYEXR_SUCCESS || !rgba || w <= 0 || h <= 0) {
        free(rgba);
        *error = "damaged OpenEXR file (" + TakeExrError(message, rc) + ")";
        return false;
    }
    out.width = w;
    out.height = h;
    out.rgb.resize(size_t(w) * size_t(h) * 3);
    for (size_t p = 0; p < size_t(w) * size_t(h); ++p) {
        for (size_t c = 0; c < 3; ++c) {
            out.rgb[p * 3 + c] = rgba[p * 4 + c];
        }
    }
    free(rgba);
    return true;
}

}  // namespace

bool ReadHdrFile(const std::filesystem::path& file, HdrFileFormat format, HdrImage& out,
                 std::string* error) {
    Bytes bytes;
    if (!ReadFileBytes(file, bytes)) {
        *error = "cannot open the file";
        return false;
    }
    return format == HdrFileFormat::Radiance ? DecodeRadiance(bytes, out, error)
                                             : ReadOpenExr(bytes, out, error);
}

}  // namespace standalone
