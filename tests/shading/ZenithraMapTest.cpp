
#include "support/MapTestSupport.h"
#include "support/NamedParamMap.h"
#include "support/TestDrive.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using namespace testsupport;
using Proxies = std::vector<ZenithraProxy*>;
using Messages = std::vector<RefMessage>;

const AColor kOpaqueSource(0.5f, 0.25f, 1.0f, 1);

class MapTest : public MapFixture {
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
    AColor Eval(TimeValue t = 0) { return EvalColorAt(*map, 0.3f, 0.6f, t); }

    ConstantColorMap* source = nullptr;
};

constexpr float kHeightDegrees = 30.0f;

Point3 SunDirectionToward(float x, float y) {
    float h = kHeightDegrees * 0.017453292f;
    return {x * std::cos(h), y * std::cos(h), std::sin(h)};
}

float RedAt(Texmap& map, const Point3& direction) {
    standalone::EnvironmentSample sample(direction, 0);
    return map.EvalColor(sample).r;
}

}  // namespace

// --- Slot evaluation through the map -----------------------------------------------------------

TEST_F(MapTest, SlotZeroReadsItsValuesAtTheSampleTimeAndAddsTheSunDiscAfterTheTint) {
    UseSource();
    map->SetSlotExposure(0, 1.0f);
    SetSlotColor(*map, pb_slotTint, 0, Point4(1, 2, 0.5f, 0));
    {
        ScopedAnimateMode on(true);
        map->block->SetValue(pb_slotContrast, 0, 100.0f, 0);
        map->block->SetValue(pb_slotContrast, 4800, 300.0f, 0);
    }
    // The source doubled, (1, 0.5, 2), to the power contrast / 100, then green doubled and blue
    // halved.
    EXPECT_TRUE(ColorNear(Eval(0), AColor(1, 1, 1, 1)));
    EXPECT_TRUE(ColorNear(Eval(2400), AColor(1, 0.5f, 2, 1)));   // contrast 200
    EXPECT_TRUE(ColorNear(Eval(9600), AColor(1, 0.25f, 4, 1)));  // 300, after the last key
    standalone::EnvironmentSample sample = SampleAt(0.3f, 0.6f, 2400);
    // (0.7152 * 0.5 + 0.2126 * 1) + 0.0722 * 2
    EXPECT_NEAR(map->EvalMono(sample), 0.7146f, 1e-6f);
    EXPECT_EQ(source->evaluations.load(), 4);
    // Slots at or beyond the count read slot 0; negative slots read the fallback values.
    for (int beyond : {1, 16, 100}) {
        EXPECT_TRUE(ColorNear(EvalSlot(beyond, 2400), AColor(1, 0.5f, 2, 1))) << beyond;
    }
    EXPECT_TRUE(ColorNear(EvalSlot(-1, 2400), kOpaqueSource));

    SetSlotFloat(*map, pb_slotSunSpotSize, 0, 10.0f);
    SetSlotFloat(*map, pb_slotSunSpotHeight, 0, 45.0f);
    SetSlotFloat(*map, pb_slotSunExposure, 0, 1.0f);
    SetSlotColor(*map, pb_slotSunTint, 0, Point4(1, 0.5f, 0, 1));
    // At the sun's centre (u 0.5, 45 degrees up) the weight is 1 and a 10-degree disc has energy
    // factor 1, so 2^1 times the sun tint is added to the tinted colour.
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.5f, 0.25f), AColor(3, 2, 1, 1), 1e-4f));
    // Opposite the sun, and below the horizon under it: no disc.
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.0f, 0.25f), AColor(1, 1, 1, 1)));
    EXPECT_TRUE(ColorNear(EvalColorAt(*map, 0.5f, 0.75f), AColor(1, 1, 1, 1)));
}

TEST_F(MapTest, ShortTablesAndCacheReadAsIfGrownWithoutWritingTheMap) {
    UseSource();
    // Slot 0 has exposure 1 in the block (the cache was never filled) and contrast 200; the
    // slot count says 3 while every table still has one entry.
    SetSlotFloat(*map, pb_slotExposure, 0, 1.0f);
    SetSlotFloat(*map, pb_slotContrast, 0, 200.0f);
    map->block->SetValue(pb_slotCount, 0, 3);
    EXPECT_TRUE(ColorNear(EvalSlot(0), AColor(1.0f, 0.25f, 4.0f, 1)));
    // Slot 2 reads the defaults that growing its tables would add, not slot 0's values.
    EXPECT_TRUE(ColorNear(EvalSlot(2), kOpaqueSource));
    EXPECT_EQ(map->block->Count(pb_slotContrast), 1);

    // The user-interface thread's reading grows the tables and fills the cache.
    AdjustmentParams p = map->BuildAdjustmentParams(2, 0);
    EXPECT_EQ(p.brightPix, 0.0f);  // a grown entry's default, not the fallback 1
    EXPECT_EQ(p.sunSpotHeight, 45.0f);
    EXPECT_EQ(map->block->Count(pb_slotSunTint), 3);
    EXPECT_EQ(map->exposureCache.ToVector(), (std::vector<float>{1, 0, 0}));

    // A cache shorter than the slot: entries missing from it come from the block's table...
    map->SyncExposureCache(1);
    map->block->SetCount(pb_slotExposure, 3);
    SetSlotFloat(*map, pb_slotExposure, 2, 7.0f);
    EXPECT_TRUE(ColorNear(EvalSlot(2), AColor(64.0f, 32.0f, 128.0f, 1)));
    // ...unless the cache is pending, when they are zeros.
    map->exposureCachePending.store(true);
    EXPECT_TRUE(ColorNear(EvalSlot(2), kOpaqueSource));
    EXPECT_EQ(map->exposureCache.size(), 1);
    EXPECT_EQ(map->BuildAdjustmentParams(2, 0).exposure, 0.0f);
}

TEST_F(MapTest, TheSunDiscTurnsWithTheSourceMapsRotation) {
    auto* source =
        new NamedParamMap(L"VRayBitmap", {{{L"mapping_type", TYPE_INT, 1.0f},
                                           {L"u_rotation", TYPE_FLOAT, 0.0f},
                                           {L"horizontal_rotation", TYPE_FLOAT, 90.0f}}});
    map->SetSubTexmap(0, source);
    map->block->SetValue(pb_slotSunSpotSize, 0, 10.0f, 0);
    map->block->SetValue(pb_slotSunSpotHeight, 0, kHeightDegrees, 0);
    Texmap* proxy = map->GetSubTexmap(1);
    ASSERT_NE(proxy, nullptr);

    // The test source is grey 0.5 everywhere; the disc adds 1 at its centre (a 10 degree disc
    // has no extra energy factor).
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(0, -1)), 1.5f, 1e-4f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(-1, 0)), 0.5f, 1e-6f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(0, 1)), 0.5f, 1e-6f);

    ParamID rotation = source->IdOf(0, L"horizontal_rotation");
    source->GetParamBlock(0)->SetValue(rotation, 0, 180.0f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(-1, 0)), 1.5f, 1e-4f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(0, -1)), 0.5f, 1e-6f);
    EXPECT_NEAR(RedAt(*map, SunDirectionToward(-1, 0)), 1.5f, 1e-4f);

    // With mapping type 0 the map turns by its u rotation instead.
    source->GetParamBlock(0)->SetValue(source->IdOf(0, L"mapping_type"), 0, 0);
    source->GetParamBlock(0)->SetValue(source->IdOf(0, L"u_rotation"), 0, 0.0f);
    EXPECT_NEAR(RedAt(*proxy, SunDirectionToward(1, 0)), 1.5f, 1e-4f);

    // A source without any rotation parameter: the disc goes by the sample's own coordinates.
    auto* plain = new NamedParamMap(L"Checker", {{{L"size", TYPE_FLOAT, 1.0f}}});
    map->SetSubTexmap(0, plain);
    standalone::EnvironmentSample sample(SunDirectionToward(1, 0), 0);
    sample.SetUVW(Point3(0.5f, 1.0f / 3.0f, 0));
    EXPECT_NEAR(proxy->EvalColor(sample).r, 1.5f, 1e-4f);
}

// --- The map object -----------------------------------------------------------------------------

TEST_F(MapTest, SlotSubTexmapsFollowTheSlotCountAreMadeOnDemandAndTakeOnlyProxies) {
    standalone::SceneRoot others;
    auto* bitmap = new ConstantColorMap(kSource);
    others.Add(bitmap);
    const std::vector<ReferenceMaker*> othersOnly{&others};
    // On a map of one slot, sub-texmap 2 does not exist.
    ZenithraProxy* spare = NewProxyIn(scene);
    map->SetSubTexmap(2, spare);
    map->SetSubTexmap(2, bitmap);
    EXPECT_EQ(standalone::DependentsOf(bitmap), othersOnly);
    EXPECT_EQ(spare->master.load(), nullptr);
    EXPECT_TRUE(map->registeredProxies.empty());
    EXPECT_EQ(map->GetSubTexmap(2), nullptr);
    EXPECT_EQ(map->GetSubTexmap(-1), nullptr);

    ASSERT_EQ(map->NumSubs(), 3);
    EXPECT_EQ(map->SubAnim(2), nullptr);  // no proxy yet
    auto* p0 = static_cast<ZenithraProxy*>(map->GetSubTexmap(1));
    ASSERT_NE(p0, nullptr);
    EXPECT_EQ(p0->master.load(), map);
    EXPECT_EQ(p0->slotIndex.load(), 0);
    EXPECT_EQ(map->SubAnim(2), p0);
    EXPECT_EQ(map->GetSubTexmap(1), p0);

    ResizeSlots(*map, 3);
    map->SetName(L"Sky");
    EXPECT_EQ(map->NumSubs(), 5);
    EXPECT_EQ(map->NumSubTexmaps(), 4);
    EXPECT_EQ(map->GetSubTexmapSlotName(3, true), L"Sky:Slot 3");
    EXPECT_EQ(map->SubAnimName(3), L"Sky:Slot 2");

    // A non-proxy creates the proxies up to its slot and changes nothing else.
    map->SetSlotExposure(1, 2.0f);
    map->SetSubTexmap(2, bitmap);
    ZenithraProxy* p1 = map->slotProxies[1];
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(map->registeredProxies, (Proxies{p0, p1}));
    EXPECT_EQ(p1->slotIndex.load(), 1);
    EXPECT_EQ(map->GetReference(4), nullptr);
    EXPECT_EQ(standalone::DependentsOf(bitmap), othersOnly);
    EXPECT_EQ(map->GetSlotExposures(3), (std::vector<float>{0, 2.0f, 0}));

    // A proxy becomes that slot's proxy.
    ZenithraProxy* offered = NewProxyIn(scene);
    offered->slotIndex.store(9);
    map->SetSubTexmap(2, offered);
    EXPECT_EQ(map->GetSubTexmap(2), offered);
    EXPECT_EQ(offered->master.load(), map);
    EXPECT_EQ(offered->slotIndex.load(), 1);
    EXPECT_EQ(map->registeredProxies, (Proxies{p0, offered}));
}

TEST_F(MapTest, SubTexmapZeroIsTheSourceMapAndWithoutOneEverySlotIsOpaqueBlack) {
    ResizeSlots(*map, 2);
    map->SetSlotExposure(0, 3.0f);
    auto* first = new ConstantColorMap(kSource);
    map->SetSubTexmap(0, first);
    EXPECT_EQ(map->GetSubTexmap(0), first);
    EXPECT_TRUE(ColorNear(EvalSlot(1), kOpaqueSource));
    const int loadsBefore = first->loadMapFilesCalls.load();
    EXPECT_EQ(map->LoadMapFiles(0), 1);
    EXPECT_EQ(first->loadMapFilesCalls.load(), loadsBefore + 1);
    map->SetSubTexmap(0, new ConstantColorMap(AColor(2, 2, 2, 1)));
    EXPECT_TRUE(ColorNear(EvalSlot(1), AColor(2, 2, 2, 1)));
    map->SetSubTexmap(0, nullptr);
    standalone::EnvironmentSample sample = SampleAt(0.5f, 0.25f);
    EXPECT_EQ(map->EvalColor(sample), kOpaqueBlack);
    EXPECT_EQ(map->EvalMono(sample), 0.0f);
    EXPECT_EQ(map->EvalSlotColor(1, sample), kOpaqueBlack);
    EXPECT_EQ(map->GetSubTexmap(2)->EvalColor(sample), kOpaqueBlack);
    EXPECT_EQ(map->LoadMapFiles(0), 1);

    // The host deletes a source map while the map still references it.
    UseSource();
    Interval valid = FOREVER;
    map->Update(0, valid);
    ASSERT_EQ(map->validity, FOREVER);
    source->DeleteThis();
    EXPECT_EQ(map->GetReference(1), nullptr);
    EXPECT_EQ(map->validity, NEVER);
    EXPECT_EQ(EvalSlot(0), kOpaqueBlack);
}

TEST_F(MapTest, SourceChangeTellsDependentsThenProxiesAndAProxyChangeOnlyInvalidatesTheMap) {
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
    RecordingDependent ofMap(log, map);
    Interval valid = FOREVER;
    map->Update(0, valid);
    log.clear();
    source->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);

    EXPECT_EQ(map->validity, NEVER);
    // A proxy's dependents hear exactly the change and then message 0x102, from the proxy.
    EXPECT_EQ(MessagesTo(log, ofProxy0), (Messages{REFMSG_CHANGE, 0x102}));
    EXPECT_EQ(MessagesTo(log, ofProxy1), (Messages{REFMSG_CHANGE, 0x102}));
    for (const Notice& n : log) {
        EXPECT_EQ(n.sender, n.receiver == &ofMap      ? static_cast<ReferenceTarget*>(map)
                            : n.receiver == &ofProxy0 ? p0
                                                      : p1);
    }
    // The map's dependents first, then the proxies in registration order; the change before
    // the follow-up message.
    auto first = [&](const ReferenceMaker& to, RefMessage message) {
        auto heard = [&](const Notice& n) { return n.receiver == &to && n.message == message; };
        return std::ranges::find_if(log, heard) - log.begin();
    };
    const std::vector<std::ptrdiff_t> order{
        first(ofMap, REFMSG_CHANGE), first(ofProxy0, REFMSG_CHANGE), first(ofProxy1, REFMSG_CHANGE),
        first(ofMap, 0x102),         first(ofProxy0, 0x102),         first(ofProxy1, 0x102),
        std::ptrdiff_t(log.size())};
    EXPECT_EQ(order[0], 0);
    EXPECT_TRUE(std::ranges::adjacent_find(order, std::greater_equal<>()) == order.end());

    // A proxy's own change only invalidates the map, which passes it to no other proxy; other
    // messages change nothing.
    for (RefMessage message : {RefMessage(REFMSG_CHANGE), RefMessage(0xF7)}) {
        log.clear();
        valid = FOREVER;
        map->Update(0, valid);
        (message == REFMSG_CHANGE ? static_cast<ReferenceTarget*>(p0) : source)
            ->NotifyDependents(FOREVER, PART_ALL, message);
        EXPECT_EQ(map->validity, message == REFMSG_CHANGE ? NEVER : FOREVER);
        EXPECT_TRUE(MessagesTo(log, ofProxy1).empty());
        EXPECT_EQ(MessagesTo(log, ofProxy0).empty(), message != REFMSG_CHANGE);
        for (const Notice& n : log) {
            EXPECT_EQ(n.message, message);
        }
    }
}

TEST_F(MapTest, CloneHasItsOwnProxiesAndAPendingCopyOfTheExposures) {
    ScopedTestDrive drive;  // cloned proxies write a log line
    UseSource();
    ResizeSlots(*map, 2);
    map->GetSubTexmap(2);
    const Proxies originals{map->slotProxies[0], map->slotProxies[1]};
    map->SetSlotExposures({1.0f, 2.0f}, 2);
    SetSlotFloat(*map, pb_slotContrast, 1, 200.0f);
    testsupport::ScopedRemapDir remap;
    auto* copy = static_cast<Zenithra*>(map->Clone(remap));
    ASSERT_NE(copy, nullptr);
    scene.Add(copy);
    EXPECT_NE(copy->block, map->block);
    ASSERT_NE(copy->sourceMap, nullptr);
    EXPECT_NE(copy->sourceMap, map->sourceMap);
    const Proxies copies{copy->slotProxies[0], copy->slotProxies[1]};
    ASSERT_TRUE(copies[0] && copies[1]);
    EXPECT_TRUE(std::ranges::find_first_of(copies, originals) == copies.end());  // its own
    EXPECT_EQ(copy->registeredProxies, copies);
    EXPECT_EQ(map->registeredProxies, originals);
    EXPECT_EQ(copy->exposureCache.ToVector(), (std::vector<float>{1.0f, 2.0f}));
    EXPECT_EQ(copy->validity, NEVER);

    // The clone lives on its own once the original is gone; each proxy serves its own slot.
    // Slot 1: (2, 1, 4) squared.
    scene.Remove(0);
    EXPECT_EQ(copies[1]->master.load(), copy);
    EXPECT_TRUE(ColorNear(EvalColorAt(*copies[1], 0.3f, 0.6f), AColor(4, 1, 16, 1)));
    EXPECT_TRUE(ColorNear(EvalColorAt(*copies[0], 0.3f, 0.6f), AColor(1, 0.5f, 2, 1)));
}
