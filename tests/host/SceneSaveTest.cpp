// Scene files: a save that fails part-way leaves the last good file whole, and the scene's
// nodes and the viewport's camera come back with the scene.

#include "support/FileSizeLimit.h"
#include "support/TestDrive.h"

#include "maps/ProceduralSky.h"
#include "scene/StandaloneHost.h"

#include "host/Interface.h"
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

TEST(SceneSaveTest, CamerasWithTheirKeysAndTheViewportCameraComeBackWithTheScene) {
    standalone::RemoveAllNodes();
    Matrix3 start;
    start.SetRow(3, {1, 2, 3});
    INode* other = standalone::CreateNode(u"Other", Matrix3());
    INode* camera = standalone::CreateNode(u"Cam\u00e9ra", start);
    Matrix3 moved = start;
    moved.SetRow(0, {0, 1, 0});
    moved.SetRow(3, {4, 5, 6});
    AnimateOn();
    camera->SetNodeTM(100 * TICKS_PER_FRAME, moved);
    AnimateOff();
    Interface& core = *GetCOREInterface();
    core.GetActiveViewExp().SetViewCamera(camera);
    const ULONG handle = camera->GetHandle(), otherHandle = other->GetHandle();

    standalone::SceneRoot root;
    root.Add(standalone::CreateProceduralSky());
    const std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(root);
    standalone::RemoveAllNodes();
    standalone::CreateNode(u"Unsaved", Matrix3());

    standalone::SceneRoot loaded;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loaded, nullptr));
    INode* back = core.GetINodeByHandle(handle);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::u16string(back->GetName()), u"Cam\u00e9ra");
    EXPECT_EQ(back->GetNodeTM(100 * TICKS_PER_FRAME), moved);
    EXPECT_EQ(core.GetActiveViewExp().GetViewCamera(), back);
    EXPECT_NE(core.GetINodeByHandle(otherHandle), nullptr);
    EXPECT_EQ(core.GetINodeByName(u"Unsaved"), nullptr);  // loading replaces the scene's nodes
    // New nodes never take a loaded node's handle.
    EXPECT_GT(standalone::CreateNode(u"New", Matrix3())->GetHandle(), handle);
    standalone::RemoveAllNodes();
}
