
#include "support/MapTestSupport.h"
#include "support/NamedParamMap.h"
#include "support/TestDrive.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

using namespace testsupport;
using Proxies = std::vector<ZenithraProxy*>;

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
}

TEST_F(MapTest, SlotsBeyondShortTablesReadTheirDefaultsWithoutWritingTheMap) {
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
    EXPECT_EQ(map->NumSubTexmaps(), 4);

    // A non-proxy creates the proxies up to its slot and changes nothing else.
    map->SetSlotExposure(1, 2.0f);
    map->SetSubTexmap(2, bitmap);
    ZenithraProxy* p1 = map->slotProxies[1];
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(map->registeredProxies, (Proxies{p0, p1}));
    EXPECT_EQ(p1->slotIndex.load(), 1);
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
    map->SetSubTexmap(0, new ConstantColorMap(AColor(2, 2, 2, 1)));
    EXPECT_TRUE(ColorNear(EvalSlot(1), AColor(2, 2, 2, 1)));
    map->SetSubTexmap(0, nullptr);
    standalone::EnvironmentSample sample = SampleAt(0.5f, 0.25f);
    EXPECT_EQ(map->EvalColor(sample), kOpaqueBlack);
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
    // Who was heard, in order: each listener hears only the object it references, and the
    // host passes what a proxy sends on to the map's own listeners.
    const std::map<ReferenceTarget*, std::string> senders{{map, "map"}, {p0, "p0"}, {p1, "p1"}};
    const std::map<RefMessage, std::string> messages{
        {REFMSG_CHANGE, "change"}, {0x102, "0x102"}, {0xF7, "0xF7"}};
    auto heard = [&] {
        std::string text;
        for (const Notice& n : log) {
            text += senders.at(n.sender) + " " + messages.at(n.message) + "; ";
        }
        return text;
    };
    source->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_EQ(map->validity, NEVER);
    // The map's dependents first, then the proxies' in registration order; the change before
    // the follow-up message; last the host passes the source's own message on.
    EXPECT_EQ(heard(),
              "map change; p0 change; map change; p1 change; map change; "
              "map 0x102; p0 0x102; map 0x102; p1 0x102; map 0x102; map change; ");

    // A proxy's own change only invalidates the map, which passes it to no other proxy; other
    // messages change nothing.
    for (RefMessage message : {RefMessage(REFMSG_CHANGE), RefMessage(0xF7)}) {
        log.clear();
        valid = FOREVER;
        map->Update(0, valid);
        (message == REFMSG_CHANGE ? static_cast<ReferenceTarget*>(p0) : source)
            ->NotifyDependents(FOREVER, PART_ALL, message);
        EXPECT_EQ(map->validity, message == REFMSG_CHANGE ? NEVER : FOREVER);
        EXPECT_EQ(heard(), message == REFMSG_CHANGE ? "p0 change; map change; " : "map 0xF7; ");
    }
}

TEST_F(MapTest, CloneHasItsOwnProxiesAndServesItsSlotsOnceTheOriginalIsGone) {
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
    const Proxies copies{copy->slotProxies[0], copy->slotProxies[1]};
    ASSERT_TRUE(copies[0] && copies[1]);
    EXPECT_TRUE(std::ranges::find_first_of(copies, originals) == copies.end());  // its own
    EXPECT_EQ(copy->registeredProxies, copies);
    EXPECT_EQ(map->registeredProxies, originals);

    // The clone lives on its own once the original is gone; each proxy serves its own slot.
    // Slot 1: (2, 1, 4) squared.
    scene.Remove(0);
    EXPECT_EQ(copies[1]->master.load(), copy);
    EXPECT_TRUE(ColorNear(EvalColorAt(*copies[1], 0.3f, 0.6f), AColor(4, 1, 16, 1)));
    EXPECT_TRUE(ColorNear(EvalColorAt(*copies[0], 0.3f, 0.6f), AColor(1, 0.5f, 2, 1)));
}
