// Frame-buffer previews on real GDI+ and the Save button over real windows: what is grabbed,
// its size, how bytes are drawn, and what a saved look keeps of the rollups.

#include "core/ZenithraClassDesc.h"
#include "history/PreviewImages.h"
#include "history/Settings.h"
#include "host/CustomControls.h"
#include "source/SourceFile.h"
#include "support/BoxAnswers.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"
#include "support/TestImages.h"
#include "support/WindowDrive.h"

#include "maps/BitmapMap.h"
#include "HostWindows.h"

#include "../../res/resource.h"

#include <windows.h>
#undef GetClassName

#include <gtest/gtest.h>

#include <algorithm>

namespace win = standalone::win;
using namespace uidrive;

namespace {

// A preview as the plug-in draws it stretched to width x height (its own size for 0) over white.
Shot Draw(const std::vector<uint8_t>& bytes, int width = 0, int height = 0) {
    const PreviewImageSize size = GetPreviewImageSize(bytes);
    const RECT rect{0, 0, width ? width : int(size.width), height ? height : int(size.height)};
    return Paint(rect.right, rect.bottom, [&](HDC dc) {
        FillRect(dc, &rect, HBRUSH(GetStockObject(WHITE_BRUSH)));
        DrawPreviewImage(dc, rect, bytes);
    });
}

// A borderless window on top of all others whose client area is width x height, filled with
// `colour` unless `proc` paints it.
HWND TopWindow(const wchar_t* title, int width, int height, COLORREF colour,
               WNDPROC proc = DefWindowProcW) {
    const std::wstring name = L"LookTestWindow" + std::to_wstring(colour);
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name.c_str();
    wc.hbrBackground = CreateSolidBrush(colour);
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, title, WS_POPUP | WS_VISIBLE, 0,
                                  0, width, height, nullptr, nullptr, wc.hInstance, nullptr);
    UpdateWindow(window);
    return window;
}

PreviewSize DefaultSize() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return {(area.right - area.left) / 3, (area.bottom - area.top) / 3};
}

class LookPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetModuleInstance(GetModuleHandleW(nullptr));
        win::OpenMainWindow();
        platform::CreateDirectories(drive.ScratchFolder());
        // A settings folder of the test's own: no settings file unless a test writes one.
        SetEnvironmentVariableW(L"LOCALAPPDATA", L"C:\\ZenithraTestScratch");
    }
    void TearDown() override { SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr); }
    std::vector<uint8_t> Capture() {
        std::vector<uint8_t> jpeg;
        EXPECT_TRUE(CaptureFrameBufferPreview(jpeg));
        return jpeg;
    }
    // The settings file's "History" section as "key=value" strings each ended by a null; none for
    // null.
    void SetHistorySection(const wchar_t* lines) {
        WritePrivateProfileSectionW(
            L"History", lines, reinterpret_cast<const wchar_t*>(GetSettingsFilePath().c_str()));
    }
    testsupport::ScopedTestDrive drive;
};

TEST_F(LookPreviewTest, PreviewSizeFollowsSettingsAndTheWorkArea) {
    const PreviewSize third = DefaultSize();
    // The settings, the picture's size.
    const std::tuple<const wchar_t*, int, int> rows[] = {
        {nullptr, third.width, third.height},
        {L"PreviewWidth=50\0PreviewHeight=10\0", 80, 60},
        {L"PreviewWidth=0\0PreviewHeight=-5\0", third.width, third.height},
        {L"PreviewWidth=200\0PreviewHeight=abc\0", 200, third.height},
    };
    for (const auto& [lines, w, h] : rows) {
        SetHistorySection(lines);
        PreviewImageSize size = GetPreviewImageSize(Capture());
        EXPECT_EQ(std::pair(int(size.width), int(size.height)), std::pair(w, h)) << w << "x" << h;
    }
}

TEST_F(LookPreviewTest, GrabSkipsTinyFrameBuffersAndStretchesWithoutLetterbox) {
    // A frame buffer below 9 x 9 is passed over for the host's main window.
    const std::vector<uint8_t> mainWindow = Capture();
    for (const auto& [width, height, taken] :
         {std::tuple{4, 4, false}, {8, 9, false}, {9, 9, true}}) {
        HWND small = TopWindow(L"V-Ray Frame Buffer", width, height, RGB(255, 0, 0));
        EXPECT_EQ(Capture() != mainWindow, taken) << width << "x" << height;
        DestroyWindow(small);
    }

    HWND wide = TopWindow(L"vfb", 1600, 400, RGB(255, 0, 0));
    Shot picture = Draw(Capture());
    DestroyWindow(wide);
    ASSERT_EQ(std::pair(picture.width, picture.height),
              std::pair(DefaultSize().width, DefaultSize().height));
    for (auto [x, y] : {std::pair{2, 2},
                        {picture.width - 3, picture.height / 2},
                        {picture.width / 2, picture.height - 3}}) {
        EXPECT_GT(GetRValue(picture.At(x, y)), 200) << x << "," << y;  // red to every edge
        EXPECT_LT(GetGValue(picture.At(x, y)), 60) << x << "," << y;
    }
}

TEST_F(LookPreviewTest, DrawingShowsThePictureNoPreviewOrNothing) {
    SetHistorySection(L"PreviewWidth=300\0PreviewHeight=200\0");
    HWND red = TopWindow(L"vfb", 300, 200, RGB(255, 0, 0));
    const std::vector<uint8_t> jpeg = Capture();
    DestroyWindow(red);
    // Bytes, decoded size, anything drawn; a picture is stretched over the whole rectangle.
    const std::tuple<std::vector<uint8_t>, PreviewImageSize, bool> rows[] = {
        {{}, {}, true},  // "no preview"
        {{0x12, 0xFF, 0xD8, 0x00, 0x77, 0x31}, {}, false},
        {jpeg, {300, 200}, true},
    };
    for (const auto& [bytes, size, drawn] : rows) {
        const Shot picture = Draw(bytes, 200, 100);
        const PreviewImageSize decoded = GetPreviewImageSize(bytes);
        EXPECT_EQ(std::pair(decoded.width, decoded.height), std::pair(size.width, size.height));
        EXPECT_EQ(std::any_of(picture.pixels.begin(), picture.pixels.end(),
                              [](uint32_t p) { return (p & 0xFFFFFF) != 0xFFFFFF; }),
                  drawn);
        for (auto [x, y] : {std::pair{100, 50}, {2, 2}, {197, 97}}) {
            EXPECT_TRUE(!size.width || Near(picture.At(x, y), RGB(255, 0, 0))) << x << "," << y;
        }
    }

    // A popup without a picture: the History window never opens one, but it paints its own grey.
    HWND popup = TopWindow(L"", 120, 80, RGB(0, 0, 1), PreviewPopupWndProc);
    EXPECT_EQ(uidrive::Capture(popup).At(60, 40), RGB(46, 46, 46));
    DestroyWindow(popup);
}

TEST_F(LookPreviewTest, SaveKeepsTheFrameBufferAndTheOpenRollups) {
    standalone::SceneRoot scene;
    Zenithra* map = testsupport::NewMapIn(scene);
    std::u16string hdr = drive.ScratchFolder() + u"\\grey.hdr";
    ASSERT_TRUE(testsupport::WriteHdrFile(hdr, testsupport::UniformImage(8, 4, .2f, .2f, .2f)));
    Texmap* source = standalone::CreateBitmapMap();
    SetTexmapFilePath(source, hdr);
    map->ReplaceReference(1, source);
    map->SetSlotCount(3);
    win::OpenMaterialEditor();
    GetCOREInterface()->PutMtlToMtlEditor(map, 0);
    win::SetEnvironmentMap(map->GetSubTexmap(1));
    win::OpenFrameBuffer(256, 128);
    testsupport::ScopedBoxAnswer boxes(IDNO);
    std::vector<int> brightness;  // of the uniform sky's picture
    for (float ev : {-2.0f, 2.0f}) {
        map->SetSlotExposure(0, ev);
        map->SyncSlotRollups();
        // The rollup of slot 2 shows 1.5 EV that the block does not hold.
        ISpinnerControl* spinner =
            GetISpinner(GetDlgItem(win::RollupPages().at(3), IDC_EXPOSURE_SPIN));
        spinner->SetValue(1.5f, FALSE);
        ReleaseISpinner(spinner);
        map->NotifyAll(PART_ALL, REFMSG_CHANGE, false);
        ASSERT_TRUE(win::WaitForFrameBuffer(20000));
        SendMessageW(GetDlgItem(win::RollupPages().at(0), IDC_SAVE_LOOK), BM_CLICK, 0, 0);
        const HistoryEntry& saved = map->history.back();
        EXPECT_EQ(saved.slotExposures, (std::vector<float>{ev, 0.0f, 1.5f}));
        Shot picture = Draw(saved.previewJpeg);
        EXPECT_EQ(std::pair(picture.width, picture.height),
                  std::pair(DefaultSize().width, DefaultSize().height));
        brightness.push_back(GetRValue(picture.At(picture.width / 2, picture.height / 2)));
    }
    EXPECT_EQ(map->history.size(), 2u);
    EXPECT_EQ(boxes.texts.size(), 1u);  // the second Save asked about the first one's variant
    EXPECT_GT(brightness[1], brightness[0] + 20);
    EXPECT_EQ(map->GetSlotExposures(3)[2], 0.0f);

    win::SetEnvironmentMap(nullptr);
    win::CloseMaterialEditor();
}

}  // namespace
