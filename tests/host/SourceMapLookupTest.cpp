// Where the image source maps look under their offsets and angles, and how long replaced images
// and other published objects live while render threads read them.

#include "maps/BitmapMap.h"
#include "maps/HdrSourceMap.h"
#include "maps/VRayBitmapMap.h"
#include "render/EnvironmentSample.h"
#include "scene/Retirement.h"

#include "platform/Platform.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 64, kHeight = 32;
constexpr float kQuarter = 1.5707964f, kEighth = 0.7853982f;  // turns in radians

// Red is the column and green the row, so a bilinear lookup away from the edges reads back
// x = u * width - 0.5 and y = v * height - 0.5.
testsupport::TestImage PositionImage() {
    testsupport::TestImage image{kWidth, kHeight, {}};
    for (int row = 0; row < kHeight; ++row) {
        for (int column = 0; column < kWidth; ++column) {
            image.rgb.insert(image.rgb.end(), {float(column), float(row), 1.0f});
        }
    }
    return image;
}

struct MapDeleter {
    void operator()(Texmap* map) const { map->DeleteThis(); }
};

TEST(SourceMapLookupTest, OffsetsAndAnglesMoveTheLookupAsTheHostsSphericalMappingDoes) {
    testsupport::ScopedTestDrive drive;
    ASSERT_TRUE(platform::CreateDirectories(drive.ScratchFolder()));
    const std::u16string file = drive.ScratchFolder() + u"\\position.exr";
    ASSERT_TRUE(testsupport::WriteExrFile(file, PositionImage()));
    using namespace standalone;
    struct Row {
        const char* what;
        bool vray;
        std::vector<std::pair<ParamID, float>> params;
        Point3 direction;
        float u, v;  // worked out by hand
    };
    const Point3 front(0, -1, 0), zenith(0, 0, 1), east(1, 0, 0);
    const Row rows[] = {
        {"unturned: 0 is a quarter turn back", false, {}, front, 0.25f, 0.5f},
        {"u_angle about Z, u grows", false, {{kBitmapUAngle, kQuarter}}, front, 0.5f, 0.5f},
        {"u_offset 0.25 as u_angle 90", false, {{kBitmapUOffset, 0.25f}}, front, 0.5f, 0.5f},
        {"u wraps around", false, {{kBitmapUOffset, -0.5f}}, front, 0.75f, 0.5f},
        {"v_offset towards the nadir", false, {{kBitmapVOffset, 0.125f}}, front, 0.25f, 0.625f},
        {"v_angle about X", false, {{kBitmapVAngle, kEighth}}, front, 0.25f, 0.75f},
        {"w_angle about Y", false, {{kBitmapWAngle, kEighth}}, east, 0.5f, 0.75f},
        {"V before W",
         false,
         {{kBitmapVAngle, kQuarter}, {kBitmapWAngle, kQuarter}},
         zenith,
         0.25f,
         0.5f},
        {"vertical_rotation as v_angle",
         true,
         {{kVRayHorizontalRotation, 90.0f}, {kVRayVerticalRotation, 45.0f}},
         front,
         0.5f,
         0.75f},
    };
    for (const Row& row : rows) {
        std::unique_ptr<Texmap, MapDeleter> map(row.vray ? CreateVRayBitmapMap()
                                                         : CreateBitmapMap());
        IParamBlock2* block = map->GetParamBlock(0);
        ASSERT_TRUE(block->SetValue(row.vray ? ParamID(kVRayHdriMapName) : ParamID(kBitmapFileName),
                                    0, file));
        for (auto [id, value] : row.params) {
            ASSERT_TRUE(block->SetValue(id, 0, value)) << row.what;
        }
        EnvironmentSample sample(row.direction, 0);
        AColor c = map->EvalColor(sample);
        EXPECT_NEAR((c.r + 0.5f) / kWidth, row.u, 1e-4f) << row.what;
        EXPECT_NEAR((c.g + 0.5f) / kHeight, row.v, 1e-4f) << row.what;
    }
    // A keyed angle is read at each sample's time: halfway between 0 and a quarter turn.
    std::unique_ptr<Texmap, MapDeleter> map(CreateBitmapMap());
    ASSERT_TRUE(map->GetParamBlock(0)->SetValue(kBitmapFileName, 0, file));
    {
        testsupport::ScopedAnimateMode animate(true);
        map->GetParamBlock(0)->SetValue(kBitmapUAngle, 160, kQuarter);
    }
    EnvironmentSample halfway({0, -1, 0}, 80);
    EXPECT_NEAR((map->EvalColor(halfway).r + 0.5f) / kWidth, 0.375f, 1e-4f);
}

// A counted object, to see when a retired one is freed.
struct Counted {
    static inline std::atomic<int> alive{0};
    Counted() { alive.fetch_add(1); }
    ~Counted() { alive.fetch_sub(1); }
};

TEST(SourceMapLookupTest, ARetiredObjectLivesUntilTheSectionsThatCouldSeeItClose) {
    standalone::RetiredList retired;
    std::atomic<int> step{0};
    // A reader inside a section opened before the retirement, then nested sections.
    std::thread reader([&] {
        standalone::ReadSection outer;
        step.store(1);
        while (step.load() != 2) {
            std::this_thread::yield();
        }
        { standalone::ReadSection nested; }
        step.store(3);
        while (step.load() != 4) {
            std::this_thread::yield();
        }
    });
    while (step.load() != 1) {
        std::this_thread::yield();
    }
    retired.Retire(new Counted);
    EXPECT_EQ(Counted::alive.load(), 1) << "a section open since before holds it";
    {
        standalone::ReadSection later;
        step.store(2);
        while (step.load() != 3) {
            std::this_thread::yield();
        }
        EXPECT_EQ(retired.Reclaim(), 1u) << "a nested section closing is not the outer one";
        step.store(4);
        reader.join();
        EXPECT_EQ(retired.Reclaim(), 0u) << "a section opened after the retirement";
    }
    EXPECT_EQ(Counted::alive.load(), 0);
}

TEST(SourceMapLookupTest, SteppingThroughTwentyFilesUnderRenderThreadsKeepsAFewImages) {
    testsupport::ScopedTestDrive drive;
    ASSERT_TRUE(platform::CreateDirectories(drive.ScratchFolder()));
    std::vector<std::u16string> files;
    for (int i = 0; i < 20; ++i) {
        files.push_back(drive.ScratchFolder() + u"\\step" +
                        platform::Utf8ToUtf16(std::to_string(i)) + u".hdr");
        ASSERT_TRUE(testsupport::WriteHdrFile(
            files.back(), testsupport::UniformImage(16, 8, float(i + 1), 1, 1)));
    }
    const int before = standalone::HdrSourceMap::HeldImageCount();
    std::unique_ptr<Texmap, MapDeleter> map(standalone::CreateBitmapMap());
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::vector<std::thread> renderers;
    for (int r = 0; r < 3; ++r) {
        renderers.emplace_back([&] {
            standalone::EnvironmentSample sample({0.3f, -1, 0.2f}, 0);
            while (!stop.load()) {
                AColor c = map->EvalColor(sample);
                torn.fetch_add(c.r != std::floor(c.r) || c.g != (c.r == 0 ? 0.0f : 1.0f));
            }
        });
    }
    for (const std::u16string& file : files) {
        map->GetParamBlock(0)->SetValue(standalone::kBitmapFileName, 0, file);
    }
    // Once every render thread has begun another sample, only the image shown is left.
    Interval valid = FOREVER;
    for (int wait = 0; wait < 5000 && standalone::HdrSourceMap::HeldImageCount() > before + 1;
         ++wait) {
        map->Update(0, valid);
        platform::SleepMilliseconds(1);
    }
    EXPECT_EQ(standalone::HdrSourceMap::HeldImageCount(), before + 1);
    stop.store(true);
    for (std::thread& t : renderers) {
        t.join();
    }
    EXPECT_EQ(torn.load(), 0);
    map.reset();
    EXPECT_EQ(standalone::HdrSourceMap::HeldImageCount(), before);
}

}  // namespace
