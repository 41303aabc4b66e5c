#include "EnvironmentInfo.h"

#include "ImageFiles.h"
#include "ToolScene.h"
#include "maps/HdrImage.h"

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfInputFile.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRadToDeg = 180.0 / kPi;
// A light stands out from the sky: its pixels are at least this many times the median...
constexpr double kLightOverMedian = 10.0;
// ...and at least this share of its own peak, so that a sun's glow counts with it but not the
// sky around.
constexpr double kLightShareOfPeak = 0.01;
// Luminance histogram bins: the float's exponent and top 8 bits of its mantissa, 1/256 of a stop
// and ordered as the values are.
constexpr int kHistogramShift = 15;

// The pixel's direction in the image's own terms: azimuth 2 pi (u - 0.5) about Z from +X, theta
// from the zenith.
void PixelDirection(int x, int y, int width, int height, double d[3]) {
    double theta = kPi * (double(y) + 0.5) / double(height);
    double azimuth = 2.0 * kPi * ((double(x) + 0.5) / double(width) - 0.5);
    d[0] = std::sin(theta) * std::cos(azimuth);
    d[1] = std::sin(theta) * std::sin(azimuth);
    d[2] = std::cos(theta);
}

// The luminance at or below which `fraction` of the solid angle lies, to 1/256 of a stop.
double Percentile(const std::vector<double>& bins, double blackWeight, double totalWeight,
                  double fraction) {
    double target = fraction * totalWeight, sum = blackWeight;
    if (sum >= target) {
        return 0;
    }
    for (size_t bin = 0; bin < bins.size(); ++bin) {
        sum += bins[bin];
        if (sum >= target) {
            // The middle of the bin's values.
            return double(std::bit_cast<float>(
                uint32_t((bin << kHistogramShift) | (1u << (kHistogramShift - 1)))));
        }
    }
    return 0;
}

DominantLight FindDominantLight(const std::vector<float>& luminance,
                                const std::vector<double>& rowSolidAngle, int width, int height,
                                size_t peak, double median, double totalEnergy) {
    DominantLight light;
    double peakLuminance = luminance[peak];
    double threshold = std::max(kLightShareOfPeak * peakLuminance, kLightOverMedian * median);
    if (!(peakLuminance > 0) || peakLuminance < kLightOverMedian * median) {
        return light;
    }
    // The light is every pixel at or above the threshold that joins the peak, across the seam
    // where u wraps.
    std::vector<bool> seen(luminance.size(), false);
    std::vector<size_t> pending{peak};
    seen[peak] = true;
    double energy = 0, centroid[3] = {0, 0, 0}, halfPeakSolidAngle = 0;
    while (!pending.empty()) {
        size_t i = pending.back();
        pending.pop_back();
        int x = int(i % size_t(width)), y = int(i / size_t(width));
        double omega = rowSolidAngle[size_t(y)], weight = double(luminance[i]) * omega, d[3];
        PixelDirection(x, y, width, height, d);
        for (int k = 0; k < 3; ++k) {
            centroid[k] += d[k] * weight;
        }
        energy += weight;
        halfPeakSolidAngle += luminance[i] >= 0.5 * peakLuminance ? omega : 0.0;
        auto visit = [&](int nx, int ny) {
            size_t n = size_t(ny) * size_t(width) + size_t((nx + width) % width);
            if (!seen[n] && luminance[n] >= threshold) {
                seen[n] = true;
                pending.push_back(n);
            }
        };
        visit(x - 1, y);
        visit(x + 1, y);
        if (y > 0) {
            visit(x, y - 1);
        }
        if (y + 1 < height) {
            visit(x, y + 1);
        }
    }
    light.energyShare = totalEnergy > 0 ? energy / totalEnergy : 0;
    if (light.energyShare < kMinLightShare) {
        return light;
    }
    double length = std::sqrt(centroid[0] * centroid[0] + centroid[1] * centroid[1] +
                              centroid[2] * centroid[2]);
    light.found = length > 0;
    light.azimuthDegrees = std::atan2(centroid[1], centroid[0]) * kRadToDeg;
    light.elevationDegrees = std::asin(std::clamp(centroid[2] / length, -1.0, 1.0)) * kRadToDeg;
    light.radiusDegrees =
        std::acos(std::clamp(1.0 - halfPeakSolidAngle / (2.0 * kPi), -1.0, 1.0)) * kRadToDeg;
    return light;
}

std::string DescribeExrFormat(const std::filesystem::path& file) {
    static const char* const kCompressions[] = {"uncompressed", "RLE", "ZIPS", "ZIP",  "PIZ",
                                                "PXR24",        "B44", "B44A", "DWAA", "DWAB"};
    try {
        Imf::InputFile in(file.c_str());
        const Imf::Header& header = in.header();
        std::string format = "OpenEXR";
        if (header.channels().begin() != header.channels().end()) {
            Imf::PixelType type = header.channels().begin().channel().type;
            format += type == Imf::HALF    ? ", half float"
                      : type == Imf::FLOAT ? ", 32-bit float"
                                           : ", 32-bit integer";
        }
        size_t compression = size_t(header.compression());
        if (compression < std::size(kCompressions)) {
            format += std::string(", ") + kCompressions[compression];
        }
        return format;
    } catch (const std::exception&) {
        return "OpenEXR";
    }
}

std::string Number(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += char(c);
        } else if (c < 0x20) {
            quoted += Number("\\u%04x", c);
        } else {
            quoted += char(c);
        }
    }
    return quoted + "\"";
}

}  // namespace

EnvironmentStats MeasureEnvironment(const float* rgb, int width, int height) {
    EnvironmentStats stats;
    stats.width = width;
    stats.height = height;
    if (width <= 0 || height <= 0) {
        return stats;
    }
    std::vector<float> luminance(size_t(width) * size_t(height));
    std::vector<double> rowSolidAngle(static_cast<size_t>(height));
    std::vector<double> bins(size_t(1) << (32 - kHistogramShift), 0.0);
    double blackWeight = 0, totalWeight = 0, energy = 0;
    float dimmest = INFINITY;
    size_t peak = 0;
    for (int y = 0; y < height; ++y) {
        double top = kPi * double(y) / double(height), bottom = kPi * double(y + 1) / height;
        double omega = 2.0 * kPi / double(width) * (std::cos(top) - std::cos(bottom));
        rowSolidAngle[size_t(y)] = omega;
        for (int x = 0; x < width; ++x) {
            size_t i = size_t(y) * size_t(width) + size_t(x);
            const float* p = rgb + i * 3;
            float l = std::fmax(0.0f, 0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2]);
            l = std::isfinite(l) ? l : 0.0f;
            luminance[i] = l;
            if (l > 0) {
                bins[std::bit_cast<uint32_t>(l) >> kHistogramShift] += omega;
                dimmest = std::min(dimmest, l);
            } else {
                blackWeight += omega;
            }
            totalWeight += omega;
            energy += double(l) * omega;
            peak = l > luminance[peak] ? i : peak;
        }
    }
    stats.meanLuminance = energy / totalWeight;
    stats.medianLuminance = Percentile(bins, blackWeight, totalWeight, 0.5);
    double floor = Percentile(bins, blackWeight, totalWeight, 0.01);
    floor = floor > 0 ? floor : double(dimmest);
    // The floor is a histogram bin's middle, which may lie above the brightest pixel itself.
    double brightest = luminance[peak];
    stats.dynamicRangeStops =
        brightest > 0 && std::isfinite(floor) ? std::max(0.0, std::log2(brightest / floor)) : 0.0;
    stats.exposureEv = stats.medianLuminance > 0 ? std::log2(0.18 / stats.medianLuminance) : 0.0;
    stats.light = FindDominantLight(luminance, rowSolidAngle, width, height, peak,
                                    stats.medianLuminance, energy);
    return stats;
}

bool ReadEnvironmentInfo(const std::filesystem::path& file, EnvironmentInfo& info,
                         std::string* error) {
    SourceImageInfo probe;
    if (!ProbeSourceImage(file, probe, error)) {
        return false;
    }
    standalone::HdrImage image;
    std::string reason;
    if (!standalone::LoadHdrImage(HostPathOf(file), image, &reason)) {
        *error = file.string() + ": " + reason;
        return false;
    }
    bool exr = file.extension() != ".hdr" && file.extension() != ".HDR";
    info.format = exr ? DescribeExrFormat(file) : "Radiance RGBE";
    info.stats = MeasureEnvironment(image.rgb.data(), image.width, image.height);
    return true;
}

std::string SunElevationText(const DominantLight& light) {
    return light.found ? "sun " + Number("%.1f", light.elevationDegrees) + "\u00B0" : "overcast";
}

std::string EnvironmentInfoText(const std::filesystem::path& file, const EnvironmentInfo& info) {
    const EnvironmentStats& s = info.stats;
    const DominantLight& light = s.light;
    std::string text = "file: " + file.string() + "\n";
    text += "size: " + std::to_string(s.width) + " x " + std::to_string(s.height) + "\n";
    text += "format: " + info.format + "\n";
    text += "dynamic range: " + Number("%.1f", s.dynamicRangeStops) + " stops\n";
    text += "mean luminance: " + Number("%.4g", s.meanLuminance) + "\n";
    text += "median luminance: " + Number("%.4g", s.medianLuminance) + "\n";
    text += "exposure: " + Number("%+.2f", s.exposureEv) + " EV (brings the median to 0.18)\n";
    if (light.found) {
        text += "dominant light: azimuth " + Number("%.1f", light.azimuthDegrees) +
                "\u00B0, elevation " + Number("%.1f", light.elevationDegrees) + "\u00B0, radius " +
                Number("%.2f", light.radiusDegrees) + "\u00B0, " +
                Number("%.1f", light.energyShare * 100) + "% of the energy\n";
    } else {
        text += "dominant light: none (overcast)\n";
    }
    return text;
}

std::string EnvironmentInfoJson(const std::filesystem::path& file, const EnvironmentInfo& info) {
    const EnvironmentStats& s = info.stats;
    const DominantLight& light = s.light;
    std::string json =
        "{\"file\": " + JsonString(file.string()) + ", \"width\": " + std::to_string(s.width) +
        ", \"height\": " + std::to_string(s.height) + ", \"format\": " + JsonString(info.format) +
        ", \"dynamicRangeStops\": " + Number("%.6g", s.dynamicRangeStops) +
        ", \"meanLuminance\": " + Number("%.6g", s.meanLuminance) +
        ", \"medianLuminance\": " + Number("%.6g", s.medianLuminance) +
        ", \"exposureEv\": " + Number("%.6g", s.exposureEv) +
        ", \"overcast\": " + (light.found ? "false" : "true") + ", \"dominantLight\": ";
    if (light.found) {
        json += "{\"azimuthDegrees\": " + Number("%.6g", light.azimuthDegrees) +
                ", \"elevationDegrees\": " + Number("%.6g", light.elevationDegrees) +
                ", \"radiusDegrees\": " + Number("%.6g", light.radiusDegrees) +
                ", \"energyShare\": " + Number("%.6g", light.energyShare) + "}";
    } else {
        json += "null";
    }
    return json + "}\n";
}
