#include "shading/ColorAdjustment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace {

const AColor kSource(0.5f, 2.0f, -1.0f, 0.3f);

// Relative tolerance (absolute for an expected 0); every result must also carry alpha 1.
void ExpectRgb(const AColor& c, float r, float g, float b, float tolerance = 2e-6f) {
    const float got[] = {c.r, c.g, c.b}, want[] = {r, g, b};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(got[i], want[i], want[i] == 0 ? tolerance : tolerance * std::fabs(want[i]));
    }
    EXPECT_EQ(c.a, 1.0f);
}

// A sun at the horizon seen from the horizon: the angle to its centre is |u - 0.5| turns.
AdjustmentParams HorizonSun(float sizeDegrees) {
    return {.sunSpotSize = sizeDegrees, .sunSpotHeight = 0.0f};
}
float UAtDegreesFromSun(float degrees) {
    return 0.5f + degrees / 360.0f;
}

}  // namespace

TEST(AdjustmentParamsTest, FallbackValuesAndFlatOrder) {
    const AdjustmentParamFloats fallback{0, 100, 100, 0, 1, 0, 0, 45, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(AdjustmentParamsToFloats(kFallbackAdjustmentParams), fallback);

    const AdjustmentParamFloats indices{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    // clang-format off
    const AdjustmentParams named{.exposure = 0, .contrast = 1, .saturation = 2, .hue = 3,
        .brightPix = 4, .sunExposure = 5, .sunSpotSize = 6, .sunSpotHeight = 7,
        .tint = AColor(8, 9, 10, 11), .sunTint = AColor(12, 13, 14, 15)};
    // clang-format on
    EXPECT_EQ(AdjustmentParamsToFloats(named), indices);
    EXPECT_EQ(AdjustmentParamsToFloats(AdjustmentParamsFromFloats(indices)), indices);
}

TEST(ApplyAdjustmentTest, EachStageAndItsClamps) {
    const AColor red(1, 0, 0), contrastSource(0.5f, 2.0f, 1.0f);
    // Hue test colours of saturation 0.75 and value 0.8, named by their hue in degrees; each
    // result lies 20 degrees into its HSV sector, so its components are 0.8, 0.2 and 0.6 or 0.4.
    const AColor at20(0.8f, 0.4f, 0.2f), at140(0.2f, 0.8f, 0.4f), at200(0.2f, 0.6f, 0.8f),
        at320(0.8f, 0.2f, 0.6f);
    const std::tuple<AColor, AdjustmentParams, AColor> cases[] = {
        {kSource, {}, AColor(0.5f, 2.0f, 0.0f)},  // only clamps negatives, sets alpha
        {kSource, {.exposure = 1.0f}, AColor(1.0f, 4.0f, 0.0f)},
        {kSource, {.exposure = 200.0f}, AColor(0x1p99f, 0x1p101f, 0.0f)},  // clamps to 100
        {kSource, {.exposure = -300.0f}, AColor(0x1p-101f, 0x1p-99f, 0.0f)},
        {contrastSource, {.contrast = 200.0f}, AColor(0.25f, 4.0f, 1.0f)},
        // L = 0.2126 * 0.5 + 0.7152 * 2 (blue clamped to 0 first); below 0 acts as 0.
        {kSource, {.saturation = -20.0f}, AColor(1.5367f, 1.5367f, 1.5367f)},
        // 2 * c - L gives (-0.5367, 2.4633, -1.5367); the tint step clamps the negatives.
        {kSource, {.saturation = 200.0f}, AColor(0.0f, 2.4633f, 0.0f)},
        {red, {.hue = 1.0f}, AColor(0.0f, 1.0f, 1.0f)},   // half a turn
        {red, {.hue = -1.5f}, AColor(0.0f, 1.0f, 1.0f)},  // clamps to -1
        {AColor(0.3f, 0.3f, 0.3f), {.hue = 0.37f}, AColor(0.3f, 0.3f, 0.3f)},
        // Taken as pure green, the negatives left by saturation 200 must not shift the hue.
        {kSource, {.saturation = 200.0f, .hue = 1.0f}, AColor(2.4633f, 0.0f, 2.4633f)},
        {at320, {.hue = 1.0f / 3}, at20},                      // 380 wraps to 20: sector 0
        {at20, {.hue = 1.0f / 3}, AColor(0.6f, 0.8f, 0.2f)},   // 80: sector 1
        {at200, {.hue = -1.0f / 3}, at140},                    // 140: sector 2
        {at140, {.hue = 1.0f / 3}, at200},                     // 200: sector 3
        {at20, {.hue = -2.0f / 3}, AColor(0.4f, 0.2f, 0.8f)},  // -100 wraps to 260: sector 4
        {at200, {.hue = 2.0f / 3}, at320},                     // 320: sector 5
        {kSource, {.tint = AColor(2, 1, 0, 1)}, AColor(1.0f, 2.0f, 0.0f)},
        {kSource, {.tint = AColor(-1, 1, 0.5f, 0)}, AColor(0.0f, 2.0f, 0.0f)},
        {AColor(std::numeric_limits<float>::infinity(), 1, 1), {}, AColor(0, 0, 0)},
    };
    for (const auto& [source, params, expected] : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&source - &std::get<0>(cases[0])));
        ExpectRgb(ApplyAdjustment(source, params, 0, 0), expected.r, expected.g, expected.b, 1e-5f);
    }
    // The contrast floor, exponent 0.001 / 100: 0.5^1e-5 = 1 - 1e-5 ln 2, 2^1e-5 = 1 + 1e-5 ln 2.
    ExpectRgb(ApplyAdjustment(contrastSource, {.contrast = -50.0f}, 0, 0), 0.99999307f, 1.0000069f,
              1.0f, 1e-6f);
}

TEST(ApplyAdjustmentTest, SunDiscIsAddedByWeightAndEnergy) {
    // Size 10 at height 45: the centre (u 0.5, v 0.25) gets 1; 6 degrees higher gets nothing.
    const AdjustmentParams sun{.sunSpotSize = 10.0f};
    ExpectRgb(ApplyAdjustment(kSource, sun, 0.5f, 0.25f), 1.5f, 3.0f, 1.0f);
    ExpectRgb(ApplyAdjustment(kSource, sun, 0.5f, 0.25f - 6.0f / 180.0f), 0.5f, 2.0f, 0.0f);
    // Sun EV -1 at weight 0.5 adds 0.25.
    const AdjustmentParams dim{.sunExposure = -1.0f, .sunSpotSize = 10.0f, .sunSpotHeight = 0.0f};
    ExpectRgb(ApplyAdjustment(kSource, dim, UAtDegreesFromSun(4.125f), 0.5f), 0.75f, 2.25f, 0.25f,
              1e-4f);
    // Size 5 has energy factor 4 cos^2(1.25 deg) = 3.9980964; sun EV 1 doubles it; the sun tint
    // scales it and its negative components count as 0.
    const AdjustmentParams small{
        .sunExposure = 1.0f, .sunSpotSize = 5.0f, .sunTint = AColor(-1, 0.5f, -1, 1)};
    ExpectRgb(ApplyAdjustment(AColor(0, 0, 0), small, 0.5f, 0.25f), 0.0f, 3.9980964f, 0.0f, 1e-3f);
}

TEST(SunSpotWeightTest, FullInsideFallsOffToRimWrapsUAndAtZenithDependsOnlyOnV) {
    const AdjustmentParams p = HorizonSun(10.0f);
    EXPECT_EQ(SunSpotWeight(0.5f, 0.5f, p), 1.0f);
    EXPECT_EQ(SunSpotWeight(UAtDegreesFromSun(3.0f), 0.5f, p), 1.0f);  // inner edge 3.25
    // t = (angle - 3.25) / 1.75; weight 1 - (3 - 2t) t^2.
    EXPECT_NEAR(SunSpotWeight(UAtDegreesFromSun(3.6f), 0.5f, p), 0.896f, 1e-4f);   // t 0.2
    EXPECT_NEAR(SunSpotWeight(UAtDegreesFromSun(-4.125f), 0.5f, p), 0.5f, 1e-4f);  // t 0.5
    EXPECT_NEAR(SunSpotWeight(UAtDegreesFromSun(5.0f), 0.5f, p), 0.0f, 1e-6f);
    EXPECT_EQ(SunSpotWeight(1.5f, 0.5f, p), 1.0f);               // u wraps
    EXPECT_NEAR(SunSpotWeight(-0.49f, 0.5f, p), 0.896f, 1e-4f);  // as 0.51: 3.6 degrees off
    EXPECT_EQ(SunSpotWeight(0.5f, 0.5f, HorizonSun(0.0f)), 0.0f);

    // Height 90 (135 clamps to it), size 20: 8 degrees from the zenith, t = 1.5 / 3.5; v -0.5
    // clamps to the zenith itself.
    for (float height : {90.0f, 135.0f}) {
        const AdjustmentParams zenith{.sunSpotSize = 20.0f, .sunSpotHeight = height};
        EXPECT_NEAR(SunSpotWeight(0.0f, 8.0f / 180.0f, zenith), 0.6064140f, 1e-4f);
        EXPECT_NEAR(SunSpotWeight(0.9f, 8.0f / 180.0f, zenith), 0.6064140f, 1e-4f);
        EXPECT_EQ(SunSpotWeight(0.4f, -0.5f, zenith), 1.0f);
    }
}

TEST(SunEnergyFactorTest, InverseSolidAngleBetweenOneAnd256) {
    EXPECT_EQ(SunEnergyFactor(0.5f), 256.0f);
    // (1 - cos 5) / (1 - cos 0.5) = sin^2 2.5 / sin^2 0.25 = 99.937.
    EXPECT_NEAR(SunEnergyFactor(1.0f), 99.937f, 0.3f);
    EXPECT_NEAR(SunEnergyFactor(5.0f), 3.9980964f, 1e-3f);  // 4 cos^2 1.25
    for (float size : {10.0f, 90.0f, -3.0f}) {
        EXPECT_NEAR(SunEnergyFactor(size), 1.0f, 1e-5f) << size;
    }
}
