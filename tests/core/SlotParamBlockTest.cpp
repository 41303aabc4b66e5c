#include "shading/Zenithra.h"

#include "core/ZenithraClassDesc.h"
#include "support/MapTestSupport.h"

#include "StandaloneHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::NewMapIn;
using testsupport::ResizeSlots;
using testsupport::ScopedAnimateMode;
using testsupport::SetSlotFloat;

std::vector<float> CacheOf(const Zenithra& map) {
    return map.exposureCache.ToVector();
}

float ExposureEntry(Zenithra& map, int i) {
    float ev = -999.0f;
    Interval ignored = FOREVER;
    EXPECT_TRUE(map.block->GetValue(pb_slotExposure, 0, ev, ignored, i)) << "entry " << i;
    return ev;
}

void SetExposureTable(Zenithra& map, const std::vector<float>& values) {
    map.block->SetCount(pb_slotExposure, int(values.size()));
    for (size_t i = 0; i < values.size(); ++i) {
        SetSlotFloat(map, pb_slotExposure, int(i), values[i]);
    }
}

struct ExpectedParam {
    ParamID id;
    std::u16string name;
    ParamType2 type;
    int flags;
};

// The tables 2 to 10 with the value a newly added entry holds.
struct TableDefault {
    ParamID id;
    bool colour;
    float value;
};
const TableDefault kSlotTableDefaults[] = {
    {pb_slotContrast, false, 100.0f},  {pb_slotSaturation, false, 100.0f},
    {pb_slotBrightPix, false, 0.0f},   {pb_slotSunExposure, false, 0.0f},
    {pb_slotSunSpotSize, false, 0.0f}, {pb_slotSunSpotHeight, false, 45.0f},
    {pb_slotTint, true, 1.0f},         {pb_slotSunTint, true, 1.0f},
    {pb_slotHue, false, 0.0f},
};

void ExpectDefaultEntry(IParamBlock2* block, const TableDefault& table, int i) {
    Interval ignored = FOREVER;
    if (table.colour) {
        Point4 c;
        ASSERT_TRUE(block->GetValue(table.id, 0, c, ignored, i)) << "table " << table.id;
        EXPECT_EQ(c, Point4(1, 1, 1, 1)) << "table " << table.id << " entry " << i;
    } else {
        float f = -999.0f;
        ASSERT_TRUE(block->GetValue(table.id, 0, f, ignored, i)) << "table " << table.id;
        EXPECT_EQ(f, table.value) << "table " << table.id << " entry " << i;
    }
}

}  // namespace

TEST(ZenithraParamsBlockTest, DeclaresSlotCountAndTenTablesInIndexOrder) {
    ParamBlockDesc2* desc = GetZenithraDesc()->GetParamBlockDescByID(0);
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->int_name, u"zenithraParams");
    EXPECT_EQ(desc->flags, 6);  // P_AUTO_CONSTRUCT | P_AUTO_UI
    EXPECT_EQ(desc->cd, GetZenithraDesc());
    EXPECT_EQ(desc->local_name, 0);
    EXPECT_EQ(desc->ref_no, 0);
    EXPECT_EQ(desc->ui.dialogTemplate, 1000);
    EXPECT_EQ(desc->ui.titleResource, 100);
    EXPECT_EQ(desc->ui.flagMask, 0);
    EXPECT_EQ(desc->ui.rollupFlags, 0);

    const int animatableTab = 0x1 | 0x1000;  // P_ANIMATABLE | P_VARIABLE_SIZE
    const int fixedTab = 0x1000;
    const ExpectedParam expected[] = {
        {0, u"slotCount", 1, 0},
        {1, u"slotExposure", 0x800, fixedTab},
        {2, u"slotContrast", 0x800, animatableTab},
        {3, u"slotSaturation", 0x800, animatableTab},
        {4, u"slotBrightPix", 0x800, animatableTab},
        {5, u"slotSunExposure", 0x800, animatableTab},
        {9, u"slotSunSpotSize", 0x800, animatableTab},
        {10, u"slotSunSpotHeight", 0x800, animatableTab},
        {6, u"slotTint", 0x816, animatableTab},
        {7, u"slotSunTint", 0x816, animatableTab},
        {8, u"slotHue", 0x800, fixedTab},
    };
    ASSERT_EQ(desc->Count(), 11);
    for (int i = 0; i < 11; ++i) {
        const ParamDef& def = desc->paramdefs[size_t(i)];
        SCOPED_TRACE(::testing::Message() << "parameter index " << i);
        EXPECT_EQ(def.id, expected[i].id);
        EXPECT_EQ(std::u16string(def.int_name), expected[i].name);
        EXPECT_EQ(def.type, expected[i].type);
        EXPECT_EQ(def.flags, expected[i].flags);
        EXPECT_EQ(def.tabSize, 0);
        EXPECT_EQ(def.local_name, 100);
    }

    const ParamDef* count = desc->GetParamDef(pb_slotCount);
    EXPECT_EQ(count->defInt, 1);
    EXPECT_TRUE(count->hasRange);
    EXPECT_EQ(count->rangeLow, 1.0f);
    EXPECT_EQ(count->rangeHigh, 16.0f);
    for (const TableDefault& table : kSlotTableDefaults) {
        const ParamDef* def = desc->GetParamDef(table.id);
        if (table.colour) {
            EXPECT_EQ(def->defPoint4, Point4(1, 1, 1, 1)) << "table " << table.id;
        } else {
            EXPECT_EQ(def->defFloat, table.value) << "table " << table.id;
        }
    }
    EXPECT_EQ(desc->GetParamDef(pb_slotExposure)->defFloat, 0.0f);
    struct Range {
        ParamID id;
        float low, high;
    };
    for (const Range& r : {Range{pb_slotSunSpotSize, 0, 90}, Range{pb_slotSunSpotHeight, 0, 90},
                           Range{pb_slotHue, -1, 1}}) {
        const ParamDef* def = desc->GetParamDef(r.id);
        EXPECT_TRUE(def->hasRange) << "table " << r.id;
        EXPECT_EQ(def->rangeLow, r.low) << "table " << r.id;
        EXPECT_EQ(def->rangeHigh, r.high) << "table " << r.id;
    }
    for (ParamID unranged : {pb_slotExposure, pb_slotContrast, pb_slotSaturation, pb_slotBrightPix,
                             pb_slotSunExposure, pb_slotTint, pb_slotSunTint}) {
        EXPECT_FALSE(desc->GetParamDef(unranged)->hasRange) << "table " << unranged;
    }
}

TEST(ZenithraParamsBlockTest, NewMapHoldsOneDefaultEntryPerTableAndAnEmptyCache) {
    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    ASSERT_NE(map->block, nullptr);
    EXPECT_EQ(map->block->GetDesc(), GetZenithraDesc()->GetParamBlockDescByID(0));
    const ParamID indexOrder[] = {0, 1, 2, 3, 4, 5, 9, 10, 6, 7, 8};
    ASSERT_EQ(map->block->NumParams(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(map->block->IndextoID(i), indexOrder[i]) << "index " << i;
    }

    Interval ignored = FOREVER;
    int count = 0;
    ASSERT_TRUE(map->block->GetValue(pb_slotCount, 0, count, ignored));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(map->block->Count(pb_slotExposure), 1);
    EXPECT_EQ(ExposureEntry(*map, 0), 0.0f);
    for (const TableDefault& table : kSlotTableDefaults) {
        EXPECT_EQ(map->block->Count(table.id), 1) << "table " << table.id;
        ExpectDefaultEntry(map->block, table, 0);
        EXPECT_EQ(map->block->GetControllerByID(table.id, 0), nullptr) << "table " << table.id;
    }

    EXPECT_TRUE(map->exposureCache.empty());
    EXPECT_FALSE(map->exposureCacheReady.load());
    EXPECT_FALSE(map->exposureCachePending.load());
}

TEST(ZenithraParamsBlockTest, SlotCountIsClampedToOneThroughSixteen) {
    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    struct Case {
        int stored, expected;
    };
    for (const Case& c : {Case{0, 1}, Case{-3, 1}, Case{1, 1}, Case{7, 7}, Case{16, 16},
                          Case{17, 16}, Case{40, 16}}) {
        map->block->SetValue(pb_slotCount, 0, c.stored);
        EXPECT_EQ(map->GetSlotCount(), c.expected) << "stored " << c.stored;
    }
}

TEST(ZenithraParamsBlockTest, MapWithoutBlockHasOneSlotAndZeroCacheAndSkipsFlushes) {
    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    map->ReplaceReference(0, nullptr);
    ASSERT_EQ(map->block, nullptr);

    EXPECT_EQ(map->GetSlotCount(), 1);
    map->SyncExposureCache(3);
    EXPECT_TRUE(map->exposureCacheReady.load());
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{0, 0, 0}));
    map->exposureCachePending.store(true);
    map->FlushExposureCache(3);
    EXPECT_TRUE(map->exposureCachePending.load());  // nothing was written, nothing is cleared
    map->SetSlotExposure(0, 2.0f);
    EXPECT_EQ(map->GetSlotExposures(1), (std::vector<float>{2.0f}));
}

TEST(ExposureCacheTest, FirstSyncFillsFromBlockAndRegrowthRefillsUnlessPending) {
    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    map->block->SetValue(pb_slotCount, 0, 5);
    SetExposureTable(*map, {1, 2, 3, 4, 5});

    map->SyncExposureCache();  // below 0: the slot count
    EXPECT_TRUE(map->exposureCacheReady.load());
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{1, 2, 3, 4, 5}));

    map->SyncExposureCache(3);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{1, 2, 3}));
    map->SyncExposureCache(5);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{1, 2, 3, 4, 5}));

    // Entries the block's table does not have are zeros.
    map->SyncExposureCache(3);
    map->block->SetCount(pb_slotExposure, 4);
    map->SyncExposureCache(5);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{1, 2, 3, 4, 0}));

    // A pending cache grows with zeros only.
    map->SyncExposureCache(3);
    SetExposureTable(*map, {1, 2, 3, 4, 5});
    map->exposureCachePending.store(true);
    map->SyncExposureCache(5);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{1, 2, 3, 0, 0}));

    // Counts are clamped to 1..16.
    map->SyncExposureCache(0);
    EXPECT_EQ(map->exposureCache.size(), 1);
    map->SyncExposureCache(40);
    EXPECT_EQ(map->exposureCache.size(), 16);
}

TEST(ExposureCacheTest, ReplacedBlockMakesCachePendingUntilFlushWritesIt) {
    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    ResizeSlots(*map, 2);
    map->SetSlotExposures({1.5f, 2.5f}, 2);
    ASSERT_FALSE(map->exposureCachePending.load());

    // Another block whose exposure table says something else.
    DefaultRemapDir remap;
    auto* other = static_cast<IParamBlock2*>(remap.CloneRef(map->block));
    other->SetValue(pb_slotCount, 0, 3);
    other->SetCount(pb_slotExposure, 3);
    other->SetValue(pb_slotExposure, 0, 7.0f, 0);
    other->SetValue(pb_slotExposure, 0, 8.0f, 1);
    other->SetValue(pb_slotExposure, 0, 9.0f, 2);
    map->ReplaceReference(0, other);
    EXPECT_TRUE(map->exposureCachePending.load());

    map->SyncExposureCache(3);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{1.5f, 2.5f, 0}));

    map->FlushExposureCache();
    EXPECT_FALSE(map->exposureCachePending.load());
    ASSERT_EQ(map->block->Count(pb_slotExposure), 3);
    EXPECT_EQ(ExposureEntry(*map, 0), 1.5f);
    EXPECT_EQ(ExposureEntry(*map, 1), 2.5f);
    EXPECT_EQ(ExposureEntry(*map, 2), 0.0f);
}

TEST(ExposureCacheTest, SetSlotExposureStoresOnlySlotsBelowTheSlotCount) {
    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    ResizeSlots(*map, 2);

    map->SetSlotExposure(1, -2.0f);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{0, -2.0f}));
    EXPECT_EQ(ExposureEntry(*map, 1), -2.0f);

    for (int outside : {16, -1, 100}) {
        map->SetSlotExposure(outside, 3.0f);
        EXPECT_EQ(CacheOf(*map), (std::vector<float>{0, -2.0f})) << "slot " << outside;
        EXPECT_EQ(map->block->Count(pb_slotExposure), 2) << "slot " << outside;
    }

    map->SetSlotExposure(5, 1.0f);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{0, -2.0f}));
    EXPECT_EQ(map->block->Count(pb_slotExposure), 2);
    EXPECT_EQ(map->GetSlotExposures(6), (std::vector<float>{0, -2.0f, 0, 0, 0, 0}));
}

TEST(ExposureCacheTest, FlushInAnimateModeWritesConstantsAndLeavesAnimateModeOn) {
    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    ResizeSlots(*map, 3);
    {
        ScopedAnimateMode on(true);
        map->SetSlotExposures({1, 2, 3}, 3);
        EXPECT_TRUE(Animating());
        map->SetSlotExposure(1, 5.0f);
        EXPECT_TRUE(Animating());
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(map->block->GetControllerByID(pb_slotExposure, i), nullptr) << "entry " << i;
    }
    for (TimeValue t : {0, 4800, -4800}) {
        Interval ignored = FOREVER;
        float ev = 0.0f;
        ASSERT_TRUE(map->block->GetValue(pb_slotExposure, t, ev, ignored, 1));
        EXPECT_EQ(ev, 5.0f) << "time " << t;
    }
    {
        ScopedAnimateMode off(false);
        map->FlushExposureCache();
        EXPECT_FALSE(Animating());
    }
}

TEST(ExposureCacheTest, GetSlotExposuresClampsCountAndSetSlotExposuresPadsWithZeros) {
    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    ResizeSlots(*map, 2);
    map->SetSlotExposures({1, 2, 3}, 2);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{1, 2}));
    EXPECT_EQ(map->block->Count(pb_slotExposure), 2);
    EXPECT_EQ(ExposureEntry(*map, 1), 2.0f);

    std::vector<float> all = map->GetSlotExposures(20);
    ASSERT_EQ(all.size(), 16u);
    EXPECT_EQ(all[0], 1.0f);
    EXPECT_EQ(all[1], 2.0f);
    for (size_t i = 2; i < all.size(); ++i) {
        EXPECT_EQ(all[i], 0.0f) << "entry " << i;
    }
    EXPECT_EQ(map->GetSlotExposures(0), (std::vector<float>{1}));

    // The next write brings the cache back to the slot count's length.
    map->SetSlotExposure(0, 4.0f);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{4, 2}));

    map->SetSlotExposures({7}, 3);
    EXPECT_EQ(CacheOf(*map), (std::vector<float>{7, 0, 0}));
    ASSERT_EQ(map->block->Count(pb_slotExposure), 3);
    EXPECT_EQ(ExposureEntry(*map, 1), 0.0f);
    EXPECT_EQ(ExposureEntry(*map, 2), 0.0f);
}

TEST(EnsureSlotTabsTest, AppendsDefaultsToSlotTablesWithoutKeysAndLeavesExposureAlone) {
    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    SetSlotFloat(*map, pb_slotContrast, 0, 50.0f);
    {
        ScopedAnimateMode on(true);
        EnsureSlotTabs(map->block, 3);
        EXPECT_TRUE(Animating());
    }
    EXPECT_EQ(map->block->Count(pb_slotExposure), 1);
    for (const TableDefault& table : kSlotTableDefaults) {
        ASSERT_EQ(map->block->Count(table.id), 3) << "table " << table.id;
        for (int i = 1; i < 3; ++i) {
            ExpectDefaultEntry(map->block, table, i);
            EXPECT_EQ(map->block->GetControllerByID(table.id, i), nullptr)
                << "table " << table.id << " entry " << i;
        }
    }
    Interval ignored = FOREVER;
    float contrast = 0.0f;
    map->block->GetValue(pb_slotContrast, 0, contrast, ignored, 0);
    EXPECT_EQ(contrast, 50.0f);

    EnsureSlotTabs(map->block, 2);  // never shortens
    EXPECT_EQ(map->block->Count(pb_slotTint), 3);
    EnsureSlotTabs(map->block, 40);
    EXPECT_EQ(map->block->Count(pb_slotHue), 16);
    EXPECT_EQ(map->block->Count(pb_slotExposure), 1);
    EnsureSlotTabs(nullptr, 3);
}
