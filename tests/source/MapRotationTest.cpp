// Finding, reading and writing the source map's rotation by its parameters' names.

#include "source/MapRotation.h"

#include "platform/Platform.h"
#include "support/NamedParamMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

using testsupport::NamedParamMap;

// The rotation FindMapRotation reads at time 0; NaN when it finds none.
float Rotation(Texmap* map) {
    float angle = 0;
    return FindMapRotation(map, 0, angle) ? angle : std::nanf("");
}

TEST(MapRotation, BitmapUAngleIsReadInDegreesAndAnglesAreWrittenInRadians) {
    NamedParamMap map(L"Bitmap", {{{L"u_offset", TYPE_FLOAT, 0.25f},
                                   {L"v_angle", TYPE_FLOAT, 7.0f},
                                   {L"u_angle", TYPE_FLOAT, 33.0f},
                                   {L"w_angle", TYPE_FLOAT, 9.0f}}});
    float angle = -1;
    ParamID id = -1;
    int blockIndex = -1;
    bool isAngle = true;
    ASSERT_TRUE(FindMapRotation(&map, 0, angle, &id, &blockIndex, &isAngle));
    EXPECT_EQ(std::tuple(angle, id, blockIndex, isAngle),
              std::tuple(33.0f, map.IdOf(0, L"u_angle"), 0, false));

    NamedParamMap radians(L"Bitmap",
                          {{{L"gamma", TYPE_FLOAT, 1.0f}, {L"rotation", TYPE_ANGLE, 0.5f}}});
    EXPECT_FLOAT_EQ(Rotation(&radians), 28.647888f);
    ASSERT_TRUE(SetMapRotation(&radians, 0, 90.0f));
    float stored = 0;
    Interval valid = FOREVER;
    radians.GetParamBlock(0)->GetValue(radians.IdOf(0, L"rotation"), 0, stored, valid);
    EXPECT_EQ(stored, 1.5707964f);
    EXPECT_NEAR(Rotation(&radians), 90.0f, 1e-4f);

    NamedParamMap none(L"Bitmap", {{{L"gamma", TYPE_FLOAT, 1.0f}, {L"angle_count", TYPE_INT}}});
    angle = 5;
    EXPECT_FALSE(FindMapRotation(&none, 0, angle));
    EXPECT_EQ(angle, 0.0f);
    EXPECT_FALSE(SetMapRotation(&none, 0, 10.0f));
    EXPECT_FALSE(FindMapRotation(nullptr, 0, angle));

    // On equal scores the earlier block and parameter win.
    NamedParamMap ties(L"Other",
                       {{{L"gamma", TYPE_FLOAT}},
                        {{L"rotate_a", TYPE_FLOAT, 1.0f}, {L"rotate_b", TYPE_FLOAT, 2.0f}},
                        {{L"rotate_c", TYPE_FLOAT, 3.0f}}});
    ASSERT_TRUE(FindMapRotation(&ties, 0, angle, nullptr, &blockIndex));
    EXPECT_FLOAT_EQ(angle, 1.0f);
    EXPECT_EQ(blockIndex, 1);
}

TEST(MapRotation, ClassNamesDecideTheKindAndTheVRayMappingTypeChoosesTheRotation) {
    NamedParamMap map(L"VRayBitmap", {{{L"mapping_channel", TYPE_INT, 0.0f},
                                       {L"mapping_type", TYPE_INT, 1.0f},
                                       {L"u_rotation", TYPE_FLOAT, 20.0f},
                                       {L"horizontal_rotation", TYPE_FLOAT, 70.0f}}});
    bool nonZero = false;
    for (auto [type, rotation] : {std::pair{1, 70.0f}, {0, 20.0f}}) {
        map.GetParamBlock(0)->SetValue(map.IdOf(0, L"mapping_type"), 0, type);
        ASSERT_TRUE(ReadVRayMappingType(&map, 0, nonZero));
        EXPECT_EQ(nonZero, type != 0);
        EXPECT_FLOAT_EQ(Rotation(&map), rotation);
    }

    // 'mapping_channel' alone never counts as the mapping type.
    NamedParamMap channelOnly(L"VRayBitmap", {{{L"mapping_channel", TYPE_INT, 2.0f},
                                               {L"u_rotation", TYPE_FLOAT, 20.0f},
                                               {L"horizontal_rotation", TYPE_FLOAT, 70.0f}}});
    EXPECT_FALSE(ReadVRayMappingType(&channelOnly, 0, nonZero));
    EXPECT_FLOAT_EQ(Rotation(&channelOnly), 70.0f);
    // Not a VRayBitmap: no mapping type is looked for.
    NamedParamMap other(L"Checker", {{{L"mapping_type", TYPE_INT, 1.0f}}});
    EXPECT_FALSE(ReadVRayMappingType(&other, 0, nonZero));

    // Class names alone decide which kind a source map is.
    bool vray = true, bitmap = true;
    EXPECT_FALSE(ClassifySourceMap(nullptr, vray, bitmap));
    EXPECT_FALSE(vray || bitmap);
    // Class name, then whether it is a VRayBitmap and whether a Bitmap.
    for (auto [name, isVRay, isBitmap] : {std::tuple{L"bitmaptexture", false, true},
                                          {L"VRayBitmap", true, false},
                                          {L"VRayHDRI", false, false},
                                          {L"Bitmap", false, true}}) {
        NamedParamMap named(name, {});
        EXPECT_TRUE(ClassifySourceMap(&named, vray, bitmap));
        EXPECT_EQ(std::pair(vray, bitmap), std::pair(isVRay, isBitmap))
            << platform::WideToUtf8(name);
    }
}

// The plan must give what the full walk gives at every time and after every change.
TEST(MapRotation, PlannedLookupsMatchTheFullWalk) {
    NamedParamMap map(L"VRayBitmap", {{{L"mapping_type", TYPE_INT, 1.0f},
                                       {L"u_rotation", TYPE_FLOAT, 20.0f},
                                       {L"horizontal_rotation", TYPE_FLOAT, 70.0f},
                                       {L"angle", TYPE_ANGLE, 0.3f}}});
    std::unique_ptr<RotationPlan> plan(BuildRotationPlan(&map));
    IParamBlock2* block = map.GetParamBlock(0);
    auto expectSame = [&](const char* what) {
        for (TimeValue t = -800; t <= 8000; t += 333) {
            float walked = -1, planned = -2;
            bool foundWalk = FindMapRotation(&map, t, walked);
            bool foundPlan = FindMapRotation(plan.get(), &map, t, planned);
            ASSERT_EQ(foundWalk, foundPlan) << what << " at " << t;
            ASSERT_EQ(walked, planned) << what << " at " << t;
        }
    };
    expectSame("defaults");
    block->SetValue(map.IdOf(0, L"mapping_type"), 0, 0);
    expectSame("mapping type 0");
    AnimateOn();
    block->SetValue(map.IdOf(0, L"horizontal_rotation"), 4800, 200.0f);
    block->SetValue(map.IdOf(0, L"u_rotation"), 2400, -50.0f);
    AnimateOff();
    expectSame("animated");
    // New blocks with other names: the old plan no longer matches and falls back to the walk.
    map.ReplaceBlock(0, {{L"gamma", TYPE_FLOAT, 1.0f}, {L"rotate", TYPE_FLOAT, 12.0f}});
    EXPECT_FALSE(plan->Matches(&map));
    expectSame("replaced block");
    plan.reset(BuildRotationPlan(&map));
    EXPECT_TRUE(plan->Matches(&map));
    expectSame("new plan");
    // Another map entirely.
    NamedParamMap bitmap(L"Bitmap", {{{L"u_angle", TYPE_ANGLE, 1.0f}}}, Class_ID(0x7E570002, 2));
    float angle = 0;
    ASSERT_TRUE(FindMapRotation(plan.get(), &bitmap, 0, angle));
    EXPECT_FLOAT_EQ(angle, 57.295776f);
}

}  // namespace

// An angle of a VRayBitmap without a mapping type rates as a u-axis rotation only where a u stands
// joined to a word of the name.
TEST(MapRotation, AUJoinedToAWordMarksTheUAxis) {
    const std::tuple<const wchar_t*, int> names[] = {
        {L"angle_u", 350},    {L"angle-u", 350}, {L"u_angle", 350},    {L"u angle", 350},
        {L"angleu", 350},     {L"uangle", 350},  {L"angle rotu", 350}, {L"urot angle", 350},
        {L"blue_angle", 100}, {L"angle", 100},   {L"angle u2", 100}};
    for (const auto& [name, score] : names) {
        EXPECT_EQ(ScoreRotationParamName(name, true, false, false, false), score)
            << platform::WideToUtf8(name);
    }
}
