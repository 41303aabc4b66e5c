#include "shading/Zenithra.h"

#include "ZenithraProxy.h"
#include "core/ZenithraClassDesc.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"

#include "StandaloneHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using testsupport::ColorNear;
using testsupport::ConstantColorMap;
using testsupport::EvalColorAt;
using testsupport::NewMapIn;
using testsupport::NewProxyIn;
using testsupport::Notice;
using testsupport::RecordingDependent;
using testsupport::ResizeSlots;
using testsupport::SampleAt;
using testsupport::ScopedAnimateMode;
using testsupport::SetSlotColor;
using testsupport::SetSlotFloat;

const AColor kSource(0.5f, 0.25f, 1.0f, 0.3f);
const AColor kOpaqueBlack(0, 0, 0, 1);

class MapTest : public ::testing::Test {
protected:
    ConstantColorMap* UseSource(AColor color = kSource) {
        source = new ConstantColorMap(color);
        map->ReplaceReference(1, source);
        return source;
    }
    AColor EvalSlot(int slot, TimeValue t = 0) {
        standalone::EnvironmentSample sample = SampleAt(0.3f, 0.6f, t);
        return map->EvalSlotColor(slot, sample);
    }

    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    ConstantColorMap* source = nullptr;
};

using SlotEvaluationTest = MapTest;
using ZenithraMapTest = MapTest;

std::vector<Notice> NoticesOf(const std::vector<Notice>& log, const ReferenceMaker& receiver) {
    std::vector<Notice> mine;
    for (const Notice& n : log) {
        if (n.receiver == &receiver) {
            mine.push_back(n);
        }
    }
    return mine;
}

// Position of the first notice to `receiver` with `message`; -1 when there is none.
int FirstIndex(const std::vector<Notice>& log, const ReferenceMaker& receiver, RefMessage message) {
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].receiver == &receiver && log[i].message == message) {
            return int(i);
        }
    }
    return -1;
}

}  // namespace

// --- Slot evaluation through the map -----------------------------------------------------------

TEST_F(SlotEvaluationTest, SlotZeroAppliesTheSlotValuesToTheSourceColour) {
    UseSource();
    // Exposure 1 doubles, contrast 200 squares, the tint scales green by 2 and blue by 0.5:
    // (0.5, 0.25, 1) -> (1, 0.5, 2) -> (1, 0.25, 4) -> (1, 0.5, 2).
    map->SetSlotExposure(0, 1.0f);
    SetSlotFloat(*map, pb_slotContrast, 0, 200.0f);
    SetSlotColor(*map, pb_slotTint, 0, Point4(1, 2, 0.5f, 0));
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f), AColor(1.0f, 0.5f, 2.0f, 1)));
    standalone::EnvironmentSample sample = SampleAt(0.3f, 0.6f);
    // (0.7152 * 0.5 + 0.2126 * 1) + 0.0722 * 2
    EXPECT_NEAR(map->EvalMono(sample), 0.7146f, 1e-6f);

    // Saturation 0: the luminance 0.2126 * 0.5 + 0.7152 * 0.25 + 0.0722 * 1 in every channel.
    map->SetSlotExposure(0, 0.0f);
    SetSlotFloat(*map, pb_slotContrast, 0, 100.0f);
    SetSlotColor(*map, pb_slotTint, 0, Point4(1, 1, 1, 1));
    SetSlotFloat(*map, pb_slotSaturation, 0, 0.0f);
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f), AColor(0.3573f, 0.3573f, 0.3573f, 1)));

    // Hue 1 (half a turn): HSV (0.7222, 0.75, 1) becomes (0.2222, 0.75, 1), sector 1.
    SetSlotFloat(*map, pb_slotSaturation, 0, 100.0f);
    SetSlotFloat(*map, pb_slotHue, 0, 1.0f);
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f), AColor(0.75f, 1.0f, 0.25f, 1), 1e-5f));
    EXPECT_EQ(source->evaluations.load(), 4);
}

TEST_F(SlotEvaluationTest, SunDiscIsPlacedByTheSampleMapCoordinates) {
    UseSource();
    SetSlotFloat(*map, pb_slotSunSpotSize, 0, 10.0f);
    SetSlotFloat(*map, pb_slotSunSpotHeight, 0, 45.0f);
    SetSlotFloat(*map, pb_slotSunExposure, 0, 1.0f);
    SetSlotColor(*map, pb_slotSunTint, 0, Point4(1, 0.5f, 0, 1));
    // At the sun's centre (u 0.5, 45 degrees up) the weight is 1 and a 10-degree disc has energy
    // factor 1, so 2^1 times the sun tint is added.
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.5f, 0.25f), AColor(2.5f, 1.25f, 1.0f, 1), 1e-4f));
    // Opposite the sun, and below the horizon under it: no disc.
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.0f, 0.25f), AColor(0.5f, 0.25f, 1.0f, 1)));
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.5f, 0.75f), AColor(0.5f, 0.25f, 1.0f, 1)));
}

TEST_F(SlotEvaluationTest, AnimatedContrastIsReadAtTheSampleTime) {
    UseSource();
    {
        ScopedAnimateMode on(true);
        map->block->SetValue(pb_slotContrast, 0, 100.0f, 0);
        map->block->SetValue(pb_slotContrast, 4800, 300.0f, 0);
    }
    ASSERT_NE(map->block->GetControllerByID(pb_slotContrast, 0), nullptr);
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f, 0), AColor(0.5f, 0.25f, 1.0f, 1)));
    // Half-way the contrast is 200: squares.
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f, 2400), AColor(0.25f, 0.0625f, 1.0f, 1)));
    // At and after the last key it is 300: cubes.
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f, 4800), AColor(0.125f, 0.015625f, 1.0f, 1)));
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f, 9600), AColor(0.125f, 0.015625f, 1.0f, 1)));
}

TEST_F(SlotEvaluationTest, SlotsBeyondTheCountReadSlotZeroAndNegativeSlotsReadFallback) {
    UseSource(AColor(0.5f, 2.0f, -1.0f, 0.3f));
    ResizeSlots(*map, 2);
    map->SetSlotExposure(0, 1.0f);
    SetSlotFloat(*map, pb_slotContrast, 1, 200.0f);

    const AColor slot0(1.0f, 4.0f, 0.0f, 1);
    EXPECT_TRUE(ColorNear(EvalSlot(0), slot0));
    EXPECT_TRUE(ColorNear(EvalSlot(1), AColor(0.25f, 4.0f, 0.0f, 1)));
    for (int beyond : {2, 15, 16, 100}) {
        EXPECT_TRUE(ColorNear(EvalSlot(beyond), slot0)) << "slot " << beyond;
    }
    // The fallback values only clamp negatives and set alpha.
    EXPECT_TRUE(ColorNear(EvalSlot(-1), AColor(0.5f, 2.0f, 0.0f, 1)));
}

TEST_F(SlotEvaluationTest, ShortTablesAndCacheReadAsIfGrownWithoutWritingTheMap) {
    UseSource();
    // Slot 0 has exposure 1 in the block (the cache was never filled) and contrast 200; the
    // slot count says 3 while every table still has one entry.
    SetSlotFloat(*map, pb_slotExposure, 0, 1.0f);
    SetSlotFloat(*map, pb_slotContrast, 0, 200.0f);
    map->block->SetValue(pb_slotCount, 0, 3);
    ASSERT_FALSE(map->exposureCacheReady.load());

    EXPECT_TRUE(ColorNear(EvalSlot(0), AColor(1.0f, 0.25f, 4.0f, 1)));
    // Slot 2 reads the defaults that growing its tables would add, not slot 0's values.
    EXPECT_TRUE(ColorNear(EvalSlot(2), AColor(0.5f, 0.25f, 1.0f, 1)));
    EXPECT_EQ(map->block->Count(pb_slotContrast), 1);
    EXPECT_EQ(map->block->Count(pb_slotTint), 1);
    EXPECT_EQ(map->block->Count(pb_slotExposure), 1);
    EXPECT_FALSE(map->exposureCacheReady.load());
    EXPECT_TRUE(map->exposureCache.empty());

    // The user-interface thread's reading grows the tables and fills the cache.
    AdjustmentParams p = map->BuildAdjustmentParams(2, 0);
    EXPECT_EQ(p.exposure, 0.0f);
    EXPECT_EQ(p.contrast, 100.0f);
    EXPECT_EQ(p.saturation, 100.0f);
    EXPECT_EQ(p.hue, 0.0f);
    EXPECT_EQ(p.brightPix, 0.0f);  // a grown entry's default, not the fallback 1
    EXPECT_EQ(p.sunExposure, 0.0f);
    EXPECT_EQ(p.sunSpotSize, 0.0f);
    EXPECT_EQ(p.sunSpotHeight, 45.0f);
    EXPECT_EQ(p.tint, AColor(1, 1, 1, 1));
    EXPECT_EQ(p.sunTint, AColor(1, 1, 1, 1));
    EXPECT_EQ(map->block->Count(pb_slotContrast), 3);
    EXPECT_EQ(map->block->Count(pb_slotSunTint), 3);
    EXPECT_EQ(map->exposureCache.ToVector(), (std::vector<float>{1, 0, 0}));
    EXPECT_TRUE(ColorNear(EvalSlot(2), AColor(0.5f, 0.25f, 1.0f, 1)));

    // A cache shorter than the slot: entries missing from it come from the block's table...
    map->SyncExposureCache(1);
    map->block->SetCount(pb_slotExposure, 3);
    SetSlotFloat(*map, pb_slotExposure, 2, 7.0f);
    EXPECT_TRUE(ColorNear(EvalSlot(2), AColor(64.0f, 32.0f, 128.0f, 1)));
    // ...unless the cache is pending, when they are zeros.
    map->exposureCachePending.store(true);
    EXPECT_TRUE(ColorNear(EvalSlot(2), AColor(0.5f, 0.25f, 1.0f, 1)));
    EXPECT_EQ(map->exposureCache.size(), 1);
    EXPECT_EQ(map->BuildAdjustmentParams(2, 0).exposure, 0.0f);
}

TEST_F(SlotEvaluationTest, MissingSourceGivesOpaqueBlackFromEverySlot) {
    ResizeSlots(*map, 2);
    map->SetSlotExposure(0, 3.0f);
    standalone::EnvironmentSample sample = SampleAt(0.5f, 0.25f);
    EXPECT_EQ(map->EvalColor(sample), kOpaqueBlack);
    EXPECT_EQ(map->EvalMono(sample), 0.0f);
    EXPECT_EQ(map->EvalSlotColor(1, sample), kOpaqueBlack);
    auto* proxy1 = static_cast<ZenithraProxy*>(map->GetSubTexmap(2));
    ASSERT_NE(proxy1, nullptr);
    EXPECT_EQ(proxy1->EvalColor(sample), kOpaqueBlack);
    EXPECT_EQ(map->LoadMapFiles(0), 1);
}

// --- The map object -----------------------------------------------------------------------------

TEST_F(ZenithraMapTest, NewMapHasEighteenReferencesThreeSubAnimsAndTwoSubTexmaps) {
    ASSERT_EQ(map->NumRefs(), 18);
    EXPECT_NE(map->GetReference(0), nullptr);
    EXPECT_EQ(map->GetReference(0), map->block);
    for (int i = 1; i < 18; ++i) {
        EXPECT_EQ(map->GetReference(i), nullptr) << "reference " << i;
    }
    EXPECT_EQ(map->GetReference(18), nullptr);
    EXPECT_TRUE(map->registeredProxies.empty());

    ASSERT_EQ(map->NumSubs(), 3);
    EXPECT_EQ(map->SubAnim(0), map->block);
    EXPECT_EQ(map->SubAnim(1), nullptr);
    EXPECT_EQ(map->SubAnim(2), nullptr);
    EXPECT_EQ(map->SubAnim(3), nullptr);
    EXPECT_EQ(map->SubAnimName(0), u"Parameters");
    EXPECT_EQ(map->SubAnimName(1), u"Source Map");
    EXPECT_EQ(map->SubAnimName(2), u"Zenithra:Slot 1");
    EXPECT_EQ(map->SubAnimName(3), u"");

    ASSERT_EQ(map->NumSubTexmaps(), 2);
    EXPECT_EQ(map->GetSubTexmapSlotName(0), u"Source Map");
    EXPECT_EQ(map->GetSubTexmapSlotName(1), u"Zenithra:Slot 1");
    EXPECT_EQ(map->GetSubTexmap(0), nullptr);
    Texmap* proxy = map->GetSubTexmap(1);
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->ClassID(), Class_ID(0x4D4E3AA1, 0x19FFB205));
    auto* slot0 = static_cast<ZenithraProxy*>(proxy);
    EXPECT_EQ(slot0->master.load(), map);
    EXPECT_EQ(slot0->slotIndex.load(), 0);
    EXPECT_EQ(slot0->GetName(), u"Zenithra:Slot 1");
    EXPECT_EQ(map->GetReference(2), proxy);
    EXPECT_EQ(map->SubAnim(2), proxy);
    EXPECT_EQ(map->GetSubTexmap(1), proxy);  // asking again creates nothing new
    EXPECT_EQ(map->registeredProxies, (std::vector<ZenithraProxy*>{slot0}));
    EXPECT_EQ(map->GetSubTexmap(2), nullptr);
    EXPECT_EQ(map->GetReference(3), nullptr);
}

TEST_F(ZenithraMapTest, AnswersTheHostsQueriesAsAnEnvironmentMap) {
    MSTR name;
    map->GetClassName(name);
    EXPECT_EQ(name, u"Zenithra");
    EXPECT_EQ(map->ClassID(), Class_ID(0x3A131461, 0x7AD0204C));
    EXPECT_EQ(map->SuperClassID(), 0xC10u);
    EXPECT_EQ(map->LocalRequirements(0), 0x8010u);
    MapChannelSet mapReq, bumpReq;
    map->LocalMappingsRequired(0, mapReq, bumpReq);
    EXPECT_EQ(mapReq.bits, uint64_t(1) << 1);
    EXPECT_EQ(bumpReq.bits, 0u);
    EXPECT_EQ(map->NumParamBlocks(), 1);
    EXPECT_EQ(map->GetParamBlock(0), map->block);
    EXPECT_EQ(map->GetParamBlock(1), nullptr);
    EXPECT_EQ(map->GetParamBlockByID(0), map->block);
    EXPECT_EQ(map->GetParamBlockByID(1), nullptr);
    EXPECT_EQ(map->GetTextureTiling(), 3);
    Matrix3 uvTransform;
    uvTransform.SetRow(0, Point3(2, 0, 0));
    uvTransform.SetRow(3, Point3(1, 1, 0));
    map->GetUVTransform(uvTransform);
    EXPECT_EQ(uvTransform.GetRow(0), Point3(1, 0, 0));
    EXPECT_EQ(uvTransform.GetRow(3), Point3(0, 0, 0));
    standalone::EnvironmentSample sample = SampleAt(0.5f, 0.5f);
    EXPECT_EQ(map->EvalNormalPerturb(sample), Point3(0, 0, 0));
    EXPECT_TRUE(map->IsLocalOutputMeaningful(sample));
    EXPECT_NE(map->timeCallback, nullptr);

    EXPECT_EQ(map->LoadMapFiles(0), 1);
    UseSource();
    EXPECT_EQ(map->LoadMapFiles(0), 1);
    EXPECT_EQ(source->loadMapFilesCalls.load(), 1);
}

TEST_F(ZenithraMapTest, WithoutCoreInterfaceRegistersNoTimeCallback) {
    standalone::SetCoreInterfaceAvailable(false);
    Zenithra* lonely = NewMapIn(scene);
    standalone::SetCoreInterfaceAvailable(true);
    EXPECT_EQ(lonely->timeCallback, nullptr);
    EXPECT_NE(lonely->block, nullptr);
}

TEST_F(ZenithraMapTest, SlotNamesUseTheMapNameOrZenithraWhenUnnamed) {
    ResizeSlots(*map, 3);
    EXPECT_EQ(map->GetSubTexmapSlotName(3), u"Zenithra:Slot 3");
    EXPECT_EQ(map->SubAnimName(4), u"Zenithra:Slot 3");
    EXPECT_EQ(map->SubAnimName(5), u"");

    map->SetName(u"Sky");
    EXPECT_EQ(map->SubAnimName(3), u"Sky:Slot 2");
    EXPECT_EQ(map->GetSubTexmapSlotName(1), u"Sky:Slot 1");
    map->GetSubTexmap(2);
    ASSERT_NE(map->slotProxies[0], nullptr);
    ASSERT_NE(map->slotProxies[1], nullptr);
    EXPECT_EQ(map->slotProxies[0]->GetName(), u"Sky:Slot 1");
    EXPECT_EQ(map->slotProxies[1]->GetName(), u"Sky:Slot 2");
}

TEST_F(ZenithraMapTest, OfferingANonProxyForASlotCreatesTheProxiesAndChangesNothingElse) {
    ResizeSlots(*map, 2);
    map->SetSlotExposure(1, 2.0f);
    standalone::SceneRoot others;
    auto* bitmap = new ConstantColorMap(kSource);
    others.Add(bitmap);

    map->SetSubTexmap(2, bitmap);

    ZenithraProxy* p0 = map->slotProxies[0];
    ZenithraProxy* p1 = map->slotProxies[1];
    ASSERT_NE(p0, nullptr);
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(map->GetReference(2), p0);
    EXPECT_EQ(map->GetReference(3), p1);
    EXPECT_EQ(p0->master.load(), map);
    EXPECT_EQ(p1->master.load(), map);
    EXPECT_EQ(p0->slotIndex.load(), 0);
    EXPECT_EQ(p1->slotIndex.load(), 1);
    EXPECT_EQ(map->registeredProxies, (std::vector<ZenithraProxy*>{p0, p1}));
    EXPECT_EQ(map->sourceMap, nullptr);
    EXPECT_EQ(bitmap->GetDependents(), (std::vector<ReferenceMaker*>{&others}));
    for (int i = 4; i < 18; ++i) {
        EXPECT_EQ(map->GetReference(i), nullptr) << "reference " << i;
    }
    EXPECT_EQ(map->GetSlotCount(), 2);
    EXPECT_EQ(map->GetSlotExposures(2), (std::vector<float>{0, 2.0f}));
}

TEST_F(ZenithraMapTest, OfferingAProxyForASlotMakesItThatSlotsProxy) {
    ResizeSlots(*map, 2);
    ZenithraProxy* offered = NewProxyIn(scene);
    offered->slotIndex.store(9);

    map->SetSubTexmap(2, offered);

    EXPECT_EQ(map->GetReference(3), offered);
    EXPECT_EQ(map->GetSubTexmap(2), offered);
    EXPECT_EQ(offered->master.load(), map);
    EXPECT_EQ(offered->slotIndex.load(), 1);
    ZenithraProxy* p0 = map->slotProxies[0];
    ASSERT_NE(p0, nullptr);
    EXPECT_EQ(p0->slotIndex.load(), 0);
    EXPECT_EQ(map->registeredProxies, (std::vector<ZenithraProxy*>{p0, offered}));

    // The same on a map of one slot: sub-texmap 2 does not exist.
    Zenithra* single = NewMapIn(scene);
    ZenithraProxy* spare = NewProxyIn(scene);
    single->SetSubTexmap(2, spare);
    auto* bitmap = new ConstantColorMap(kSource);
    scene.Add(bitmap);
    single->SetSubTexmap(2, bitmap);
    EXPECT_EQ(single->GetSubTexmap(2), nullptr);
    EXPECT_EQ(single->GetSubTexmap(-1), nullptr);
    for (int i = 2; i < 18; ++i) {
        EXPECT_EQ(single->GetReference(i), nullptr) << "reference " << i;
    }
    EXPECT_EQ(bitmap->GetDependents(), (std::vector<ReferenceMaker*>{&scene}));
    EXPECT_EQ(spare->master.load(), nullptr);
    EXPECT_EQ(spare->slotIndex.load(), 0);
    EXPECT_TRUE(single->registeredProxies.empty());
    EXPECT_EQ(single->NumSubTexmaps(), 2);
}

TEST_F(ZenithraMapTest, SubTexmapZeroIsTheSourceMap) {
    auto* first = new ConstantColorMap(kSource);
    map->SetSubTexmap(0, first);
    EXPECT_EQ(map->GetReference(1), first);
    EXPECT_EQ(map->SubAnim(1), first);
    EXPECT_EQ(map->GetSubTexmap(0), first);
    EXPECT_EQ(map->sourceMap, first);
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f), AColor(0.5f, 0.25f, 1.0f, 1)));

    map->SetSubTexmap(0, new ConstantColorMap(AColor(2, 2, 2, 1)));
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f), AColor(2, 2, 2, 1)));
    map->SetSubTexmap(0, nullptr);
    EXPECT_EQ(map->sourceMap, nullptr);
    EXPECT_EQ(EvalColorAt(*map, 0.3f, 0.6f), kOpaqueBlack);
}

TEST_F(ZenithraMapTest, DeletedSourceMapLeavesOpaqueBlackAndValidityNever) {
    UseSource();
    Interval valid = FOREVER;
    map->Update(0, valid);
    ASSERT_EQ(map->validity, FOREVER);
    ASSERT_TRUE(ColorNear(EvalColorAt(*map, 0.3f, 0.6f), AColor(0.5f, 0.25f, 1.0f, 1)));

    source->DeleteThis();  // the host deletes the map while this one still references it

    EXPECT_EQ(map->sourceMap, nullptr);
    EXPECT_EQ(map->GetReference(1), nullptr);
    EXPECT_EQ(map->validity, NEVER);
    EXPECT_EQ(EvalColorAt(*map, 0.3f, 0.6f), kOpaqueBlack);
}

TEST_F(ZenithraMapTest, SourceChangeTellsDependentsThenProxiesChangeThenTheFollowUpMessage) {
    UseSource();
    ResizeSlots(*map, 2);
    // The lights reference the proxies before the map does, so that they hear a proxy's
    // notification before the map passes it on to its own dependents.
    std::vector<Notice> log;
    ZenithraProxy* p0 = NewProxyIn(scene);
    ZenithraProxy* p1 = NewProxyIn(scene);
    RecordingDependent ofProxy0(log, p0), ofProxy1(log, p1);
    map->SetSubTexmap(1, p0);
    map->SetSubTexmap(2, p1);
    ASSERT_EQ(map->registeredProxies, (std::vector<ZenithraProxy*>{p0, p1}));
    RecordingDependent ofMap(log, map);
    Interval valid = FOREVER;
    map->Update(0, valid);
    log.clear();

    source->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);

    EXPECT_EQ(map->validity, NEVER);
    // A proxy's dependents hear exactly the change and then message 0x102, from the proxy.
    std::vector<Notice> toProxy0 = NoticesOf(log, ofProxy0);
    ASSERT_EQ(toProxy0.size(), 2u);
    EXPECT_EQ(toProxy0[0].sender, p0);
    EXPECT_EQ(toProxy0[0].message, REFMSG_CHANGE);
    EXPECT_EQ(toProxy0[1].sender, p0);
    EXPECT_EQ(toProxy0[1].message, 0x102u);
    std::vector<Notice> toProxy1 = NoticesOf(log, ofProxy1);
    ASSERT_EQ(toProxy1.size(), 2u);
    EXPECT_EQ(toProxy1[0].sender, p1);
    EXPECT_EQ(toProxy1[0].message, REFMSG_CHANGE);
    EXPECT_EQ(toProxy1[1].sender, p1);
    EXPECT_EQ(toProxy1[1].message, 0x102u);
    for (const Notice& n : NoticesOf(log, ofMap)) {
        EXPECT_EQ(n.sender, map);
    }

    // The map's dependents first, then the proxies in registration order; the change before
    // the follow-up message.
    int mapChange = FirstIndex(log, ofMap, REFMSG_CHANGE);
    int proxy0Change = FirstIndex(log, ofProxy0, REFMSG_CHANGE);
    int proxy1Change = FirstIndex(log, ofProxy1, REFMSG_CHANGE);
    int mapFollowUp = FirstIndex(log, ofMap, 0x102);
    int proxy0FollowUp = FirstIndex(log, ofProxy0, 0x102);
    int proxy1FollowUp = FirstIndex(log, ofProxy1, 0x102);
    EXPECT_EQ(mapChange, 0);
    EXPECT_LT(mapChange, proxy0Change);
    EXPECT_LT(proxy0Change, proxy1Change);
    EXPECT_LT(proxy1Change, mapFollowUp);
    EXPECT_LT(mapFollowUp, proxy0FollowUp);
    EXPECT_LT(proxy0FollowUp, proxy1FollowUp);
}

TEST_F(ZenithraMapTest, ProxyChangesOnlyInvalidateAndOtherMessagesAreIgnored) {
    UseSource();
    ResizeSlots(*map, 2);
    map->GetSubTexmap(2);
    ZenithraProxy* p0 = map->slotProxies[0];
    ZenithraProxy* p1 = map->slotProxies[1];
    std::vector<Notice> log;
    RecordingDependent ofMap(log, map), ofProxy0(log, p0), ofProxy1(log, p1);
    Interval valid = FOREVER;
    map->Update(0, valid);

    p0->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_EQ(map->validity, NEVER);
    EXPECT_TRUE(NoticesOf(log, ofProxy1).empty());
    for (const Notice& n : log) {
        EXPECT_NE(n.message, 0x102u);
    }

    log.clear();
    valid = FOREVER;
    map->Update(0, valid);
    const RefMessage unhandled = 0xF7;
    source->NotifyDependents(FOREVER, PART_ALL, unhandled);
    EXPECT_EQ(map->validity, FOREVER);
    EXPECT_TRUE(NoticesOf(log, ofProxy0).empty());
    EXPECT_TRUE(NoticesOf(log, ofProxy1).empty());
    for (const Notice& n : log) {
        EXPECT_EQ(n.message, unhandled);
    }
}

TEST_F(ZenithraMapTest, CloneHasItsOwnProxiesAndAPendingCopyOfTheExposures) {
    testsupport::ScopedTestDrive drive;  // cloned proxies write a log line
    UseSource();
    map->SetName(u"Sky");
    ResizeSlots(*map, 2);
    map->SetSlotExposures({1.0f, 2.0f}, 2);
    SetSlotFloat(*map, pb_slotContrast, 1, 200.0f);
    map->GetSubTexmap(2);
    ZenithraProxy* p0 = map->slotProxies[0];
    ZenithraProxy* p1 = map->slotProxies[1];

    DefaultRemapDir remap;
    auto* copy = static_cast<Zenithra*>(map->Clone(remap));
    ASSERT_NE(copy, nullptr);
    scene.Add(copy);

    EXPECT_EQ(copy->GetName(), u"Sky");
    ASSERT_NE(copy->block, nullptr);
    EXPECT_NE(copy->block, map->block);
    EXPECT_EQ(copy->GetSlotCount(), 2);
    ASSERT_NE(copy->sourceMap, nullptr);
    EXPECT_NE(copy->sourceMap, map->sourceMap);
    for (int i = 0; i < 2; ++i) {
        ZenithraProxy* cloned = copy->slotProxies[i];
        ASSERT_NE(cloned, nullptr) << "slot " << i;
        EXPECT_NE(cloned, map->slotProxies[i]);
        EXPECT_EQ(cloned->master.load(), copy);
        EXPECT_EQ(cloned->slotIndex.load(), i);
    }
    for (int i = 2; i < 16; ++i) {
        EXPECT_EQ(copy->slotProxies[i], nullptr) << "slot " << i;
    }
    EXPECT_EQ(copy->registeredProxies,
              (std::vector<ZenithraProxy*>{copy->slotProxies[0], copy->slotProxies[1]}));
    EXPECT_EQ(map->registeredProxies, (std::vector<ZenithraProxy*>{p0, p1}));
    EXPECT_EQ(p0->master.load(), map);
    EXPECT_EQ(p1->master.load(), map);
    EXPECT_EQ(copy->exposureCache.ToVector(), (std::vector<float>{1.0f, 2.0f}));
    EXPECT_TRUE(copy->exposureCacheReady.load());
    EXPECT_TRUE(copy->exposureCachePending.load());
    EXPECT_EQ(copy->validity, NEVER);

    // The clone lives on its own once the original is gone.
    ZenithraProxy* clonedSlot1 = copy->slotProxies[1];
    scene.Remove(0);
    EXPECT_EQ(clonedSlot1->master.load(), copy);
    // Slot 1: exposure 2 and contrast 200: (2, 1, 4) squared.
    EXPECT_TRUE(ColorNear(EvalColorAt(*clonedSlot1, 0.3f, 0.6f), AColor(4.0f, 1.0f, 16.0f, 1)));
    EXPECT_TRUE(
        ColorNear(EvalColorAt(*copy->slotProxies[0], 0.3f, 0.6f), AColor(1.0f, 0.5f, 2.0f, 1)));
}

TEST_F(ZenithraMapTest, DeleteThisWithoutEvaluationsDestroysTheMapAtOnce) {
    testsupport::ScopedTestDrive drive;
    auto* doomed = static_cast<Zenithra*>(static_cast<Texmap*>(GetZenithraDesc()->Create(FALSE)));
    std::vector<Notice> log;
    RecordingDependent watcher(log, doomed);
    ResizeSlots(*doomed, 2);
    doomed->GetSubTexmap(2);
    standalone::SceneRoot proxies;  // the scene's lights hold the proxies
    proxies.Add(doomed->slotProxies[0]);
    proxies.Add(doomed->slotProxies[1]);
    auto* p0 = static_cast<ZenithraProxy*>(proxies.Get(0));
    auto* p1 = static_cast<ZenithraProxy*>(proxies.Get(1));
    log.clear();

    doomed->DeleteThis();

    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].sender, doomed);
    EXPECT_EQ(log[0].message, REFMSG_TARGET_DELETED);
    EXPECT_EQ(watcher.GetReference(0), nullptr);
    EXPECT_EQ(p0->master.load(), nullptr);
    EXPECT_EQ(p1->master.load(), nullptr);
    // Its time-change callback went with it.
    GetCOREInterface()->SetTime(160);
    GetCOREInterface()->SetTime(0);
}
