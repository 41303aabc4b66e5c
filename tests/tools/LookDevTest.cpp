// Look development: the lit spheres against a brute-force integration and the panorama itself.

#include "ReadBack.h"
#include "RenderJob.h"
#include "SlotSpheres.h"
#include "ToolScene.h"
#include "maps/HdrImage.h"
#include "render/LitSpheres.h"

#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

namespace fs = std::filesystem;
constexpr double kPi = 3.14159265358979323846;

standalone::LatLongImage RealEnvironment(const std::string& name) {
    standalone::HdrImage hdr;
    std::string error;
    EXPECT_TRUE(
        standalone::LoadHdrImage(HostPathOf(fs::path(ZENITHRA_ENVIRONMENTS) / name), hdr, &error))
        << error;
    return {hdr.width, hdr.height, std::move(hdr.rgb)};
}

// The built-in sky through a slot with a sun disc 6 degrees across, 30 degrees high, +3 EV.
standalone::LatLongImage SkyWithSunDisc(int width, int height) {
    ToolScene scene;
    SceneSetup setup;
    setup.slotCount = 1;
    setup.assignments = {
        {0, "slotSunSpotSize", "6"}, {0, "slotSunSpotHeight", "30"}, {0, "slotSunExposure", "3"}};
    std::string error;
    EXPECT_TRUE(scene.Build(setup, &error)) << error;
    return standalone::RenderLatLong(*scene.SlotOutput(0), width, height, 0, 2);
}

// The direction of pixel (x, y) and its solid angle, worked out here from the layout alone.
struct PixelGeometry {
    double d[3];
    double solidAngle;
};
PixelGeometry PixelAt(int x, int y, int width, int height) {
    double theta = kPi * (y + 0.5) / height, phi = 2 * kPi * ((x + 0.5) / width - 0.25);
    double band = std::cos(kPi * y / height) - std::cos(kPi * (y + 1) / height);
    return {{std::sin(theta) * std::sin(phi), -std::sin(theta) * std::cos(phi), std::cos(theta)},
            2 * kPi / width * band};
}

// Where a ball pixel's normal points: the camera looks along world +X (the panorama's centre
// column), +Z up, so its right is -Y.
bool BallNormal(int i, int j, int diameter, double n[3]) {
    double a = 2 * (i + 0.5) / diameter - 1, b = 1 - 2 * (j + 0.5) / diameter;
    if (a * a + b * b > 1) {
        return false;
    }
    n[0] = -std::sqrt(1 - a * a - b * b);
    n[1] = -a;
    n[2] = b;
    return true;
}

TEST(LitSpheresTest, DiffuseBallIsWithinOnePercentOfTheBruteForceIrradiance) {
    struct Case {
        const char* name;
        standalone::LatLongImage panorama;
    };
    Case cases[] = {{"sky with sun disc", SkyWithSunDisc(512, 256)},
                    {"sunset.exr", RealEnvironment("sunset.exr")},
                    {"city.exr", RealEnvironment("city.exr")}};
    constexpr int kDiameter = 48;
    double worst = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const standalone::LatLongImage& env = c.panorama;
        ASSERT_GT(env.width, 0);
        standalone::LatLongImage balls = standalone::RenderLitSpheres(env, kDiameter);
        std::vector<PixelGeometry> pixels;
        for (int y = 0; y < env.height; ++y) {
            for (int x = 0; x < env.width; ++x) {
                pixels.push_back(PixelAt(x, y, env.width, env.height));
            }
        }
        for (int j = 1; j < kDiameter; j += 6) {
            for (int i = 1; i < kDiameter; i += 6) {
                double n[3];
                if (!BallNormal(i, j, kDiameter, n)) {
                    continue;
                }
                double expected[3] = {0, 0, 0};
                for (size_t p = 0; p < pixels.size(); ++p) {
                    const PixelGeometry& g = pixels[p];
                    double cosine = n[0] * g.d[0] + n[1] * g.d[1] + n[2] * g.d[2];
                    for (size_t k = 0; cosine > 0 && k < 3; ++k) {
                        expected[k] += env.rgb[p * 3 + k] * g.solidAngle * cosine;
                    }
                }
                const float* ball = &balls.rgb[(size_t(j) * balls.width + i) * 3];
                for (int k = 0; k < 3; ++k) {
                    double want = expected[k] * 0.18 / kPi;
                    double error = std::abs(ball[k] - want) / want;
                    worst = std::max(worst, error);
                    ASSERT_LE(error, 0.01) << "pixel " << i << "," << j << " channel " << k << ": "
                                           << ball[k] << " against " << want;
                }
            }
        }
    }
    RecordProperty("worstIrradianceError", std::to_string(worst));
}

TEST(LitSpheresTest, ChromeBallShowsThePanoramaInTheReflectedDirection) {
    standalone::LatLongImage env = RealEnvironment("city.exr");
    ASSERT_GT(env.width, 0);
    constexpr int kDiameter = 64;
    standalone::LatLongImage balls = standalone::RenderLitSpheres(env, kDiameter);
    const int chromeLeft = kDiameter + kDiameter / 8;
    int checked = 0;
    for (int j = 0; j < kDiameter; ++j) {
        for (int i = 0; i < kDiameter; ++i) {
            double n[3];
            if (!BallNormal(i, j, kDiameter, n)) {
                continue;
            }
            // A mirror seen along +X: r = v - 2 (v . n) n with v = (1, 0, 0).
            double r[3] = {1 - 2 * n[0] * n[0], -2 * n[0] * n[1], -2 * n[0] * n[2]};
            double u = std::atan2(r[0], -r[1]) / (2 * kPi) + 0.25;
            double v = std::acos(std::clamp(r[2], -1.0, 1.0)) / kPi;
            // The pixels around that direction bound a value read there.
            double fx = (u - std::floor(u)) * env.width - 0.5, fy = v * env.height - 0.5;
            int x0 = int(std::floor(fx)), y0 = std::clamp(int(std::floor(fy)), 0, env.height - 1);
            int y1 = std::min(y0 + 1, env.height - 1);
            const float* ball = &balls.rgb[(size_t(j) * balls.width + chromeLeft + i) * 3];
            for (int k = 0; k < 3; ++k) {
                float low = INFINITY, high = -INFINITY;
                for (int y : {y0, y1}) {
                    for (int x : {x0, x0 + 1}) {
                        int wrapped = (x + env.width) % env.width;
                        float p = env.rgb[(size_t(y) * env.width + wrapped) * 3 + k];
                        low = std::min(low, p);
                        high = std::max(high, p);
                    }
                }
                ASSERT_GE(ball[k], low - 1e-4f * high) << "pixel " << i << "," << j;
                ASSERT_LE(ball[k], high + 1e-4f * high) << "pixel " << i << "," << j;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 3000);
    // Outside the balls the picture stays black.
    EXPECT_EQ(balls.rgb[0], 0.0f);
}

TEST(LitSpheresTest, RenderWritesEachSlotsSpheresAndPutsThemInTheSheet) {
    testsupport::ScopedTestDrive drive;
    RenderJobOptions options;
    options.outputFolder = testsupport::NativePath(drive.ScratchFolder()) / "out";
    options.width = 64;
    options.height = 32;
    options.setup.slotCount = 2;
    options.setup.assignments = {{1, "slotExposure", "1"}};
    options.previewFormat = ImageFormat::Png;
    options.spheres = true;
    RenderJobResult result = RunRenderJob(options);
    ASSERT_TRUE(result.ok) << result.error;
    for (const char* slot : {"slot01", "slot02"}) {
        SCOPED_TRACE(slot);
        ReadImage slotImage = Read(options.outputFolder / (std::string(slot) + ".exr"));
        ReadImage spheres = Read(options.outputFolder / (std::string(slot) + "-spheres.exr"));
        EXPECT_EQ(Read(options.outputFolder / (std::string(slot) + "-spheres.png")).width,
                  spheres.width);
        // The balls of the slot's own image, and not of another slot's.
        standalone::LatLongImage panorama{slotImage.width, slotImage.height, {}};
        panorama.rgb.assign(slotImage.pixels.begin(), slotImage.pixels.end());
        standalone::LatLongImage expected = standalone::RenderLitSpheres(panorama, spheres.height);
        ASSERT_EQ(spheres.width, expected.width);
        ASSERT_EQ(spheres.pixels.size(), expected.rgb.size());
        EXPECT_TRUE(std::equal(spheres.pixels.begin(), spheres.pixels.end(), expected.rgb.begin()));
    }
    // Each tile is the thumbnail and the balls beside it, two tiles in a row.
    ReadImage sheet = Read(options.outputFolder / "contact-sheet.png");
    EXPECT_GT(sheet.width, 2 * (64 + standalone::LitSpheresWidth(kSlotSpheresDiameter)));
}

}  // namespace
