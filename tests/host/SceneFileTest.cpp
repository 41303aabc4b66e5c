// The standalone host's chunked scene data and its scene file: damaged chunk lengths and data,
// scenes that load back as they were saved with their nodes and the viewport's camera, and a
// save that fails part-way, which leaves the last good file whole.

#include "scene/ChunkIO.h"
#include "maps/ProceduralSky.h"

#include "core/ZenithraClassDesc.h"
#include "support/FileSizeLimit.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"

#include <filesystem>

namespace {

using standalone::ChunkReader;
using Bytes = std::vector<uint8_t>;

// --- Chunk reader --------------------------------------------------------------------------

// Host strings in files are UTF-16 with a terminator in both builds: a character outside the
// Basic Multilingual Plane is a surrogate pair, and a chunk that ends before the terminator
// gives what was there with IO_ERROR.
TEST(ChunkIOTest, WideStringsAreUtf16WithATerminatorInBothBuilds) {
    standalone::ChunkWriter out;
    out.BeginChunk(0x10);
    ASSERT_EQ(out.WriteWString(L"k\u00fc\U0001F305"), IO_OK);
    out.EndChunk();
    const Bytes expected = {0x10, 0x00, 16, 0, 0, 0, 'k', 0, 0xFC, 0, 0x3C, 0xD8, 0x05, 0xDF, 0, 0};
    ASSERT_EQ(out.Bytes(), expected);
    for (size_t cut : {size_t(0), size_t(2)}) {
        Bytes bytes(expected.begin(), expected.end() - std::ptrdiff_t(cut));
        bytes[2] = uint8_t(bytes.size());
        ChunkReader in(bytes.data(), bytes.size());
        ASSERT_EQ(in.OpenChunk(), IO_OK);
        wchar_t* text = nullptr;
        EXPECT_EQ(in.ReadWStringChunk(&text), cut == 0 ? IO_OK : IO_ERROR);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::wstring(text), L"k\u00fc\U0001F305");
    }
}

// --- Scene file ---------------------------------------------------------------------------

// A sky with one parameter changed, one animated and a name.
Texmap* NewEditedSky() {
    Texmap* sky = standalone::CreateProceduralSky();
    IParamBlock2* block = sky->GetParamBlock(0);
    block->SetValue(standalone::kSkySunElevation, 0, 45.0f);
    AnimateOn();
    block->SetValue(standalone::kSkySunIntensity, 3200, 800.0f);  // 5000 at 0
    AnimateOff();
    sky->SetName(L"Evening sky");
    return sky;
}

void ExpectEditedSky(ReferenceTarget* target) {
    ASSERT_TRUE(target && target->SuperClassID() == TEXMAP_CLASS_ID &&
                target->ClassID() == standalone::kProceduralSkyClassID);
    auto* sky = static_cast<Texmap*>(target);
    EXPECT_EQ(std::wstring(sky->GetName().data()), L"Evening sky");
    IParamBlock2* block = sky->GetParamBlock(0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(sky->GetReference(0), block);
    float elevation = -1.0f, intensity = -1.0f;
    Interval valid = FOREVER;
    EXPECT_TRUE(block->GetValue(standalone::kSkySunElevation, 0, elevation, valid));
    EXPECT_TRUE(block->GetValue(standalone::kSkySunIntensity, 1600, intensity, valid));
    EXPECT_EQ(elevation, 45.0f);
    EXPECT_EQ(intensity, 2900.0f);  // halfway between the keys 5000 at 0 and 800 at 3200
}

// The map holds the sky the root holds too, and a proxy nothing else holds. Loaded with every
// class known, the sky is one object with both dependents; with the map's class unknown, the map
// is dropped with the proxy only it held (the leak checker of the sanitised builds would report
// it otherwise), and the sky loads as saved. The scene's nodes, a camera's keys and the viewport's
// camera come back with it, in place of the nodes there were.
TEST(SceneFileTest, SharedTargetsNodesAndTheViewportCameraLoadAsSavedAndUnknownClassesAreDropped) {
    standalone::RegisterClassDesc(GetZenithraDesc());
    standalone::RegisterClassDesc(GetZenithraProxyDesc());
    standalone::SceneRoot root;
    Zenithra* map = testsupport::NewMapIn(root);
    Texmap* sky = NewEditedSky();
    map->SetSubTexmap(0, sky);
    map->GetSubTexmap(1);
    root.Add(sky);
    standalone::RemoveAllNodes();
    Matrix3 start;
    start.SetRow(3, {1, 2, 3});
    INode* other = standalone::CreateNode(L"Other", Matrix3());
    INode* camera = standalone::CreateNode(L"Cam\u00e9ra", start);
    Matrix3 moved = start;
    moved.SetRow(0, {0, 1, 0});
    moved.SetRow(3, {4, 5, 6});
    AnimateOn();
    camera->SetNodeTM(100 * GetTicksPerFrame(), moved);
    AnimateOff();
    Interface& core = *GetCOREInterface();
    core.GetActiveViewExp().SetViewCamera(camera);
    const ULONG handle = camera->GetHandle(), otherHandle = other->GetHandle();
    const std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(root);
    standalone::RemoveAllNodes();
    standalone::CreateNode(L"Unsaved", Matrix3());

    standalone::SceneRoot known;
    std::string error;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, known, &error)) << error;
    ASSERT_EQ(known.Count(), 2);
    auto* loadedMap = static_cast<Texmap*>(known.Get(0));
    ASSERT_EQ(loadedMap->ClassID(), map->ClassID());
    EXPECT_EQ(loadedMap->GetSubTexmap(0), known.Get(1));
    EXPECT_EQ(standalone::DependentsOf(known.Get(1)).size(), 2u);  // the map and the root
    ExpectEditedSky(known.Get(1));
    INode* back = core.GetINodeByHandle(handle);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back->GetName()), L"Cam\u00e9ra");
    EXPECT_EQ(back->GetNodeTM(100 * GetTicksPerFrame()), moved);
    EXPECT_EQ(core.GetActiveViewExp().GetViewCamera(), back);
    EXPECT_NE(core.GetINodeByHandle(otherHandle), nullptr);
    EXPECT_EQ(core.GetINodeByName(L"Unsaved"), nullptr);
    // New nodes never take a loaded node's handle.
    EXPECT_GT(standalone::CreateNode(L"New", Matrix3())->GetHandle(), handle);

    standalone::UnregisterClassDesc(GetZenithraDesc());
    standalone::SceneRoot unknown;
    const bool loaded = standalone::LoadSceneFromBytes(bytes, unknown, &error);
    standalone::RegisterClassDesc(GetZenithraDesc());
    ASSERT_TRUE(loaded) << error;
    ASSERT_EQ(unknown.Count(), 1);
    ExpectEditedSky(unknown.Get(0));
    standalone::RemoveAllNodes();
}

TEST(SceneFileDamageTest, EveryTruncationAndEveryDamagedByteLoadsWithoutCrashing) {
    standalone::SceneRoot saved;
    saved.Add(NewEditedSky());
    const std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(saved);
    ASSERT_GT(bytes.size(), 100u);
    for (size_t at = 0; at < bytes.size(); ++at) {
        standalone::SceneRoot root;
        std::vector<unsigned char> prefix(bytes.begin(), bytes.begin() + std::ptrdiff_t(at));
        std::string error;
        const bool ok = standalone::LoadSceneFromBytes(prefix, root, &error);
        EXPECT_TRUE(!ok || at >= 10) << at;  // the 10-byte header chunk is the least scene file
        EXPECT_LE(root.Count(), 1) << at;
        for (unsigned char value : {0x00, 0xFF}) {
            std::vector<unsigned char> damaged = bytes;
            damaged[at] = value;
            standalone::SceneRoot damagedRoot;
            standalone::LoadSceneFromBytes(damaged, damagedRoot, nullptr);
            EXPECT_LE(damagedRoot.Count(), 1) << at;
        }
    }
    standalone::SceneRoot whole;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, whole, nullptr));
    EXPECT_EQ(whole.Count(), 1);
}

#if !defined(_WIN32)
TEST(SceneSaveTest, ASaveThatFailsPartWayKeepsTheLastGoodFile) {
    testsupport::ScopedTestDrive drive;
    ASSERT_TRUE(platform::CreateFolder(drive.ScratchFolder()));
    const std::wstring path = drive.ScratchFolder() + L"\\scene.zen";
    standalone::SceneRoot small;
    small.Add(standalone::CreateProceduralSky());
    ASSERT_TRUE(standalone::SaveScene(path, small, nullptr));
    const std::string good = testsupport::ReadFileBytes(testsupport::NativePath(path));

    // A scene bigger than files may grow: the write stops part-way.
    standalone::SceneRoot big;
    for (int i = 0; i < 400; ++i) {
        big.Add(standalone::CreateProceduralSky());
    }
    ASSERT_GT(standalone::SaveSceneToBytes(big).size(), good.size() + 4096);
    std::string error;
    {
        testsupport::FileSizeLimit limit(good.size() + 1024);
        EXPECT_FALSE(standalone::SaveScene(path, big, &error));
    }
    EXPECT_EQ(error, "cannot write the scene file");
    EXPECT_EQ(testsupport::ReadFileBytes(testsupport::NativePath(path)), good);
    // Nothing but the scene itself is left in its folder.
    const auto folder = testsupport::NativePath(drive.ScratchFolder());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    standalone::SceneRoot loaded;
    EXPECT_TRUE(standalone::LoadScene(path, loaded, nullptr));
    EXPECT_EQ(loaded.Count(), 1);
}
#endif

}  // namespace
