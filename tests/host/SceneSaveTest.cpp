// A scene save that fails part-way leaves the last good scene file whole.

#include "support/FileSizeLimit.h"
#include "support/TestDrive.h"

#include "ProceduralSky.h"
#include "StandaloneHost.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <filesystem>

#if !defined(_WIN32)
TEST(SceneSaveTest, ASaveThatFailsPartWayKeepsTheLastGoodFile) {
    testsupport::ScopedTestDrive drive;
    ASSERT_TRUE(platform::CreateFolder(drive.ScratchFolder()));
    const std::u16string path = drive.ScratchFolder() + u"\\scene.zen";
    standalone::SceneRoot small;
    small.Add(standalone::CreateProceduralSky());
    ASSERT_TRUE(standalone::SaveScene(path, small, nullptr));
    const std::string good = testsupport::ReadFileBytes(testsupport::NativePath(path));

    // A scene bigger than files may grow: the write stops part-way.
    standalone::SceneRoot big;
    for (int i = 0; i < 400; ++i) {
        big.Add(standalone::CreateProceduralSky());
    }
    ASSERT_GT(standalone::SaveSceneToBytes(big).size(), good.size() + 4096);
    std::string error;
    {
        testsupport::FileSizeLimit limit(good.size() + 1024);
        EXPECT_FALSE(standalone::SaveScene(path, big, &error));
    }
    EXPECT_EQ(error, "cannot write the scene file");
    EXPECT_EQ(testsupport::ReadFileBytes(testsupport::NativePath(path)), good);
    // Nothing but the scene itself is left in its folder.
    const auto folder = testsupport::NativePath(drive.ScratchFolder());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    standalone::SceneRoot loaded;
    EXPECT_TRUE(standalone::LoadScene(path, loaded, nullptr));
    EXPECT_EQ(loaded.Count(), 1);
}
#endif
