
#include "core/ZenithraClassDesc.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"

#include "scene/ChunkIO.h"

namespace {

using namespace testsupport;
using Proxies = std::vector<ZenithraProxy*>;

const AColor kSlot0Look(1.0f, 0.5f, 2.0f, 1);
const AColor kSlot1Look(0.3573f, 0.3573f, 0.3573f, 1);
const AColor kSlot2Look(0.75f, 1.0f, 0.25f, 1);

class ProxyTest : public MapFixture {
protected:
    // Source (0.5, 0.25, 1); slot 0 exposure 1, slot 1 saturation 0, slot 2 hue 1.
    void MakeThreeDistinctSlots() {
        source = new ConstantColorMap(kSource);
        map->ReplaceReference(1, source);
        ResizeSlots(*map, 3);
        map->SetSlotExposure(0, 1.0f);
        SetSlotFloat(*map, pb_slotSaturation, 1, 0.0f);
        SetSlotFloat(*map, pb_slotHue, 2, 1.0f);
        map->GetSubTexmap(3);
    }
    ZenithraProxy* Proxy(int slot) { return map->slotProxies[slot]; }

    ConstantColorMap* source = nullptr;
};

// The log's records as "function (file) message".
std::vector<std::string> Described(const std::vector<LogRecord>& records) {
    std::vector<std::string> lines;
    for (const LogRecord& r : records) {
        lines.push_back(r.wellFormed ? r.function + " (" + r.file + ") " + r.message
                                     : "malformed: " + r.message);
    }
    return lines;
}

const std::string kUnlinked =
    "ZenithraProxy::EvalColor (src/ZenithraProxy.cpp) Proxy::EvalColor: m_master is NULL, slot=";

}  // namespace

TEST_F(ProxyTest, EvaluatesItsSlotThroughTheMasterFollowsItsValidityAndClonesServeTheSameSlot) {
    ScopedTestDrive drive;  // clones write a log line
    MakeThreeDistinctSlots();
    EXPECT_TRUE(ColorNear(EvalColorAt(*Proxy(0), 0.3f, 0.6f), kSlot0Look));
    EXPECT_TRUE(ColorNear(EvalColorAt(*Proxy(1), 0.3f, 0.6f), kSlot1Look));
    EXPECT_TRUE(ColorNear(EvalColorAt(*Proxy(2), 0.3f, 0.6f), kSlot2Look, 1e-5f));
    standalone::EnvironmentSample sample = SampleAt(0.3f, 0.6f);
    // (0.7152 * 1 + 0.2126 * 0.75) + 0.0722 * 0.25
    EXPECT_NEAR(Proxy(2)->EvalMono(sample), 0.8927f, 1e-5f);
    EXPECT_EQ(Proxy(0)->LoadMapFiles(0), 1);
    EXPECT_EQ(source->loadMapFilesCalls.load(), 1);

    {
        ScopedAnimateMode on(true);
        map->block->SetValue(pb_slotContrast, 0, 100.0f, 0);
        map->block->SetValue(pb_slotContrast, 4800, 300.0f, 0);
    }
    EXPECT_EQ(Proxy(0)->Validity(2400), Interval(2400, 2400));
    EXPECT_EQ(Proxy(0)->Validity(6000), Interval(4800, TIME_PosInfinity));
    Interval valid(0, 10000);
    Proxy(0)->Update(-100, valid);
    EXPECT_EQ(valid, Interval(0, 0));

    // A clone of a linked proxy serves the same slot of the same master.
    ZenithraProxy* original = Proxy(2);
    testsupport::ScopedRemapDir remap;
    auto* twin = static_cast<ZenithraProxy*>(static_cast<Texmap*>(original->Clone(remap)));
    ASSERT_NE(twin, nullptr);
    scene.Add(twin);
    EXPECT_EQ(map->registeredProxies, (Proxies{Proxy(0), Proxy(1), Proxy(2), twin}));
    EXPECT_EQ(map->slotProxies[2], original);
    EXPECT_TRUE(ColorNear(EvalColorAt(*twin, 0.3f, 0.6f), kSlot2Look, 1e-5f));

    std::vector<Notice> log;
    RecordingDependent ofOriginal(log, original), ofTwin(log, twin);
    source->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    const std::vector<RefMessage> changeThenFollowUp{REFMSG_CHANGE, 0x102};
    EXPECT_EQ(MessagesTo(log, ofOriginal), changeThenFollowUp);
    EXPECT_EQ(MessagesTo(log, ofTwin), changeThenFollowUp);
    EXPECT_EQ(Described(ParseLog(drive.ReadLogBytes())),
              (std::vector<std::string>{
                  "ZenithraProxy::Clone (src/ZenithraProxy.cpp) Proxy::Clone slot=2 master=OK"}));

    // The twin is no reference of the master, yet the master's end unlinks it too.
    scene.Remove(0);
    EXPECT_EQ(twin->master.load(), nullptr);
    EXPECT_EQ(original->master.load(), nullptr);
}

TEST_F(ProxyTest, SlotIndexIsSavedAndRelinkedOnLoadAndSetMasterListsEachProxyOnce) {
    // Scene loading creates objects through the host's class directory. Registering twice is
    // harmless, so other tests may register the same classes.
    standalone::RegisterClassDesc(GetZenithraDesc());
    standalone::RegisterClassDesc(GetZenithraProxyDesc());
    ResizeSlots(*map, 2);
    map->GetSubTexmap(2);
    Proxy(1)->slotIndex.store(5);  // saved as 5, referenced as reference 3
    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(scene);

    standalone::SceneRoot loaded;
    std::string error;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loaded, &error)) << error;
    ASSERT_EQ(loaded.Count(), 1);
    auto* loadedMap = static_cast<Zenithra*>(static_cast<Texmap*>(loaded.Get(0)));
    for (int slot = 0; slot < 2; ++slot) {
        ZenithraProxy* proxy = loadedMap->slotProxies[slot];
        ASSERT_NE(proxy, nullptr) << "slot " << slot;
        EXPECT_EQ(std::pair(proxy->slotIndex.load(), proxy->master.load()),
                  std::pair(slot, loadedMap));
    }
    EXPECT_EQ(loadedMap->registeredProxies.size(), 2u);

    // A chunk is its 16-bit id, its 32-bit length (the 6-byte header included) and its data.
    ZenithraProxy* written = NewProxyIn(scene);
    written->slotIndex.store(7);
    standalone::ChunkWriter out;
    EXPECT_EQ(written->Save(&out), IO_OK);
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{0x00, 0x01, 10, 0, 0, 0, 7, 0, 0, 0}));

    // An unknown chunk first, then the slot index 0x0000010B, little-endian.
    const std::vector<uint8_t> data{0x00, 0x02, 11, 0, 0, 0, 9,    9,    9, 9, 9,
                                    0x00, 0x01, 10, 0, 0, 0, 0x0B, 0x01, 0, 0};
    ZenithraProxy* read = NewProxyIn(scene);
    standalone::ChunkReader reader(data.data(), data.size());
    EXPECT_EQ(read->Load(&reader), IO_OK);
    EXPECT_EQ(read->slotIndex.load(), 0x10B);

    // SetMaster keeps each proxy listed once, with its own master only.
    ZenithraProxy* p0 = Proxy(0);
    ZenithraProxy* p1 = Proxy(1);
    p0->SetMaster(map);
    EXPECT_EQ(map->registeredProxies, (Proxies{p0, p1}));
    Zenithra* other = NewMapIn(scene);
    p0->SetMaster(other);
    p0->SetMaster(other);
    EXPECT_EQ(p0->master.load(), other);
    EXPECT_EQ(map->registeredProxies, (Proxies{p1}));
    EXPECT_EQ(other->registeredProxies, (Proxies{p0}));
    p0->SetMaster(nullptr);
    EXPECT_EQ(p0->master.load(), nullptr);
    EXPECT_TRUE(other->registeredProxies.empty());
}

TEST_F(ProxyTest, UnlinkedOrOrphanedProxyEvaluatesBlackAndLogsEverySample) {
    ScopedTestDrive drive;
    ZenithraProxy* lone = NewProxyIn(scene);
    lone->slotIndex.store(3);
    standalone::EnvironmentSample sample = SampleAt(0.3f, 0.6f);
    EXPECT_EQ(lone->EvalColor(sample), kOpaqueBlack);
    EXPECT_EQ(lone->LoadMapFiles(0), 1);

    MakeThreeDistinctSlots();
    standalone::SceneRoot lights;  // what the scene's lights hold
    ZenithraProxy* p0 = Proxy(0);
    ZenithraProxy* p2 = Proxy(2);
    lights.Add(p0);
    lights.Add(p2);
    scene.Remove(0);  // destroys the master
    EXPECT_EQ(p2->Validity(0), NEVER);
    EXPECT_EQ(p2->EvalColor(sample), kOpaqueBlack);
    EXPECT_EQ(p0->EvalMono(sample), 0.0f);

    // The mono path logs under the colour function's name.
    EXPECT_EQ(Described(ParseLog(drive.ReadLogBytes())),
              (std::vector<std::string>{kUnlinked + "3", kUnlinked + "2", kUnlinked + "0"}));
}

// A map whose source is its own proxy, or two maps that feed each other through their proxies,
// would evaluate and notify for ever; the loop is cut off (in black, for a sample) after a bounded
// depth, without a log line per level and without overflowing the stack.
TEST_F(ProxyTest, ALoopOfMapsAndProxiesEvaluatesBlackInsteadOfOverflowing) {
    ScopedTestDrive drive;
    map->SetSubTexmap(0, map->GetSubTexmap(1));
    ASSERT_EQ(map->sourceMap, map->slotProxies[0]);
    map->SetSlotExposure(0, 1.0f);
    standalone::EnvironmentSample sample = SampleAt(0.3f, 0.6f);
    EXPECT_EQ(map->EvalColor(sample), kOpaqueBlack);

    Zenithra* other = NewMapIn(scene);
    map->SetSubTexmap(0, other->GetSubTexmap(1));
    other->SetSubTexmap(0, map->GetSubTexmap(1));
    EXPECT_EQ(other->slotProxies[0]->EvalColor(sample), kOpaqueBlack);
    // Change notification, validity and map loading follow the same links.
    SetSlotFloat(*other, pb_slotContrast, 0, 150.0f);
    Interval valid = FOREVER;
    map->Update(0, valid);
    EXPECT_EQ(map->LoadMapFiles(0), 1);
    EXPECT_EQ(drive.ReadLogBytes(), "");
}
