// The History window and the previews it shows as a user drives them: real windows, GDI+ and
// messages, menus and boxes answered from a thread timer inside their modal loops; the window's
// geometry read from its state, the pictures it shows from their pixels.

#include "history/PreviewImages.h"
#include "history/Settings.h"
#include "source/MapRotation.h"
#include "support/BoxAnswers.h"
#include "ui/HistoryPreviewPopup.h"
#include "StudioFixture.h"

#include "maps/BitmapMap.h"

#include "../../res/resource.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <tuple>

namespace win = standalone::win;
using namespace uidrive;

namespace {

// A picture of one colour; no bytes for 0 x 0, which the encoder refuses.
std::vector<uint8_t> Jpeg(int width, int height, COLORREF c) {
    std::vector<uint8_t> rgb, bytes;
    for (int i = 0; i < width * height; ++i) {
        rgb.insert(rgb.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    }
    auto append = [](void* out, void* data, int size) {
        auto& to = *static_cast<std::vector<uint8_t>*>(out);
        to.insert(to.end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    };
    stbi_write_jpg_to_func(append, &bytes, width, height, 3, rgb.data(), 90);
    return bytes;
}

HistoryEntry Look(const MSTR& id, const MSTR& variant, const MSTR& path, const MSTR& camera,
                  int frame, std::vector<uint8_t> jpeg = {}, std::vector<float> exposures = {}) {
    HistoryEntry e;
    std::tie(e.entryId, e.variantId, e.hdrPath, e.cameraName, e.frame, e.previewJpeg,
             e.slotExposures) = std::tie(id, variant, path, camera, frame, jpeg, exposures);
    return e;
}

class HistoryWindowTest : public StudioTest {
protected:
    HWND Open() {
        HWND window = OpenHistoryWindow(map);
        Pump();  // the fit the window posts itself
        return window;
    }
    static HistoryWindowState& State(HWND window) { return *HistoryStateOf(window); }
    void Rows(int count) {  // one look per HDR file "row<i>.hdr", without previews
        for (int i = 0; i < count; ++i) {
            MSTR n = platform::Utf8ToWide(std::to_string(i)).c_str();
            map->history.push_back(
                Look(n, MSTR(L"v") + n, MSTR(L"C:\\HDR\\row") + n + L".hdr", L"", 0));
        }
    }
    static POINT CellCentre(const HistoryWindowState& s, int row, int column) {
        return POINT{s.labelW + column * s.cellW + s.cellW / 2,
                     s.headerH + row * s.rowH - s.scrollY + s.rowH / 2};
    }
    static void Send(HWND window, UINT msg, POINT p, WPARAM wParam = 0) {
        SendMessageW(window, msg, wParam, MAKELPARAM(p.x, p.y));
    }
    static POINT Middle(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    // The pointer over a client point, as the system and the window's WM_MOUSEMOVE tell it.
    static POINT Hover(HWND window, POINT client) {
        POINT screen = client;
        ClientToScreen(window, &screen);
        SetCursorPos(screen.x, screen.y);
        Send(window, WM_MOUSEMOVE, client);
        return screen;
    }
};

TEST_F(HistoryWindowTest, RowsByHdrColumnsByVariantCaptionsAndCellSizes) {
    if (!OnReferenceScreen()) {
        GTEST_SKIP() << kNeedsReferenceScreen;
    }
    const MSTR id = L"20261207_101010_123_deadbeef";
    // Preview width and height, then the thumbnail, cell and row they give.
    const std::tuple<int, int, int, int, int, int> cases[] = {{0, 0, 320, 180, 336, 246},
                                                              {640, 480, 320, 240, 336, 306}};
    for (const auto& [previewW, previewH, thumbW, thumbH, cellW, rowH] : cases) {
        SCOPED_TRACE(previewH);
        std::vector<uint8_t> jpeg = Jpeg(previewW, previewH, RGB(200, 40, 40));
        map->history = {
            Look(L"2", id, L"C:\\HDR\\A.HDR", L"CamA", 10, jpeg),
            Look(L"1", id, L"C:\\HDR\\a.hdr", L"CamA", 0, jpeg, {0, .5f, 1, 1.5f, 2, 2.5f}),
            Look(L"3", L"v2", L"c:\\hdr\\a.hdr", L"CamB", 5, jpeg),
            Look(L"4", L"", L"C:\\HDR\\b.hdr", L"", 0, jpeg, {1})};
        CurrentLookRegistry::Put(map, L"C:\\HDR\\B.hdr", L"");  // row 1: current and selected
        HWND window = Open();
        const HistoryWindowState& s = State(window);
        ASSERT_EQ(s.rows.size(), 2u);
        ASSERT_EQ(s.rows[0].columns.size(), 2u);  // two cameras, one HDR: one row
        EXPECT_EQ(FileNameOfPath(s.rows[0].hdrPath), L"A.HDR");
        EXPECT_EQ(s.rows[0].columns[0].entries.front()->entryId, L"1");  // by frame
        EXPECT_EQ(HistoryCellCaption(s.rows[0].columns[0]),
                  L"deadbeef | 2 frames\r\nCam: CamA | S1 0.00  S2 0.50  S3 1.00  S4 1.50  ...");
        EXPECT_EQ(HistoryCellCaption(s.rows[0].columns[1]), L"v2 | 1 frame\r\nCam: CamB");
        EXPECT_EQ(HistoryCellCaption(s.rows[1].columns[0]), L"4 | 1 frame | S1 1.00");
        EXPECT_EQ(s.selectedRow, 1);
        EXPECT_EQ((std::vector<int>{s.thumbW, s.thumbH, s.cellW, s.rowH}),
                  (std::vector<int>{thumbW, thumbH, cellW, rowH}));
        DestroyWindow(window);
    }
}

TEST_F(HistoryWindowTest, KeysScrollBarClicksMenuAndRowDeletion) {
    if (!OnReferenceScreen()) {
        GTEST_SKIP() << kNeedsReferenceScreen;
    }
    Rows(5);
    map->history[1].previewJpeg = Jpeg(64, 48, RGB(0, 0, 255));
    map->ReplaceReference(1, standalone::CreateBitmapMap());
    HWND window = Open();
    HistoryWindowState& s = State(window);
    int bottom = 5 * s.rowH - VisibleGridHeight(s, window);
    ASSERT_GT(bottom, 0);
    const std::tuple<UINT, WPARAM, int, int> steps[] = {
        // message, wParam, row and scroll after
        {WM_KEYDOWN, VK_DOWN, 1, 0},      {WM_KEYDOWN, VK_UP, 0, 0},
        {WM_KEYDOWN, VK_UP, 0, 0},        {WM_VSCROLL, SB_BOTTOM, 0, bottom},
        {WM_KEYDOWN, VK_DOWN, 1, s.rowH},  // row 1 scrolled back into view
        {WM_VSCROLL, SB_TOP, 1, 0}};
    for (const auto& [msg, wParam, row, scrollY] : steps) {
        SendMessageW(window, msg, wParam, 0);
        EXPECT_EQ(std::pair(s.selectedRow, s.scrollY), std::pair(row, scrollY))
            << msg << " " << wParam;
        EXPECT_EQ(GetScrollPos(window, SB_VERT), s.scrollY);
    }
    // A click only selects; Enter, a double click and Load apply the selected variant.
    const std::tuple<UINT, WPARAM, POINT, const wchar_t*> applies[] = {
        {WM_LBUTTONDOWN, 0, CellCentre(s, 2, 0), L""},
        {WM_KEYDOWN, VK_RETURN, {}, L"v2"},
        {WM_LBUTTONDBLCLK, 0, CellCentre(s, 1, 0), L"v1"},
        {WM_LBUTTONDOWN, 0, CellCentre(s, 0, 0), L"v1"},
        {WM_LBUTTONDOWN, 0, Middle(s.loadRect), L"v0"}};
    for (const auto& [msg, wParam, point, variant] : applies) {
        Send(window, msg, point, wParam);
        EXPECT_EQ(CurrentLookRegistry::Get(map).variantId, variant) << msg;
    }

    for (int choice : {0, 1}) {  // right click: the one-item menu, dismissed, then chosen
        MenuSeen seen =
            AnsweringMenu([&] { Send(window, WM_RBUTTONUP, CellCentre(s, 1, 0)); }, choice);
        EXPECT_EQ(seen.items, std::vector<std::wstring>{L"Delete"});
        EXPECT_EQ(map->history.size(), choice ? 4u : 5u);
    }
    Pump();
    ASSERT_EQ(s.rows.size(), 4u);

    // The last row's Delete asks first: No keeps it, Yes deletes it.
    SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
    Send(window, WM_LBUTTONDOWN, CellCentre(s, 3, 0));
    for (int answer : {IDNO, IDYES}) {
        testsupport::ScopedBoxAnswer box(answer);
        Send(window, WM_LBUTTONDOWN, Middle(s.deleteRect));
        EXPECT_EQ(box.texts, std::vector<std::wstring>{
                                 L"Delete all saved lighting looks for\n\"row4.hdr\"?\n\nAll "
                                 L"variants and frames in this row will be removed."});
    }
    EXPECT_EQ(std::pair(map->history.size(), s.rows.size()), std::pair(size_t(3), size_t(3)));
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(HistoryWindowTest, AltHoverShowsTheEnlargedPreviewUntilAltOrTheCellIsLeft) {
    if (!OnReferenceScreen()) {
        GTEST_SKIP() << kNeedsReferenceScreen;
    }
    const std::tuple<POINT, int, POINT> edges[] = {
        // cursor, popup width, popup position
        {{100, 100}, 640, {118, 118}},    // below right of the cursor
        {{1800, 100}, 640, {1142, 118}},  // flipped at the right edge
        {{100, 1000}, 640, {118, 502}},   // flipped at the bottom edge
        {{1000, 300}, 1000, {0, 318}}};   // flipped, then kept inside on the left
    for (const auto& [cursor, width, expected] : edges) {
        POINT at = PreviewPopupPosition(cursor, width, 480, RECT{0, 0, 1920, 1040});
        EXPECT_EQ(std::pair(at.x, at.y), std::pair(expected.x, expected.y));
    }
    map->history = {Look(L"1", L"a", L"C:\\HDR\\a.hdr", L"", 0, Jpeg(640, 480, RGB(0, 200, 0))),
                    Look(L"2", L"b", L"C:\\HDR\\a.hdr", L"", 0),
                    Look(L"3", L"c", L"C:\\HDR\\a.hdr", L"", 0, {0x12, 0xFF, 0xD8, 0x00})};
    HWND window = Open();
    HistoryWindowState& s = State(window);
    for (int leave = 0; leave < 2; ++leave) {
        SCOPED_TRACE(leave);
        SetAlt(true);
        POINT screen = Hover(window, CellCentre(s, 0, 0));
        Pump(150);  // the pointer's own moves, over the same cell: the popup stays
        ASSERT_TRUE(s.popup && IsWindowVisible(s.popup));
        HWND popup = s.popup;
        RECT r{};
        GetWindowRect(popup, &r);
        EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                  (std::vector<LONG>{screen.x + 18, screen.y + 18, 640, 480}));
        EXPECT_TRUE(Near(Capture(popup).At(320, 240), RGB(0, 200, 0)));  // look 1's picture
        if (leave == 0) {
            SetAlt(false);  // Alt released: only the timer can see it
        } else {
            SendMessageW(window, WM_MOUSELEAVE, 0, 0);
            EXPECT_FALSE(IsWindow(popup));
            SetAlt(false);  // else the pointer, still over the cell, shows it again
        }
        Pump(400);
        EXPECT_FALSE(IsWindow(popup));
    }
    // A picture that does not decode shows an empty thumbnail, as none does, and no popup.
    Shot shot = Capture(window);
    EXPECT_EQ(shot.At(s.labelW + 2 * s.cellW + 10, s.headerH + 10),
              shot.At(s.labelW + s.cellW + 10, s.headerH + 10));
    SetAlt(true);
    for (int column : {1, 2}) {
        Hover(window, CellCentre(s, 0, column));
        EXPECT_EQ(s.popup, nullptr) << column;
    }
}

// A borderless window on top of all others whose client area is width x height, filled with
// `colour`.
HWND TopWindow(const wchar_t* title, int width, int height, COLORREF colour) {
    const std::wstring name = L"LookTestWindow" + std::to_wstring(colour);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name.c_str();
    wc.hbrBackground = CreateSolidBrush(colour);
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, title, WS_POPUP | WS_VISIBLE, 0,
                                  0, width, height, nullptr, nullptr, wc.hInstance, nullptr);
    UpdateWindow(window);
    return window;
}

// Previews on real GDI+ and real windows: a grab at the settings' size, never below 80 x 60,
// stretched without letterbox; bytes drawn stretched, "no preview" for none, nothing for bytes
// that do not decode.
TEST_F(HistoryWindowTest, PreviewsGrabAtTheSettingsSizeAndDrawStretched) {
    if (!OnReferenceScreen()) {
        GTEST_SKIP() << kNeedsReferenceScreen;
    }
    auto capture = [] {
        std::vector<uint8_t> jpeg;
        EXPECT_TRUE(CaptureFrameBufferPreview(jpeg));
        return jpeg;
    };
    WritePrivateProfileSectionW(L"History", L"PreviewWidth=50\0PreviewHeight=10\0",
                                GetSettingsFilePath().data());
    const PreviewImageSize least = GetPreviewImageSize(capture());
    EXPECT_EQ(std::pair(least.width, least.height), std::pair(80u, 60u));
    WritePrivateProfileSectionW(L"History", nullptr, GetSettingsFilePath().data());
    HWND wide = TopWindow(L"vfb", 1600, 400, RGB(255, 0, 0));
    const std::vector<uint8_t> jpeg = capture();
    DestroyWindow(wide);
    // Bytes, decoded size, anything drawn. The wide grab fills the preview, and the preview the
    // rectangle it is drawn into, red to every edge: no letterbox in either.
    const std::tuple<std::vector<uint8_t>, PreviewImageSize, bool> rows[] = {
        {{}, {}, true},  // "no preview"
        {{0x12, 0xFF, 0xD8, 0x00, 0x77, 0x31}, {}, false},
        {jpeg, {640, 346}, true},
    };
    for (const auto& [bytes, size, drawn] : rows) {
        const Shot picture = Paint(200, 100, [&](HDC dc) {
            const RECT rect{0, 0, 200, 100};
            FillRect(dc, &rect, HBRUSH(GetStockObject(WHITE_BRUSH)));
            DrawPreviewImage(dc, rect, bytes);
        });
        const PreviewImageSize decoded = GetPreviewImageSize(bytes);
        EXPECT_EQ(std::pair(decoded.width, decoded.height), std::pair(size.width, size.height));
        EXPECT_EQ(std::any_of(picture.pixels.begin(), picture.pixels.end(),
                              [](uint32_t p) { return (p & 0xFFFFFF) != 0xFFFFFF; }),
                  drawn);
        for (auto [x, y] : {std::pair{100, 50}, {2, 2}, {197, 97}}) {
            EXPECT_TRUE(!size.width || Near(picture.At(x, y), RGB(255, 0, 0))) << x << "," << y;
        }
    }
}

// The workflow as a user goes through it: the first HDR file browsed to, values typed into the
// slot rollup, two looks saved on each of two files stepped through with Next (each keeping the
// second slot's rollup value), History opened from Load, the first look applied, Save in the
// window over the latest look of its HDR and camera, then the screenshots and the Alt preview.
TEST_F(HistoryWindowTest, RealLooksThroughTheStudioWindows) {
    const std::wstring files[] = {
        Hdr(L"a_grid.hdr", testsupport::GridImage()),
        Hdr(L"b_warm.hdr", testsupport::UniformImage(64, 32, 1, .6f, .3f))};
    win::OpenMaterialEditor();
    Texmap* bitmap = Source(standalone::CreateBitmapMap(), files[1]);
    map->SetSlotCount(2);
    Show(map);
    HWND rollup = Page(0), slot = Page(1);
    ASSERT_TRUE(
        AnsweringOpenFile([&] { Click(rollup, IDC_BROWSE_HDR); }, L"Choose HDR / EXR", files[0]));
    ASSERT_TRUE(IsSamePath(GetTexmapFilePath(bitmap), files[0].c_str()));
    win::SetEnvironmentMap(map->GetSubTexmap(1));
    win::OpenFrameBuffer(512, 256);
    testsupport::ScopedBoxAnswer boxes(IDNO);  // every Save after the first: one more variant
    INode* cameras[] = {standalone::CreateNode(L"CamFront", Matrix3()),
                        standalone::CreateNode(L"CamBack", Matrix3())};
    ViewExp& view = GetCOREInterface()->GetActiveViewExp();
    for (int hdr = 0; hdr < 2; ++hdr) {
        view.SetViewCamera(cameras[hdr]);
        Type(slot, IDC_MAP_ROTATION_EDIT, std::to_wstring(30 + 60 * hdr).c_str());
        // The second slot's rollup shows 1.5 EV that the block does not hold.
        SetShown(Item(2, IDC_EXPOSURE_SPIN), 1.5f);
        for (int variant = 0; variant < 2; ++variant) {
            Type(slot, IDC_EXPOSURE_EDIT, std::to_wstring(variant * 2 - 1).c_str());
            ASSERT_TRUE(win::WaitForFrameBuffer(20000));
            Click(rollup, IDC_SAVE_LOOK);
        }
        Click(rollup, IDC_NEXT_HDR);
    }
    ASSERT_EQ(map->history.size(), 4u);
    EXPECT_EQ(map->GetSlotExposures(2)[1], 0.0f);
    EXPECT_EQ(map->history[3].slotExposures, (std::vector<float>{1.0f, 1.5f}));
    Click(rollup, IDC_LOAD_LOOK);
    HWND window = FindHistoryWindow(map);
    ASSERT_NE(window, nullptr);
    Pump();
    HistoryWindowState& s = State(window);
    ASSERT_EQ(std::pair(int(s.rows.size()), s.maxColumns), std::pair(2, 2));
    EXPECT_EQ(OpenHistoryWindow(map), window);  // one window per map
    Zenithra* other = testsupport::NewMapIn(scene);
    other->history = map->history;
    HWND otherWindow = OpenHistoryWindow(other);
    DeleteHdrLooks(other, files[0].c_str());  // reaches only that map's own window
    EXPECT_EQ(std::pair(s.rows.size(), State(otherWindow).rows.size()),
              std::pair(size_t(2), size_t(1)));
    scene.Remove(scene.Count() - 1);  // the other map, added last, goes: its window with it
    EXPECT_FALSE(IsWindow(otherWindow));
    Send(window, WM_LBUTTONDBLCLK, CellCentre(s, 0, 0));
    float degrees = 0;
    EXPECT_TRUE(IsSamePath(GetTexmapFilePath(map->sourceMap), files[0].c_str()));
    EXPECT_EQ(map->GetSlotExposures(2)[0], -1.0f);
    EXPECT_TRUE(FindMapRotation(map->sourceMap, map->history.front().frame, degrees));
    EXPECT_FLOAT_EQ(degrees, 30.0f);
    EXPECT_EQ(view.GetViewCamera(), cameras[0]);
    EXPECT_EQ(std::pair(s.selectedRow, s.currentKey), std::pair(0, MakePathKey(files[0].c_str())));
    // Save in the window over the latest look of this HDR and camera: asked, then reselected.
    Send(window, WM_LBUTTONDOWN, CellCentre(s, 1, 0));
    ASSERT_TRUE(win::WaitForFrameBuffer(20000));  // the applied look shown, as a user would see it
    boxes.button = IDYES;
    size_t asked = boxes.texts.size();
    Send(window, WM_LBUTTONDOWN, Middle(s.saveRect));
    ASSERT_EQ(boxes.texts.size(), asked + 1);
    EXPECT_NE(boxes.texts.back().find(L"saved variants already exist"), std::wstring::npos);
    EXPECT_EQ(std::pair(s.selectedRow, s.selectedColumn), std::pair(0, 1));
    EXPECT_EQ(std::pair(map->history.size(), s.rows[0].columns.size()),
              std::pair(size_t(4), size_t(2)));

    CreateDirectoryW(L"..\\artifacts", nullptr);
    EXPECT_TRUE(win::SaveWindowPng(nullptr, L"..\\artifacts\\history-window.png"));
    EXPECT_TRUE(win::SaveWindowPng(window, L"..\\artifacts\\history-window-client.png"));
    SetAlt(true);
    Hover(window, CellCentre(s, 1, 1));
    EXPECT_NE(s.popup, nullptr);
    EXPECT_TRUE(win::SaveWindowPng(nullptr, L"..\\artifacts\\history-preview-popup.png"));
    SetAlt(false);
    // Closed, the window's place is kept, and it opens there again.
    MoveWindow(window, 100, 120, 700, 500, TRUE);
    DestroyWindow(window);
    const WindowPlacement placed = ReadHistoryWindowPlacement();
    EXPECT_EQ((std::vector<int>{placed.x, placed.y, placed.width, placed.height}),
              (std::vector<int>{100, 120, 700, 500}));
    RECT r{};
    GetWindowRect(Open(), &r);
    EXPECT_EQ(std::pair(int(r.left), int(r.top)), std::pair(100, 120));
}

}  // namespace
