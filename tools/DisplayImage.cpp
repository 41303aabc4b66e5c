#include "DisplayImage.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>

namespace {

// Where each display byte begins on the tone curve's output: byte b + 1 from thresholds[b] on,
// the sRGB encoding of (b + 0.5) / 255 undone. A search of 255 values costs less than the
// power function per channel that encoding every pixel would.
struct DisplayThresholds {
    std::array<float, 255> thresholds{};
    // By the top 16 bits of a positive float below 1 (its exponent and 7 bits of mantissa): the
    // bytes whose thresholds lie at or below the smallest float with those bits. A value's search
    // starts there and takes one step at most: no two thresholds are that close.
    std::array<uint8_t, (std::bit_cast<uint32_t>(1.0f) >> 16)> start{};

    DisplayThresholds() {
        for (size_t b = 0; b < thresholds.size(); ++b) {
            double code = (double(b) + 0.5) / 255.0;
            thresholds[b] =
                float(code <= 0.04045 ? code / 12.92 : std::pow((code + 0.055) / 1.055, 2.4));
        }
        for (size_t top = 0; top < start.size(); ++top) {
            const float smallest = std::bit_cast<float>(uint32_t(top) << 16);
            start[top] = uint8_t(std::upper_bound(thresholds.begin(), thresholds.end(), smallest) -
                                 thresholds.begin());
        }
    }

    // The number of thresholds at or below c, the display byte of c.
    uint8_t Byte(float c) const {
        if (!(c < thresholds.back())) {
            return 255;  // NaN too, which no threshold is above
        }
        if (!(c > 0.0f)) {
            return 0;
        }
        int b = start[std::bit_cast<uint32_t>(c) >> 16];
        while (thresholds[size_t(b)] <= c) {
            ++b;
        }
        return uint8_t(b);
    }
};

}  // namespace

uint8_t ToneMapToDisplay(float linear) {
    static const DisplayThresholds display;
    constexpr float kWhiteSquared = 16.0f * 16.0f;
    float c = std::fmax(0.0f, linear);  // NaN becomes 0 too
    c = c * (1.0f + c / kWhiteSquared) / (1.0f + c);
    return display.Byte(c);
}

void ToneMapValues(const float* values, size_t count, uint8_t* bytes) {
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = ToneMapToDisplay(values[i]);
    }
}

const uint8_t* ToneMapInPlace(standalone::LatLongImage& image) {
    // Byte i is written after float i is read, and no later float shares its storage.
    auto* bytes = reinterpret_cast<uint8_t*>(image.rgb.data());
    ToneMapValues(image.rgb.data(), image.rgb.size(), bytes);
    return bytes;
}

DisplayImage MakeThumbnail(const standalone::LatLongImage& image, int width) {
    DisplayImage thumb;
    thumb.width = std::clamp(width, 1, std::max(image.width, 1));
    thumb.height = std::max(
        1, int(std::lround(double(image.height) * thumb.width / std::max(image.width, 1))));
    thumb.rgb.resize(size_t(thumb.width) * size_t(thumb.height) * 3);
    // Each thumbnail pixel averages the source pixels its area covers (at least one).
    auto span = [](int i, int from, int to) {
        int begin = int(int64_t(i) * from / to);
        int end = std::max(begin + 1, int(int64_t(i + 1) * from / to));
        return std::pair{begin, std::min(end, from)};
    };
    for (int y = 0; y < thumb.height; ++y) {
        auto [y0, y1] = span(y, image.height, thumb.height);
        for (int x = 0; x < thumb.width; ++x) {
            auto [x0, x1] = span(x, image.width, thumb.width);
            double sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                const float* p = &image.rgb[(size_t(sy) * size_t(image.width) + size_t(x0)) * 3];
                for (int sx = x0; sx < x1; ++sx, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            double count = double(y1 - y0) * double(x1 - x0);
            uint8_t* out = &thumb.rgb[(size_t(y) * size_t(thumb.width) + size_t(x)) * 3];
            for (int c = 0; c < 3; ++c) {
                out[c] = ToneMapToDisplay(float(sum[c] / count));
            }
        }
    }
    return thumb;
}
