// The History window as a user drives it: real windows and messages, menus and boxes answered
// from a thread timer inside their modal loops, and its geometry read back from the pixels it
// painted.

#include "core/ZenithraClassDesc.h"
#include "core/ZenithraIds.h"
#include "history/Settings.h"
#include "shading/Zenithra.h"
#include "source/MapRotation.h"
#include "source/SourceFile.h"
#include "support/BoxAnswers.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"
#include "support/TestImages.h"
#include "ui/HistoryPreviewPopup.h"
#include "ui/HistoryWindow.h"
#include "ui/HistoryWindowPaint.h"

#include "host/INode.h"

#include "BitmapMap.h"
#include "HostWindows.h"
#include "StandaloneHost.h"

#include "../../res/resource.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#undef GetClassName

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace win = standalone::win;

namespace {

const CLSID kJpegEncoder = {0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0, 0, 0xF8, 0x1E, 0xF3, 0x2E}};
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0, 0, 0xF8, 0x1E, 0xF3, 0x2E}};

std::vector<uint8_t> Jpeg(int width, int height, COLORREF colour) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    std::vector<uint8_t> bytes;
    {
        Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
        Gdiplus::Graphics(&bitmap).Clear(
            Gdiplus::Color(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        IStream* stream = nullptr;
        CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        bitmap.Save(stream, &kJpegEncoder, nullptr);
        STATSTG stat{};
        stream->Stat(&stat, STATFLAG_NONAME);
        bytes.resize(size_t(stat.cbSize.QuadPart));
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        stream->Read(bytes.data(), ULONG(bytes.size()), nullptr);
        stream->Release();
    }
    Gdiplus::GdiplusShutdown(token);
    return bytes;
}

void Pump(int ms = 30) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (std::chrono::steady_clock::now() < end);
}

// What a window's client area shows, read back as 32-bit pixels.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    COLORREF At(int x, int y) const {
        uint32_t p = pixels.at(size_t(y) * size_t(width) + size_t(x));
        return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255);
    }
};

Shot Capture(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client{};
    GetClientRect(window, &client);
    Shot shot{int(client.right), int(client.bottom), {}};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, shot.width, shot.height, dc, 0, 0, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    auto* first = static_cast<uint32_t*>(bits);
    shot.pixels.assign(first, first + size_t(shot.width) * size_t(shot.height));
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return shot;
}

bool Near(COLORREF a, COLORREF b, int tolerance = 10) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

bool SaveScreenPng(const std::wstring& path) {
    Pump(200);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    bool saved =
        Gdiplus::Bitmap(bitmap, nullptr).Save(path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    Gdiplus::GdiplusShutdown(token);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

// A popup menu's entries, and the entry (1-based; 0 dismisses) chosen from a thread timer.
struct MenuScript {
    int choice = 0;
    std::vector<std::wstring> items;
} menuScript;

void CALLBACK AnswerMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (!menuScript.items.empty() || !menuWindow || !IsWindowVisible(menuWindow)) {
        return;
    }
    auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, 0x01E1, 0, 0));  // MN_GETHMENU
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, UINT(i), text, 64, MF_BYPOSITION);
        menuScript.items.push_back(text);
    }
    for (int i = 0; i < menuScript.choice; ++i) {
        PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    }
    PostMessageW(menuWindow, WM_KEYDOWN, menuScript.choice ? VK_RETURN : VK_ESCAPE, 0);
}

void SetAlt(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_MENU] = keys[VK_LMENU] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

HistoryEntry Look(const MSTR& id, const MSTR& variant, const MSTR& path, const MSTR& camera,
                  int frame, std::vector<uint8_t> jpeg = {}, std::vector<float> exposures = {}) {
    HistoryEntry e;
    e.entryId = id;
    e.variantId = variant;
    e.hdrPath = path;
    e.cameraName = camera;
    e.frame = frame;
    e.previewJpeg = std::move(jpeg);
    e.slotExposures = std::move(exposures);
    return e;
}

MSTR Text(int i) {
    std::string s = std::to_string(i);
    return MSTR(s.begin(), s.end());
}

class HistoryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetModuleInstance(GetModuleHandleW(nullptr));
        win::OpenMainWindow();
        map = testsupport::NewMapIn(scene);
        SetAlt(false);
    }
    void TearDown() override {
        SetAlt(false);
        DestroyWindow(FindHistoryWindow(map));
    }
    HWND Open() {
        HWND window = OpenHistoryWindow(map);
        Pump();  // the fit the window posts itself
        return window;
    }
    static HistoryWindowState& State(HWND window) { return *HistoryStateOf(window); }
    // One look per HDR file "row<i>.hdr", without previews.
    void Rows(int count) {
        for (int i = 0; i < count; ++i) {
            map->history.push_back(
                Look(Text(i), u"v" + Text(i), u"C:\\HDR\\row" + Text(i) + u".hdr", u"", 0));
        }
    }
    static POINT CellCentre(const HistoryWindowState& s, int row, int column) {
        return POINT{s.labelW + column * s.cellW + s.cellW / 2,
                     s.headerH + row * s.rowH - s.scrollY + s.rowH / 2};
    }
    static void Send(HWND window, UINT msg, POINT p, WPARAM wParam = 0) {
        SendMessageW(window, msg, wParam, MAKELPARAM(p.x, p.y));
    }
    static POINT Middle(const RECT& r) {
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    Texmap* SourceFor(const std::u16string& file) {
        Texmap* source = standalone::CreateBitmapMap();
        SetTexmapFilePath(source, file);
        map->ReplaceReference(1, source);
        return source;
    }
    std::u16string Hdr(const std::u16string& name, float r, float g, float b) {
        platform::CreateDirectories(drive.ScratchFolder());
        std::u16string path = drive.ScratchFolder() + u"\\" + name;
        EXPECT_TRUE(testsupport::WriteHdrFile(path, testsupport::UniformImage(64, 32, r, g, b)));
        return path;
    }

    testsupport::ScopedTestDrive drive;
    standalone::SceneRoot scene;
    Zenithra* map = nullptr;
};

TEST_F(HistoryWindowTest, GeometryAndColoursOnThePaintedWindow) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    const COLORREF picture = RGB(200, 40, 40);
    struct Case {
        int previewW, previewH;
        int thumbW, thumbH, cellW, rowH, labelW;
    } cases[] = {{0, 0, 320, 180, 336, 246, 220}, {640, 480, 320, 240, 336, 306, 220}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.previewH);
        std::vector<uint8_t> jpeg =
            c.previewW ? Jpeg(c.previewW, c.previewH, picture) : std::vector<uint8_t>{};
        map->history = {Look(u"1", u"va", u"C:\\HDR\\a.hdr", u"", 0, jpeg),
                        Look(u"2", u"vb", u"C:\\HDR\\a.hdr", u"", 0, jpeg),
                        Look(u"3", u"vc", u"C:\\HDR\\b.hdr", u"", 0, jpeg)};
        CurrentLookRegistry::Put(map, u"C:\\HDR\\B.hdr", u"vc");  // row 1 is the current look
        HWND window = Open();
        const HistoryWindowState& s = State(window);
        EXPECT_EQ((std::vector<int>{s.thumbW, s.thumbH, s.cellW, s.rowH, s.labelW}),
                  (std::vector<int>{c.thumbW, c.thumbH, c.cellW, c.rowH, c.labelW}));
        ASSERT_EQ(s.selectedRow, 1);
        Shot shot = Capture(window);
        ASSERT_GE(shot.height, s.headerH + 2 * c.rowH + s.barH);
        EXPECT_EQ(shot.At(5, 5), RGB(64, 64, 64));  // header
        for (int column = 0; column < 2; ++column) {
            SCOPED_TRACE(column);
            int x = c.labelW + column * c.cellW;
            int selectedY = s.headerH + c.rowH, middle = selectedY + c.rowH / 2;
            EXPECT_EQ(shot.At(x, middle), RGB(104, 104, 104));     // grid line
            EXPECT_EQ(shot.At(x + 1, middle), RGB(90, 170, 255));  // 2-pixel selection frame
            EXPECT_EQ(shot.At(x + 2, middle), RGB(90, 170, 255));
            EXPECT_EQ(shot.At(x + 3, middle), RGB(24, 78, 118));  // current-look row
            EXPECT_EQ(shot.At(x + c.cellW - 3, selectedY + 1), RGB(90, 170, 255));
            EXPECT_EQ(shot.At(x + c.cellW - 4, selectedY + 3), RGB(24, 78, 118));
            int top = s.headerH;  // row 0: normal fill, no frame
            EXPECT_EQ(shot.At(x + 1, top + c.rowH / 2), RGB(54, 54, 54));
            if (c.previewW) {  // the thumbnail fills exactly thumbW x thumbH at (8, 8)
                EXPECT_TRUE(Near(shot.At(x + 9, top + 9), picture));
                EXPECT_TRUE(Near(shot.At(x + 8 + c.thumbW - 2, top + 8 + c.thumbH - 2), picture));
                EXPECT_EQ(shot.At(x + 8 + c.thumbW + 1, top + 8 + c.thumbH / 2), RGB(54, 54, 54));
                EXPECT_EQ(shot.At(x + 8 + c.thumbW / 2, top + 8 + c.thumbH + 1), RGB(54, 54, 54));
            }
        }
        EXPECT_EQ(shot.At(s.saveRect.left + 3, s.saveRect.top + 3), RGB(82, 82, 82));
        DestroyWindow(window);
    }
}

TEST_F(HistoryWindowTest, EmptyHistoryShowsOnlyItsTextAndCancelsPlaceStillCloses) {
    HWND window = Open();
    const HistoryWindowState& s = State(window);
    Shot shot = Capture(window);
    int left = shot.width, right = -1, inBar = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            if (shot.At(x, y) != RGB(46, 46, 46)) {
                left = std::min(left, x);
                right = std::max(right, x);
                inBar += y >= shot.height - s.barH;
            }
        }
    }
    ASSERT_GE(right, 0);                                // the text
    EXPECT_LE(std::abs(left + right - shot.width), 4);  // centred
    EXPECT_EQ(inBar, 0);                                // no buttons
    Send(window, WM_LBUTTONDOWN, POINT{shot.width - 70, shot.height - 29});
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(HistoryWindowTest, RowsByHdrColumnsByVariantAndTheirCaptions) {
    map->history = {Look(u"2", u"20261207_101010_123_deadbeef", u"C:\\HDR\\A.HDR", u"CamA", 10),
                    Look(u"1", u"20261207_101010_123_deadbeef", u"C:\\HDR\\a.hdr", u"CamA", 0, {},
                         {0, .5f, 1, 1.5f, 2, 2.5f}),
                    Look(u"3", u"v2", u"c:\\hdr\\a.hdr", u"CamB", 5),
                    Look(u"4", u"", u"C:\\HDR\\b.hdr", u"", 0, {}, {1})};
    HWND window = Open();
    const HistoryWindowState& s = State(window);
    ASSERT_EQ(s.rows.size(), 2u);
    ASSERT_EQ(s.rows[0].columns.size(), 2u);  // two cameras, one HDR: one row
    EXPECT_EQ(FileNameOfPath(s.rows[0].hdrPath), u"A.HDR");
    EXPECT_EQ(s.rows[0].columns[0].entries.front()->entryId, u"1");  // by frame
    EXPECT_EQ(HistoryCellCaption(s.rows[0].columns[0]),
              u"deadbeef | 2 frames\r\nCam: CamA | S1 0.00  S2 0.50  S3 1.00  S4 1.50  ...");
    EXPECT_EQ(HistoryCellCaption(s.rows[0].columns[1]), u"v2 | 1 frame\r\nCam: CamB");
    EXPECT_EQ(HistoryCellCaption(s.rows[1].columns[0]), u"4 | 1 frame | S1 1.00");
}

TEST_F(HistoryWindowTest, KeysWheelScrollBarClicksAndTheDeleteMenu) {
    Rows(5);
    map->history[1].previewJpeg = Jpeg(64, 48, RGB(0, 0, 255));
    SourceFor(u"C:\\HDR\\row0.hdr");
    HWND window = Open();
    HistoryWindowState& s = State(window);
    int visible = VisibleGridHeight(s, window);
    ASSERT_GT(5 * s.rowH, visible);  // scrolls
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    int line = std::max(s.rowH / 6, 8), bottom = 5 * s.rowH - visible;
    struct Step {
        UINT msg;
        WPARAM wParam;
        int row, scrollY;
    } steps[] = {
        {WM_KEYDOWN, VK_DOWN, 1, 0},
        {WM_KEYDOWN, VK_UP, 0, 0},
        {WM_KEYDOWN, VK_UP, 0, 0},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0, line * int(lines)},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 2), 0, 0},
        {WM_VSCROLL, SB_LINEDOWN, 0, line},
        {WM_VSCROLL, SB_PAGEDOWN, 0, std::min(line + std::max(line, visible - line), bottom)},
        {WM_VSCROLL, SB_BOTTOM, 0, bottom},
        {WM_KEYDOWN, VK_DOWN, 1, s.rowH},  // row 1 scrolled back into view
        {WM_VSCROLL, SB_TOP, 1, 0},
    };
    for (const Step& step : steps) {
        SendMessageW(window, step.msg, step.wParam, 0);
        EXPECT_EQ(std::pair(s.selectedRow, s.scrollY), std::pair(step.row, step.scrollY))
            << step.msg << " " << step.wParam;
        EXPECT_EQ(GetScrollPos(window, SB_VERT), s.scrollY);
    }
    // A click selects; Enter, a double click and Load apply the selected variant.
    Send(window, WM_LBUTTONDOWN, CellCentre(s, 2, 0));
    EXPECT_EQ(std::pair(s.selectedRow, s.selectedColumn), std::pair(2, 0));
    SendMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(CurrentLookRegistry::Get(map).variantId, u"v2");
    Send(window, WM_LBUTTONDBLCLK, CellCentre(s, 1, 0));
    EXPECT_EQ(CurrentLookRegistry::Get(map).variantId, u"v1");
    EXPECT_EQ(s.currentKey, MakePathKey(u"C:\\HDR\\row1.hdr"));
    Send(window, WM_LBUTTONDOWN, CellCentre(s, 0, 0));
    Send(window, WM_LBUTTONDOWN, Middle(s.loadRect));
    EXPECT_EQ(CurrentLookRegistry::Get(map).variantId, u"v0");

    // Right click: the one-item menu, dismissed, then chosen.
    for (int choice : {0, 1}) {
        menuScript = MenuScript{choice, {}};
        UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerMenu);
        Send(window, WM_RBUTTONUP, CellCentre(s, 1, 0));
        KillTimer(nullptr, timer);
        EXPECT_EQ(menuScript.items, std::vector<std::wstring>{L"Delete"});
        EXPECT_EQ(map->history.size(), choice ? 4u : 5u);
    }
    Pump();
    EXPECT_EQ(s.rows.size(), 4u);
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(HistoryWindowTest, DeletingTheLastRowWhileScrolledToTheBottomClampsTheScroll) {
    Rows(5);
    HWND window = Open();
    HistoryWindowState& s = State(window);
    for (int i = 0; i < 5; ++i) {
        SendMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
    }
    ASSERT_EQ(s.selectedRow, 4);
    ASSERT_EQ(s.scrollY, 5 * s.rowH - VisibleGridHeight(s, window));
    for (int answer : {IDNO, IDYES}) {
        testsupport::ScopedBoxAnswer box(answer);
        Send(window, WM_LBUTTONDOWN, Middle(s.deleteRect));
        ASSERT_EQ(box.texts.size(), 1u);
        EXPECT_EQ(box.texts[0],
                  u"Delete all saved lighting looks for\n\"row4.hdr\"?\n\nAll variants and frames "
                  u"in this row will be removed.");
    }
    EXPECT_EQ(map->history.size(), 4u);
    EXPECT_EQ(s.rows.size(), 4u);
    EXPECT_EQ(s.scrollY, std::max(4 * s.rowH - VisibleGridHeight(s, window), 0));
    EXPECT_EQ(GetScrollPos(window, SB_VERT), s.scrollY);
}

TEST_F(HistoryWindowTest, SaveInTheWindowPromptsForAnExistingVariantAndReselectsIt) {
    map->history = {Look(u"0", u"other", u"C:\\HDR\\other.hdr", u"", 0)};
    std::u16string hdr = Hdr(u"grey.hdr", .5f, .5f, .5f);
    SourceFor(hdr);
    HWND window = Open();
    HistoryWindowState& s = State(window);
    {
        testsupport::ScopedBoxAnswer box(IDYES);
        Send(window, WM_LBUTTONDOWN, Middle(s.saveRect));  // a first variant: no prompt
        EXPECT_TRUE(box.texts.empty());
    }
    ASSERT_EQ(s.rows.size(), 2u);
    MSTR variant = map->history.back().variantId;
    Send(window, WM_LBUTTONDOWN, CellCentre(s, 0, 0));
    ASSERT_EQ(s.selectedRow, 0);
    testsupport::ScopedBoxAnswer box(IDYES);
    Send(window, WM_LBUTTONDOWN, Middle(s.saveRect));
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_NE(box.texts[0].find(u"saved variants already exist"), MSTR::npos);
    EXPECT_EQ(std::pair(s.selectedRow, s.selectedColumn), std::pair(1, 0));
    EXPECT_EQ(s.rows[1].columns.size(), 1u);  // overwritten
    EXPECT_EQ(s.rows[1].columns[0].variantId, variant);
    EXPECT_EQ(s.currentKey, MakePathKey(hdr));
}

TEST_F(HistoryWindowTest, AltHoverShowsTheEnlargedPreviewUntilAltOrTheCellIsLeft) {
    struct Edge {
        POINT point;
        POINT expected;
    } edges[] = {{{100, 100}, {118, 118}},    // below right of the cursor
                 {{1800, 100}, {1142, 118}},  // flipped at the right edge
                 {{100, 1000}, {118, 502}},   // flipped at the bottom edge
                 {{1000, 300}, {0, 318}}};    // flipped, then kept inside on the left
    RECT work{0, 0, 1920, 1040};
    for (const Edge& e : edges) {
        POINT at = PreviewPopupPosition(e.point, e.point.x == 1000 ? 1000 : 640, 480, work);
        EXPECT_EQ(std::pair(at.x, at.y), std::pair(e.expected.x, e.expected.y));
    }

    map->history = {Look(u"1", u"a", u"C:\\HDR\\a.hdr", u"", 0, Jpeg(640, 480, RGB(0, 200, 0))),
                    Look(u"2", u"b", u"C:\\HDR\\a.hdr", u"", 0)};
    HWND window = Open();
    HistoryWindowState& s = State(window);
    auto hover = [&](POINT client) {
        POINT screen = client;
        ClientToScreen(window, &screen);
        SetCursorPos(screen.x, screen.y);
        Send(window, WM_MOUSEMOVE, client);
        return screen;
    };
    for (int leave = 0; leave < 3; ++leave) {
        SCOPED_TRACE(leave);
        SetAlt(true);
        POINT screen = hover(CellCentre(s, 0, 0));
        Pump(150);  // the pointer's own moves, over the same cell: the popup stays
        ASSERT_TRUE(s.popup && IsWindowVisible(s.popup));
        EXPECT_EQ(s.popupEntryId, u"1");
        RECT r{};
        GetWindowRect(s.popup, &r);
        int x = screen.x + 18 + 640 > 1920 ? screen.x - 640 - 18 : screen.x + 18;
        EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                  (std::vector<LONG>{std::max(x, 0), screen.y + 18, 640, 480}));
        wchar_t className[64] = {};
        GetClassNameW(s.popup, className, 64);
        EXPECT_STREQ(className, L"Zenithra_HistoryPreviewPopup");
        HWND popup = s.popup;
        if (leave == 0) {
            SetAlt(false);  // Alt released: the timer takes it down
        } else if (leave == 1) {
            POINT elsewhere = CellCentre(s, 0, 0);
            elsewhere.x = s.labelW / 2;
            POINT outside = elsewhere;
            ClientToScreen(window, &outside);
            SetCursorPos(outside.x, outside.y);  // the cell left, Alt still held
        } else {
            SendMessageW(window, WM_MOUSELEAVE, 0, 0);
            EXPECT_FALSE(IsWindow(popup));
            SetAlt(false);  // else the pointer, still over the cell, shows it again
        }
        Pump(400);
        EXPECT_FALSE(IsWindow(popup));
        EXPECT_EQ(s.popup, nullptr);
    }
    SetAlt(true);
    hover(CellCentre(s, 0, 1));  // a cell without a preview: no popup
    EXPECT_EQ(s.popup, nullptr);
}

TEST_F(HistoryWindowTest, OneWindowPerMapPlacedWhereItClosedRefreshedAndClosedWithItsMap) {
    Rows(2);
    Zenithra* other = testsupport::NewMapIn(scene);
    other->history = map->history;
    win::OpenMaterialEditor();
    GetCOREInterface()->PutMtlToMtlEditor(map, 0);
    SendMessageW(GetDlgItem(win::RollupPages().at(0), IDC_LOAD_LOOK), BM_CLICK, 0, 0);
    HWND window = FindHistoryWindow(map);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(OpenHistoryWindow(map), window);
    HWND otherWindow = OpenHistoryWindow(other);
    EXPECT_NE(otherWindow, window);

    DeleteHdrLooks(map, u"C:\\HDR\\ROW0.hdr");  // reaches only the map's own window
    EXPECT_EQ(State(window).rows.size(), 1u);
    EXPECT_EQ(State(otherWindow).rows.size(), 2u);

    MoveWindow(window, 100, 120, 700, 500, TRUE);
    DestroyWindow(window);
    WindowPlacement placed = ReadHistoryWindowPlacement();
    EXPECT_EQ((std::vector<int>{placed.x, placed.y, placed.width, placed.height}),
              (std::vector<int>{100, 120, 700, 500}));
    window = Open();
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(std::pair(int(r.left), int(r.top)), std::pair(100, 120));

    scene.Remove(1);  // the other map goes: its window goes with it
    EXPECT_FALSE(IsWindow(otherWindow));
    Pump();
    win::CloseMaterialEditor();
}

// The whole workflow with real previews: three HDR files stepped through with Next, three
// looks saved on each, the History window opened from Load, the first look applied, and the
// scene saved and loaded again; screenshots of the window and of the enlarged preview.
TEST_F(HistoryWindowTest, RealLooksThroughTheStudioWindowsAndTheSceneFile) {
    testsupport::TestImage grid = testsupport::GridImage();
    std::u16string files[] = {drive.ScratchFolder() + u"\\a_grid.hdr",
                              Hdr(u"b_warm.hdr", 1.2f, .6f, .3f),
                              Hdr(u"c_cool.hdr", .25f, .5f, 1.2f)};
    ASSERT_TRUE(testsupport::WriteHdrFile(files[0], grid));
    SourceFor(files[0]);
    map->SetSlotCount(2);
    win::OpenMaterialEditor();
    GetCOREInterface()->PutMtlToMtlEditor(map, 0);
    win::SetEnvironmentMap(map->GetSubTexmap(1));
    win::OpenFrameBuffer(512, 256);
    HWND rollup = win::RollupPages().at(0);
    testsupport::ScopedBoxAnswer boxes(IDNO);  // every Save after the first: one more variant
    INode* cameras[] = {standalone::CreateNode(u"CamFront", Matrix3()),
                        standalone::CreateNode(u"CamBack", Matrix3())};
    ViewExp& view = GetCOREInterface()->GetActiveViewExp();
    for (int hdr = 0; hdr < 3; ++hdr) {
        view.SetViewCamera(cameras[hdr ? 1 : 0]);
        SetMapRotation(map->sourceMap, 0, 30.0f + 60.0f * float(hdr));
        for (int variant = 0; variant < 3; ++variant) {
            map->SetSlotExposure(0, float(variant) - 1.0f);
            testsupport::SetSlotFloat(*map, pb_slotSunExposure, 0, float(variant) * 3.0f);
            testsupport::SetSlotFloat(*map, pb_slotSunSpotSize, 0, 8.0f);
            map->SyncSlotRollups();
            map->NotifyAll(PART_ALL, REFMSG_CHANGE, false);
            ASSERT_TRUE(win::WaitForFrameBuffer(20000));
            SendMessageW(GetDlgItem(rollup, IDC_SAVE_LOOK), BM_CLICK, 0, 0);
        }
        SendMessageW(GetDlgItem(rollup, IDC_NEXT_HDR), BM_CLICK, 0, 0);
    }
    ASSERT_EQ(map->history.size(), 9u);
    SendMessageW(GetDlgItem(rollup, IDC_LOAD_LOOK), BM_CLICK, 0, 0);
    HWND window = FindHistoryWindow(map);
    ASSERT_NE(window, nullptr);
    Pump();
    HistoryWindowState& s = State(window);
    ASSERT_EQ(std::pair(int(s.rows.size()), s.maxColumns), std::pair(3, 3));
    Send(window, WM_LBUTTONDBLCLK, CellCentre(s, 0, 0));
    EXPECT_TRUE(IsSamePath(GetTexmapFilePath(map->sourceMap), files[0]));
    EXPECT_EQ(map->GetSlotExposures(2)[0], -1.0f);
    EXPECT_EQ(view.GetViewCamera(), cameras[0]);
    float degrees = 0;
    EXPECT_TRUE(FindMapRotation(map->sourceMap, 0, degrees));
    EXPECT_FLOAT_EQ(degrees, 30.0f);
    EXPECT_EQ(std::pair(s.selectedRow, s.currentKey), std::pair(0, MakePathKey(files[0])));

    CreateDirectoryW(L"..\\artifacts", nullptr);
    EXPECT_TRUE(SaveScreenPng(L"..\\artifacts\\history-window.png"));
    SetAlt(true);
    POINT cell = CellCentre(s, 1, 1), screen = cell;
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    Send(window, WM_MOUSEMOVE, cell);
    EXPECT_NE(s.popup, nullptr);
    EXPECT_TRUE(SaveScreenPng(L"..\\artifacts\\history-preview-popup.png"));
    SetAlt(false);

    standalone::RegisterClassDesc(GetZenithraDesc());
    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(scene);
    standalone::SceneRoot loaded;
    std::string error;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loaded, &error)) << error;
    auto* back = static_cast<Zenithra*>(static_cast<Texmap*>(loaded.Get(0)));
    EXPECT_TRUE(back->history == map->history);
    EXPECT_TRUE(IsSamePath(GetTexmapFilePath(back->sourceMap), files[0]));
    EXPECT_EQ(back->GetSlotExposures(2)[0], -1.0f);
    EXPECT_TRUE(FindMapRotation(back->sourceMap, 0, degrees));
    EXPECT_FLOAT_EQ(degrees, 30.0f);
    win::CloseFrameBuffer();
    win::CloseMaterialEditor();
}

}  // namespace
