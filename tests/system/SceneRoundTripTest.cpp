// A scene with a Zenithra map, its source and its proxies saved to a file and loaded again
// renders the same, and rendering on many threads gives what one thread gives.

#include "LoadedPlugin.h"

#include "render/EnvironmentSample.h"
#include "render/LatLongRender.h"
#include "maps/ProceduralSky.h"
#include "scene/StandaloneHost.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr TimeValue kLater = 4800;  // one second

ParamID IdOf(IParamBlock2& block, const char16_t* name) {
    for (int i = 0; i < block.NumParams(); ++i) {
        ParamID id = block.IndextoID(i);
        if (MSTR(block.GetParamDef(id)->int_name) == name) {
            return id;
        }
    }
    ADD_FAILURE() << "no parameter of that name";
    return -1;
}

// Three slots set through the block as a script would, slot 1's contrast and slot 2's tint
// animated.
Texmap* BuildMap(standalone::SceneRoot& scene) {
    Texmap* map = CreatePluginMap(0);
    scene.Add(map);
    map->SetName(u"Studio");
    Texmap* sky = standalone::CreateProceduralSky();
    sky->GetParamBlock(0)->SetValue(standalone::kSkySunElevation, 0, 20.0f);
    map->SetSubTexmap(0, sky);
    IParamBlock2& block = *map->GetParamBlock(0);
    block.SetValue(IdOf(block, u"slotCount"), 0, 3);
    for (const char16_t* table :
         {u"slotExposure", u"slotContrast", u"slotSaturation", u"slotBrightPix", u"slotSunExposure",
          u"slotSunSpotSize", u"slotSunSpotHeight", u"slotTint", u"slotSunTint", u"slotHue"}) {
        block.SetCount(IdOf(block, table), 3);
    }
    block.SetValue(IdOf(block, u"slotExposure"), 0, 1.5f, 1);
    block.SetValue(IdOf(block, u"slotHue"), 0, 0.25f, 2);
    block.SetValue(IdOf(block, u"slotSunSpotSize"), 0, 8.0f, 2);
    block.SetValue(IdOf(block, u"slotSunExposure"), 0, 2.0f, 2);
    AnimateOn();
    block.SetValue(IdOf(block, u"slotContrast"), kLater, 150.0f, 1);
    block.SetValue(IdOf(block, u"slotTint"), kLater, Point4(1.0f, 0.5f, 0.25f, 1.0f), 2);
    AnimateOff();
    for (int slot = 1; slot <= 3; ++slot) {
        scene.Add(map->GetSubTexmap(slot));  // as a light or a material would use it
    }
    return map;
}

std::vector<AColor> Sample(Texmap& map) {
    std::vector<AColor> colours;
    for (int i = 0; i < 24; ++i) {
        for (TimeValue t : {0, kLater / 2, kLater}) {
            float u = (float(i) + 0.5f) / 24.0f;
            standalone::EnvironmentSample sample(standalone::DirectionFromUV(u, 0.3f), t);
            colours.push_back(map.EvalColor(sample));
        }
    }
    return colours;
}

TEST(SceneRoundTrip, SavedAndLoadedSceneRendersTheSame) {
    testsupport::ScopedTestDrive drive;
    standalone::SceneRoot scene;
    Texmap* map = BuildMap(scene);
    std::vector<std::vector<AColor>> before;
    for (int i = 1; i <= 3; ++i) {
        before.push_back(Sample(*static_cast<Texmap*>(scene.Get(i))));
    }
    // Slots really differ, and the animations change their colours over time.
    EXPECT_NE(before[0][0], before[1][0]);
    EXPECT_NE(before[1][0], before[1][2]);
    EXPECT_NE(before[2][0], before[2][2]);

    std::filesystem::create_directories(testsupport::NativePath(drive.ScratchFolder()));
    std::u16string file = drive.ScratchFolder() + u"\\studio.zscene";
    std::string error;
    ASSERT_TRUE(standalone::SaveScene(file, scene, &error)) << error;

    standalone::SceneRoot loaded;
    ASSERT_TRUE(standalone::LoadScene(file, loaded, &error)) << error;
    ASSERT_EQ(loaded.Count(), 4);
    auto* loadedMap = static_cast<Texmap*>(loaded.Get(0));
    EXPECT_EQ(loadedMap->GetName(), u"Studio");
    EXPECT_EQ(loadedMap->GetSubTexmapSlotName(3), u"Studio:Slot 3");
    EXPECT_NE(loadedMap->GetSubTexmap(0), nullptr);
    for (int i = 1; i <= 3; ++i) {
        auto* proxy = static_cast<Texmap*>(loaded.Get(i));
        EXPECT_EQ(loadedMap->GetSubTexmap(i), proxy) << "slot " << i;
        EXPECT_EQ(proxy->GetName(), map->GetSubTexmap(i)->GetName());
        EXPECT_EQ(Sample(*proxy), before[size_t(i - 1)]) << "slot " << i;
    }
    EXPECT_FALSE(
        standalone::LoadScene(drive.ScratchFolder() + u"\\missing.zscene", loaded, &error));
}

TEST(SceneRoundTrip, ManyRenderThreadsGiveWhatOneGives) {
    standalone::SceneRoot scene;
    BuildMap(scene);
    for (int i = 1; i <= 3; ++i) {
        auto* proxy = static_cast<Texmap*>(scene.Get(i));
        standalone::LatLongImage one = standalone::RenderLatLong(*proxy, 64, 32, kLater / 3, 1);
        standalone::LatLongImage four = standalone::RenderLatLong(*proxy, 64, 32, kLater / 3, 4);
        EXPECT_EQ(one.rgb, four.rgb) << "slot " << i;
    }
}

}  // namespace
