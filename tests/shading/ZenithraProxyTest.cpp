#include "ZenithraProxy.h"

#include "core/ZenithraClassDesc.h"
#include "shading/Zenithra.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"

#include "ChunkIO.h"
#include "StandaloneHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::ColorNear;
using testsupport::ConstantColorMap;
using testsupport::EvalColorAt;
using testsupport::LogRecord;
using testsupport::NewMapIn;
using testsupport::NewProxyIn;
using testsupport::Notice;
using testsupport::ParseLog;
using testsupport::RecordingDependent;
using testsupport::ResizeSlots;
using testsupport::SampleAt;
using testsupport::ScopedAnimateMode;
using testsupport::ScopedTestDrive;
using testsupport::SetSlotFloat;

const AColor kSource(0.5f, 0.25f, 1.0f, 0.3f);
const AColor kOpaqueBlack(0, 0, 0, 1);
const char* const kProxySourceFile = "src/ZenithraProxy.cpp";

class ProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Scene loading creates objects through the host's class directory. Registering twice
        // is harmless, so other tests may register the same classes.
        standalone::RegisterClassDesc(GetZenithraDesc());
        standalone::RegisterClassDesc(GetZenithraProxyDesc());
    }
    ConstantColorMap* UseSource() {
        source = new ConstantColorMap(kSource);
        map->ReplaceReference(1, source);
        return source;
    }
    // Three slots with different looks: slot 0 exposure 1, slot 1 saturation 0, slot 2 hue 1.
    void MakeThreeDistinctSlots() {
        UseSource();
        ResizeSlots(*map, 3);
        map->SetSlotExposure(0, 1.0f);
        SetSlotFloat(*map, pb_slotSaturation, 1, 0.0f);
        SetSlotFloat(*map, pb_slotHue, 2, 1.0f);
        map->GetSubTexmap(3);
    }
    ZenithraProxy* Proxy(int slot) { return map->slotProxies[slot]; }

    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
    ConstantColorMap* source = nullptr;
};

const AColor kSlot0Look(1.0f, 0.5f, 2.0f, 1);
const AColor kSlot1Look(0.3573f, 0.3573f, 0.3573f, 1);
const AColor kSlot2Look(0.75f, 1.0f, 0.25f, 1);

std::vector<Notice> NoticesOf(const std::vector<Notice>& log, const ReferenceMaker& receiver) {
    std::vector<Notice> mine;
    for (const Notice& n : log) {
        if (n.receiver == &receiver) {
            mine.push_back(n);
        }
    }
    return mine;
}

std::vector<RefMessage> MessagesOf(const std::vector<Notice>& notices) {
    std::vector<RefMessage> messages;
    for (const Notice& n : notices) {
        messages.push_back(n.message);
    }
    return messages;
}

void ExpectUnlinkedLine(const LogRecord& record, int slot) {
    EXPECT_TRUE(record.wellFormed) << record.message;
    EXPECT_EQ(record.function, "ZenithraProxy::EvalColor");
    EXPECT_EQ(record.file, kProxySourceFile);
    EXPECT_EQ(record.message, "Proxy::EvalColor: m_master is NULL, slot=" + std::to_string(slot));
}

}  // namespace

TEST_F(ProxyTest, EvaluatesItsSlotThroughTheMaster) {
    MakeThreeDistinctSlots();
    EXPECT_TRUE(ColorNear(EvalColorAt(*Proxy(0), 0.3f, 0.6f), kSlot0Look));
    EXPECT_TRUE(ColorNear(EvalColorAt(*Proxy(1), 0.3f, 0.6f), kSlot1Look));
    EXPECT_TRUE(ColorNear(EvalColorAt(*Proxy(2), 0.3f, 0.6f), kSlot2Look, 1e-5f));
    standalone::EnvironmentSample sample = SampleAt(0.3f, 0.6f);
    // (0.7152 * 1 + 0.2126 * 0.75) + 0.0722 * 0.25
    EXPECT_NEAR(Proxy(2)->EvalMono(sample), 0.8927f, 1e-5f);
    EXPECT_NEAR(Proxy(1)->EvalMono(sample), 0.3573f, 1e-5f);

    // With two slots left, the proxy of slot 2 shows slot 0's look.
    map->block->SetValue(pb_slotCount, 0, 2);
    EXPECT_EQ(Proxy(2)->master.load(), map);
    EXPECT_TRUE(ColorNear(EvalColorAt(*Proxy(2), 0.3f, 0.6f), kSlot0Look));
}

TEST_F(ProxyTest, SavesItsSlotIndexInChunk0x100AndLoadsItSkippingOtherChunks) {
    ZenithraProxy* proxy = NewProxyIn(scene);
    proxy->slotIndex.store(7);
    standalone::ChunkWriter out;
    EXPECT_EQ(proxy->Save(&out), IO_OK);

    standalone::ChunkReader in(out.Bytes().data(), out.Bytes().size());
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    EXPECT_EQ(in.CurChunkID(), 0x100);
    ASSERT_EQ(in.CurChunkLength(), 4u);
    unsigned char bytes[4] = {};
    ULONG got = 0;
    ASSERT_EQ(in.Read(bytes, 4, &got), IO_OK);
    EXPECT_EQ(bytes[0], 7);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[3], 0);
    in.CloseChunk();
    EXPECT_EQ(in.OpenChunk(), IO_END);

    // An unknown chunk first, then the slot index 0x0000010B, little-endian.
    standalone::ChunkWriter data;
    const unsigned char unknown[5] = {9, 9, 9, 9, 9};
    const unsigned char index[4] = {0x0B, 0x01, 0, 0};
    ULONG written = 0;
    data.BeginChunk(0x200);
    data.Write(unknown, 5, &written);
    data.EndChunk();
    data.BeginChunk(0x100);
    data.Write(index, 4, &written);
    data.EndChunk();
    ZenithraProxy* loaded = NewProxyIn(scene);
    standalone::ChunkReader reader(data.Bytes().data(), data.Bytes().size());
    EXPECT_EQ(loaded->Load(&reader), IO_OK);
    EXPECT_EQ(loaded->slotIndex.load(), 0x10B);
    EXPECT_EQ(loaded->master.load(), nullptr);
}

TEST_F(ProxyTest, SlotIndexRoundTripsThroughTheSceneFile) {
    standalone::SceneRoot saved;
    for (int index : {0, 7, 15}) {
        NewProxyIn(saved)->slotIndex.store(index);
    }
    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(saved);

    standalone::SceneRoot loaded;
    std::string error;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loaded, &error)) << error;
    ASSERT_EQ(loaded.Count(), 3);
    const int expected[] = {0, 7, 15};
    for (int i = 0; i < 3; ++i) {
        ReferenceTarget* object = loaded.Get(i);
        ASSERT_NE(object, nullptr);
        ASSERT_EQ(object->ClassID(), Class_ID(0x4D4E3AA1, 0x19FFB205));
        auto* proxy = static_cast<ZenithraProxy*>(static_cast<Texmap*>(object));
        EXPECT_EQ(proxy->slotIndex.load(), expected[i]);
        EXPECT_EQ(proxy->master.load(), nullptr);
    }
}

TEST_F(ProxyTest, LoadedMasterRelinksItsProxiesWithTheirReferenceIndex) {
    ResizeSlots(*map, 2);
    map->GetSubTexmap(2);
    Proxy(1)->slotIndex.store(5);  // saved as 5, referenced as reference 3
    ZenithraProxy* lone = NewProxyIn(scene);
    lone->slotIndex.store(5);
    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(scene);

    standalone::SceneRoot loaded;
    std::string error;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loaded, &error)) << error;
    ASSERT_EQ(loaded.Count(), 2);
    ASSERT_EQ(loaded.Get(0)->ClassID(), Class_ID(0x3A131461, 0x7AD0204C));
    auto* loadedMap = static_cast<Zenithra*>(static_cast<Texmap*>(loaded.Get(0)));
    ZenithraProxy* slot0 = loadedMap->slotProxies[0];
    ZenithraProxy* slot1 = loadedMap->slotProxies[1];
    ASSERT_NE(slot0, nullptr);
    ASSERT_NE(slot1, nullptr);
    EXPECT_EQ(loadedMap->GetReference(3), slot1);
    EXPECT_EQ(slot1->slotIndex.load(), 1);
    EXPECT_EQ(slot1->master.load(), loadedMap);
    EXPECT_EQ(slot0->slotIndex.load(), 0);
    EXPECT_EQ(slot0->master.load(), loadedMap);
    EXPECT_EQ(loadedMap->registeredProxies.size(), 2u);

    // The proxy no master references keeps what it saved and stays unlinked.
    auto* loadedLone = static_cast<ZenithraProxy*>(static_cast<Texmap*>(loaded.Get(1)));
    EXPECT_EQ(loadedLone->slotIndex.load(), 5);
    EXPECT_EQ(loadedLone->master.load(), nullptr);
}

TEST_F(ProxyTest, UnlinkedProxyEvaluatesBlackAndLogsEverySample) {
    ScopedTestDrive drive;
    ZenithraProxy* proxy = NewProxyIn(scene);
    proxy->slotIndex.store(3);
    standalone::EnvironmentSample sample = SampleAt(0.5f, 0.25f);

    EXPECT_EQ(proxy->EvalColor(sample), kOpaqueBlack);
    EXPECT_EQ(proxy->EvalMono(sample), 0.0f);

    const std::string bytes = drive.ReadLogBytes();
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    std::vector<LogRecord> records = ParseLog(bytes);
    ASSERT_EQ(records.size(), 2u);
    ExpectUnlinkedLine(records[0], 3);
    ExpectUnlinkedLine(records[1], 3);
    // The mono path logs under the colour function's name and line.
    EXPECT_EQ(records[1].line, records[0].line);
    EXPECT_GT(records[0].line, 0);

    Interval valid = FOREVER;
    proxy->Update(0, valid);
    EXPECT_EQ(valid, NEVER);
    EXPECT_EQ(proxy->Validity(0), NEVER);
    EXPECT_EQ(proxy->CreateParamDlg(nullptr, nullptr), nullptr);
    EXPECT_EQ(proxy->LoadMapFiles(0), 1);
}

TEST_F(ProxyTest, CloneOfALinkedProxyServesTheSameSlotOfTheSameMaster) {
    ScopedTestDrive drive;
    MakeThreeDistinctSlots();
    ZenithraProxy* original = Proxy(2);
    DefaultRemapDir remap;
    auto* twin = static_cast<ZenithraProxy*>(static_cast<Texmap*>(original->Clone(remap)));
    ASSERT_NE(twin, nullptr);
    scene.Add(twin);

    EXPECT_NE(twin, original);
    EXPECT_EQ(twin->slotIndex.load(), 2);
    EXPECT_EQ(twin->master.load(), map);
    EXPECT_EQ(twin->GetName(), u"Zenithra:Slot 3");
    EXPECT_EQ(map->registeredProxies,
              (std::vector<ZenithraProxy*>{Proxy(0), Proxy(1), Proxy(2), twin}));
    EXPECT_EQ(map->slotProxies[2], original);
    EXPECT_TRUE(ColorNear(EvalColorAt(*twin, 0.3f, 0.6f), kSlot2Look, 1e-5f));

    std::vector<Notice> log;
    RecordingDependent ofOriginal(log, original), ofTwin(log, twin);
    source->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    const std::vector<RefMessage> changeThenFollowUp{REFMSG_CHANGE, 0x102};
    EXPECT_EQ(MessagesOf(NoticesOf(log, ofOriginal)), changeThenFollowUp);
    EXPECT_EQ(MessagesOf(NoticesOf(log, ofTwin)), changeThenFollowUp);

    ZenithraProxy* unlinked = NewProxyIn(scene);
    unlinked->slotIndex.store(4);
    auto* unlinkedTwin = static_cast<ZenithraProxy*>(static_cast<Texmap*>(unlinked->Clone(remap)));
    scene.Add(unlinkedTwin);
    EXPECT_EQ(unlinkedTwin->slotIndex.load(), 4);
    EXPECT_EQ(unlinkedTwin->master.load(), nullptr);

    std::vector<LogRecord> records = ParseLog(drive.ReadLogBytes());
    ASSERT_EQ(records.size(), 2u);
    for (const LogRecord& r : records) {
        EXPECT_TRUE(r.wellFormed) << r.message;
        EXPECT_EQ(r.function, "ZenithraProxy::Clone");
        EXPECT_EQ(r.file, kProxySourceFile);
    }
    EXPECT_EQ(records[0].message, "Proxy::Clone slot=2 master=OK");
    EXPECT_EQ(records[1].message, "Proxy::Clone slot=4 master=NULL");

    // The twin is no reference of the master, yet the master's end unlinks it too.
    scene.Remove(0);
    EXPECT_EQ(twin->master.load(), nullptr);
    EXPECT_EQ(original->master.load(), nullptr);
}

TEST_F(ProxyTest, SetMasterKeepsEachProxyListedOnceWithItsMaster) {
    ResizeSlots(*map, 2);
    map->GetSubTexmap(2);
    ZenithraProxy* p0 = Proxy(0);
    ZenithraProxy* p1 = Proxy(1);
    ASSERT_EQ(map->registeredProxies, (std::vector<ZenithraProxy*>{p0, p1}));

    p0->SetMaster(map);
    EXPECT_EQ(map->registeredProxies, (std::vector<ZenithraProxy*>{p0, p1}));
    EXPECT_EQ(p0->master.load(), map);

    Zenithra* other = NewMapIn(scene);
    p0->SetMaster(other);
    EXPECT_EQ(p0->master.load(), other);
    EXPECT_EQ(map->registeredProxies, (std::vector<ZenithraProxy*>{p1}));
    EXPECT_EQ(other->registeredProxies, (std::vector<ZenithraProxy*>{p0}));
    p0->SetMaster(other);
    EXPECT_EQ(other->registeredProxies, (std::vector<ZenithraProxy*>{p0}));

    p0->SetMaster(nullptr);
    EXPECT_EQ(p0->master.load(), nullptr);
    EXPECT_TRUE(other->registeredProxies.empty());

    p0->SetMaster(map);
    EXPECT_EQ(map->registeredProxies, (std::vector<ZenithraProxy*>{p1, p0}));
}

TEST_F(ProxyTest, DestroyingTheMasterUnlinksItsProxies) {
    ScopedTestDrive drive;
    MakeThreeDistinctSlots();
    standalone::SceneRoot lights;  // what the scene's lights hold
    ZenithraProxy* p0 = Proxy(0);
    ZenithraProxy* p2 = Proxy(2);
    lights.Add(p0);
    lights.Add(p2);

    scene.Remove(0);

    EXPECT_EQ(p0->master.load(), nullptr);
    EXPECT_EQ(p2->master.load(), nullptr);
    EXPECT_EQ(p2->Validity(0), NEVER);
    standalone::EnvironmentSample sample = SampleAt(0.3f, 0.6f);
    EXPECT_EQ(p2->EvalColor(sample), kOpaqueBlack);
    EXPECT_EQ(p0->EvalMono(sample), 0.0f);
    EXPECT_EQ(p0->EvalColor(sample), kOpaqueBlack);

    std::vector<LogRecord> records = ParseLog(drive.ReadLogBytes());
    ASSERT_EQ(records.size(), 3u);
    ExpectUnlinkedLine(records[0], 2);
    ExpectUnlinkedLine(records[1], 0);
    ExpectUnlinkedLine(records[2], 0);
}

TEST_F(ProxyTest, AnswersHostQueriesAndFollowsItsMastersValidity) {
    UseSource();
    ZenithraProxy* proxy = static_cast<ZenithraProxy*>(map->GetSubTexmap(1));
    MSTR name;
    proxy->GetClassName(name);
    EXPECT_EQ(name, u"ZenithraProxy");
    EXPECT_EQ(proxy->ClassID(), Class_ID(0x4D4E3AA1, 0x19FFB205));
    EXPECT_EQ(proxy->SuperClassID(), 0xC10u);
    EXPECT_EQ(proxy->NumRefs(), 0);
    EXPECT_EQ(proxy->NumSubs(), 0);
    EXPECT_EQ(proxy->SubAnimName(0), u"");
    EXPECT_EQ(proxy->NumSubTexmaps(), 0);
    EXPECT_EQ(proxy->NumParamBlocks(), 0);
    EXPECT_EQ(proxy->LocalRequirements(0), 0x8010u);
    MapChannelSet mapReq, bumpReq;
    proxy->LocalMappingsRequired(0, mapReq, bumpReq);
    EXPECT_EQ(mapReq.bits, uint64_t(1) << 1);
    EXPECT_EQ(proxy->GetTextureTiling(), 3);
    standalone::EnvironmentSample sample = SampleAt(0.5f, 0.5f);
    EXPECT_EQ(proxy->EvalNormalPerturb(sample), Point3(0, 0, 0));
    EXPECT_TRUE(proxy->IsLocalOutputMeaningful(sample));

    EXPECT_EQ(proxy->LoadMapFiles(0), 1);
    EXPECT_EQ(source->loadMapFilesCalls.load(), 1);

    {
        ScopedAnimateMode on(true);
        map->block->SetValue(pb_slotContrast, 0, 100.0f, 0);
        map->block->SetValue(pb_slotContrast, 4800, 300.0f, 0);
    }
    EXPECT_EQ(proxy->Validity(2400), Interval(2400, 2400));
    EXPECT_EQ(proxy->Validity(6000), Interval(4800, TIME_PosInfinity));
    Interval valid(0, 10000);
    proxy->Update(-100, valid);
    EXPECT_EQ(valid, Interval(0, 0));
}
