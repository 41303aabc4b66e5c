#include "shading/ColorAdjustment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

// An exposure of e EV is the source times exp2(e), bit for bit, whether e is exactly neutral
// (0, -0), next to it, or not a number; a tint just off white multiplies the neutral result.
TEST(ApplyAdjustmentTest, NeutralAndNearNeutralExposureAndTintBitForBit) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const AColor sources[] = {AColor(0.5f, -0.0f, 3e-39f), AColor(1e30f, nan, -2.0f),
                              AColor(0.3f, 0.7f, 0.1f)};
    auto same = [](const AColor& a, const AColor& b) { return std::memcmp(&a, &b, 16) == 0; };
    for (const AColor& c : sources) {
        for (float e : {0.0f, -0.0f, 1e-30f, 1e-6f, -1e-6f, 1.0f, nan}) {
            const float g = std::exp2(e);
            EXPECT_TRUE(same(ApplyAdjustment(c, {.exposure = e}, 0, 0),
                             ApplyAdjustment(AColor(c.r * g, c.g * g, c.b * g), {}, 0, 0)))
                << e;
        }
    }
    const float nearOne = std::nextafter(1.0f, 2.0f);
    const AColor neutral = ApplyAdjustment(sources[2], {}, 0, 0);
    const AColor tinted = ApplyAdjustment(sources[2], {.tint = AColor(nearOne, 1, 1, 1)}, 0, 0);
    EXPECT_TRUE(same(tinted, AColor(neutral.r * nearOne, neutral.g, neutral.b, 1)));
}
