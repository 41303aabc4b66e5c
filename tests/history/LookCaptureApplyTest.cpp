// Save and Load of looks without windows: the frames and variant a Save writes, what it records
// at each frame, and a saved variant applied back, as keys at its frames.

#include "history/LookApply.h"
#include "history/LookCapture.h"
#include "platform/Platform.h"
#include "source/MapRotation.h"
#include "source/SourceFile.h"

#include "maps/VRayBitmapMap.h"
#include "support/BoxAnswers.h"
#include "support/MapTestSupport.h"

#include <regex>
#include <sstream>

namespace {

const MSTR kHdr = L"C:\\hdr\\sky.hdr";
const std::wstring kPrompt =
    L"For this HDR/camera saved variants already exist.\n\nYes - overwrite the latest "
    L"variant.\nNo - create one more variant.\nCancel - do nothing.";

class LookTest : public testsupport::MapFixture {
protected:
    void SetUp() override {
        source = standalone::CreateVRayBitmapMap();
        SetTexmapFilePath(source, kHdr);
        scene.Add(source);  // lives while the map lets go of it
        map->ReplaceReference(1, source);
    }
    void TearDown() override {
        standalone::RemoveAllNodes();  // the viewport's camera with them
        GetCOREInterface()->SetTime(0);
    }
    // "A10" is variant A at frame 10 of this HDR seen through `camera`; "oA10" of another HDR.
    void Store(const std::string& tokens, const MSTR& camera) {
        std::istringstream in(tokens);
        for (std::string t; in >> t;) {
            bool other = t[0] == 'o';
            HistoryEntry& e = map->history.emplace_back();
            std::tie(e.entryId, e.variantId, e.hdrPath, e.frame, e.cameraName) =
                std::tuple(L"old", std::wstring(1, wchar_t(t[other])).c_str(),
                           other ? L"C:\\hdr\\other.hdr" : L"c:\\HDR\\sky.hdr",
                           std::stoi(t.substr(other + 1)), camera);
        }
    }
    // The store in the same notation; a new variant id shows as N, a new entry with '*' when it
    // records `camera` by its own name and handle, with '-' when it records no camera.
    std::string Layout(INode* camera) {
        using Camera = std::tuple<std::wstring, ULONG, bool>;
        std::string out;
        for (const HistoryEntry& e : map->history) {
            const Camera seen(e.cameraName, e.cameraHandle, e.hasCamera);
            out += std::string(out.empty() ? "" : " ") + (IsSamePath(e.hdrPath, kHdr) ? "" : "o") +
                   (e.variantId.Length() == 1 ? platform::WideToUtf8(e.variantId.data()) : "N") +
                   std::to_string(e.frame) +
                   (e.entryId == L"old"                                      ? ""
                    : seen == Camera()                                       ? "-"
                    : seen == Camera(L"Camera01", camera->GetHandle(), true) ? "*"
                                                                             : "?");
        }
        return out;
    }
    Texmap* source = nullptr;
};

TEST_F(LookTest, SaveChoosesFramesAndVariantAndWhereTheyGo) {
    enum Setup { kHdrFile, kNoSource, kNoPath, kNoCamera };
    // Case, setup, store, answer, store after (saved when it has new entries), the box's text.
    const std::tuple<const char*, Setup, std::string, int, std::string, std::wstring> cases[] = {
        {"empty store", kHdrFile, "", 0, "N25*", L""},
        {"other HDR only", kHdrFile, "oA0 oA50", 0, "oA0 oA50 N0* N50*", L""},
        {"Yes", kHdrFile, "A10 A30 B10 oB70 B30", platform::kAnswerYes, "A10 A30 B10* B30* oB70",
         kPrompt},
        {"No", kHdrFile, "A10 A30 B10 oB70 B30", platform::kAnswerNo,
         "A10 A30 B10 oB70 B30 N10* N30*", kPrompt},
        {"Cancel", kHdrFile, "A10 B30", platform::kAnswerCancel, "A10 B30", kPrompt},
        {"no camera", kNoCamera, "A40", platform::kAnswerNo, "A40 N40-", kPrompt},
        {"no source", kNoSource, "A10", 0, "A10", L"Assign a VRayBitmap source map first."},
        {"no file", kNoPath, "A10", 0, "A10", L"Current VRayBitmap has no HDR/EXR file path."},
    };
    INode* camera = standalone::CreateNode(L"Camera01", Matrix3());
    for (const auto& [name, setup, store, answer, after, box] : cases) {
        SCOPED_TRACE(name);
        map->history.clear();
        GetCOREInterface()->SetTime(25);
        // Saved through "CAMERA01" (another handle): names compare without case.
        Store(store, setup == kNoCamera ? L"" : L"CAMERA01");
        GetCOREInterface()->GetActiveViewExp().SetViewCamera(setup == kNoCamera ? nullptr : camera);
        map->ReplaceReference(1, setup == kNoSource ? nullptr : source);
        SetTexmapFilePath(source, setup == kNoPath ? MSTR(L"C:\\hdr\\sky.png") : kHdr);
        testsupport::ScopedBoxAnswer boxes(answer);
        EXPECT_EQ(CaptureLook(map), after.find_first_of("*-") != std::string::npos);
        EXPECT_EQ(Layout(camera), after);
        EXPECT_EQ(boxes.texts, std::vector<std::wstring>(!box.empty(), box));
        map->ReplaceReference(1, source);
    }
}

TEST_F(LookTest, SaveRecordsTheSceneAtEachFrameAndApplyWritesItBackAsKeys) {
    testsupport::ResizeSlots(*map, 3);
    for (bool range : {false, true}) {
        SCOPED_TRACE(range);
        map->history.clear();
        map->SetSlotExposures({0.5f, -1.0f, 2.0f}, 3);
        // Contrast of slot 0 keyed at 0 and 100, rotation and the camera keyed at the same frames.
        INode* camera = standalone::CreateNode(L"Camera01", Matrix3());
        GetCOREInterface()->GetActiveViewExp().SetViewCamera(camera);
        {
            testsupport::ScopedAnimateMode on(true);
            for (auto [f, contrast, degrees] : {std::tuple{0, 110.f, 10.f}, {100, 150.f, 40.f}}) {
                map->block->SetValue(pb_slotContrast, f, contrast, 0);
                SetMapRotation(source, f, degrees);
                Matrix3 tm;
                tm.SetRow(3, Point3(float(f), 1, 2));
                camera->SetNodeTM(f, tm);
            }
        }
        Store(range ? "A0 A100" : "", L"Camera01");
        GetCOREInterface()->SetTime(range ? 50 : 0);
        testsupport::ScopedBoxAnswer boxes(platform::kAnswerNo);
        ASSERT_TRUE(CaptureLook(map));
        HistoryStore saved(map->history.end() - (range ? 2 : 1), map->history.end());
        for (size_t i = 0; i < saved.size(); ++i) {
            const HistoryEntry& e = saved[i];
            EXPECT_EQ(std::tuple(e.frame, e.adjust.contrast, e.adjust.exposure, e.hasMapRotation,
                                 e.cameraTM.GetRow(3), e.slotExposures),
                      std::tuple(100 * int(i), i ? 150.f : 110.f, 0.5f, true,
                                 Point3(100.f * i, 1, 2), std::vector<float>{0.5f, -1.0f, 2.0f}));
            EXPECT_NEAR(e.mapRotation, i ? 40.f : 10.f, 1e-4f);
            EXPECT_EQ(e.sourceParams, CaptureSourceMapParams(source, e.frame));
            EXPECT_TRUE(std::regex_match(platform::WideToUtf8(e.savedAt.data()),
                                         std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));
            EXPECT_EQ(e.variantId, CurrentLookRegistry::Get(map).variantId);
        }
        {  // Everything changes, contrast gets a key in between, the camera is deselected.
            testsupport::ScopedAnimateMode on(true);
            map->block->SetValue(pb_slotContrast, 50, 300.f, 0);
            SetMapRotation(source, 0, 90.f);
        }
        map->SetSlotExposure(0, 3.0f);
        SetTexmapFilePath(source, L"C:\\hdr\\other.hdr");
        GetCOREInterface()->ClearNodeSelection();
        ASSERT_TRUE(ApplyLook(map, saved[0].variantId));
        EXPECT_FALSE(Animating());
        Control* keys = map->block->GetControllerByID(pb_slotContrast, 0);
        ASSERT_NE(keys, nullptr);
        ASSERT_EQ(keys->NumKeys(), range ? 2 : 1);  // the saved frames' keys alone
        EXPECT_EQ(keys->GetKeyTime(keys->NumKeys() - 1), range ? 100 : 0);
        EXPECT_EQ(standalone::SelectedNodes(), std::vector<INode*>{camera});
        // Saved again over the same variant, every field but the ids and the time comes back.
        boxes.button = platform::kAnswerYes;
        ASSERT_TRUE(CaptureLook(map));
        HistoryStore again(map->history.end() - std::ptrdiff_t(saved.size()), map->history.end());
        for (size_t i = 0; i < saved.size(); ++i) {
            again[i].entryId = saved[i].entryId;
            again[i].savedAt = saved[i].savedAt;
            EXPECT_TRUE(again[i] == saved[i]) << i;
        }
        TearDown();
    }
}

TEST_F(LookTest, ApplyWritesExposuresCameraAndEqualFramesInIdOrder) {
    testsupport::ResizeSlots(*map, 2);
    INode* camera = standalone::CreateNode(L"Camera01", Matrix3());
    INode* other = standalone::CreateNode(L"Other", Matrix3());
    auto look = [&](const wchar_t* id, float contrast, std::vector<float> exposures = {}) {
        HistoryEntry e;
        std::tie(e.entryId, e.variantId, e.hdrPath, e.slot, e.adjust.contrast, e.adjust.exposure,
                 e.slotExposures, e.cameraHandle) =
            std::tuple(id, L"V", kHdr, 1, contrast, -4.f, exposures, camera->GetHandle());
        return e;
    };
    // Case, store (ids out of order at one frame), viewport camera, camera gone, exposures after,
    // contrast of slot 1. The saved camera is selected and viewed unless it is gone.
    const std::tuple<const char*, HistoryStore, INode*, bool, std::vector<float>, float> cases[] = {
        {"4 on 2", {look(L"b", 120, {1, 2, 3, 4}), look(L"a", 130)}, other, false, {1, 2}, 120},
        {"no exposures", {look(L"a", 130)}, other, false, {0, -4}, 130},
        {"perspective view", {look(L"a", 130)}, nullptr, false, {0, -4}, 130},
        {"camera gone", {look(L"a", 130)}, other, true, {0, -4}, 130},
    };
    for (const auto& [name, store, view, gone, exposures, contrast] : cases) {
        SCOPED_TRACE(name);
        map->SetSlotExposures({0, 0}, 2);
        map->history = store;
        GetCOREInterface()->GetActiveViewExp().SetViewCamera(view);
        GetCOREInterface()->SelectNode(other);
        if (gone) {
            map->history[0].cameraHandle = 999;
        }
        ASSERT_TRUE(ApplyLook(map, L"", &map->history[0]));
        EXPECT_EQ(map->GetSlotExposures(2), exposures);
        EXPECT_EQ(Float(pb_slotContrast, 1), contrast);
        EXPECT_EQ(standalone::SelectedNodes(), std::vector<INode*>{gone ? other : camera});
        EXPECT_EQ(GetCOREInterface()->GetActiveViewExp().GetViewCamera(),
                  view && !gone ? camera : view);
    }
    EXPECT_FALSE(ApplyLook(map, L"unknown"));
    map->ReplaceReference(1, nullptr);
    EXPECT_FALSE(ApplyLook(map, L"V"));
}

// A look's hue replaces the slot's hue; a look that kept no source parameters gives the source map
// its rotation alone; without a block the source map's file and rotation are still applied.
TEST_F(LookTest, ApplyResetsHueAndFallsBackToRotationAndWorksWithoutBlock) {
    HistoryEntry e;
    std::tie(e.entryId, e.variantId, e.hdrPath, e.adjust.hue, e.hasMapRotation, e.mapRotation) =
        std::tuple(L"1", L"V", kHdr, -0.25f, true, 30.0f);
    testsupport::SetSlotFloat(*map, pb_slotHue, 0, 0.5f);
    const MSTR other = L"C:\\hdr\\other.hdr";
    for (bool block : {true, false}) {
        SCOPED_TRACE(block);
        map->history = {e};
        ASSERT_TRUE(ApplyLook(map, L"V"));
        float degrees = 0;
        EXPECT_TRUE(FindMapRotation(source, 0, degrees));
        EXPECT_NEAR(degrees, e.mapRotation, 1e-4f);
        EXPECT_TRUE(IsSamePath(GetTexmapFilePath(source), e.hdrPath));
        if (block) {
            EXPECT_EQ(Float(pb_slotHue, 0), -0.25f);
            map->ReplaceReference(0, nullptr);
        }
        std::tie(e.hdrPath, e.mapRotation) = std::tuple(other, 60.0f);
    }
}

}  // namespace
