#pragma once
// The colour arithmetic of one output slot: exposure, contrast, saturation, hue, tint and the
// synthetic sun disc. Pure functions of plain values, built and tested without the host.

#include <max.h>

#include <array>
#include <cstddef>
#include <type_traits>

/// One slot's adjustment values at one time. Default-constructed, it holds the fallback values,
/// which leave a colour unchanged apart from clamping negative components to 0 and alpha to 1.
struct AdjustmentParams {
    float exposure = 0.0f;        ///< EV (stops), used within -100..100; 0 leaves the colour
    float contrast = 100.0f;      ///< percent; 100 neutral, 200 squares, <= 0 acts as 0.001
    float saturation = 100.0f;    ///< percent; 0 grey, 100 neutral, above 100 boosts, no limit
    float hue = 0.0f;             ///< rotation within -1..1; 1 is half a turn; 0 neutral
    float brightPix = 1.0f;       ///< carried with the record; shading does not read it
    float sunExposure = 0.0f;     ///< EV of the sun disc, used within -100..100
    float sunSpotSize = 0.0f;     ///< angular diameter in degrees, 0..90; 0 means no sun disc
    float sunSpotHeight = 45.0f;  ///< elevation of the sun above the horizon, degrees 0..90
    AColor tint{1.0f, 1.0f, 1.0f, 1.0f};     ///< per-channel multiplier; alpha is not read
    AColor sunTint{1.0f, 1.0f, 1.0f, 1.0f};  ///< colour of the sun disc; alpha is not read

    bool operator==(const AdjustmentParams&) const = default;
};

/// Number of floats in the flat form of `AdjustmentParams`, the form a saved look stores.
inline constexpr std::size_t kAdjustmentParamCount = 16;
using AdjustmentParamFloats = std::array<float, kAdjustmentParamCount>;

static_assert(sizeof(AColor) == 4 * sizeof(float));
static_assert(sizeof(AdjustmentParams) == kAdjustmentParamCount * sizeof(float));
static_assert(sizeof(AdjustmentParams) == 64);
static_assert(std::is_trivially_copyable_v<AdjustmentParams>);
static_assert(std::is_standard_layout_v<AdjustmentParams>);
static_assert(offsetof(AdjustmentParams, sunSpotHeight) == 7 * sizeof(float));
static_assert(offsetof(AdjustmentParams, tint) == 8 * sizeof(float));
static_assert(offsetof(AdjustmentParams, sunTint) == 12 * sizeof(float));

/// The values a slot reads when the map has no block or the slot index is negative.
inline constexpr AdjustmentParams kFallbackAdjustmentParams{};

/// Sun spot sizes (degrees) at or below this draw no sun disc.
inline constexpr float kNoSunDiscSize = 1e-5f;

/// Whether a slot of this sun spot size (degrees) draws a sun disc; a NaN size draws none.
constexpr bool DrawsSunDisc(float sunSpotSize) {
    return sunSpotSize > kNoSunDiscSize;
}

/// The sixteen floats in their fixed order: exposure, contrast, saturation, hue, brightPix,
/// sunExposure, sunSpotSize, sunSpotHeight, tint r g b a, sunTint r g b a.
AdjustmentParamFloats AdjustmentParamsToFloats(const AdjustmentParams& params);

/// The inverse of `AdjustmentParamsToFloats`; values are taken as they are, without clamping.
AdjustmentParams AdjustmentParamsFromFloats(const AdjustmentParamFloats& values);

/// The slot's adjusted colour of `source` at the sample position (u, v): u is the horizontal
/// position around the environment (one turn is 1, any value, wrapped), v runs from the zenith
/// (0) to the nadir (1). The source alpha is ignored; the result has alpha 1, non-negative
/// colour components before the sun disc is added, and 0 for any component that is not finite.
AColor ApplyAdjustment(AColor source, const AdjustmentParams& params, float u, float v);

/// ApplyAdjustment over `count` samples, bit for bit: rgb holds their source colours as count
/// RGB triples and receives the adjusted ones (alpha 1 implied); u[i] and v[i] place sample i,
/// read only when the slot draws a sun disc (null otherwise).
void ApplyAdjustmentRow(const AdjustmentParams& params, float* rgb, int count, const float* u,
                        const float* v);

/// Weight 0..1 of the sun disc at (u, v) (as in `ApplyAdjustment`). The sun's centre is at
/// u = 0.5 and params.sunSpotHeight degrees above the horizon; the weight is 1 within 65% of
/// the disc's radius, falls off smoothly to 0 at its rim, and is 0 when sunSpotSize is 0.
float SunSpotWeight(float u, float v, const AdjustmentParams& params);

/// Brightness multiplier 1..256 of a sun disc of `sunSpotSizeDegrees` angular diameter (clamped
/// to 0..90): 1 for discs of 10 degrees and larger, inversely proportional to the disc's solid
/// angle below that (about 4 at 5 degrees, 100 at 1 degree), at most 256; 1 for size 0.
float SunEnergyFactor(float sunSpotSizeDegrees);

/// Luminance of a colour for monochrome evaluation, with weights red 0.2126, green 0.7152,
/// blue 0.0722 (alpha ignored): white gives 1.
float MonoLuminance(const AColor& color);
