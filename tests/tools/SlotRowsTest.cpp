// The tool's render of a slot a row at a time against one shading sample per pixel through the
// slot's output map: the same bits, whatever the source, its placement and the slot's values.

#include "ReadBack.h"
#include "SlotRows.h"
#include "ToolScene.h"

#include "maps/BitmapMap.h"
#include "maps/ProceduralSky.h"
#include "maps/VRayBitmapMap.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>

namespace {

struct ParamRange {
    ParamID id;
    float low, high;
};

TEST(SlotRows, GiveTheBitsOfOneSamplePerPixel) {
    testsupport::ScopedTestDrive drive;
    const std::filesystem::path file = testsupport::NativePath(drive.ScratchFolder()) / "slot.exr";
    ASSERT_TRUE(std::filesystem::create_directories(file.parent_path()));
    const std::vector<ParamRange> bitmapPlacement = {
        {standalone::kBitmapUAngle, -3.2f, 3.2f},  {standalone::kBitmapVAngle, -0.5f, 0.5f},
        {standalone::kBitmapWAngle, -0.5f, 0.5f},  {standalone::kBitmapUOffset, -0.3f, 0.3f},
        {standalone::kBitmapVOffset, -0.1f, 0.1f}, {standalone::kBitmapOutputAmount, 0.5f, 2},
        {standalone::kBitmapGamma, 0.8f, 2.4f}};
    const std::vector<ParamRange> vrayPlacement = {{standalone::kVRayHorizontalRotation, -180, 360},
                                                   {standalone::kVRayVerticalRotation, -30, 30},
                                                   {standalone::kVRayURotation, -90, 90},
                                                   {standalone::kVRayMultiplier, 0.5f, 2},
                                                   {standalone::kVRayGamma, 0.8f, 2.4f}};
    const std::vector<ParamRange> skyPlacement = {{standalone::kSkySunElevation, 0, 80},
                                                  {standalone::kSkySunAzimuth, -180, 180},
                                                  {standalone::kSkyIntensity, 0.5f, 2}};
    struct Case {
        const char* environment;  // empty: the procedural sky
        SourceKind kind;
        int width, height;
        const std::vector<ParamRange>& placement;
    };
    const Case cases[] = {
        {"city.exr", SourceKind::Bitmap, 300, 150, bitmapPlacement},
        {"sunset.exr", SourceKind::Bitmap, 1024, 512, bitmapPlacement},  // its own size
        {"forest.exr", SourceKind::VRayBitmap, 333, 161, vrayPlacement},
        {"", SourceKind::Bitmap, 300, 150, skyPlacement},
    };
    std::mt19937 random(26);
    auto uniform = [&](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    auto colour = [&] {
        return std::to_string(uniform(0, 2)) + "," + std::to_string(uniform(0, 2)) + "," +
               std::to_string(uniform(0, 2));
    };
    for (const Case& c : cases) {
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(std::string(c.environment) + " round " + std::to_string(round));
            SceneSetup setup;
            if (*c.environment) {
                setup.sourceFile = std::string(ZENITHRA_ENVIRONMENTS "/") + c.environment;
            }
            setup.sourceKind = c.kind;
            setup.slotCount = 3;
            for (int slot = 0; slot < 3; ++slot) {
                float sunSize = slot == 0 ? 0.0f : uniform(0.5f, 40);
                for (auto [name, value] :
                     std::initializer_list<std::pair<const char*, std::string>>{
                         {"slotExposure", std::to_string(uniform(-4, 4))},
                         {"slotContrast", std::to_string(uniform(10, 300))},
                         {"slotSaturation", std::to_string(uniform(0, 250))},
                         {"slotHue", std::to_string(uniform(-1, 1))},
                         {"slotTint", colour()},
                         {"slotSunSpotSize", std::to_string(sunSize)},
                         {"slotSunSpotHeight", std::to_string(uniform(0, 90))},
                         {"slotSunExposure", std::to_string(uniform(-2, 6))},
                         {"slotSunTint", colour()}}) {
                    setup.assignments.push_back({slot, name, value});
                }
            }
            ToolScene scene;
            std::string error;
            ASSERT_TRUE(scene.Build(setup, &error)) << error;
            // Round 0 keeps the source's defaults; later rounds turn, shift and scale it, and the
            // VRayBitmap takes its coordinates from the map channel in round 1.
            IParamBlock2* source = scene.Map()->GetSubTexmap(0)->GetParamBlock(0);
            for (const ParamRange& param : c.placement) {
                if (round > 0) {
                    source->SetValue(param.id, 0, uniform(param.low, param.high));
                }
            }
            if (c.kind == SourceKind::VRayBitmap) {
                source->SetValue(standalone::kVRayMappingType, 0, round == 1 ? 0 : 1);
                source->SetValue(standalone::kVRayHorizontalFlip, 0, round == 2 ? 1 : 0);
            }
            // The rows of one slot image, and the slots over one shared lookup of the source
            // (kept for a job of three slots, looked up band by band for a job of one), written
            // and read back, against a sample per pixel.
            SharedSourceSlots kept(*scene.Map(), c.width, c.height, 0, 2, 3);
            SharedSourceSlots banded(*scene.Map(), c.width, c.height, 0, 2, 1);
            ASSERT_TRUE(kept.Ready() && banded.Ready());
            for (int slot = 0; slot < 3; ++slot) {
                auto render = [&](bool perSample) {
                    const standalone::PixelBuffer rgb =
                        RenderSlotImage(*scene.Map(), slot, *scene.SlotOutput(slot), c.width,
                                        c.height, 0, 2, perSample)
                            .rgb;
                    return std::vector<float>(rgb.begin(), rgb.end());
                };
                const std::vector<float> perSample = render(true);
                std::vector<std::vector<float>> results = {render(false)};
                for (SharedSourceSlots* shared : {&kept, &banded}) {
                    ExrRowWriter exr;
                    ASSERT_TRUE(exr.Open(file, c.width, c.height, {}, &error) &&
                                shared->WriteSlot(slot, exr, 64, {}, &error) && exr.Close(&error))
                        << error;
                    results.push_back(Read(file).pixels);
                }
                auto bits = [](float value) { return std::bit_cast<uint32_t>(value); };
                for (const std::vector<float>& got : results) {
                    auto [at, wanted] = std::ranges::mismatch(got, perSample, {}, bits, bits);
                    EXPECT_TRUE(at == got.end() && wanted == perSample.end())
                        << "slot " << slot + 1 << " differs at value " << (at - got.begin());
                }
            }
        }
    }
}

}  // namespace
