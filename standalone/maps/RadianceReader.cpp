// Radiance .hdr files through stb_image, in both builds, so that they decode the same way.

#include "maps/HdrImageReader.h"

#define STBI_ONLY_HDR
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace standalone {

namespace {

// stb_image reads zeros past the end of its data and, on a run-length encoded file cut short,
// then loops for ever on zero-length runs. Past the end this source hands out 0xFF bytes
// instead, which make every decoding path stop (a run longer than the line, or flat pixels),
// and remembers that the decoder wanted more than the file holds.
struct StbSource {
    const FileBytes* bytes = nullptr;
    size_t pos = 0;
    bool readPastEnd = false;

    static int Read(void* user, char* data, int size) {
        auto* s = static_cast<StbSource*>(user);
        size_t left = s->bytes->size() - s->pos;
        if (left == 0) {
            s->readPastEnd = true;
            std::memset(data, 0xFF, size_t(size));
            return size;
        }
        size_t n = std::min(left, size_t(size));
        std::memcpy(data, s->bytes->data() + s->pos, n);
        s->pos += n;
        return int(n);
    }
    static void Skip(void* user, int n) {
        auto* s = static_cast<StbSource*>(user);
        s->pos = n < 0 ? s->pos - std::min(s->pos, size_t(-int64_t(n)))
                       : std::min(s->bytes->size(), s->pos + size_t(n));
    }
    static int Eof(void* user) {
        auto* s = static_cast<StbSource*>(user);
        return s->pos >= s->bytes->size() ? 1 : 0;
    }
};

constexpr stbi_io_callbacks kCallbacks{&StbSource::Read, &StbSource::Skip, &StbSource::Eof};

std::string StbReason() {
    const char* reason = stbi_failure_reason();
    return reason ? reason : "unknown";
}

}  // namespace

bool ReadFileBytes(const std::filesystem::path& file, FileBytes& bytes, size_t limit) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.resize(limit == 0 ? 0 : limit);
    if (limit > 0) {
        in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(limit));
        bytes.resize(size_t(in.gcount()));
        return !in.bad();
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool ReadRadianceSize(const FileBytes& bytes, int& width, int& height, std::string* error) {
    StbSource source{&bytes};
    int components = 0;
    if (!stbi_info_from_callbacks(&kCallbacks, &source, &width, &height, &components)) {
        *error = "not a Radiance HDR file (" + StbReason() + ")";
        return false;
    }
    if (width <= 0 || height <= 0 || int64_t(width) * int64_t(height) > kMaxHdrPixels) {
        *error = "unsupported image size";
        return false;
    }
    return true;
}

bool DecodeRadiance(const FileBytes& bytes, HdrImage& out, std::string* error) {
    int width = 0, height = 0, components = 0;
    if (!ReadRadianceSize(bytes, width, height, error)) {
        return false;
    }
    StbSource source{&bytes};
    float* data = stbi_loadf_from_callbacks(&kCallbacks, &source, &width, &height, &components, 3);
    if (source.readPastEnd) {
        stbi_image_free(data);
        *error = "the file ends before its last pixel (truncated)";
        return false;
    }
    if (!data) {
        *error = "damaged Radiance HDR file (" + StbReason() + ")";
        return false;
    }
    out.width = width;
    out.height = height;
    out.rgb.assign(data, data + size_t(width) * size_t(height) * 3);
    stbi_image_free(data);
    return true;
}

}  // namespace standalone
