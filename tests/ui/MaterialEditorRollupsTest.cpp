// The material-editor rollups as a user drives them: real windows, real messages (clicks,
// typing, drags), and the modal menus and message boxes they open answered from a thread timer
// inside the modal loop.

#include <imtledit.h>

#include "history/PreviewImages.h"
#include "source/MapRotation.h"
#include "source/RenderRefresh.h"
#include "support/BoxAnswers.h"
#include "support/FailingAllocator.h"
#include "platform/Platform.h"
#include "ui/HistoryPreviewPopup.h"
#include "ui/HistoryWindowState.h"
#include "ui/MainRollup.h"
#include "ui/SlotRollup.h"
#include "StudioFixture.h"

#include "maps/BitmapMap.h"
#include "maps/VRayBitmapMap.h"

#include "../../res/resource.h"

#include <filesystem>
#include <functional>

namespace win = standalone::win;
using namespace uidrive;
using namespace testsupport;

namespace {

const std::wstring kHint = L"  |  click to show, drag to assign";

class RollupTest : public StudioTest {
protected:
    void SetUp() override {
        StudioTest::SetUp();
        win::OpenMaterialEditor();
    }
    // The map and the open rollups tell the same story.
    void ExpectRollupsAgree() {
        int n = map->GetSlotCount();
        ASSERT_EQ(int(win::RollupPages().size()), n + 1);
        EXPECT_EQ(Text(Item(0, IDC_OUTPUT_COUNT)),
                  L"Active outputs: " + std::to_wstring(n) + L" / 16");
        for (int i = 0; i < n; ++i) {
            std::wstring output = (i < 9 ? L"Output 0" : L"Output ") + std::to_wstring(i + 1);
            EXPECT_EQ(win::RollupPageTitle(Page(i + 1)), std::wstring(map->SlotName(i).data()));
            EXPECT_EQ(Text(Item(i + 1, IDC_OUTPUT_BUTTON)), output + kHint);
            EXPECT_EQ(IsWindowEnabled(Item(i + 1, IDC_REMOVE_THIS_SLOT)), n > 1);
        }
    }
};

TEST_F(RollupTest, MainAndSlotRollupsShowTheStateOfTheirMap) {
    // Name, source (0 none, 1 Bitmap, 2 VRayBitmap), with an HDR file, source name, slots,
    // source-map button.
    const std::tuple<const char*, int, bool, const wchar_t*, int, std::wstring> cases[] = {
        {"no source", 0, false, L"", 1, L"No source map assigned"},
        {"no HDR file", 1, false, L"", 16, L"Bitmap" + kHint},
        {"named Sky", 2, true, L"Sky", 2, L"VRayBitmap: Sky" + kHint}};
    for (const auto& [name, source, hdr, sourceName, slots, button] : cases) {
        SCOPED_TRACE(name);
        std::wstring file = hdr ? Hdr(L"sky.hdr") : L"C:\\ZenithraTestScratch\\sky.png";
        if (source) {
            Source(source == 1 ? standalone::CreateBitmapMap() : standalone::CreateVRayBitmapMap(),
                   file, sourceName);
        }
        map->SetSlotCount(slots);
        Show(map);
        bool hasMap = source != 0;
        std::wstring status = !hasMap ? L"Assign a source map first"
                              : hdr   ? file
                                      : L"No HDR/EXR file detected inside the source map";
        // In template order: status, Browse, Previous, Next, source map, Add, Remove, Save,
        // Load, Clear all; their texts and whether they are enabled.
        const std::tuple<int, std::wstring, bool> controls[] = {
            {1130, status, true},           {1131, L"Browse...", hasMap},
            {1102, L"< Previous", hasMap},  {1103, L"Next >", hasMap},
            {1132, button, true},           {1133, L"+ Add", slots < 16},
            {1134, L"- Remove", slots > 1}, {1136, L"Save", hasMap},
            {1137, L"Load", true},          {1138, L"Clear all...", true}};
        for (const auto& [id, text, enabled] : controls) {
            EXPECT_EQ(Text(Item(0, id)), text) << id;
            EXPECT_EQ(IsWindowEnabled(Item(0, id)) != 0, enabled) << id;
        }
        ExpectRollupsAgree();
        EXPECT_EQ(IsWindowEnabled(Item(1, IDC_MAP_ROTATION_SPIN)) != 0, hasMap);
        map->ReplaceReference(1, nullptr);
    }
    // The degree captions come out of the template as U+00B0.
    EXPECT_TRUE(FindWindowExW(Page(1), nullptr, L"Static", L"Map Rot. \u00B0"));
}

TEST_F(RollupTest, ClicksEditSlotsAndSpinnersWriteAtTheTimeTheirValueLivesAt) {
    Texmap* source = Source(standalone::CreateBitmapMap(), Hdr(L"a.hdr"));
    Show(map);
    SetSlotFloat(*map, pb_slotContrast, 0, 120.0f);
    // "+ Add", "+ Add", "- Remove", Copy of slot 1, Remove of slot 2: page, button, slots after.
    const int steps[][3] = {{0, IDC_ADD_SLOT, 2},
                            {0, IDC_ADD_SLOT, 3},
                            {0, IDC_REMOVE_SLOT, 2},
                            {1, IDC_COPY_SLOT, 3},
                            {2, IDC_REMOVE_THIS_SLOT, 2}};
    for (const auto& [page, id, slotsAfter] : steps) {
        SCOPED_TRACE(id);
        Click(Page(page), id);
        EXPECT_EQ(map->GetSlotCount(), slotsAfter);
        ExpectRollupsAgree();
    }
    EXPECT_EQ(Float(pb_slotContrast, 1), 120.0f);  // the copy moved down into slot 2's place

    // Two slots now; slot 2's edit fields and spinners write the block at the scene's time.
    GetCOREInterface()->SetTime(4800);
    std::vector<Notice> log;
    RecordingDependent listener(log, map);
    ScopedAnimateMode animate(true);
    // Edit field, parameter, typed text, the time it is written at, keyed in animate mode, the
    // key that commits it (0: the focus leaving). Escape then gives the committed value back to a
    // field typed over, and nothing changes.
    const std::tuple<int, ParamID, const wchar_t*, TimeValue, bool, WPARAM> rows[] = {
        {IDC_CONTRAST_EDIT, pb_slotContrast, L"150", 4800, true, VK_RETURN},
        {IDC_SUN_EXPOSURE_EDIT, pb_slotSunExposure, L"2.5", 4800, true, VK_TAB},
        {IDC_HUE_EDIT, pb_slotHue, L"0.25", 0, false, 0},
        {IDC_EXPOSURE_EDIT, pb_slotExposure, L"1.5", 0, false, VK_TAB}};
    for (const auto& [edit, id, typed, writtenAt, keyed, key] : rows) {
        SCOPED_TRACE(id);
        HWND field = Item(2, edit);
        SetFocus(field);
        SetWindowTextW(field, typed);
        SendMessageW(field, WM_KEYDOWN, key, 0);
        EXPECT_EQ(GetFocus() != field, key == VK_TAB);  // Tab moves on
        if (!key) {
            SetFocus(Item(2, IDC_OUTPUT_BUTTON));
        }
        EXPECT_FLOAT_EQ(Float(id, 1, writtenAt), std::stof(typed));
        EXPECT_EQ(map->block->GetControllerByID(id, 1) != nullptr, keyed);
        log.clear();
        SetWindowTextW(field, L"7");
        SendMessageW(field, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_FLOAT_EQ(std::stof(Text(field)), std::stof(typed));
        Type(Page(2), edit, typed);
        EXPECT_TRUE(MessagesTo(log, listener).empty());
    }
    // Map Rot. moved by at most 1e-6 degrees: nothing written, no one told.
    Type(Page(1), IDC_MAP_ROTATION_EDIT, L"0");
    log.clear();
    SetShown(Item(1, IDC_MAP_ROTATION_SPIN), 5e-7f);
    SendMessageW(Page(1), CC_SPINNER_CHANGE, IDC_MAP_ROTATION_SPIN,
                 LPARAM(Item(1, IDC_MAP_ROTATION_SPIN)));
    float degrees = -1;
    EXPECT_TRUE(FindMapRotation(source, 4800, degrees));
    EXPECT_EQ(degrees, 0.0f);
    EXPECT_TRUE(MessagesTo(log, listener).empty());
    Type(Page(1), IDC_MAP_ROTATION_EDIT, L"90");
    EXPECT_TRUE(FindMapRotation(source, 4800, degrees));
    EXPECT_NEAR(degrees, 90.0f, 1e-4f);
    EXPECT_EQ(Text(Item(2, IDC_MAP_ROTATION_EDIT)), L"90.0");  // every slot follows
    map->SetSubTexmap(0, new ConstantColorMap(AColor(1, 1, 1)));
    EXPECT_FALSE(IsWindowEnabled(Item(1, IDC_MAP_ROTATION_SPIN)));
    EXPECT_EQ(Shown(Item(1, IDC_MAP_ROTATION_SPIN)), 0.0f);  // greyed, it shows 0
}

TEST_F(RollupTest, MenusResetAndUnanimateValuesPickColoursAndClearLooks) {
    Show(map);
    HWND slot = Page(1);
    // Spinner, parameter, value before "Сбросить", its default.
    const std::tuple<int, ParamID, float, float> resets[] = {
        {IDC_CONTRAST_SPIN, pb_slotContrast, 130, 100},
        {IDC_SATURATION_SPIN, pb_slotSaturation, 30, 100},
        {IDC_EXPOSURE_SPIN, pb_slotExposure, 2, 0}};
    MenuSeen seen;
    for (const auto& [spinner, id, before, reset] : resets) {
        SetSlotFloat(*map, id, 0, before);
        map->SetSlotExposure(0, id == pb_slotExposure ? before : 0.0f);
        map->SyncSlotRollups();
        seen = AnsweringMenu([&, s = spinner] { RightClick(GetDlgItem(slot, s)); }, 1);
        EXPECT_EQ(seen.items, (std::vector<std::wstring>{L"Сбросить", L"Удалить анимацию"}));
        EXPECT_EQ(id == pb_slotExposure ? map->GetSlotExposures(1)[0] : Float(id, 0), reset) << id;
    }
    {
        ScopedAnimateMode animate(true);
        GetCOREInterface()->SetTime(4800);
        Type(slot, IDC_CONTRAST_EDIT, L"130");  // keyed at 0 and 4800
    }
    AnsweringMenu([&] { RightClick(GetDlgItem(slot, IDC_CONTRAST_EDIT)); }, 2);
    EXPECT_EQ(Float(pb_slotContrast, 0), 130.0f);  // no key left: the value of 4800 everywhere
    // A colour picked in either swatch goes into that swatch's table alone.
    const Point4 white(1, 1, 1, 1), red(1, 0, 0, 1);
    for (auto [swatchId, picked, other] : {std::tuple{IDC_TINT_SWATCH, pb_slotTint, pb_slotSunTint},
                                           {IDC_SUN_TINT_SWATCH, pb_slotSunTint, pb_slotTint}}) {
        SetSlotColor(*map, pb_slotTint, 0, white);
        SetSlotColor(*map, pb_slotSunTint, 0, white);
        IColorSwatch* swatch = GetIColorSwatch(GetDlgItem(slot, swatchId));
        swatch->SetColor(RGB(255, 0, 0), TRUE);
        ReleaseIColorSwatch(swatch);
        EXPECT_EQ(std::pair(Colour(picked, 0), Colour(other, 0)), std::pair(red, white));
    }

    // "Clear current HDR only": the looks of the source's file go; dependents hear of it also
    // when none matched.
    Source(standalone::CreateBitmapMap(), Hdr(L"a.hdr"));
    HistoryEntry mine, theirs;
    mine.hdrPath = GetTexmapFilePath(map->sourceMap);
    theirs.hdrPath = L"C:\\other.hdr";
    std::vector<Notice> log;
    RecordingDependent listener(log, map);
    for (const HistoryStore& before : {HistoryStore{mine, theirs}, HistoryStore{theirs}}) {
        map->history = before;
        log.clear();
        AnsweringMenu([&] { Click(Page(0), IDC_CLEAR_LOOKS); }, 1);
        EXPECT_EQ(map->history, HistoryStore{theirs});
        EXPECT_FALSE(MessagesTo(log, listener).empty());
    }
    for (int answer : {IDNO, IDYES}) {
        map->history.assign(2, HistoryEntry{});
        ScopedBoxAnswer box(answer);
        seen = AnsweringMenu([&] { Click(Page(0), IDC_CLEAR_LOOKS); }, 3);
        EXPECT_EQ(seen.items, (std::vector<std::wstring>{L"Clear current HDR only",
                                                         L"Clear current camera only", L"",
                                                         L"Clear everything in this scene"}));
        EXPECT_EQ(box.texts,
                  std::vector<std::wstring>{L"Delete all saved lighting looks for this Zenithra?"});
        EXPECT_EQ(map->history.size(), answer == IDYES ? 0u : 2u);
    }
}

TEST_F(RollupTest, ButtonsTakeDroppedSourceMapsSaveShownValuesAndShowProxies) {
    // (Dragging an Output button onto the Environment button is the real-input workflow's.)
    Source(standalone::CreateBitmapMap(), Hdr(L"grey.hdr"));
    map->SetSlotCount(3);
    Show(map);
    // A map dropped onto its own Output button would hold itself through its proxy.
    Texmap* proxy = map->GetSubTexmap(1);
    Drag(Item(0, IDC_SOURCE_MAP), Item(1, IDC_OUTPUT_BUTTON));
    EXPECT_EQ(map->GetSubTexmap(1), proxy);  // refused
    std::wstring other = Hdr(L"other.hdr");
    Texmap* dropped = standalone::CreateVRayBitmapMap();
    SetTexmapFilePath(dropped, other.c_str());
    Show(dropped, 5);
    Show(map, 0);
    Drag(win::SampleSlotWindow(5), Item(0, IDC_SOURCE_MAP));
    EXPECT_EQ(map->sourceMap, dropped);
    EXPECT_EQ(Text(Item(0, IDC_HDR_STATUS)), other);
    // Save takes slot 1's values as its spinners show them, also one not written yet.
    SetShown(Item(1, IDC_CONTRAST_SPIN), 130.0f);
    Click(Page(0), IDC_SAVE_LOOK);
    ASSERT_EQ(map->history.size(), 1u);
    EXPECT_EQ(std::pair(map->history[0].adjust.contrast, Float(pb_slotContrast, 0)),
              std::pair(130.0f, 100.0f));
    // The Output button shows its slot's proxy in the active sample slot.
    auto* editor = static_cast<IMtlEditInterface*>(GetCOREInterface(MTLEDIT_INTERFACE));
    editor->SetActiveMtlSlot(0, FALSE);
    Click(Page(2), IDC_OUTPUT_BUTTON);
    EXPECT_EQ(editor->GetTopMtlSlot(editor->GetActiveMtlSlot()), map->GetSubTexmap(2));
}

// A source file that cannot be read: the frame buffer says which and why over grey (and a look's
// preview grabs that, not a black picture), the status line still names the file and the scene
// keeps its slots; the next readable file is shown again.
TEST_F(RollupTest, FrameBufferSaysWhyAnImageCannotBeRead) {
    auto cut = [](const std::wstring& path, int bytes) {
        std::filesystem::resize_file(NativePath(path),
                                     std::filesystem::file_size(NativePath(path)) - bytes);
        return path;
    };
    const std::wstring good = Hdr(L"a.hdr"), exr = drive.ScratchFolder() + L"\\b.exr";
    ASSERT_TRUE(WriteExrFile(exr, UniformImage(64, 32, 1, 2, 3)));
    Texmap* source = Source(standalone::CreateBitmapMap(), good);
    map->SetSlotCount(2);
    map->SetSlotExposure(1, 1.0f);  // the grey of 0.5 shows white
    Show(map);
    win::SetEnvironmentMap(map->GetSubTexmap(2));  // through the proxy to its master's source
    // Wide enough that even the longest reason, wrapped and centred, leaves the top eighth of the
    // picture grey, whatever size the preview is scaled to.
    HWND frame = win::OpenFrameBuffer(256, 128);
    // The file, what its line says (none for a file that reads).
    const std::pair<std::wstring, const wchar_t*> files[] = {
        {cut(exr, 20), L"damaged OpenEXR"},
        {cut(Hdr(L"c.hdr", GridImage()), 48), L"truncated"},
        {exr + L".missing.exr", L"file not found"},
        {good, L""}};
    for (const auto& [file, reason] : files) {
        SetTexmapFilePath(source, file.c_str());
        RefreshAfterSourceChange(map, source, map->mainRollupWnd);
        ASSERT_TRUE(win::WaitForFrameBuffer(20000));
        const std::wstring line = win::FrameBufferMessage();
        EXPECT_EQ(line.empty(), !*reason) << platform::WideToUtf8(file);
        EXPECT_TRUE(line.empty() || (line.find(file) < line.find(reason) &&
                                     line.find(reason) != std::wstring::npos))
            << platform::WideToUtf8(line);
        EXPECT_EQ(Text(Item(0, IDC_HDR_STATUS)), file);
        const COLORREF shown = *reason ? RGB(80, 80, 80) : RGB(255, 255, 255);
        EXPECT_EQ(Capture(frame).At(2, 2), shown);
        std::vector<uint8_t> jpeg;
        ASSERT_TRUE(CaptureFrameBufferPreview(jpeg));
        const Shot preview = Paint(8, 8, [&](HDC dc) { DrawPreviewImage(dc, {0, 0, 8, 8}, jpeg); });
        EXPECT_TRUE(Near(preview.At(4, 0), shown)) << platform::WideToUtf8(file);
    }
}

// A file named on the studio's command line: under Wine a POSIX path is the file on drive Z:;
// every path comes out whole, with '\\' alone.
TEST(StudioCommandLineTest, PathsBecomeTheWindowsPathsTheProcessSees) {
    for (const auto& [argument, path] : {std::pair{L"/tmp/hdr/../sky.hdr", L"Z:\\tmp\\sky.hdr"},
                                         {L"C:/HDRI//a/./b.exr", L"C:\\HDRI\\a\\b.exr"}}) {
        EXPECT_EQ(win::CommandLinePath(argument), path);
    }
}

// Every entry that the host or the window system calls, with its allocations refused one at a
// time: no exception leaves it, the map keeps its slots and looks, and the entry works again
// once memory is there.
TEST_F(RollupTest, RefusedAllocationsStopAtEveryEntryAndTheNextCallWorks) {
    Texmap* source = Source(standalone::CreateBitmapMap(), Hdr(L"a.hdr"));
    Texmap* other = standalone::CreateVRayBitmapMap();
    std::wstring otherFile = Hdr(L"b.hdr");
    SetTexmapFilePath(other, otherFile.c_str());
    Show(source, 6);  // both stay referenced while the drops swap them
    Show(other, 5);
    map->SetSlotCount(2);
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(CaptureFrameBufferPreview(jpeg));
    HistoryEntry look;
    std::tie(look.entryId, look.variantId, look.hdrPath, look.previewJpeg) =
        std::tuple(L"1", L"v", L"C:\\a.hdr", jpeg);
    look.sourceParams.resize(1);
    map->history = {look};
    const HistoryStore looks = map->history;
    Show(map);
    HWND history = nullptr;
    auto openHistory = [&] {
        if (!IsWindow(history)) {
            history = OpenHistoryWindow(map);
            Pump();
        }
    };
    float contrast = 100.0f, sun = 0.0f;
    bool answered = false;
    auto nothing = [] {};
    RemapDir* remap = nullptr;
    ReferenceTarget* clone = nullptr;
    auto newClone = [&] {  // what an earlier clone left goes first
        if (remap) {
            remap->DeleteThis();
        }
        if (clone) {
            scene.Add(clone);
        }
        std::tie(remap, clone) = std::pair(NewRemapDir(), nullptr);
    };
    struct Entry {
        const char* name;
        std::function<void()> prepare, entry;
        std::function<bool()> works;
    };
    const Entry entries[] = {
        {"CreateParamDlg", nothing, [&] { Show(map); },
         [&] { return win::RollupPages().size() == 3u && SlotContextOf(Page(2)); }},
        {"Clone", newClone, [&] { clone = map->Clone(*remap); },
         [&] { return clone && static_cast<Zenithra*>(clone)->history == looks; }},
        {"time change", [&] { SetSlotFloat(*map, pb_slotSunExposure, 1, sun += 0.5f); },
         [&] { GetCOREInterface()->SetTime(GetCOREInterface()->GetTime() ? 0 : 160); },
         [&] { return Shown(Item(2, IDC_SUN_EXPOSURE_SPIN)) == sun; }},
        {"slot rollup", [&] { SetShown(Item(2, IDC_CONTRAST_SPIN), contrast += 1.0f); },
         [&] {
             SendMessageW(Page(2), CC_SPINNER_CHANGE, IDC_CONTRAST_SPIN,
                          LPARAM(Item(2, IDC_CONTRAST_SPIN)));
         },
         [&] { return Float(pb_slotContrast, 1, GetCOREInterface()->GetTime()) == contrast; }},
        {"main rollup and History window", [&] { DestroyWindow(history); },
         [&] { SendMessageW(Item(0, IDC_LOAD_LOOK), BM_CLICK, 0, 0); },
         [&] {
             history = FindHistoryWindow(map);
             return history && HistoryStateOf(history)->rows.size() == 1u;
         }},
        {"History window rebuild and paint", openHistory,
         [&] {
             SendMessageW(history, kRebuildHistoryWindowMessage, 0, 0);
             InvalidateRect(history, nullptr, FALSE);
             UpdateWindow(history);
         },
         [&] { return HistoryStateOf(history)->rows.size() == 1u; }},
        {"preview popup",
         [&] {
             openHistory();
             HidePreviewPopup(*HistoryStateOf(history));
             SetAlt(true);
         },
         [&] {
             const HistoryWindowState& s = *HistoryStateOf(history);
             SendMessageW(history, WM_MOUSEMOVE, 0, MAKELPARAM(s.labelW + 10, s.headerH + 10));
             if (s.popup) {
                 UpdateWindow(s.popup);
             }
         },
         [&] {
             SetAlt(false);
             return IsWindow(HistoryStateOf(history)->popup) != 0;
         }},
        {"source-map drop", [&] { map->ReplaceReference(1, source); },
         [&] {
             SharedSourceMapDADMgr()->Drop(other, Item(0, IDC_SOURCE_MAP), POINT{}, TEXMAP_CLASS_ID,
                                           nullptr, FALSE);
         },
         [&] { return map->sourceMap == other && Text(Item(0, IDC_HDR_STATUS)) == otherFile; }},
        {"Output button drag", [&] { map->ReplaceReference(3, nullptr); },
         [&] { answered = SlotContextOf(Page(2))->dragManager.GetInstance(nullptr, POINT{}, 0); },
         [&] { return answered && map->GetReference(3); }},
        {"preview encoder", [&] { jpeg.assign(3, 0); },
         [&] { answered = CaptureFrameBufferPreview(jpeg); },
         [&] { return answered == !jpeg.empty() && GetPreviewImageSize(jpeg).width > 0; }},
    };
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        // Each run after a refused one is the next call; the last, refused nothing, must work.
        testsupport::RefuseEachAllocation(e.prepare, e.entry, [&] {
            EXPECT_EQ(map->history, looks);
            EXPECT_EQ(map->GetSlotCount(), 2);
            EXPECT_EQ(map->block->Count(pb_slotContrast), 2);
        });
        EXPECT_TRUE(e.works());
    }
    newClone();
    remap->DeleteThis();
    DestroyWindow(history);
}

// Screenshots of the editor, then what goes when the editor goes.
TEST_F(RollupTest, ScreenshotsThenClosingTheEditorLeavesTheMapNoWindow) {
    Source(standalone::CreateBitmapMap(), Hdr(L"sky.hdr", GridImage()), L"Sky");
    map->SetSlotCount(3);
    Show(map);
    win::SetEnvironmentMap(map->GetSubTexmap(1));
    win::OpenFrameBuffer();
    win::WaitForFrameBuffer(20000);
    MoveWindow(win::OpenMaterialEditor(), 0, 0, 460, GetSystemMetrics(SM_CYSCREEN), TRUE);
    CreateDirectoryW(L"..\\artifacts", nullptr);
    EXPECT_TRUE(win::SaveWindowPng(nullptr, L"..\\artifacts\\material-editor.png"));
    // The three slot rollups whole, with the main rollup folded.
    win::SetRollupPageOpen(Page(0), false);
    EXPECT_TRUE(win::SaveWindowPng(nullptr, L"..\\artifacts\\material-editor-slots.png"));

    win::CloseMaterialEditor();  // the map keeps no handle of the pages that went with it
    EXPECT_EQ(map->mainRollupWnd, nullptr);
    EXPECT_EQ(map->slotRollupWnds, std::vector<HWND>(3, nullptr));
    // (Deleting the map with the editor open is the library's load, unload and load test's: the
    // editor takes the pages down with the map.)
}

}  // namespace
