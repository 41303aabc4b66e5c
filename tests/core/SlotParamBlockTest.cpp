
#include "support/MapTestSupport.h"

namespace {

using testsupport::ResizeSlots;
using testsupport::ScopedAnimateMode;
using testsupport::SetSlotFloat;
using Floats = std::vector<float>;

class SlotBlockTest : public testsupport::MapFixture {
protected:
    std::vector<float> Cache() const { return map->exposureCache.ToVector(); }
    std::vector<float> Table() {
        std::vector<float> entries(size_t(map->block->Count(pb_slotExposure)));
        for (size_t i = 0; i < entries.size(); ++i) {
            entries[i] = Float(pb_slotExposure, int(i));
        }
        return entries;
    }
};

}  // namespace

TEST_F(SlotBlockTest, SlotCountIsClampedToOneThroughSixteen) {
    const std::pair<int, int> cases[] = {{0, 1}, {-3, 1}, {7, 7}, {16, 16}, {40, 16}};
    for (const auto& [stored, expected] : cases) {
        map->block->SetValue(pb_slotCount, 0, stored);
        EXPECT_EQ(map->GetSlotCount(), expected) << "stored " << stored;
    }
}

// The cache follows the block's table until a new block arrives (a load, an undo); then the
// exposures held stay until they are written into the new block.
TEST_F(SlotBlockTest, ExposuresFollowTheTableAndSurviveAReplacedBlock) {
    map->block->SetValue(pb_slotCount, 0, 5);
    map->block->SetCount(pb_slotExposure, 4);
    for (int i = 0; i < 4; ++i) {
        SetSlotFloat(*map, pb_slotExposure, i, float(i + 1));
    }
    for (const auto& [count, expected] :
         {std::pair{3, Floats{1, 2, 3}}, {5, Floats{1, 2, 3, 4, 0}}, {0, Floats{1}}}) {
        map->SyncExposureCache(count);
        EXPECT_EQ(Cache(), expected) << count;  // entries the table lacks are zeros
    }
    map->SyncExposureCache(40);
    EXPECT_EQ(map->exposureCache.size(), 16);

    ResizeSlots(*map, 2);
    map->SetSlotExposures({1.5f, 2.5f}, 2);
    testsupport::ScopedRemapDir remap;
    auto* other = static_cast<IParamBlock2*>(remap->CloneRef(map->block));
    other->SetValue(pb_slotCount, 0, 3);
    other->SetCount(pb_slotExposure, 3);
    for (int i = 0; i < 3; ++i) {
        other->SetValue(pb_slotExposure, 0, 7.0f + float(i), i);
    }
    map->ReplaceReference(0, other);
    map->SyncExposureCache(3);
    EXPECT_EQ(Cache(), (Floats{1.5f, 2.5f, 0}));  // grows with zeros, not the new table
    map->FlushExposureCache();
    EXPECT_EQ(Table(), (Floats{1.5f, 2.5f, 0}));
}

TEST_F(SlotBlockTest, ExposuresAreStoredOnlyBelowTheSlotCountAndReadBackPaddedWithZeros) {
    ResizeSlots(*map, 2);
    map->SetSlotExposure(1, -2.0f);
    for (int outside : {2, 5, 16, 100, -1}) {
        map->SetSlotExposure(outside, 3.0f);
        EXPECT_EQ(Cache(), (Floats{0, -2.0f})) << "slot " << outside;
        EXPECT_EQ(Table(), (Floats{0, -2.0f})) << "slot " << outside;
    }
    EXPECT_EQ(map->GetSlotExposures(6), (Floats{0, -2.0f, 0, 0, 0, 0}));
    map->SetSlotExposures({1, 2, 3}, 2);
    EXPECT_EQ(Table(), (Floats{1, 2}));
    EXPECT_EQ(map->GetSlotExposures(20), (Floats{1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(map->GetSlotExposures(0), (Floats{1}));
    map->SetSlotExposures({7}, 3);
    EXPECT_EQ(Cache(), (Floats{7, 0, 0}));
    EXPECT_EQ(Table(), (Floats{7, 0, 0}));

    // In animate mode the exposures are written as constants and animate mode stays on.
    {
        ScopedAnimateMode on(true);
        map->SetSlotExposure(1, 5.0f);
        EXPECT_TRUE(Animating());
    }
    EXPECT_EQ(map->block->GetControllerByID(pb_slotExposure, 1), nullptr);
    EXPECT_EQ(Float(pb_slotExposure, 1, 4800), 5.0f);
}

TEST_F(SlotBlockTest, EnsureSlotTabsAppendsDefaultsWithoutKeysAndLeavesExposureAlone) {
    // The value a newly added entry holds (the tints: white).
    const std::pair<ParamID, float> floats[] = {
        {pb_slotContrast, 100.0f},  {pb_slotSaturation, 100.0f}, {pb_slotBrightPix, 0.0f},
        {pb_slotSunExposure, 0.0f}, {pb_slotSunSpotSize, 0.0f},  {pb_slotSunSpotHeight, 45.0f},
        {pb_slotHue, 0.0f},
    };
    SetSlotFloat(*map, pb_slotContrast, 0, 50.0f);
    {
        ScopedAnimateMode on(true);
        EnsureSlotTabs(map->block, 3);
    }
    EXPECT_EQ(map->block->Count(pb_slotExposure), 1);
    EXPECT_EQ(Float(pb_slotContrast, 0), 50.0f);
    for (int i = 1; i < 3; ++i) {
        for (const auto& [id, value] : floats) {
            EXPECT_EQ(Float(id, i), value) << "table " << id << " entry " << i;
            EXPECT_EQ(map->block->GetControllerByID(id, i), nullptr) << "table " << id;
        }
        for (ParamID tint : {pb_slotTint, pb_slotSunTint}) {
            EXPECT_EQ(Colour(tint, i), Point4(1, 1, 1, 1)) << "table " << tint << " entry " << i;
        }
    }
    EnsureSlotTabs(map->block, 2);  // never shortens
    EXPECT_EQ(map->block->Count(pb_slotTint), 3);
    EnsureSlotTabs(map->block, 40);
    EXPECT_EQ(map->block->Count(pb_slotHue), 16);
    EnsureSlotTabs(nullptr, 3);
}
