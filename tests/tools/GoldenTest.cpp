// The command-line tool as a user runs it: its images against committed references (compared
// with a tolerance, read back by OpenImageIO), its previews' tone curve, and its exit statuses
// with one-line errors. ZENITHRA_UPDATE_REFS=1 rewrites the references from the tool's output.

#include "DisplayImage.h"
#include "ReadBack.h"
#include "ToolScene.h"
#include "render/LitSpheres.h"

#include "support/TestDrive.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::vector<std::string> errorLines;
};

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::create_directories(folder));
        for (const char* name : {"grid.exr", "grid.hdr"}) {
            ASSERT_TRUE(
                testsupport::WriteImageFile(HostPathOf(folder / name), testsupport::GridImage()));
        }
    }

    ToolRun Run(std::string args) {
        for (size_t at = 0; (at = args.find("DIR", at)) != std::string::npos;) {
            args.replace(at, 3, folder.string());
        }
        fs::path errors = folder / "stderr.txt";
        std::string command =
            std::string(ZENITHRA_TOOL) + " " + args + " > /dev/null 2> " + errors.string();
        ToolRun run;
        int status = std::system(command.c_str());
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(errors);
        for (std::string line; std::getline(in, line);) {
            run.errorLines.push_back(line);
        }
        return run;
    }

    testsupport::ScopedTestDrive drive;
    const fs::path folder = testsupport::NativePath(drive.ScratchFolder());
};

TEST_F(ToolTest, SlotImagesMatchTheirReferences) {
    struct Case {
        const char* name;
        const char* args;
        int slots;
        bool spheres = false;  // each slot's balls are those of its own image
    };
    const Case cases[] = {
        {"sample-looks", "--size 32x16", 4},
        {"grid-bitmap",
         "DIR/grid.exr --slots 1 --set 1.slotExposure=0.5 --set 1.slotHue=0.25 "
         "--set 1.slotContrast=130",
         1},
        {"grid-vraybitmap-hdr",
         "DIR/grid.hdr --source vraybitmap --slots 2 --size 16x8 "
         "--set 2.slotSaturation=40 --set 2.slotTint=#FFD8B0 --scene DIR/looks.zscene",
         2},
        // The scene the case above saved renders the same images again.
        {"grid-vraybitmap-hdr", "--scene DIR/looks.zscene --size 16x8 --spheres", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ToolRun run = Run(std::string("render ") + c.args + " -q --preview png --out DIR/out");
        ASSERT_EQ(run.status, 0) << (run.errorLines.empty() ? "" : run.errorLines[0]);
        for (int slot = 1; slot <= c.slots; ++slot) {
            std::string name = "slot0" + std::to_string(slot);
            fs::path ref = fs::path(ZENITHRA_TOOL_REFS) / c.name / (name + ".exr");
            if (std::getenv("ZENITHRA_UPDATE_REFS")) {
                fs::create_directories(ref.parent_path());
                fs::copy_file(folder / "out" / (name + ".exr"), ref,
                              fs::copy_options::overwrite_existing);
            }
            const ReadImage got = Read(folder / "out" / (name + ".exr")), want = Read(ref);
            const std::vector<float> preview = Read(folder / "out" / (name + ".png")).pixels;
            ASSERT_EQ(got.width, want.width);
            ASSERT_EQ(got.pixels.size(), want.pixels.size());
            ASSERT_EQ(preview.size(), got.pixels.size());
            for (size_t i = 0; i < got.pixels.size(); ++i) {
                const float value = got.pixels[i], wanted = want.pixels[i];
                ASSERT_NEAR(value, wanted, 1e-4f * std::fmax(1.0f, std::fabs(wanted)))
                    << name << " value " << i;
                ASSERT_EQ(std::lround(preview[i] * 255.0f), ToneMapToDisplay(value));
            }
            if (c.spheres) {
                const ReadImage balls = Read(folder / "out" / (name + "-spheres.exr"));
                standalone::LatLongImage panorama{got.width, got.height, {}};
                panorama.rgb.assign(got.pixels.begin(), got.pixels.end());
                EXPECT_TRUE(std::ranges::equal(
                    balls.pixels, standalone::RenderLitSpheres(panorama, balls.height).rgb));
            }
        }
        fs::remove_all(folder / "out");
    }
}

// Extended Reinhard with white at 16, then the sRGB curve, worked out by hand.
TEST(ToneCurve, MapsLinearValuesToDisplayBytes) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, int> cases[] = {
        {-1.0f, 0},   {0.0f, 0},   {nan, 0},    {0.001f, 3}, {0.01f, 25},
        {0.18f, 109}, {1.0f, 188}, {4.0f, 233}, {8.0f, 245}, {12.0f, 251},
        {16.0f, 255}, {1e9f, 255}, {inf, 255},
    };
    for (auto [linear, byte] : cases) {
        EXPECT_EQ(ToneMapToDisplay(linear), byte) << linear;
    }
}

TEST_F(ToolTest, ExitStatusesAndOneLineErrors) {
    struct Case {
        const char* args;
        int status;
        const char* error;  // the one line on stderr contains it; null: nothing on stderr
    };
    const Case cases[] = {
        {"--help", 0, nullptr},
        {"--size 8x4 --preview none -q --out DIR/ok", 0, nullptr},
        {"--bogus", 2, "zenithra: unknown option '--bogus'"},
        {"paint", 2, "unknown command 'paint'"},
        {"--slots 17", 2, "--slots '17'"},
        {"--set 1.slotBogus=1 --out DIR/x", 2, "unknown slot parameter 'slotBogus'"},
        {"--set 3.slotExposure=1 --slots 2 --out DIR/x", 2, "slot 3 is out of range"},
        {"--set 1.slotCount=2 --out DIR/x", 2, "unknown slot parameter 'slotCount'"},
        {"--set 1.slotHue=3 --out DIR/x", 2, "outside -1 to 1"},
        {"--set 1.slotExposure=1.5ev --out DIR/x", 2, "'1.5ev' is not a number"},
        {"--set 1.slotExposure=inf --out DIR/x", 2, "'inf' is not a number"},
        {"--set 1.slotTint=#FFF --out DIR/x", 2, "is not a colour"},
        {"--set 1.slotTint=1,0.5 --out DIR/x", 2, "is not a colour"},
        {"render DIR/missing.exr --out DIR/x", 1, "missing.exr: no such file"},
        {"render DIR/grid.exr --out DIR/grid.exr", 1, "grid.exr"},
        {"--scene DIR/grid.hdr --out DIR/x", 1, "grid.hdr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ToolRun run = Run(c.args);
        EXPECT_EQ(run.status, c.status);
        ASSERT_EQ(run.errorLines.size(), c.error ? 1u : 0u);
        if (c.error) {
            EXPECT_NE(run.errorLines[0].find(c.error), std::string::npos) << run.errorLines[0];
        }
        EXPECT_FALSE(fs::exists(folder / "x"));
    }
}

}  // namespace
