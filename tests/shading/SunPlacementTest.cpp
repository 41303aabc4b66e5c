// The sun disc of a slot follows the source map's rotation around the environment.

#include "shading/Zenithra.h"

#include "render/EnvironmentSample.h"
#include "scene/StandaloneHost.h"
#include "support/MapTestSupport.h"
#include "support/NamedParamMap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kHeightDegrees = 30.0f;

Point3 SunDirectionToward(float x, float y) {
    float h = kHeightDegrees * 0.017453292f;
    return {x * std::cos(h), y * std::cos(h), std::sin(h)};
}

float RedAt(Texmap& map, const Point3& direction) {
    standalone::EnvironmentSample sample(direction, 0);
    return map.EvalColor(sample).r;
}

TEST(SunPlacement, TheSunDiscTurnsWithTheSourceMapsRotation) {
    standalone::SceneRoot scene;
    Zenithra* map = testsupport::NewMapIn(scene);
    auto* source = new testsupport::NamedParamMap(u"VRayBitmap",
                                                  {{{u"mapping_type", TYPE_INT, 1.0f},
                                                    {u"u_rotation", TYPE_FLOAT, 0.0f},
                                                    {u"horizontal_rotation", TYPE_FLOAT, 90.0f}}});
    map->SetSubTexmap(0, source);
    map->block->SetValue(pb_slotSunSpotSize, 0, 10.0f, 0);
    map->block->SetValue(pb_slotSunSpotHeight, 0, kHeightDegrees, 0);
    Texmap* proxy = map->GetSubTexmap(1);
    ASSERT_NE(proxy, nullptr);

    // The test source is grey 0.5 everywhere; the disc adds 1 at its centre (a 10 degree disc
    // has no extra energy factor).
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(0, -1)), 1.5f, 1e-4f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(-1, 0)), 0.5f, 1e-6f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(0, 1)), 0.5f, 1e-6f);

    ParamID rotation = source->IdOf(0, u"horizontal_rotation");
    source->GetParamBlock(0)->SetValue(rotation, 0, 180.0f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(-1, 0)), 1.5f, 1e-4f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(0, -1)), 0.5f, 1e-6f);
    EXPECT_NEAR(RedAt(*map, SunDirectionToward(-1, 0)), 1.5f, 1e-4f);

    // With mapping type 0 the map turns by its u rotation instead.
    source->GetParamBlock(0)->SetValue(source->IdOf(0, u"mapping_type"), 0, 0);
    source->GetParamBlock(0)->SetValue(source->IdOf(0, u"u_rotation"), 0, 0.0f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(1, 0)), 1.5f, 1e-4f);

    // A source without any rotation parameter: the disc goes by the sample's own coordinates.
    auto* plain = new testsupport::NamedParamMap(u"Checker", {{{u"size", TYPE_FLOAT, 1.0f}}});
    map->SetSubTexmap(0, plain);
    standalone::EnvironmentSample sample(SunDirectionToward(1, 0), 0);
    sample.SetUVW(Point3(0.5f, 1.0f / 3.0f, 0));
    EXPECT_NEAR(proxy->EvalColor(sample).r, 1.5f, 1e-4f);
}

}  // namespace
