// The host's scene nodes and active viewport, which saved looks record and restore.

#include "StandaloneHost.h"
#include "support/MapTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(SceneNodesTest, HandlesNamesTransformsAndTheViewportCamera) {
    Interface* core = GetCOREInterface();
    ASSERT_NE(core, nullptr);
    Matrix3 tm;
    tm.SetRow(3, Point3(1, 2, 3));
    INode* a = standalone::CreateNode(u"Camera01", tm);
    INode* b = standalone::CreateNode(u"Camera02", Matrix3());
    EXPECT_NE(a->GetHandle(), 0u);
    EXPECT_NE(a->GetHandle(), b->GetHandle());
    EXPECT_EQ(core->GetINodeByHandle(b->GetHandle()), b);
    EXPECT_EQ(core->GetINodeByName(u"Camera01"), a);
    EXPECT_EQ(core->GetINodeByName(u"camera01"), nullptr);  // names are exact

    // Set without animate mode a transform is constant; in animate mode each set is a key
    // held until the next one.
    Interval valid = FOREVER;
    EXPECT_EQ(a->GetNodeTM(9600, &valid), tm);
    EXPECT_EQ(valid, FOREVER);
    Matrix3 later;
    later.SetRow(3, Point3(5, 5, 5));
    {
        testsupport::ScopedAnimateMode animate(true);
        a->SetNodeTM(0, tm);
        a->SetNodeTM(4800, later);
    }
    EXPECT_EQ(a->GetNodeTM(-100), tm);
    EXPECT_EQ(a->GetNodeTM(4799), tm);
    EXPECT_EQ(a->GetNodeTM(4800).GetRow(3), Point3(5, 5, 5));

    ViewExp& view = core->GetActiveViewExp();
    EXPECT_TRUE(view.IsAlive());
    EXPECT_EQ(view.GetViewCamera(), nullptr);
    view.SetViewCamera(a);
    standalone::RemoveNode(a);  // a removed camera leaves the viewport
    EXPECT_EQ(view.GetViewCamera(), nullptr);
    standalone::RemoveAllNodes();
}

}  // namespace
