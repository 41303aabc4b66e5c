// Adding, copying, removing and resetting output slots, also while render threads evaluate.

#include "support/MapTestSupport.h"
#include "support/NamedParamMap.h"

#include <thread>
#include <tuple>

namespace {

class SlotOperations : public testsupport::MapFixture {
protected:
    Point4 Tint(int slot) { return Colour(pb_slotTint, slot); }
    /// The slot's exposure as the cache holds it.
    float Exposure(int slot) { return map->GetSlotExposures(map->GetSlotCount())[size_t(slot)]; }
    void ExpectTablesHaveLength(int n) {
        for (ParamID id : {pb_slotExposure, pb_slotContrast, pb_slotSaturation, pb_slotHue,
                           pb_slotBrightPix, pb_slotSunExposure, pb_slotSunSpotSize,
                           pb_slotSunSpotHeight, pb_slotTint, pb_slotSunTint}) {
            EXPECT_EQ(map->block->Count(id), n) << "table " << id;
        }
        EXPECT_EQ(map->exposureCache.size(), n);
    }
};

TEST_F(SlotOperations, RaisingTheCountAddsDefaultsAndNamedProxiesAndLoweringItKeepsProxies) {
    map->SetSlotCount(3);
    map->SetSlotExposure(2, 1.0f);
    map->block->SetValue(pb_slotContrast, 0, 130.0f, 2);
    map->SetName(L"Key");  // the proxies made so far take the new name too
    map->SetSlotCount(4);
    ASSERT_EQ(map->GetSlotCount(), 4);
    ExpectTablesHaveLength(4);
    // The new slot holds the defaults, not the last slot's values, which stay.
    EXPECT_EQ(std::tuple(Exposure(3), Float(pb_slotContrast, 3), Tint(3)),
              std::tuple(0.0f, 100.0f, Point4(1, 1, 1, 1)));
    EXPECT_EQ(std::pair(Exposure(2), Float(pb_slotContrast, 2)), std::pair(1.0f, 130.0f));
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(map->slotProxies[i], nullptr);
        EXPECT_EQ(map->slotProxies[i]->slotIndex.load(), i);
        EXPECT_EQ(map->slotProxies[i]->GetName(), map->SlotName(i));
    }
    EXPECT_EQ(map->slotProxies[0]->GetName(), L"Key:Slot 1");
    EXPECT_EQ(map->slotProxies[3]->GetName(), L"Key:Slot 4");

    // Lowering the count and raising it again keeps the proxies but resets the values.
    map->block->SetValue(pb_slotHue, 0, 0.5f, 3);
    map->SetSlotExposure(3, 1.0f);
    ZenithraProxy* fourth = map->slotProxies[3];
    map->SetSlotCount(2);
    ExpectTablesHaveLength(2);
    map->SetSlotCount(4);
    EXPECT_EQ(map->slotProxies[3], fourth);
    EXPECT_EQ(std::pair(Float(pb_slotHue, 3), Exposure(3)), std::pair(0.0f, 0.0f));

    map->SetSlotCount(17);
    EXPECT_EQ(map->GetSlotCount(), 16);
    EXPECT_FALSE(map->CopySlot(0));
    map->SetSlotCount(0);
    EXPECT_EQ(map->GetSlotCount(), 1);
    EXPECT_FALSE(map->RemoveSlot(0));
    ExpectTablesHaveLength(1);
}

TEST_F(SlotOperations, CopyingAppendsTheSourceSlotsValuesAndRemovingMovesLaterSlotsDown) {
    map->SetSlotCount(2);
    map->SetSlotExposure(0, 1.5f);
    map->block->SetValue(pb_slotContrast, 0, 120.0f, 0);
    map->block->SetValue(pb_slotTint, 0, Point4(0.5f, 1, 2, 1), 0);
    map->block->SetValue(pb_slotContrast, 0, 90.0f, 1);
    ASSERT_TRUE(map->CopySlot(0));
    ASSERT_EQ(map->GetSlotCount(), 3);
    ExpectTablesHaveLength(3);
    for (int slot : {0, 2}) {
        EXPECT_EQ(Exposure(slot), 1.5f) << "slot " << slot;
        EXPECT_EQ(Float(pb_slotContrast, slot), 120.0f) << "slot " << slot;
        EXPECT_EQ(Tint(slot), Point4(0.5f, 1, 2, 1)) << "slot " << slot;
    }
    EXPECT_EQ(Float(pb_slotContrast, 1), 90.0f);
    EXPECT_FALSE(map->CopySlot(3));
    EXPECT_FALSE(map->CopySlot(-1));

    // Removing slot 1 moves the copy down; the proxies keep their indices.
    ZenithraProxy* second = map->slotProxies[1];
    ZenithraProxy* third = map->slotProxies[2];
    scene.Add(third);  // still used elsewhere, so it survives leaving the map
    ASSERT_TRUE(map->RemoveSlot(1));
    EXPECT_EQ(map->GetSlotCount(), 2);
    ExpectTablesHaveLength(2);
    EXPECT_EQ(std::tuple(Exposure(1), Float(pb_slotContrast, 1), Tint(1)),
              std::tuple(1.5f, 120.0f, Point4(0.5f, 1, 2, 1)));
    EXPECT_EQ(map->slotProxies[1], second);
    EXPECT_EQ(second->slotIndex.load(), 1);
    EXPECT_EQ(map->slotProxies[2], nullptr);
    EXPECT_EQ(third->master.load(), map);  // detached from the references, not from its master

    // Removing the last slot only shortens the tables.
    map->SetSlotCount(4);
    map->SetSlotExposure(2, 3.0f);
    ASSERT_TRUE(map->RemoveSlot(3));
    EXPECT_EQ(map->GetSlotCount(), 3);
    EXPECT_EQ(Exposure(2), 3.0f);
    EXPECT_FALSE(map->RemoveSlot(3));
}

TEST_F(SlotOperations, ResettingRemovesAnimationAndRefusesColoursAndTheCount) {
    map->SetSlotCount(2);
    AnimateOn();
    map->block->SetValue(pb_slotSunSpotHeight, 0, 30.0f, 0);
    map->block->SetValue(pb_slotSunSpotHeight, 4800, 60.0f, 0);
    EXPECT_NE(map->block->GetControllerByID(pb_slotSunSpotHeight, 0), nullptr);
    ASSERT_TRUE(map->SlotParamReset(pb_slotSunSpotHeight, 0, 45.0f));
    EXPECT_TRUE(Animating());  // restored
    AnimateOff();
    EXPECT_EQ(map->block->GetControllerByID(pb_slotSunSpotHeight, 0), nullptr);
    EXPECT_EQ(Float(pb_slotSunSpotHeight, 0, 0), 45.0f);
    EXPECT_EQ(Float(pb_slotSunSpotHeight, 0, 4800), 45.0f);

    ASSERT_TRUE(map->SlotParamReset(pb_slotExposure, 1, -2.0f));
    EXPECT_EQ(Exposure(1), -2.0f);
    EXPECT_EQ(Float(pb_slotExposure, 1), -2.0f);
    for (ParamID refused : {pb_slotTint, pb_slotSunTint, pb_slotCount}) {
        EXPECT_FALSE(map->SlotParamReset(refused, 0, 1.0f)) << "param " << refused;
    }
    EXPECT_FALSE(map->SlotParamReset(pb_slotContrast, 2, 1.0f));
}

// Run under ThreadSanitizer and AddressSanitizer as well: render threads evaluate other slots
// while the user-interface thread copies and removes slots.
TEST_F(SlotOperations, CopyingAndRemovingSlotsWhileRenderingLeavesRenderedSlotsIntact) {
    map->SetSubTexmap(0, new testsupport::NamedParamMap(L"Checker", {}));
    map->SetSlotCount(2);
    map->SetSlotExposure(1, 1.0f);  // slot 1 doubles the grey 0.5 source
    Texmap* first = map->GetSubTexmap(1);
    Texmap* second = map->GetSubTexmap(2);
    scene.Add(first);
    scene.Add(second);  // held while the map removes and rebuilds slots

    std::atomic<int> wrong{0};
    std::vector<std::jthread> renderers;  // stopped and joined on every way out
    for (int r = 0; r < 3; ++r) {
        renderers.emplace_back([&, r](std::stop_token stop) {
            int i = 0;
            while (!stop.stop_requested()) {
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
    renderers.clear();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(map->GetSlotCount(), 2);
}

}  // namespace
