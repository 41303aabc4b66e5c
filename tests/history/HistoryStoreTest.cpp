// The lighting history: look ids, camera identity, removal, and the map's scene chunks,
// including damaged scene data.

#include "core/ZenithraClassDesc.h"
#include "history/HistoryChunks.h"
#include "history/HistoryStore.h"

#include "scene/ChunkIO.h"
#include "support/FailingAllocator.h"
#include "support/MapTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <regex>

namespace {

using testsupport::NewMapIn;
using testsupport::RecordingDependent;

SourceParamSnapshot FloatParam(uint16_t id, float value) {
    SourceParamSnapshot p;
    p.paramId = id;
    p.kind = SourceParamSnapshot::kFloat;
    p.floatValue = value;
    return p;
}

HistoryEntry Look(const wchar_t* id, const wchar_t* variant, const wchar_t* hdr,
                  const wchar_t* camera, uint32_t handle) {
    HistoryEntry e;
    e.entryId = id;
    e.variantId = variant;
    e.hdrPath = hdr;
    e.cameraName = camera;
    e.cameraHandle = handle;
    e.hasCamera = handle != 0;
    e.sourceParams = {FloatParam(1, 0.5f)};
    return e;
}

// A look that uses every field, with values that survive only an exact round trip.
HistoryEntry FullLook() {
    HistoryEntry e =
        Look(L"20261207_101500_123_0badf00d", L"", L"D:\\HDR\\Сумерки.exr", L"Camera01", 42);
    e.frame = -320;
    e.cameraTM.SetRow(0, Point3(0.0f, 1.0f, 0.0f));
    e.cameraTM.SetRow(3, Point3(-1.5f, 2.25f, 1e6f));
    e.cameraTM.SetIdentFlags(0x24);
    e.mapRotation = -123.5f;
    e.hasMapRotation = true;
    SourceParamSnapshot s;
    s.paramBlockIndex = 1;
    s.paramId = 0xFFFE;
    s.kind = SourceParamSnapshot::kString;
    s.stringValue = L"C:\\maps\\sky.hdr";
    SourceParamSnapshot p4 = FloatParam(7, 0.0f);
    p4.kind = SourceParamSnapshot::kPoint4;
    p4.point4Value = Point4(0.1f, -0.2f, 3e-8f, 1.0f);
    p4.point3Value = Point3(1, 2, 3);
    p4.isAngle = true;
    p4.intValue = -7;
    e.sourceParams = {FloatParam(3, 45.0f), s, p4};
    e.adjust.exposure = 1.25f;
    e.adjust.hue = -0.5f;
    e.adjust.sunSpotSize = 3.0f;
    e.adjust.tint = AColor(1.0f, 0.5f, 0.25f, 1.0f);
    e.slotExposures = {1.25f, -2.0f, 0.0f};
    e.savedAt = L"2026-12-07 10:15:00";
    e.previewJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0xFF, 0xD9};
    return e;
}

std::vector<uint8_t> SaveMapChunks(Zenithra& map) {
    standalone::ChunkWriter writer;
    map.Save(&writer);
    return writer.Bytes();
}

void LoadMapChunks(Zenithra& map, const std::vector<uint8_t>& bytes) {
    standalone::ChunkReader reader(bytes.data(), bytes.size());
    EXPECT_EQ(map.Load(&reader), IO_OK);
}

std::vector<uint8_t> EntryPayload(const HistoryEntry& e) {
    standalone::ChunkWriter writer;
    WriteHistoryEntry(&writer, e);
    return writer.Bytes();
}

/// A chunk with a given payload, as the host frames it.
void AppendChunk(std::vector<uint8_t>& out, USHORT id, const std::vector<uint8_t>& payload) {
    uint32_t length = uint32_t(payload.size() + standalone::kChunkHeaderBytes);
    uint8_t header[6] = {uint8_t(id),          uint8_t(id >> 8),      uint8_t(length),
                         uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)};
    out.insert(out.end(), header, header + 6);
    out.insert(out.end(), payload.begin(), payload.end());
}

/// A map held by a scene of the test's own.
class HistoryStoreTest : public testsupport::MapFixture {};

TEST_F(HistoryStoreTest, LookIdAndCameraIdentity) {
    std::string id = platform::WideToUtf8(MakeLookId().data());
    EXPECT_TRUE(std::regex_match(id, std::regex("[0-9]{8}_[0-9]{6}_[0-9]{3}_[0-9a-f]{8}"))) << id;

    HistoryEntry named = Look(L"a", L"", L"x.hdr", L"CAMERA01", 5);
    EXPECT_TRUE(SameCamera(L"camera01", 99, named));  // names decide, whatever the handles
    EXPECT_TRUE(SameCamera(L"ÄUSSEN", 5, Look(L"a", L"", L"x", L"äussen", 1)));
    EXPECT_FALSE(SameCamera(L"", 5, named));  // one name empty: never
    HistoryEntry unnamed = Look(L"a", L"", L"x.hdr", L"", 5);
    EXPECT_FALSE(SameCamera(L"Cam", 5, unnamed));
    EXPECT_TRUE(SameCamera(L"", 5, unnamed));
    EXPECT_FALSE(SameCamera(L"", 6, unnamed));
}

TEST_F(HistoryStoreTest, RemovalKeepsOrderAndNotifies) {
    std::vector<testsupport::Notice> log;
    RecordingDependent watcher(log, map);
    auto ids = [&] {  // the looks' entry ids in order, run together
        std::wstring joined;
        for (const HistoryEntry& e : map->history) {
            joined += e.entryId.data();
        }
        return joined;
    };
    map->history = {
        Look(L"1", L"v1", L"C:\\a.hdr", L"Cam", 10), Look(L"2", L"v1", L"c:\\A.HDR", L"Cam", 10),
        Look(L"3", L"", L"C:\\b.hdr", L"Top", 11), Look(L"4", L"3", L"C:\\b.hdr", L"Cam", 10),
        Look(L"5", L"v5", L"C:\\dir\\..\\a.hdr", L"", 0)};

    // The variant key of an old record is its entry id, which later records may share.
    DeleteVariant(map, Look(L"3", L"ignored", L"", L"", 0));
    EXPECT_EQ(ids(), L"125");
    log.clear();
    DeleteVariant(map, Look(L"gone", L"", L"", L"", 0));  // not in the store: still notifies
    EXPECT_EQ(ids(), L"125");
    EXPECT_EQ(testsupport::MessagesTo(log, watcher), std::vector<RefMessage>{REFMSG_CHANGE});

    DeleteHdrLooks(map, L"C:\\A.hdr");  // by path key: case and ".." do not matter
    EXPECT_EQ(ids(), L"");

    // The active viewport's camera: only the handle counts, across every HDR.
    const uint32_t camera = standalone::CreateNode(L"Cam", Matrix3())->GetHandle();
    const uint32_t other = standalone::CreateNode(L"Top", Matrix3())->GetHandle();
    map->history = {Look(L"1", L"", L"C:\\a.hdr", L"Cam", camera),
                    Look(L"2", L"", L"C:\\b.hdr", L"Top", other),
                    Look(L"3", L"", L"C:\\c.hdr", L"other name", camera)};
    log.clear();
    ClearCurrentCameraLooks(map);  // no camera in the viewport: nothing, not even a notice
    EXPECT_EQ(ids(), L"123");
    EXPECT_TRUE(log.empty());
    GetCOREInterface()->GetActiveViewExp().SetViewCamera(
        GetCOREInterface()->GetINodeByHandle(camera));
    ClearCurrentCameraLooks(map);
    standalone::RemoveAllNodes();
    EXPECT_EQ(ids(), L"2");
    EXPECT_EQ(testsupport::MessagesTo(log, watcher), std::vector<RefMessage>{REFMSG_CHANGE});

    ClearAllLooks(map);
    EXPECT_TRUE(map->history.empty());
}

TEST_F(HistoryStoreTest, SceneRoundTripKeepsEveryFieldOrderAndExposures) {
    standalone::RegisterClassDesc(GetZenithraDesc());  // scene loading creates maps by class
    testsupport::ResizeSlots(*map, 3);
    map->SetSlotExposure(1, 2.5f);
    map->SetSlotExposure(2, -1.0f);
    HistoryEntry full = FullLook();
    HistoryEntry emptyVariant = Look(L"7", L"", L"C:\\b.hdr", L"", 0);
    map->history = {Look(L"1", L"v1", L"C:\\a.hdr", L"Cam", 3), full,
                    Look(L"2", L"v1", L"C:\\a.hdr", L"Cam", 3), emptyVariant,
                    Look(L"3", L"v3", L"C:\\c.exr", L"Top", 4)};
    testsupport::ScopedRemapDir remap;
    Zenithra* clone = static_cast<Zenithra*>(map->Clone(remap));
    scene.Add(clone);
    EXPECT_EQ(clone->history, map->history);

    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(scene);
    if (const char* corpus = std::getenv("ZENITHRA_FUZZ_CORPUS")) {
        std::ofstream(std::filesystem::path(corpus) / "history-scene.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    standalone::SceneRoot loaded;
    std::string error;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loaded, &error)) << error;
    ASSERT_EQ(loaded.Count(), 2);
    auto* back = static_cast<Zenithra*>(static_cast<Texmap*>(loaded.Get(0)));
    ASSERT_NE(back, nullptr);
    HistoryStore expected = map->history;
    // Looks without a variant id are written with their entry id in the variant field.
    expected[1].variantId = full.entryId;
    expected[3].variantId = L"7";
    EXPECT_EQ(back->history, expected);
    EXPECT_EQ(back->GetSlotExposures(3), (std::vector<float>{0.0f, 2.5f, -1.0f}));
}

// A load that runs out of memory anywhere still answers IO_OK and leaves the map as it was; the
// same load works once memory is there again.
TEST_F(HistoryStoreTest, RefusedAllocationsStopAtLoad) {
    testsupport::ResizeSlots(*map, 2);
    map->SetSlotExposure(1, 1.5f);
    map->history = {Look(L"1", L"v", L"C:\\a.hdr", L"Cam", 7),
                    Look(L"2", L"v", L"C:\\a.hdr", L"", 0)};
    map->history[0].previewJpeg.assign(300, 0xFF);
    const std::vector<uint8_t> saved = SaveMapChunks(*map);
    const HistoryStore before = {Look(L"9", L"w", L"C:\\b.hdr", L"", 0)};
    Zenithra* target = NewMapIn(scene);
    std::optional<standalone::ChunkReader> reader;
    IOResult loaded = IO_ERROR;
    auto prepareLoad = [&] {
        target->history = before;
        target->SetSlotExposures({-3.0f}, 1);
        reader.emplace(saved.data(), saved.size());
    };
    // The looks and the cached exposures as they stand, read without syncing anything.
    auto holds = [&](const HistoryStore& looks, const std::vector<float>& exposures) {
        std::vector<float> cached;
        for (int i = 0; i < target->exposureCache.size(); ++i) {
            cached.push_back(target->exposureCache[i]);
        }
        return target->history == looks && cached == exposures;
    };
    EXPECT_GT(testsupport::RefuseEachAllocation(
                  prepareLoad, [&] { loaded = target->Load(&*reader); },
                  [&] {
                      EXPECT_EQ(loaded, IO_OK);
                      EXPECT_TRUE(holds(before, {-3.0f}) || holds(map->history, {0.0f, 1.5f}));
                      prepareLoad();
                      target->Load(&*reader);
                      EXPECT_TRUE(holds(map->history, {0.0f, 1.5f}));
                  }),
              0);
}

TEST_F(HistoryStoreTest, LoadValidatesEntriesAndExposureCounts) {
    auto exposures = [](uint32_t count, size_t values) {
        std::vector<uint8_t> p = {uint8_t(count), uint8_t(count >> 8), 0, 0};
        for (size_t i = 0; i < values; ++i) {
            p.insert(p.end(), {0x00, 0x00, 0x80, 0x3F});  // 1.0
        }
        return p;
    };
    HistoryEntry noParams = Look(L"1", L"v", L"C:\\a.hdr", L"", 0);
    noParams.sourceParams.clear();
    HistoryEntry tooMany = Look(L"2", L"v", L"C:\\a.hdr", L"", 0);
    std::vector<uint8_t> tooManyBytes = EntryPayload(tooMany);
    // The parameter count sits after ids, path, frame, handle, name, transform and four fields.
    size_t countAt = 4 + 2 + 4 + 2 + 4 + 16 + 4 + 4 + 4 + 52 + 1 + 4 + 4 + 1;
    tooManyBytes[countAt] = 0x88;  // 5000 parameters
    tooManyBytes[countAt + 1] = 0x13;
    HistoryEntry badKind = Look(L"3", L"v", L"C:\\a.hdr", L"", 0);
    badKind.sourceParams = {FloatParam(1, 1.0f), FloatParam(2, 2.0f), FloatParam(3, 3.0f)};
    badKind.sourceParams[0].kind = 6;
    badKind.sourceParams[1].paramBlockIndex = -1;
    HistoryEntry manyExposures = Look(L"4", L"v", L"C:\\a.hdr", L"", 0);
    manyExposures.slotExposures.assign(300, 1.0f);
    HistoryEntry good = Look(L"5", L"v", L"C:\\a.hdr", L"", 0);

    struct Case {
        std::vector<uint8_t> exposureChunk;
        std::vector<float> cache;
    };
    for (const Case& c :
         {Case{exposures(0, 0), {0.0f}}, Case{exposures(20, 20), std::vector<float>(16, 1.0f)},
          Case{exposures(300, 300), {0.0f}}, Case{exposures(3, 2), {0.0f}}}) {
        std::vector<uint8_t> bytes;
        AppendChunk(bytes, kSlotExposuresChunk, c.exposureChunk);
        AppendChunk(bytes, kHistoryEntryChunk, EntryPayload(noParams));
        AppendChunk(bytes, 0x1234, {0xDE, 0xAD, 0xBE, 0xEF});
        AppendChunk(bytes, kHistoryEntryChunk, tooManyBytes);
        AppendChunk(bytes, kHistoryEntryChunk, EntryPayload(badKind));
        AppendChunk(bytes, 0x7005, {});
        AppendChunk(bytes, kHistoryEntryChunk, EntryPayload(manyExposures));
        AppendChunk(bytes, kHistoryEntryChunk, EntryPayload(good));
        map->history = {good, good};  // replaced by the load
        LoadMapChunks(*map, bytes);
        EXPECT_EQ(map->exposureCache.ToVector(), c.cache);
        ASSERT_EQ(map->history.size(), 3u);
        EXPECT_EQ(map->history[0].entryId, L"3");
        ASSERT_EQ(map->history[0].sourceParams.size(), 1u);  // only the valid record is kept
        EXPECT_EQ(map->history[0].sourceParams[0].paramId, 3);
        EXPECT_EQ(map->history[1].entryId, L"4");
        EXPECT_TRUE(map->history[1].slotExposures.empty());
        EXPECT_EQ(map->history[2], good);
    }
}

// A look cut short at every byte: the looks before and after it load intact, and what is kept
// of the damaged one is either what was saved or the default, never something made up.
TEST_F(HistoryStoreTest, TruncatedAndOversizedEntriesNeverHurtTheirNeighbours) {
    HistoryEntry before = Look(L"before", L"v", L"C:\\a.hdr", L"", 0);
    HistoryEntry after = Look(L"after", L"w", L"C:\\b.hdr", L"", 0);
    HistoryEntry full = FullLook();
    full.variantId = L"variant";
    std::vector<uint8_t> payload = EntryPayload(full);
    const HistoryEntry defaults;
    int kept = 0;
    for (size_t cut = 0; cut <= payload.size(); ++cut) {
        std::vector<uint8_t> bytes;
        AppendChunk(bytes, kHistoryEntryChunk, EntryPayload(before));
        AppendChunk(bytes, kHistoryEntryChunk, {payload.begin(), payload.begin() + cut});
        AppendChunk(bytes, kHistoryEntryChunk, EntryPayload(after));
        LoadMapChunks(*map, bytes);
        ASSERT_GE(map->history.size(), 2u) << cut;
        EXPECT_EQ(map->history.front(), before);
        EXPECT_EQ(map->history.back(), after);
        if (map->history.size() == 3) {
            ++kept;
            const HistoryEntry& e = map->history[1];
            EXPECT_EQ(e.entryId, full.entryId);
            EXPECT_EQ(e.cameraTM, full.cameraTM);
            EXPECT_TRUE(e.adjust == full.adjust || e.adjust == defaults.adjust) << cut;
            EXPECT_TRUE(e.slotExposures == full.slotExposures || e.slotExposures.empty()) << cut;
            EXPECT_TRUE(std::wstring_view(full.savedAt.data()).starts_with(e.savedAt.data()))
                << cut;
            EXPECT_TRUE(
                std::equal(e.previewJpeg.begin(), e.previewJpeg.end(), full.previewJpeg.begin()))
                << cut;
        }
    }
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, int(payload.size()) / 2);  // most cuts lose the parameter snapshot

    // Counts far beyond the chunk: only what it holds is read.
    HistoryEntry hungry = Look(L"h", L"v", L"C:\\a.hdr", L"", 0);
    hungry.previewJpeg = {1, 2, 3};
    std::vector<uint8_t> hungryBytes = EntryPayload(hungry);
    std::fill_n(hungryBytes.end() - 3 - 4, 4, 0xFF);  // the preview's byte count
    std::vector<uint8_t> bytes;
    AppendChunk(bytes, kHistoryEntryChunk, hungryBytes);
    AppendChunk(bytes, kHistoryEntryChunk, EntryPayload(after));
    LoadMapChunks(*map, bytes);
    ASSERT_EQ(map->history.size(), 2u);
    EXPECT_EQ(map->history[0].previewJpeg, hungry.previewJpeg);
    EXPECT_EQ(map->history[1], after);
}

}  // namespace
