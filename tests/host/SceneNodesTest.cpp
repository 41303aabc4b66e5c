// The host's scene nodes as the lighting history reaches them: through the active viewport's
// camera, which must not outlive its node.

#include "scene/StandaloneHost.h"

#include "host/Interface.h"

#include <gtest/gtest.h>

namespace {

TEST(SceneNodesTest, HandlesAreUniqueAndARemovedCameraLeavesTheViewport) {
    Interface* core = GetCOREInterface();
    ASSERT_NE(core, nullptr);
    INode* a = standalone::CreateNode(u"Camera01", Matrix3());
    INode* b = standalone::CreateNode(u"Camera02", Matrix3());
    EXPECT_NE(a->GetHandle(), 0u);
    EXPECT_NE(a->GetHandle(), b->GetHandle());
    ViewExp& view = core->GetActiveViewExp();
    EXPECT_TRUE(view.IsAlive());
    EXPECT_EQ(view.GetViewCamera(), nullptr);
    view.SetViewCamera(a);
    EXPECT_EQ(view.GetViewCamera(), a);
    standalone::RemoveNode(a);
    EXPECT_EQ(view.GetViewCamera(), nullptr);
    standalone::RemoveAllNodes();
}

}  // namespace
