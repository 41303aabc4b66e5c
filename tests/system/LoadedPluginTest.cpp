// The library as the host loads it: its seven exports, its two class descriptors and the block
// scripts see, and its windows across a free and a second load.

#include <imtl.h>

#include "loader/PluginLibrary.h"
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
    // The two class descriptors.
    const std::tuple<const wchar_t*, Class_ID, int> expected[] = {
        {L"Zenithra", kMapId, TRUE}, {L"ZenithraProxy", kProxyId, FALSE}};
    for (int i = 0; i < 2; ++i) {
        const auto& [name, id, isPublic] = expected[i];
        ClassDesc2* cd = lib.LibClassDesc(i);
        ASSERT_NE(cd, nullptr);
        EXPECT_EQ(MSTR(cd->ClassName()), name);
        EXPECT_EQ(std::tuple(cd->SuperClassID(), cd->ClassID(), cd->IsPublic(), cd->HInstance()),
                  std::tuple(SClass_ID(TEXMAP_CLASS_ID), id, isPublic, lib.module));
        EXPECT_EQ(MSTR(cd->Category()), MSTR(TEXMAP_CAT_ENV));
    }

    // A map has its block at once, with the names scripts know.
    standalone::SceneRoot scene;
    ClassDesc2* cd = lib.LibClassDesc(0);
    ASSERT_NE(cd, nullptr);
    auto* map = static_cast<Texmap*>(cd->Create(FALSE));
    scene.Add(map);
    IParamBlock2* block = map->GetParamBlock(0);
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(block->GetDesc()->int_name, L"zenithraParams");
    EXPECT_EQ(std::pair(map->NumRefs(), map->NumSubTexmaps()), std::pair(18, 2));
    ASSERT_EQ(block->NumParams(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(block->IndextoID(i), kParamIds[i]);
        EXPECT_STREQ(block->GetParamDef(kParamIds[i]).int_name, kParamNames[i]);
    }
}

}  // namespace
