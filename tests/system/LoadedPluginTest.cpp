// The library as the host loads it: its seven exports and its two class descriptors, and a scene
// with a Zenithra map, its source and its proxies that renders the same after it was saved to a
// file and loaded again, and on many render threads as on one.

#include "loader/PluginLibrary.h"
#include "maps/ProceduralSky.h"
#include "render/EnvironmentSample.h"
#include "render/LatLongRender.h"
#include "scene/StandaloneHost.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#if defined(_WIN32)
#include "maps/VRayBitmapMap.h"
#include "support/TestImages.h"
#include "support/WindowDrive.h"
#include "win/HostWindows.h"

#include <windows.h>
#endif

namespace {

#if defined(_WIN32)
// A top-level window of this process (Wine shares its window list between the processes of a
// prefix).
HWND TopWindowOfClass(const wchar_t* className) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, nullptr));) {
        DWORD process = 0;
        if (GetWindowThreadProcessId(w, &process) && process == GetCurrentProcessId()) {
            return w;
        }
    }
    return nullptr;
}

// Freed and loaded again in one process, the library's windows work as before, and deleting a
// map takes every window of its own along, so that nothing of the freed image is left to call.
// Runs first, before the rest of the program holds the library for good.
TEST(LibraryLife, LoadedFreedAndLoadedAgainItsRollupsAndHistoryWindowWork) {
    testsupport::ScopedTestDrive drive;
    std::filesystem::create_directories(testsupport::NativePath(drive.ScratchFolder()));
    SetEnvironmentVariableW(L"LOCALAPPDATA", drive.ScratchFolder().c_str());
    const std::wstring hdr = drive.ScratchFolder() + L"\\sky.hdr";
    ASSERT_TRUE(testsupport::WriteHdrFile(hdr, testsupport::UniformImage(8, 4, .5f, .5f, .5f)));
    standalone::win::OpenMainWindow();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        PluginLibrary lib;
        std::string error;
        ASSERT_TRUE(LoadPluginLibrary(L"", lib, &error)) << error;
        standalone::win::OpenMaterialEditor();
        auto* map = static_cast<Texmap*>(lib.LibClassDesc(0)->Create(FALSE));
        Texmap* source = standalone::CreateVRayBitmapMap();
        source->GetParamBlock(0)->SetValue(standalone::kVRayHdriMapName, 0, hdr.c_str());
        map->SetSubTexmap(0, source);
        map->GetParamBlock(0)->SetValue(0, 0, 2);  // two slots
        GetCOREInterface()->PutMtlToMtlEditor(map, 0);
        std::vector<HWND> pages = standalone::win::RollupPages();
        ASSERT_EQ(pages.size(), 3u);
        uidrive::Click(pages[0], 1136);  // Save: a look with a preview
        uidrive::Click(pages[0], 1137);  // Load: the History window
        uidrive::Pump();
        HWND history = TopWindowOfClass(L"Zenithra_HistoryWindow");
        ASSERT_TRUE(history);
        // Alt over the first cell: its enlarged preview.
        const int labelW = std::max(std::max(GetSystemMetrics(SM_CXSCREEN) / 6, 120) / 2, 220);
        uidrive::SetAlt(true);
        SendMessageW(history, WM_MOUSEMOVE, 0, MAKELPARAM(labelW + 20, 36 + 20));
        uidrive::SetAlt(false);
        EXPECT_TRUE(TopWindowOfClass(L"Zenithra_HistoryPreviewPopup"));
        // A spinner of a slot rollup still writes the block.
        uidrive::Type(pages[2], 1703, L"150");
        float contrast = 0;
        Interval valid = FOREVER;
        map->GetParamBlock(0)->GetValue(2, 0, contrast, valid, 1);
        EXPECT_EQ(contrast, 150.0f);

        map->DeleteThis();
        EXPECT_FALSE(TopWindowOfClass(L"Zenithra_HistoryWindow"));
        EXPECT_FALSE(TopWindowOfClass(L"Zenithra_HistoryPreviewPopup"));
        for (HWND page : pages) {
            EXPECT_TRUE(!IsWindow(page) || !GetWindowLongPtrW(page, GWLP_USERDATA));
        }
        standalone::win::CloseMaterialEditor();
        EXPECT_TRUE(standalone::win::RollupPages().empty());
        UnloadPluginLibrary(lib);
        if (GetModuleHandleW(L"zenithra.dlt")) {
            GTEST_SKIP() << "needs the library loaded by this test alone (run it on its own)";
        }
        uidrive::Pump();  // anything the freed image left to call would be called here
    }
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
}
#endif

/// The library, loaded once per test program; the test fails at once when it cannot be loaded.
PluginLibrary& LoadedPlugin() {
    static PluginLibrary lib;
    static bool loaded = [] {
        std::string error;
        bool ok = LoadPluginLibrary(L"", lib, &error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }();
    if (!loaded) {
        ADD_FAILURE() << "the plug-in library is not loaded";
    }
    return lib;
}

/// A new object of the plug-in's class i, created through its descriptor.
Texmap* CreatePluginMap(int classIndex) {
    ClassDesc2* cd = LoadedPlugin().LibClassDesc(classIndex);
    return cd ? static_cast<Texmap*>(cd->Create(FALSE)) : nullptr;
}

const Class_ID kMapId(0x3A131461, 0x7AD0204C), kProxyId(0x4D4E3AA1, 0x19FFB205);
// The parameters scripts know, in the block's index order, and their ids.
const wchar_t* const kParamNames[] = {
    L"slotCount",     L"slotExposure",    L"slotContrast",    L"slotSaturation",
    L"slotBrightPix", L"slotSunExposure", L"slotSunSpotSize", L"slotSunSpotHeight",
    L"slotTint",      L"slotSunTint",     L"slotHue"};
const ParamID kParamIds[] = {0, 1, 2, 3, 4, 5, 9, 10, 6, 7, 8};

TEST(Exports, AnswerAsTheHostExpectsAndDescribeTheTwoMapClassesAndTheBlock) {
    PluginLibrary& lib = LoadedPlugin();
    ASSERT_NE(lib.LibDescription, nullptr);
    EXPECT_EQ(MSTR(lib.LibDescription()), L"Zenithra");
    EXPECT_EQ(std::vector<int>({lib.LibNumberClasses(), lib.LibInitialize(), lib.LibShutdown(),
                                int(lib.CanAutoDefer())}),
              std::vector<int>({2, TRUE, TRUE, TRUE}));
    EXPECT_EQ(lib.LibVersion(), 0x69784200u);
    EXPECT_EQ(lib.LibClassDesc(2), nullptr);
    EXPECT_EQ(lib.LibClassDesc(-1), nullptr);
    // The two class descriptors, and the names the string table holds.
    const std::tuple<const wchar_t*, Class_ID, int> expected[] = {
        {L"Zenithra", kMapId, TRUE}, {L"ZenithraProxy", kProxyId, FALSE}};
    for (int i = 0; i < 2; ++i) {
        const auto& [name, id, isPublic] = expected[i];
        ClassDesc2* cd = lib.LibClassDesc(i);
        ASSERT_NE(cd, nullptr);
        for (const MCHAR* shown :
             {cd->ClassName(), cd->NonLocalizedClassName(), cd->InternalName()}) {
            EXPECT_EQ(MSTR(shown), name);
        }
        EXPECT_EQ(std::tuple(cd->SuperClassID(), cd->ClassID(), cd->IsPublic(), cd->HInstance()),
                  std::tuple(SClass_ID(TEXMAP_CLASS_ID), id, isPublic, lib.module));
        EXPECT_EQ(MSTR(cd->Category()), MSTR(TEXMAP_CAT_ENV));
#if defined(_WIN32)
        wchar_t text[64] = {};
        ASSERT_GT(LoadStringW(reinterpret_cast<HMODULE>(lib.module), 100 + i, text, 64), 0);
        EXPECT_STREQ(text, name);
#endif
    }

    // A map has its block at once; a proxy comes unlinked.
    standalone::SceneRoot scene;
    Texmap* map = CreatePluginMap(0);
    ASSERT_NE(map, nullptr);
    scene.Add(map);
    IParamBlock2* block = map->GetParamBlock(0);
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(block->GetDesc()->int_name, L"zenithraParams");
    EXPECT_EQ(std::tuple(block->ID(), map->GetParamBlockByID(0), map->GetReference(0)),
              std::tuple(BlockID(0), block, static_cast<ReferenceTarget*>(block)));
    EXPECT_EQ(std::pair(map->NumRefs(), map->NumSubTexmaps()), std::pair(18, 2));
    ASSERT_EQ(block->NumParams(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(block->IndextoID(i), kParamIds[i]);
        EXPECT_STREQ(block->GetParamDef(kParamIds[i]).int_name, kParamNames[i]);
    }
    Texmap* proxy = CreatePluginMap(1);
    ASSERT_NE(proxy, nullptr);
    scene.Add(proxy);
    EXPECT_EQ(proxy->ClassID(), kProxyId);
    EXPECT_TRUE(proxy->Validity(0).Empty());
}

constexpr TimeValue kLater = 4800;  // one second

// Three slots set through the block as a script would, slot 1's contrast and slot 2's tint
// animated.
Texmap* BuildMap(standalone::SceneRoot& scene) {
    Texmap* map = CreatePluginMap(0);
    scene.Add(map);
    map->SetName(L"Studio");
    Texmap* sky = standalone::CreateProceduralSky();
    sky->GetParamBlock(0)->SetValue(standalone::kSkySunElevation, 0, 20.0f);
    map->SetSubTexmap(0, sky);
    IParamBlock2& block = *map->GetParamBlock(0);
    block.SetValue(0, 0, 3);
    for (ParamID table : kParamIds) {
        if (table) {
            block.SetCount(table, 3);
        }
    }
    const std::tuple<ParamID, float, int> values[] = {
        {1, 1.5f, 1}, {8, .25f, 2}, {9, 8, 2}, {5, 2, 2}};
    for (const auto& [id, value, slot] : values) {
        block.SetValue(id, 0, value, slot);
    }
    AnimateOn();
    block.SetValue(2, kLater, 150.0f, 1);
    block.SetValue(6, kLater, Point4(1.0f, 0.5f, 0.25f, 1.0f), 2);
    AnimateOff();
    for (int slot = 1; slot <= 3; ++slot) {
        scene.Add(map->GetSubTexmap(slot));  // as a light or a material would use it
    }
    return map;
}

std::vector<AColor> Sample(Texmap& map) {
    std::vector<AColor> colours;
    for (int i = 0; i < 24; ++i) {
        for (TimeValue t : {0, kLater / 2, kLater}) {
            float u = (float(i) + 0.5f) / 24.0f;
            standalone::EnvironmentSample sample(standalone::DirectionFromUV(u, 0.3f), t);
            colours.push_back(map.EvalColor(sample));
        }
    }
    return colours;
}

TEST(SceneRoundTrip, SavedAndLoadedSceneRendersTheSameOnManyThreadsAsOnOne) {
    testsupport::ScopedTestDrive drive;
    standalone::SceneRoot scene;
    Texmap* map = BuildMap(scene);
    std::vector<std::vector<AColor>> before;
    for (int i = 1; i <= 3; ++i) {
        before.push_back(Sample(*static_cast<Texmap*>(scene.Get(i))));
    }
    // Slots really differ, and the animations change their colours over time.
    EXPECT_NE(before[0][0], before[1][0]);
    EXPECT_NE(before[1][0], before[1][2]);
    EXPECT_NE(before[2][0], before[2][2]);

    std::filesystem::create_directories(testsupport::NativePath(drive.ScratchFolder()));
    std::wstring file = drive.ScratchFolder() + L"\\studio.zscene";
    std::string error;
    ASSERT_TRUE(standalone::SaveScene(file, scene, &error)) << error;
    standalone::SceneRoot loaded;
    ASSERT_TRUE(standalone::LoadScene(file, loaded, &error)) << error;
    ASSERT_EQ(loaded.Count(), 4);
    auto* loadedMap = static_cast<Texmap*>(loaded.Get(0));
    EXPECT_EQ(loadedMap->GetSubTexmapSlotName(3, true), L"Studio:Slot 3");
    EXPECT_NE(loadedMap->GetSubTexmap(0), nullptr);
    for (int i = 1; i <= 3; ++i) {
        auto* proxy = static_cast<Texmap*>(loaded.Get(i));
        EXPECT_EQ(loadedMap->GetSubTexmap(i), proxy) << "slot " << i;
        EXPECT_EQ(proxy->GetName(), map->GetSubTexmap(i)->GetName());
        EXPECT_EQ(Sample(*proxy), before[size_t(i - 1)]) << "slot " << i;
        // Four render threads after loading give what one gave before.
        EXPECT_EQ(standalone::RenderLatLong(*proxy, 64, 32, kLater / 3, 4).rgb,
                  standalone::RenderLatLong(*map->GetSubTexmap(i), 64, 32, kLater / 3, 1).rgb)
            << "slot " << i;
    }
    EXPECT_FALSE(
        standalone::LoadScene(drive.ScratchFolder() + L"\\missing.zscene", loaded, &error));
}

}  // namespace
