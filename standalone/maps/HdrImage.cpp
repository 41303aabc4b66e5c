// Loading source images and looking them up. The decoding itself is the build's image library
// (HdrImageReader.h); what every build shares is checked here once.

#include "maps/HdrImage.h"

#include "maps/HdrImageReader.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>

namespace standalone {

namespace {

constexpr float kPi = 3.14159265f;

// The extension of the last path component, lower-cased (ASCII is enough for ".hdr"/".exr").
std::u16string LowerExtension(const std::u16string& path) {
    size_t nameStart = path.find_last_of(u"\\/");
    nameStart = nameStart == std::u16string::npos ? 0 : nameStart + 1;
    size_t dot = path.find_last_of(u'.');
    if (dot == std::u16string::npos || dot <= nameStart) {
        return std::u16string();
    }
    std::u16string ext = path.substr(dot);
    for (char16_t& c : ext) {
        if (c >= u'A' && c <= u'Z') {
            c = char16_t(c - u'A' + u'a');
        }
    }
    return ext;
}

std::filesystem::path NativeFile(const std::u16string& windowsPath) {
#if defined(_WIN32)
    return std::filesystem::path(windowsPath);
#else
    return std::filesystem::path(platform::ToNativePath(windowsPath));
#endif
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

bool LoadHdrImage(const std::u16string& windowsPath, HdrImage& out, std::string* error) {
    std::u16string ext = LowerExtension(windowsPath);
    HdrFileFormat format;
    if (ext == u".hdr") {
        format = HdrFileFormat::Radiance;
    } else if (ext == u".exr") {
        format = HdrFileFormat::OpenExr;
    } else {
        SetError(error, "not an .hdr or .exr file");
        return false;
    }
    std::filesystem::path file = NativeFile(windowsPath);
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
    // One NaN or infinity would spread into every bilinear sample around it.
    for (float& c : image.rgb) {
        if (!std::isfinite(c)) {
            c = 0.0f;
        }
    }
    out = std::move(image);
    return true;
}

HdrFileStamp StampHdrFile(const std::u16string& windowsPath) {
    HdrFileStamp stamp;
    std::filesystem::path file = NativeFile(windowsPath);
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

void LatLongPosition(const Point3& worldDir, float rotationDegrees, float& u, float& v) {
    float len = worldDir.Length();
    Point3 d = len > 1e-6f ? worldDir * (1.0f / len) : Point3(0, -1, 0);
    // The same arithmetic, in the same order, as the plug-in's placement of its sun disc, so
    // that a disc placed there lands on the same pixels.
    u = std::atan2(d.x, -d.y) / (2 * kPi) + 0.5f + (rotationDegrees - 90.0f) / 360.0f;
    u = u - std::floor(u);
    v = std::acos(std::clamp(d.z, -1.0f, 1.0f)) / kPi;
}

AColor SampleLatLong(const HdrImage& image, float u, float v) {
    if (image.width <= 0 || image.height <= 0) {
        return AColor(0, 0, 0, 1);
    }
    if (!std::isfinite(u)) {
        u = 0;
    }
    if (!std::isfinite(v)) {
        v = 0;
    }
    u -= std::floor(u);
    float x = u * float(image.width) - 0.5f;
    float y = std::clamp(v * float(image.height) - 0.5f, 0.0f, float(image.height - 1));
    float x0f = std::floor(x), y0f = std::floor(y);
    float fx = x - x0f, fy = y - y0f;
    // u in [0, 1) puts x0 in [-1, width - 1].
    int x0 = int(x0f), y0 = int(y0f);
    int x1 = x0 + 1;
    x0 = x0 < 0 ? x0 + image.width : x0;
    x1 = x1 >= image.width ? x1 - image.width : x1;
    int y1 = y0 + 1 < image.height ? y0 + 1 : y0;
    auto pixel = [&](int px, int py) {
        return &image.rgb[(size_t(py) * size_t(image.width) + size_t(px)) * 3];
    };
    const float* p00 = pixel(x0, y0);
    const float* p10 = pixel(x1, y0);
    const float* p01 = pixel(x0, y1);
    const float* p11 = pixel(x1, y1);
    float c[3];
    for (int i = 0; i < 3; ++i) {
        float top = p00[i] + (p10[i] - p00[i]) * fx;
        float bottom = p01[i] + (p11[i] - p01[i]) * fx;
        c[i] = top + (bottom - top) * fy;
    }
    return AColor(c[0], c[1], c[2], 1.0f);
}

}  // namespace standalone
