#include "shading/ColorAdjustment.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
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

AColor ApplyAdjustment(AColor source, const AdjustmentParams& params, float u, float v) {
    // Exposure. The clamp keeps the gain a finite, non-zero float. exp2 gives 2 to the power
    // exactly as pow does, for less. At 0 EV the gain is exactly 1, whose product changes no
    // float (NaN and -0 included), so neither is computed.
    const float stops = std::clamp(params.exposure, -100.0f, 100.0f);
    const bool exposed = stops != 0.0f;
    const float gain = exposed ? std::exp2(stops) : 1.0f;
    const float r0 = NonNegative(exposed ? gain * source.r : source.r);
    const float g0 = NonNegative(exposed ? gain * source.g : source.g);
    const float b0 = NonNegative(exposed ? gain * source.b : source.b);

    // Contrast: a power curve, so 1.0 stays fixed; the floor keeps the exponent positive.
    // At 100 percent the curve is the identity, which the power gives exactly too; skipping it
    // spares three powers per sample of a slot whose contrast is untouched.
    const float k = std::max(0.001f, params.contrast) / 100.0f;
    const bool curved = k != 1.0f;
    const float r1 = curved ? std::pow(r0, k) : r0;
    const float g1 = curved ? std::pow(g0, k) : g0;
    const float b1 = curved ? std::pow(b0, k) : b0;

    // Saturation around luminance; components may go negative here and are clamped later.
    const float luminance = (0.2126f * r1 + 0.7152f * g1) + 0.0722f * b1;
    const float s = NonNegative(params.saturation) / 100.0f;
    Rgb c{(r1 - luminance) * s + luminance, (g1 - luminance) * s + luminance,
          (b1 - luminance) * s + luminance};

    // Hue. A rotation too small to see is skipped, which also keeps negative components.
    const float h = std::clamp(params.hue, -1.0f, 1.0f);
    if (std::fabs(h) > 1e-6f) {
        c = RotateHue(c, h);
    }

    // Tint. White multiplies by exactly 1, which changes no float.
    const bool tinted = !(params.tint.r == 1.0f && params.tint.g == 1.0f && params.tint.b == 1.0f);
    float r4 = NonNegative(tinted ? c.r * params.tint.r : c.r);
    float g4 = NonNegative(tinted ? c.g * params.tint.g : c.g);
    float b4 = NonNegative(tinted ? c.b * params.tint.b : c.b);

    // Sun: added whatever the source holds, so a dark image still gets its sun.
    const float w = SunSpotWeight(u, v, params);
    if (w > 0.0f) {
        const float amount = std::exp2(std::clamp(params.sunExposure, -100.0f, 100.0f)) *
                             SunEnergyFactor(params.sunSpotSize) * w;
        r4 = NonNegative(params.sunTint.r) * amount + r4;
        g4 = NonNegative(params.sunTint.g) * amount + g4;
        b4 = NonNegative(params.sunTint.b) * amount + b4;
    }

    return AColor(FiniteOrZero(r4), FiniteOrZero(g4), FiniteOrZero(b4), 1.0f);
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
