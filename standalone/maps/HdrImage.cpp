// Loading source images and looking them up. The decoding itself is the build's image library
// (HdrImageReader.h); what every build shares is checked here once.

#include "maps/HdrImage.h"

#include "maps/HdrImageReader.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <system_error>

namespace standalone {

namespace {

// The extension of the last path component, lower-cased (ASCII is enough for ".hdr"/".exr").
std::wstring LowerExtension(const std::wstring& path) {
    size_t nameStart = path.find_last_of(L"\\/");
    nameStart = nameStart == std::wstring::npos ? 0 : nameStart + 1;
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot <= nameStart) {
        return std::wstring();
    }
    std::wstring ext = path.substr(dot);
    for (wchar_t& c : ext) {
        if (c >= L'A' && c <= L'Z') {
            c = wchar_t(c - L'A' + L'a');
        }
    }
    return ext;
}

// Readers may list several problems on lines of their own; the log wants one line.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty() && line.back() != ' ') {
                line += "; ";
            }
        } else {
            line += c;
        }
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == ';')) {
        line.pop_back();
    }
    return line;
}

void SetError(std::string* error, const std::string& text) {
    if (error) {
        *error = text;
    }
}

}  // namespace

bool LoadHdrImage(const std::wstring& windowsPath, HdrImage& out, std::string* error) {
    std::wstring ext = LowerExtension(windowsPath);
    HdrFileFormat format;
    if (ext == L".hdr") {
        format = HdrFileFormat::Radiance;
    } else if (ext == L".exr") {
        format = HdrFileFormat::OpenExr;
    } else {
        SetError(error, "not an .hdr or .exr file");
        return false;
    }
    std::filesystem::path file = platform::NativeFilePath(windowsPath);
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
        SetError(error, "file not found");
        return false;
    }
    HdrImage image;
    std::string reason;
    bool ok = false;
    try {
        ok = ReadHdrFile(file, format, image, &reason);
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
        reason = "unknown failure of the image reader";
    }
    if (ok && (image.width <= 0 || image.height <= 0 ||
               image.rgb.size() != size_t(image.width) * size_t(image.height) * 3)) {
        ok = false;
        reason = "the image has no pixels";
    }
    if (!ok) {
        SetError(error, reason.empty() ? "cannot read the image" : OneLine(reason));
        return false;
    }
    // One NaN or infinity would spread into every bilinear sample around it. Values within a
    // quarter of the float range and no -0 let the lookup skip blends whose weight is 0.
    constexpr float kLargest = 0.25f * std::numeric_limits<float>::max();
    for (float& c : image.rgb) {
        c = std::isfinite(c) ? std::clamp(c, -kLargest, kLargest) + 0.0f : 0.0f;
    }
    out = std::move(image);
    return true;
}

HdrFileStamp StampHdrFile(const std::wstring& windowsPath) {
    HdrFileStamp stamp;
    std::filesystem::path file = platform::NativeFilePath(windowsPath);
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
        return stamp;
    }
    auto modified = std::filesystem::last_write_time(file, ec);
    if (ec) {
        return stamp;
    }
    uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
        return stamp;
    }
    stamp.exists = true;
    stamp.modified = int64_t(modified.time_since_epoch().count());
    stamp.size = uint64_t(size);
    return stamp;
}

namespace {

// The lookup of SampleLatLong, inlined into the loop of SampleLatLongRow.
inline __attribute__((always_inline)) AColor Sample(const float* rgb, int width, int height,
                                                    float u, float v) {
    if (width <= 0 || height <= 0) {
        return AColor(0, 0, 0, 1);
    }
    // Most samples arrive with u already in 0..1 (LatLongPosition wraps it).
    if (!(u >= 0.0f && u < 1.0f)) {
        u = std::isfinite(u) ? u - std::floor(u) : 0.0f;
    }
    if (!std::isfinite(v)) {
        v = 0;
    }
    float x = u * float(width) - 0.5f;
    float y = std::clamp(v * float(height) - 0.5f, 0.0f, float(height - 1));
    float x0f = std::floor(x), y0f = std::floor(y);
    float fx = x - x0f, fy = y - y0f;
    // u in [0, 1) puts x0 in [-1, width - 1].
    int x0 = int(x0f), y0 = int(y0f);
    int x1 = x0 + 1;
    x0 = x0 < 0 ? x0 + width : x0;
    x1 = x1 >= width ? x1 - width : x1;
    const float* row0 = &rgb[size_t(y0) * size_t(width) * 3];
    const float* p00 = row0 + size_t(x0) * 3;
    // A weight of 0 adds nothing: the blend would give the pixel itself, since a loaded image
    // holds no -0 and no values whose differences overflow. A pixel centre needs no blend, and
    // rows at or beyond the top and bottom centres blend along the row only.
    if (fx == 0.0f && fy == 0.0f) {
        return AColor(p00[0], p00[1], p00[2], 1.0f);
    }
    const float* p10 = row0 + size_t(x1) * 3;
    if (fy == 0.0f) {
        return AColor(p00[0] + (p10[0] - p00[0]) * fx, p00[1] + (p10[1] - p00[1]) * fx,
                      p00[2] + (p10[2] - p00[2]) * fx, 1.0f);
    }
    int y1 = y0 + 1 < height ? y0 + 1 : y0;
    const float* row1 = &rgb[size_t(y1) * size_t(width) * 3];
    const float* p01 = row1 + size_t(x0) * 3;
    const float* p11 = row1 + size_t(x1) * 3;
    auto blend = [&](int i) {
        float top = p00[i] + (p10[i] - p00[i]) * fx;
        float bottom = p01[i] + (p11[i] - p01[i]) * fx;
        return top + (bottom - top) * fy;
    };
    return AColor(blend(0), blend(1), blend(2), 1.0f);
}

}  // namespace

AColor SampleLatLong(const float* rgb, int width, int height, float u, float v) {
    return Sample(rgb, width, height, u, v);
}

void SampleLatLongRow(const HdrImage& image, const float* u, const float* v, int count,
                      float* rgb) {
    for (int i = 0; i < count; ++i, rgb += 3) {
        const AColor c = Sample(image.rgb.data(), image.width, image.height, u[i], v[i]);
        rgb[0] = c.r;
        rgb[1] = c.g;
        rgb[2] = c.b;
    }
}

}  // namespace standalone
