#include "shading/ColorAdjustment.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTwoPi = 2 * kPi;
constexpr float kDegreesToRadians = 0.017453292f;
// Half the angular diameter, in radians, of the disc whose energy factor is 1 (10 degrees).
constexpr float kReferenceSunHalfAngle = 0.08726646f;
// The fall-off of the sun disc starts at this fraction of its radius.
constexpr float kSunInnerFraction = 0.65f;
// Radians added to the sun's radius before a sample is known to lie outside its disc by its
// elevation alone. The float law of cosines is off by about 1e-6 in the cosine, which the acos
// turns into at most about 1.5e-3 radians (near the centre, where it is coarsest).
constexpr float kSunBandMargin = 0.01f;

// 0 is the first argument so that a NaN component comes out as 0: std::max returns its first
// argument when the two do not compare.
float NonNegative(float x) {
    return std::max(0.0f, x);
}

struct Rgb {
    float r, g, b;
};

// Hue rotation in HSV space by `hue` (-1..1, 1 is half a turn). Negative input components count
// as 0; the value (brightest component) is kept.
Rgb RotateHue(Rgb in, float hue) {
    const float r = NonNegative(in.r);
    const float g = NonNegative(in.g);
    const float b = NonNegative(in.b);
    const float value = std::max({r, g, b});
    const float minimum = std::min({r, g, b});
    const float delta = value - minimum;

    float sourceHue = 0.0f;
    float saturation = 0.0f;
    if (!(value <= 1e-8f || delta <= 1e-8f)) {
        saturation = delta / value;
        if (value == r) {
            sourceHue = (g - b) / delta;
        } else if (value == g) {
            sourceHue = (b - r) / delta + 2.0f;
        } else {
            sourceHue = (r - g) / delta + 4.0f;
        }
        sourceHue = sourceHue / 6.0f;
        sourceHue = std::fmod(sourceHue, 1.0f);
        if (sourceHue < 0.0f) {
            sourceHue = sourceHue + 1.0f;
        }
    }

    float rotated = std::fmod(sourceHue + hue * 0.5f, 1.0f);
    if (rotated < 0.0f) {
        rotated = rotated + 1.0f;
    }
    const float s = std::clamp(saturation, 0.0f, 1.0f);
    if (s <= 1e-8f) {
        return {value, value, value};
    }

    const float x = rotated * 6.0f;
    // x lies in 0..6 for every finite colour (6 when a tiny negative hue wrapped to 1, hence the
    // modulo). An infinite component can make it NaN, whose conversion to int is undefined; the
    // colour then comes out NaN whatever the sector, and the tint step's clamp zeroes it.
    const float sectorStart = std::floor(x);
    const int i = (sectorStart >= 0.0f && sectorStart <= 6.0f) ? static_cast<int>(sectorStart) : 0;
    const float f = x - static_cast<float>(i);
    const float p = value * (1.0f - s);
    const float q = value * (1.0f - s * f);
    const float t = value * (1.0f - s * (1.0f - f));
    switch (i % 6) {
        case 0:
            return {value, t, p};
        case 1:
            return {q, value, p};
        case 2:
            return {p, value, t};
        case 3:
            return {p, q, value};
        case 4:
            return {t, p, value};
        default:
            return {value, p, q};
    }
}

float FiniteOrZero(float x) {
    return std::isfinite(x) ? x : 0.0f;
}

}  // namespace

AdjustmentParamFloats AdjustmentParamsToFloats(const AdjustmentParams& params) {
    return {params.exposure,  params.contrast,    params.saturation,  params.hue,
            params.brightPix, params.sunExposure, params.sunSpotSize, params.sunSpotHeight,
            params.tint.r,    params.tint.g,      params.tint.b,      params.tint.a,
            params.sunTint.r, params.sunTint.g,   params.sunTint.b,   params.sunTint.a};
}

AdjustmentParams AdjustmentParamsFromFloats(const AdjustmentParamFloats& values) {
    AdjustmentParams params;
    params.exposure = values[0];
    params.contrast = values[1];
    params.saturation = values[2];
    params.hue = values[3];
    params.brightPix = values[4];
    params.sunExposure = values[5];
    params.sunSpotSize = values[6];
    params.sunSpotHeight = values[7];
    params.tint = AColor(values[8], values[9], values[10], values[11]);
    params.sunTint = AColor(values[12], values[13], values[14], values[15]);
    return params;
}

namespace {

// What the adjustment derives from a slot's values before it looks at a colour; the stages below
// each take a colour through one step. ApplyAdjustment runs them one sample at a time and
// ApplyAdjustmentRow a block of samples at a time, the same operations in the same order.
struct Adjustment {
    explicit Adjustment(const AdjustmentParams& params) {
        // The clamp keeps the gain a finite, non-zero float. exp2 gives 2 to the power exactly as
        // pow does, for less. At 0 EV the gain is exactly 1, whose product changes no float (NaN
        // and -0 included), so neither is computed.
        const float stops = std::clamp(params.exposure, -100.0f, 100.0f);
        exposed = stops != 0.0f;
        gain = exposed ? std::exp2(stops) : 1.0f;
        // Contrast: a power curve, so 1.0 stays fixed; the floor keeps the exponent positive. At
        // 100 percent the curve is the identity, which the power gives exactly too; skipping it
        // spares three powers per sample of a slot whose contrast is untouched.
        k = std::max(0.001f, params.contrast) / 100.0f;
        curved = k != 1.0f;
        saturation = NonNegative(params.saturation) / 100.0f;
        // A rotation too small to see is skipped, which also keeps negative components.
        hue = std::clamp(params.hue, -1.0f, 1.0f);
        hued = std::fabs(hue) > 1e-6f;
        // White multiplies by exactly 1, which changes no float.
        tint = params.tint;
        tinted = !(tint.r == 1.0f && tint.g == 1.0f && tint.b == 1.0f);
    }
    bool exposed;
    float gain;
    bool curved;
    float k;
    float saturation;
    bool hued;
    float hue;
    bool tinted;
    AColor tint;
};

float Expose(const Adjustment& a, float x) {
    return NonNegative(a.exposed ? a.gain * x : x);
}

float Curve(const Adjustment& a, float x) {
    return a.curved ? std::pow(x, a.k) : x;
}

// Saturation around luminance; components may go negative here and are clamped later.
void Saturate(const Adjustment& a, float& r, float& g, float& b) {
    const float luminance = (0.2126f * r + 0.7152f * g) + 0.0722f * b;
    const float s = a.saturation;
    r = (r - luminance) * s + luminance;
    g = (g - luminance) * s + luminance;
    b = (b - luminance) * s + luminance;
}

float Tint(const Adjustment& a, float x, float tint) {
    return NonNegative(a.tinted ? x * tint : x);
}

// Sun: added whatever the source holds, so a dark image still gets its sun.
void AddSun(const AdjustmentParams& params, float u, float v, float& r, float& g, float& b) {
    const float w = SunSpotWeight(u, v, params);
    if (w > 0.0f) {
        const float amount = std::exp2(std::clamp(params.sunExposure, -100.0f, 100.0f)) *
                             SunEnergyFactor(params.sunSpotSize) * w;
        r = NonNegative(params.sunTint.r) * amount + r;
        g = NonNegative(params.sunTint.g) * amount + g;
        b = NonNegative(params.sunTint.b) * amount + b;
    }
}

}  // namespace

AColor ApplyAdjustment(AColor source, const AdjustmentParams& params, float u, float v) {
    const Adjustment a(params);
    Rgb c{Curve(a, Expose(a, source.r)), Curve(a, Expose(a, source.g)),
          Curve(a, Expose(a, source.b))};
    Saturate(a, c.r, c.g, c.b);
    if (a.hued) {
        c = RotateHue(c, a.hue);
    }
    c = {Tint(a, c.r, a.tint.r), Tint(a, c.g, a.tint.g), Tint(a, c.b, a.tint.b)};
    AddSun(params, u, v, c.r, c.g, c.b);
    return AColor(FiniteOrZero(c.r), FiniteOrZero(c.g), FiniteOrZero(c.b), 1.0f);
}

void ApplyAdjustmentRow(const AdjustmentParams& params, float* rgb, int count, const float* u,
                        const float* v) {
    const Adjustment a(params);
    const bool sun = DrawsSunDisc(params.sunSpotSize);
    // Blocks of a fixed size, one stage at a time over channels held apart: the loops the
    // compiler can run several samples at once without changing a result.
    constexpr int kBlock = 8;
    int first = 0;
    for (; first + kBlock <= count; first += kBlock) {
        float* pixels = rgb + 3 * first;
        for (int i = 0; i < 3 * kBlock; ++i) {
            pixels[i] = Expose(a, pixels[i]);
        }
        float r[kBlock], g[kBlock], b[kBlock];
        for (int i = 0; i < kBlock; ++i) {
            r[i] = pixels[3 * i];
            g[i] = pixels[3 * i + 1];
            b[i] = pixels[3 * i + 2];
        }
        if (a.curved) {
            for (int i = 0; i < kBlock; ++i) {
                r[i] = Curve(a, r[i]);
                g[i] = Curve(a, g[i]);
                b[i] = Curve(a, b[i]);
            }
        }
        for (int i = 0; i < kBlock; ++i) {
            Saturate(a, r[i], g[i], b[i]);
        }
        if (a.hued) {
            for (int i = 0; i < kBlock; ++i) {
                Rgb c = RotateHue({r[i], g[i], b[i]}, a.hue);
                r[i] = c.r;
                g[i] = c.g;
                b[i] = c.b;
            }
        }
        for (int i = 0; i < kBlock; ++i) {
            r[i] = Tint(a, r[i], a.tint.r);
            g[i] = Tint(a, g[i], a.tint.g);
            b[i] = Tint(a, b[i], a.tint.b);
        }
        if (sun) {
            for (int i = 0; i < kBlock; ++i) {
                AddSun(params, u[first + i], v[first + i], r[i], g[i], b[i]);
            }
        }
        for (int i = 0; i < kBlock; ++i) {
            pixels[3 * i] = FiniteOrZero(r[i]);
            pixels[3 * i + 1] = FiniteOrZero(g[i]);
            pixels[3 * i + 2] = FiniteOrZero(b[i]);
        }
    }
    for (; first < count; ++first) {
        float* pixel = rgb + 3 * first;
        AColor c = ApplyAdjustment(AColor(pixel[0], pixel[1], pixel[2], 1.0f), params,
                                   sun ? u[first] : 0.0f, sun ? v[first] : 0.0f);
        pixel[0] = c.r;
        pixel[1] = c.g;
        pixel[2] = c.b;
    }
}

float SunSpotWeight(float u, float v, const AdjustmentParams& params) {
    const float size = std::clamp(params.sunSpotSize, 0.0f, 90.0f);
    if (size <= kNoSunDiscSize) {
        return 0.0f;
    }
    const float vClamped = std::clamp(v, 0.0f, 1.0f);
    const float elevation = (0.5f - vClamped) * kPi;
    const float sunElevation = std::clamp(params.sunSpotHeight, 0.0f, 90.0f) * kDegreesToRadians;
    const float radius = size * 0.5f * kDegreesToRadians;

    // The angle to the sun's centre is never below the difference in elevation, so a sample
    // outside the disc's band of elevations, with room for the rounding of the acos below, gets
    // 0 without any trigonometry: most samples of an environment.
    if (std::fabs(elevation - sunElevation) >= radius + kSunBandMargin) {
        return 0.0f;
    }

    float uWrapped = std::fmod(u, 1.0f);
    if (uWrapped < 0.0f) {
        uWrapped = uWrapped + 1.0f;
    }
    // Spherical law of cosines between the sample and the sun's centre (at u = 0.5).
    const float cosAngle =
        std::cos(sunElevation) * std::cos(elevation) * std::cos((uWrapped - 0.5f) * kTwoPi) +
        std::sin(sunElevation) * std::sin(elevation);
    const float angle = std::acos(std::clamp(cosAngle, -1.0f, 1.0f));

    if (angle >= radius) {
        return 0.0f;
    }
    const float inner = radius * kSunInnerFraction;
    if (inner >= angle) {
        return 1.0f;
    }
    const float t = std::clamp((angle - inner) / std::max(1e-6f, radius - inner), 0.0f, 1.0f);
    return 1.0f - (3.0f - 2.0f * t) * t * t;
}

float SunEnergyFactor(float sunSpotSizeDegrees) {
    const float size = std::clamp(sunSpotSizeDegrees, 0.0f, 90.0f);
    if (!DrawsSunDisc(size)) {
        return 1.0f;
    }
    // Ratio of the reference disc's solid angle to this disc's: the same energy spread over a
    // smaller disc is brighter. The floor and the ceiling keep tiny discs finite and sane.
    const float referenceSolidAngle = (1.0f - std::cos(kReferenceSunHalfAngle)) * kTwoPi;
    const float solidAngle = (1.0f - std::cos(size * 0.5f * kDegreesToRadians)) * kTwoPi;
    const float factor = referenceSolidAngle / std::max(1e-6f, solidAngle);
    return std::clamp(factor, 1.0f, 256.0f);
}

float MonoLuminance(const AColor& color) {
    return (0.7152f * color.g + 0.2126f * color.r) + 0.0722f * color.b;
}
