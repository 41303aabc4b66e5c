// A scene file written before the host's strings became wide characters: it loads with every
// name and path as saved, and the same scene saved again gives the same bytes in both builds.
// Names outside the Basic Multilingual Plane travel as surrogate pairs in the file.

#include "maps/BitmapMap.h"

#include "core/ZenithraClassDesc.h"
#include "core/ZenithraIds.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"

#include <filesystem>
#include <fstream>

namespace {

const std::wstring kSunPath = L"C:\\HDR\\\U0001F305 Dawn\\k\u00fcste.hdr";
const std::wstring kCameraName = L"Cam\u00e9ra \U0001F3A5";

HistoryEntry GoldenLook() {
    HistoryEntry look;
    look.entryId = L"20261208_103000_125_0000abcd";
    look.variantId = look.entryId;
    look.hdrPath = kSunPath.c_str();
    look.frame = 12;
    look.cameraHandle = 7;
    look.cameraName = kCameraName.c_str();
    look.cameraTM.SetRow(3, {1, 2, 3});
    look.hasCamera = true;
    look.mapRotation = 30.0f;
    look.hasMapRotation = true;
    SourceParamSnapshot file;
    file.paramId = standalone::kBitmapFileName;
    file.kind = SourceParamSnapshot::kString;
    file.stringValue = kSunPath.c_str();
    look.sourceParams = {file};
    look.adjust.exposure = 1.5f;
    look.slotExposures = {1.5f, -0.5f};
    look.savedAt = L"2026-12-08 10:30:00";
    look.previewJpeg = {0xFF, 0xD8, 0xFF, 0xD9};
    return look;
}

// A map with two slots, a Bitmap source that names a file outside the Basic Multilingual Plane
// and one saved look.
void BuildGoldenScene(standalone::SceneRoot& root) {
    Zenithra* map = testsupport::NewMapIn(root);
    map->SetName(L"Sky \U0001F305");
    testsupport::ResizeSlots(*map, 2);
    testsupport::SetSlotFloat(*map, pb_slotExposure, 0, 1.5f);
    testsupport::SetSlotFloat(*map, pb_slotExposure, 1, -0.5f);
    testsupport::SetSlotColor(*map, pb_slotTint, 1, Point4(1.0f, 0.875f, 0.75f, 1.0f));
    Texmap* bitmap = standalone::CreateBitmapMap();
    bitmap->GetParamBlock(0)->SetValue(standalone::kBitmapFileName, 0, kSunPath.c_str());
    map->SetSubTexmap(0, bitmap);
    map->history.push_back(GoldenLook());
}

std::vector<unsigned char> ReadGolden() {
    const std::string bytes =
        testsupport::ReadFileBytes(std::filesystem::path(ZENITHRA_TEST_DATA) / "golden-scene.zen");
    return {bytes.begin(), bytes.end()};
}

TEST(GoldenSceneTest, TheGoldenFileLoadsAsSavedAndTheSameSceneSavesToItsBytes) {
    standalone::RegisterClassDesc(GetZenithraDesc());
    standalone::RegisterClassDesc(GetZenithraProxyDesc());
    standalone::RemoveAllNodes();
    standalone::SceneRoot built;
    BuildGoldenScene(built);
    const std::vector<unsigned char> saved = standalone::SaveSceneToBytes(built);
    const std::vector<unsigned char> golden = ReadGolden();
    if (saved != golden) {
        std::filesystem::create_directories("artifacts");
        std::ofstream("artifacts/golden-scene.zen", std::ios::binary)
            .write(reinterpret_cast<const char*>(saved.data()), std::streamsize(saved.size()));
    }
    ASSERT_FALSE(golden.empty());
    EXPECT_TRUE(saved == golden) << "the scene saved now is in artifacts/golden-scene.zen";

    standalone::SceneRoot loaded;
    std::string error;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(golden, loaded, &error)) << error;
    ASSERT_EQ(loaded.Count(), 1);
    auto* map = static_cast<Zenithra*>(static_cast<Texmap*>(loaded.Get(0)));
    ASSERT_EQ(map->ClassID(), ZENITHRA_CLASS_ID);
    EXPECT_EQ(std::wstring(map->GetName().data()), L"Sky \U0001F305");
    ASSERT_EQ(map->history.size(), 1u);
    EXPECT_EQ(map->history[0], GoldenLook());
    ASSERT_NE(map->sourceMap, nullptr);
    const MCHAR* path = nullptr;
    Interval valid = FOREVER;
    EXPECT_TRUE(
        map->sourceMap->GetParamBlock(0)->GetValue(standalone::kBitmapFileName, 0, path, valid));
    EXPECT_EQ(std::wstring(path ? path : L""), kSunPath);
    // Loaded and saved again, the scene is the golden file byte for byte.
    EXPECT_TRUE(standalone::SaveSceneToBytes(loaded) == golden);
}

}  // namespace
