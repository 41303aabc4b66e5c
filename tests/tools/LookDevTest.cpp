// Look development: the lit spheres against a brute-force integration and the panorama itself.

#include "EnvironmentInfo.h"
#include "FolderSheet.h"
#include "ReadBack.h"
#include "ToolScene.h"
#include "maps/HdrImage.h"
#include "maps/ProceduralSky.h"
#include "render/LitSpheres.h"

#include "support/TestDrive.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

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
                    {"courtyard.exr", RealEnvironment("courtyard.exr")}};
    constexpr int kDiameter = 48;
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
                    ASSERT_LE(error, 0.01) << "pixel " << i << "," << j << " channel " << k << ": "
                                           << ball[k] << " against " << want;
                }
            }
        }
    }
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

// The built-in sky at 1024 x 512 with its sun (a disc of half a degree radius) where the case puts
// it, as bright as the case asks.
standalone::LatLongImage ProceduralSky(float elevation, float azimuth, float sunIntensity) {
    Texmap* sky = standalone::CreateProceduralSky();
    IParamBlock2* block = sky->GetParamBlock(0);
    block->SetValue(standalone::kSkySunElevation, 0, elevation);
    block->SetValue(standalone::kSkySunAzimuth, 0, azimuth);
    block->SetValue(standalone::kSkySunIntensity, 0, sunIntensity);
    standalone::LatLongImage image = standalone::RenderLatLong(*sky, 1024, 512, 0, 2);
    sky->DeleteThis();
    return image;
}

TEST(EnvironmentInfoTest, FindsAPlantedSunWithinOneDegreeAndCallsAnEvenSkyOvercast) {
    // The sky's azimuth runs from world -Y towards +X; the rendered image's centre column looks
    // along +X, so a sun at sky azimuth a sits (a - 90) degrees from it.
    constexpr double kToleranceDegrees = 1.0;
    struct Case {
        float elevation, azimuth;
    };
    for (Case c : std::vector<Case>{{5, 90}, {30, 45}, {60, -120}, {85, 170}, {12, -90}, {45, 0}}) {
        SCOPED_TRACE(testing::Message() << "elevation " << c.elevation << " azimuth " << c.azimuth);
        standalone::LatLongImage image = ProceduralSky(c.elevation, c.azimuth, 2e5f);
        EnvironmentStats stats = MeasureEnvironment(image.rgb.data(), image.width, image.height);
        ASSERT_TRUE(stats.light.found);
        double azimuthError = std::remainder(stats.light.azimuthDegrees - (c.azimuth - 90), 360);
        EXPECT_LE(std::abs(azimuthError), kToleranceDegrees);
        EXPECT_NEAR(stats.light.elevationDegrees, c.elevation, kToleranceDegrees);
        // The disc's radius is half a degree (pixels are 0.35 degrees), and most of the energy.
        EXPECT_NEAR(stats.light.radiusDegrees, 0.5, 0.15);
        EXPECT_GT(stats.light.energyShare, 0.5);
    }
    // A sun too faint to hold 5% of the energy (one colour everywhere is the folder sheet's).
    standalone::LatLongImage faint = ProceduralSky(30, 0, 200);
    EnvironmentStats stats = MeasureEnvironment(faint.rgb.data(), faint.width, faint.height);
    EXPECT_FALSE(stats.light.found) << stats.light.energyShare;
    EXPECT_EQ(SunElevationText(stats.light), "overcast");
}

TEST(EnvironmentInfoTest, WeighsPixelsByTheirSolidAngle) {
    // The top quarter of the rows (from the zenith to 45 degrees up) bright, the rest dark: it
    // covers 29% of the sphere, not 25%, so the 1st percentile and median are dark, and the
    // mean is 0.29 of the bright value (plus the dark part's).
    testsupport::TestImage image = testsupport::ImageOf(64, 32, [](int, int row) {
        float v = row < 8 ? 8.0f : 0.125f;
        return testsupport::Rgb{v, v, v};
    });
    EnvironmentStats stats = MeasureEnvironment(image.rgb.data(), 64, 32);
    double bright = (1 - std::cos(kPi / 4)) / 2;
    EXPECT_NEAR(stats.meanLuminance, 8 * bright + 0.125 * (1 - bright), 1e-4);
    EXPECT_NEAR(stats.medianLuminance, 0.125, 0.125 * 0.003);
    EXPECT_NEAR(stats.dynamicRangeStops, 6, 0.01);
    EXPECT_NEAR(stats.exposureEv, std::log2(0.18 / 0.125), 0.01);
}

TEST(FolderSheetTest, ADamagedFileGetsItsReasonAndEveryOtherFileItsCell) {
    testsupport::ScopedTestDrive drive;
    fs::path folder = testsupport::NativePath(drive.ScratchFolder()) / "library";
    fs::create_directories(folder);
    for (const char* name : {"a-city.exr", "c-sunset.exr"}) {
        fs::copy_file(fs::path(ZENITHRA_ENVIRONMENTS) / (name + 2), folder / name);
    }
    ASSERT_TRUE(testsupport::WriteImageFile(HostPathOf(folder / "d-grey.hdr"),
                                            testsupport::UniformImage(32, 16, 1, 1, 1)));
    // Half of a real file: its header promises pixels the file does not hold.
    std::ifstream whole(fs::path(ZENITHRA_ENVIRONMENTS) / "forest.exr", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), {});
    std::ofstream(folder / "b-broken.exr", std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size() / 2));
    std::ofstream(folder / "notes.txt") << "not an image";

    SheetOptions options;
    options.folder = folder;
    options.output = folder.parent_path() / "sheet.png";
    options.threads = 2;
    options.memoryBudgetBytes = SheetFileBytes(1024, 512);  // one real file at a time
    std::vector<int> progress;
    SheetResult result = RunSheetJob(options, [&](int done, int) { progress.push_back(done); });
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.files, 4);
    EXPECT_EQ(result.unreadable, 1);
    EXPECT_EQ(progress.size(), 4u);
    ASSERT_EQ(result.cells.size(), 4u);
    EXPECT_EQ(result.cells[1].rfind("b-broken.exr: unreadable: ", 0), 0u) << result.cells[1];
    EXPECT_NE(result.cells[1].find("end of file"), std::string::npos) << result.cells[1];
    EXPECT_NE(result.cells[3].find("d-grey.hdr: 32 x 16, 0.0 stops, overcast, exposure -2.5 EV"),
              std::string::npos)
        << result.cells[3];
    // Four cells of 256 x 128 in one row, each with its label lines.
    ReadImage sheet = Read(result.written);
    EXPECT_GT(sheet.width, 4 * 256);
    EXPECT_LT(sheet.width, 5 * 256);
    EXPECT_GT(sheet.height, 128 + 3 * 14);

    // Nothing to show is a failed run with its reason.
    options.folder = folder / "missing";
    result = RunSheetJob(options);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("missing"), std::string::npos) << result.error;
}

}  // namespace
