// Frame-buffer previews on real GDI+ and real windows: what is grabbed, its size, and how bytes
// are drawn.

#include "history/PreviewImages.h"
#include "history/Settings.h"
#include "support/TestDrive.h"
#include "support/WindowDrive.h"

#include "HostWindows.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace win = standalone::win;
using namespace uidrive;

namespace {

// A preview as the plug-in draws it stretched to width x height over white.
Shot Draw(const std::vector<uint8_t>& bytes, int width, int height) {
    const RECT rect{0, 0, width, height};
    return Paint(width, height, [&](HDC dc) {
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
        WritePrivateProfileSectionW(L"History", lines, GetSettingsFilePath().data());
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

TEST_F(LookPreviewTest, GrabSkipsTinyFrameBuffersStretchesWithoutLetterboxAndDraws) {
    if (!OnReferenceScreen()) {
        GTEST_SKIP() << kNeedsReferenceScreen;
    }
    // A frame buffer below 9 x 9 is passed over for the host's main window.
    EXPECT_EQ(CaptureWindowBitmap(nullptr), nullptr);
    const std::vector<uint8_t> mainWindow = Capture();
    for (const auto& [width, height, taken] :
         {std::tuple{4, 4, false}, {8, 9, false}, {9, 8, false}, {9, 9, true}}) {
        HWND small = TopWindow(L"V-Ray Frame Buffer", width, height, RGB(255, 0, 0));
        EXPECT_EQ(Capture() != mainWindow, taken) << width << "x" << height;
        DestroyWindow(small);
    }
    HWND wide = TopWindow(L"vfb", 1600, 400, RGB(255, 0, 0));
    const std::vector<uint8_t> jpeg = Capture();
    DestroyWindow(wide);
    const PreviewSize third = DefaultSize();
    // Bytes, decoded size, anything drawn. The wide grab fills the preview, and the preview the
    // rectangle it is drawn into, red to every edge: no letterbox in either.
    const std::tuple<std::vector<uint8_t>, PreviewImageSize, bool> rows[] = {
        {{}, {}, true},  // "no preview"
        {{0x12, 0xFF, 0xD8, 0x00, 0x77, 0x31}, {}, false},
        {jpeg, {uint32_t(third.width), uint32_t(third.height)}, true},
    };
    for (const auto& [bytes, size, drawn] : rows) {
        const Shot picture = Draw(bytes, 200, 100);
        const PreviewImageSize decoded = GetPreviewImageSize(bytes);
        EXPECT_EQ(std::pair(decoded.width, decoded.height), std::pair(size.width, size.height));
        // What is not white, centred on both axes.
        int left = 200, right = -1, top = 100, bottom = -1;
        for (int i = 0; i < 200 * 100; ++i) {
            if ((picture.pixels[size_t(i)] & 0xFFFFFF) != 0xFFFFFF) {
                left = std::min(left, i % 200), right = std::max(right, i % 200);
                top = std::min(top, i / 200), bottom = std::max(bottom, i / 200);
            }
        }
        EXPECT_EQ(right >= 0, drawn);
        EXPECT_TRUE(!drawn ||
                    (std::abs(left + right - 200) <= 6 && std::abs(top + bottom - 100) <= 6))
            << left << " " << top << " " << right << " " << bottom;
        for (auto [x, y] : {std::pair{100, 50}, {2, 2}, {197, 97}}) {
            EXPECT_TRUE(!size.width || Near(picture.At(x, y), RGB(255, 0, 0))) << x << "," << y;
        }
    }

    // A popup without a picture: the History window never opens one, but it paints its own grey.
    HWND popup = TopWindow(L"", 120, 80, RGB(0, 0, 1), PreviewPopupWndProc);
    EXPECT_EQ(uidrive::Capture(popup).At(60, 40), RGB(46, 46, 46));
    DestroyWindow(popup);
}

}  // namespace
