// Slot operations on the user-interface thread while render threads evaluate other slots.
// This exists to be run under ThreadSanitizer and AddressSanitizer.

#include "support/MapTestSupport.h"
#include "support/NamedParamMap.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(SlotOperationsWhileRendering, CopyingAndRemovingSlotsLeavesRenderedSlotsIntact) {
    standalone::SceneRoot scene;
    Zenithra* map = testsupport::NewMapIn(scene);
    map->SetSubTexmap(0, new testsupport::NamedParamMap(u"Checker", {}));
    map->SetSlotCount(2);
    map->SetSlotExposure(1, 1.0f);  // slot 1 doubles the grey 0.5 source
    Texmap* first = map->GetSubTexmap(1);
    Texmap* second = map->GetSubTexmap(2);
    scene.Add(first);
    scene.Add(second);  // held while the map removes and rebuilds slots

    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> renderers;
    for (int r = 0; r < 3; ++r) {
        renderers.emplace_back([&, r] {
            int i = 0;
            while (!stop.load()) {
                standalone::EnvironmentSample sample(
                    standalone::DirectionFromUV(float(i++ % 97) / 97.0f, 0.4f), 0);
                AColor a = (r % 2 ? first : second)->EvalColor(sample);
                float expected = r % 2 ? 0.5f : 1.0f;
                if (a.r != expected || a.g != expected || a.b != expected) {
                    wrong.fetch_add(1);
                }
            }
        });
    }
    for (int round = 0; round < 30; ++round) {
        ASSERT_TRUE(map->CopySlot(0));
        ASSERT_TRUE(map->CopySlot(1));
        map->block->SetValue(pb_slotContrast, 0, 150.0f, 2);
        ASSERT_TRUE(map->RemoveSlot(2));
        map->SetSlotCount(5 + round % 4);
        map->SetSlotCount(2);
    }
    stop.store(true);
    for (std::thread& t : renderers) {
        t.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(map->GetSlotCount(), 2);
}

}  // namespace
