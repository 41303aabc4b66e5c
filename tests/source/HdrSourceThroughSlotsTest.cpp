// Real .hdr and .exr files through a Zenithra map: the source maps' images reach every slot,
// adjusted, and a slot's sun disc follows the VRayBitmap's rotation.

#include "BitmapMap.h"
#include "VRayBitmapMap.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

using testsupport::GridPixel;

// The direction of a grid pixel's centre for a map turned by `rotationDegrees`.
Point3 PixelDirection(int column, int row, float rotationDegrees) {
    float u = (float(column) + 0.5f) / float(testsupport::kGridWidth) +
              (90.0f - rotationDegrees) / 360.0f;
    float v = (float(row) + 0.5f) / float(testsupport::kGridHeight);
    return standalone::DirectionFromUV(u - std::floor(u), v);
}

AColor At(Texmap& map, const Point3& direction) {
    standalone::EnvironmentSample sample(direction, 0);
    return map.EvalColor(sample);
}

class HdrSourceThroughSlots : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(testsupport::NativePath(drive.ScratchFolder()));
        map->SetSlotCount(2);
        map->SetSlotExposure(1, 1.0f);  // slot 1 doubles the image
    }
    testsupport::ScopedTestDrive drive;
    standalone::SceneRoot scene;
    Zenithra* map = testsupport::NewMapIn(scene);
};

TEST_F(HdrSourceThroughSlots, HdrAndExrPixelsReachEverySlot) {
    const std::u16string hdr = drive.ScratchFolder() + u"\\grid.hdr";
    const std::u16string exr = drive.ScratchFolder() + u"\\grid.exr";
    ASSERT_TRUE(testsupport::WriteHdrFile(hdr, testsupport::GridImage()));
    ASSERT_TRUE(testsupport::WriteExrFile(exr, testsupport::GridImage()));
    struct Case {
        Texmap* source;
        ParamID fileParam;
        std::u16string file;
        float rotationDegrees;
    };
    Texmap* bitmap = standalone::CreateBitmapMap();
    bitmap->GetParamBlock(0)->SetValue(standalone::kBitmapUAngle, 0, 0.5f);  // radians
    Texmap* vray = standalone::CreateVRayBitmapMap();
    vray->GetParamBlock(0)->SetValue(standalone::kVRayHorizontalRotation, 0, 200.0f);
    for (Case c : {Case{bitmap, standalone::kBitmapFileName, hdr, 0.5f * 57.295776f},
                   Case{vray, standalone::kVRayHdriMapName, exr, 200.0f}}) {
        c.source->GetParamBlock(0)->SetValue(c.fileParam, 0, MSTR(c.file));
        map->SetSubTexmap(0, c.source);
        Texmap* plain = map->GetSubTexmap(1);
        Texmap* brighter = map->GetSubTexmap(2);
        for (int row = 0; row < testsupport::kGridHeight; ++row) {
            for (int column = 0; column < testsupport::kGridWidth; column += 3) {
                Point3 d = PixelDirection(column, row, c.rotationDegrees);
                testsupport::GridColour want = GridPixel(column, row);
                AColor got = At(*plain, d);
                EXPECT_NEAR(got.r, want.r, 1e-3f) << column << "," << row;
                EXPECT_NEAR(got.g, want.g, 1e-3f) << column << "," << row;
                EXPECT_NEAR(got.b, want.b, 1e-3f) << column << "," << row;
                EXPECT_EQ(got.a, 1.0f);
                AColor doubled = At(*brighter, d);
                EXPECT_NEAR(doubled.r, 2 * want.r, 2e-3f) << column << "," << row;
                EXPECT_NEAR(doubled.b, 2 * want.b, 2e-3f) << column << "," << row;
                EXPECT_EQ(At(*map, d), got);  // the map itself shows its first slot
            }
        }
    }
}

TEST_F(HdrSourceThroughSlots, TheSunDiscFollowsTheVRayBitmapRotation) {
    const std::u16string exr = drive.ScratchFolder() + u"\\flat.exr";
    ASSERT_TRUE(
        testsupport::WriteExrFile(exr, testsupport::UniformImage(16, 8, 0.25f, 0.25f, 0.25f)));
    Texmap* vray = standalone::CreateVRayBitmapMap();
    vray->GetParamBlock(0)->SetValue(standalone::kVRayHdriMapName, 0, MSTR(exr));
    map->SetSubTexmap(0, vray);
    map->block->SetValue(pb_slotSunSpotSize, 0, 10.0f, 0);
    map->block->SetValue(pb_slotSunSpotHeight, 0, 20.0f, 0);
    Texmap* slot = map->GetSubTexmap(1);
    const float h = 20.0f * 0.017453292f;
    const Point3 towardMinusY(0, -std::cos(h), std::sin(h));
    const Point3 towardMinusX(-std::cos(h), 0, std::sin(h));
    auto renderedRed = [&](const Point3& d) { return At(*slot, d).r; };

    vray->GetParamBlock(0)->SetValue(standalone::kVRayHorizontalRotation, 0, 90.0f);
    EXPECT_NEAR(renderedRed(towardMinusY), 1.25f, 1e-3f);  // image 0.25 + the disc's 1
    EXPECT_NEAR(renderedRed(towardMinusX), 0.25f, 1e-3f);
    vray->GetParamBlock(0)->SetValue(standalone::kVRayHorizontalRotation, 0, 180.0f);
    EXPECT_NEAR(renderedRed(towardMinusX), 1.25f, 1e-3f);
    EXPECT_NEAR(renderedRed(towardMinusY), 0.25f, 1e-3f);
}

}  // namespace
